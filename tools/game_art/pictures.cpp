#include "pictures.h"

#include <cmath>
#include <cstdint>

namespace art {
namespace {

// A small repeatable hash for stone speckles, so the pictures never change.
uint32_t Noise(int x, int y, int salt) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               static_cast<uint32_t>(salt) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

Colour Shade(int r, int g, int b, int delta) {
  auto c = [&](int v) { return v + delta < 1 ? 1 : (v + delta > 255 ? 255 : v + delta); };
  return Rgb(c(r), c(g), c(b));
}

// ---- Tiles -------------------------------------------------------------

// Rough blue-grey blocks with dark mortar.
void Wall(Canvas& c, int ox, int oy) {
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const int row = y / 8;
      const int shift = row % 2 == 0 ? 0 : 8;
      const bool mortar = y % 8 == 7 || (x + shift) % 16 == 15;
      const int speck = static_cast<int>(Noise(x, y, 1) % 13) - 6;
      const int light = (y % 8 == 0 || (x + shift) % 16 == 0) ? 14 : 0;
      c.Set(ox + x, oy + y, mortar ? Rgb(18, 18, 24) : Shade(70, 72, 86, speck + light));
    }
  }
}

// Floor flagstones, darker and warmer than the wall so corridors read at once.
void Floor(Canvas& c, int ox, int oy) {
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const bool seam = x % 16 == 0 || y % 16 == 0;
      const int speck = static_cast<int>(Noise(x, y, 2) % 9) - 4;
      c.Set(ox + x, oy + y, seam ? Rgb(34, 28, 24) : Shade(58, 48, 40, speck));
    }
  }
}

// A glowing red gate in the rock: where the attackers come from.
void Entrance(Canvas& c, int ox, int oy) {
  Wall(c, ox, oy);
  c.Fill(ox + 6, oy + 10, 20, 22, Rgb(40, 8, 8));
  c.FillEllipse(ox + 16, oy + 11, 10, 8, Rgb(40, 8, 8));
  for (int y = 6; y < 32; ++y) {
    for (int x = 8; x < 24; ++x) {
      const double dx = (x - 15.5) / 8.0, dy = (y - 22.0) / 14.0;
      const double d = dx * dx + dy * dy;
      if (d < 1.0) c.Blend(ox + x, oy + y, Rgb(255, 70, 20), static_cast<float>(0.9 - 0.8 * d));
    }
  }
  // Iron bars pulled up.
  for (int x = 9; x < 24; x += 4) c.Fill(ox + x, oy + 4, 1, 5, Rgb(120, 110, 100));
}

// ---- Creatures ---------------------------------------------------------

const Colour kEnemyRing = Rgb(230, 30, 30);
const Colour kFriendRing = Rgb(40, 220, 255);
const Colour kEye = Rgb(255, 40, 40);

// The ring under every creature tells the sides apart: red attackers, cyan allies.
void Ring(Canvas& c, int ox, int oy, Colour ring) {
  for (int i = -12; i <= 12; ++i) {
    const int h = static_cast<int>(std::lround(3.0 * std::sqrt(1.0 - (i * i) / 144.0)));
    c.Set(ox + 16 + i, oy + 28 - h, ring);
    c.Set(ox + 16 + i, oy + 28 + h, ring);
  }
}

void Mage(Canvas& c, int ox, int oy) {
  const Colour robe = Rgb(90, 40, 170), robeDark = Rgb(60, 24, 120), skin = Rgb(240, 200, 160);
  Ring(c, ox, oy, Rgb(255, 220, 60));
  // Robe.
  for (int y = 14; y < 29; ++y) {
    const int half = 4 + (y - 14) / 2;
    c.Fill(ox + 16 - half, oy + y, half * 2, 1, robe);
  }
  c.Fill(ox + 15, oy + 16, 2, 13, robeDark);
  // Face, beard, hat with a star.
  c.Fill(ox + 13, oy + 9, 6, 5, skin);
  c.Set(ox + 14, oy + 11, Rgb(20, 20, 60));
  c.Set(ox + 17, oy + 11, Rgb(20, 20, 60));
  c.Fill(ox + 13, oy + 13, 6, 5, Rgb(235, 235, 235));
  c.Fill(ox + 14, oy + 18, 4, 2, Rgb(235, 235, 235));
  c.Fill(ox + 10, oy + 8, 12, 2, robe);
  for (int y = 0; y < 8; ++y) c.Fill(ox + 16 - (8 - y) / 2, oy + y, 8 - y + 1, 1, robe);
  c.Set(ox + 16, oy + 4, Rgb(255, 230, 80));
  c.Set(ox + 17, oy + 5, Rgb(255, 230, 80));
  // Staff with a glowing orb.
  c.Fill(ox + 25, oy + 6, 2, 23, Rgb(130, 80, 40));
  c.FillEllipse(ox + 26, oy + 5, 3, 3, Rgb(120, 220, 255));
  c.Set(ox + 25, oy + 4, Rgb(255, 255, 255));
  c.Fill(ox + 21, oy + 17, 4, 3, skin);
}

// Kind 0: a goblin with a club.
void Goblin(Canvas& c, int ox, int oy, bool alt) {
  const Colour skin = Rgb(150, 140, 50), cloth = Rgb(110, 60, 30);
  Ring(c, ox, oy, kEnemyRing);
  c.FillEllipse(ox + 16, oy + 11, 6, 5, skin);
  c.Fill(ox + 8, oy + 9, 3, 2, skin);  // ears
  c.Fill(ox + 21, oy + 9, 3, 2, skin);
  c.Set(ox + 14, oy + 10, kEye);
  c.Set(ox + 18, oy + 10, kEye);
  c.Fill(ox + 14, oy + 14, 5, 1, Rgb(60, 20, 10));
  c.Fill(ox + 12, oy + 16, 9, 7, cloth);
  const int step = alt ? 2 : 0;
  c.Fill(ox + 12 + step, oy + 23, 3, 5, skin);
  c.Fill(ox + 18 - step, oy + 23, 3, 5, skin);
  // Club raised or swung.
  if (alt) {
    c.Line(ox + 21, oy + 18, ox + 28, oy + 14, Rgb(120, 80, 40));
    c.FillEllipse(ox + 28, oy + 13, 2, 2, Rgb(140, 95, 50));
  } else {
    c.Line(ox + 21, oy + 18, ox + 25, oy + 8, Rgb(120, 80, 40));
    c.FillEllipse(ox + 25, oy + 7, 2, 2, Rgb(140, 95, 50));
  }
}

// Kind 1: a heavy armoured troll.
void Troll(Canvas& c, int ox, int oy, bool alt) {
  const Colour hide = Rgb(120, 120, 130), plate = Rgb(170, 60, 40);
  Ring(c, ox, oy, kEnemyRing);
  c.FillEllipse(ox + 16, oy + 17, 10, 9, hide);
  c.FillEllipse(ox + 16, oy + 8, 6, 5, hide);
  c.Fill(ox + 11, oy + 3, 2, 3, Rgb(230, 220, 190));  // horns
  c.Fill(ox + 19, oy + 3, 2, 3, Rgb(230, 220, 190));
  c.Fill(ox + 13, oy + 7, 2, 2, kEye);
  c.Fill(ox + 17, oy + 7, 2, 2, kEye);
  c.Fill(ox + 13, oy + 11, 6, 1, Rgb(240, 240, 220));
  c.Fill(ox + 9, oy + 15, 14, 4, plate);
  const int arm = alt ? 3 : 0;
  c.Fill(ox + 3, oy + 14 + arm, 4, 8, hide);
  c.Fill(ox + 25, oy + 17 - arm, 4, 8, hide);
  c.Fill(ox + 10 + (alt ? 1 : 0), oy + 25, 4, 3, hide);
  c.Fill(ox + 18 - (alt ? 1 : 0), oy + 25, 4, 3, hide);
}

// Kind 2: a giant cave spider.
void Spider(Canvas& c, int ox, int oy, bool alt) {
  const Colour body = Rgb(70, 30, 90), leg = Rgb(110, 60, 130);
  Ring(c, ox, oy, kEnemyRing);
  for (int i = 0; i < 4; ++i) {
    const int y = 12 + i * 4;
    const int lift = (i % 2 == 0) == alt ? -2 : 2;
    c.Line(ox + 12, oy + y, ox + 4, oy + y - 3 + lift, leg);
    c.Line(ox + 4, oy + y - 3 + lift, ox + 2, oy + y + 4 + lift, leg);
    c.Line(ox + 20, oy + y, ox + 28, oy + y - 3 - lift, leg);
    c.Line(ox + 28, oy + y - 3 - lift, ox + 30, oy + y + 4 - lift, leg);
  }
  c.FillEllipse(ox + 16, oy + 20, 7, 6, body);
  c.FillEllipse(ox + 16, oy + 11, 5, 4, body);
  c.Set(ox + 16, oy + 19, Rgb(230, 60, 60));  // mark
  c.Fill(ox + 15, oy + 21, 3, 1, Rgb(230, 60, 60));
  c.Set(ox + 14, oy + 10, kEye);
  c.Set(ox + 18, oy + 10, kEye);
  c.Set(ox + 15, oy + 9, kEye);
  c.Set(ox + 17, oy + 9, kEye);
}

// Kind 3: a skeleton warrior with a sword.
void Skeleton(Canvas& c, int ox, int oy, bool alt) {
  const Colour bone = Rgb(235, 230, 210), dark = Rgb(40, 40, 50);
  Ring(c, ox, oy, kFriendRing);
  c.FillEllipse(ox + 16, oy + 7, 5, 5, bone);
  c.Fill(ox + 13, oy + 6, 2, 2, dark);
  c.Fill(ox + 17, oy + 6, 2, 2, dark);
  c.Fill(ox + 14, oy + 11, 4, 1, dark);
  c.Fill(ox + 15, oy + 13, 2, 10, bone);                                 // spine
  for (int y = 14; y < 21; y += 2) c.Fill(ox + 12, oy + y, 8, 1, bone);  // ribs
  const int step = alt ? 2 : 0;
  c.Line(ox + 15, oy + 22, ox + 12 - step, oy + 28, bone);
  c.Line(ox + 16, oy + 22, ox + 20 + step, oy + 28, bone);
  c.Line(ox + 12, oy + 14, ox + 8, oy + 20, bone);
  // Sword up or forward, with a cyan gleam.
  if (alt) {
    c.Line(ox + 20, oy + 14, ox + 29, oy + 12, Rgb(180, 230, 255));
  } else {
    c.Line(ox + 20, oy + 14, ox + 26, oy + 4, Rgb(180, 230, 255));
  }
  c.Line(ox + 19, oy + 15, ox + 21, oy + 13, Rgb(150, 110, 50));
}

// Kind 4: a small winged demon.
void Demon(Canvas& c, int ox, int oy, bool alt) {
  const Colour skin = Rgb(200, 40, 160), wing = Rgb(120, 20, 110);
  Ring(c, ox, oy, kFriendRing);
  const int flap = alt ? 5 : 0;
  for (int i = 0; i < 8; ++i) {
    c.Line(ox + 12, oy + 14, ox + 2, oy + 6 + flap + i, wing);
    c.Line(ox + 20, oy + 14, ox + 30, oy + 6 + flap + i, wing);
  }
  c.FillEllipse(ox + 16, oy + 17, 5, 7, skin);
  c.FillEllipse(ox + 16, oy + 9, 4, 4, skin);
  c.Line(ox + 13, oy + 6, ox + 11, oy + 2, Rgb(255, 220, 120));  // horns
  c.Line(ox + 19, oy + 6, ox + 21, oy + 2, Rgb(255, 220, 120));
  c.Set(ox + 14, oy + 9, Rgb(255, 255, 120));
  c.Set(ox + 18, oy + 9, Rgb(255, 255, 120));
  c.Line(ox + 18, oy + 23, ox + 24, oy + 26, skin);  // tail
  c.Fill(ox + 23, oy + 25, 2, 2, Rgb(255, 220, 120));
}

// Kind 5: a green wyrm, coiled.
void Wyrm(Canvas& c, int ox, int oy, bool alt) {
  const Colour scale = Rgb(40, 160, 60), belly = Rgb(190, 210, 90);
  Ring(c, ox, oy, kFriendRing);
  const int sway = alt ? 2 : -2;
  for (int i = 0; i < 14; ++i) {
    const double t = i / 13.0;
    const int x = static_cast<int>(std::lround(6 + 20 * t));
    const int y = static_cast<int>(std::lround(22 + sway * std::sin(t * 6.28)));
    c.FillEllipse(ox + x, oy + y, 3, 3, scale);
    c.Set(ox + x, oy + y + 2, belly);
  }
  c.FillEllipse(ox + 24, oy + 10, 6, 5, scale);
  c.Fill(ox + 26, oy + 12, 5, 2, belly);  // jaw
  c.Set(ox + 24, oy + 8, Rgb(255, 230, 40));
  c.Line(ox + 21, oy + 6, ox + 18, oy + 2, scale);  // horn
  if (alt) {                                        // breathing fire
    c.Fill(ox + 30, oy + 11, 2, 2, Rgb(255, 160, 30));
    c.Set(ox + 31, oy + 10, Rgb(255, 230, 60));
  }
  c.Line(ox + 22, oy + 15, ox + 24, oy + 19, scale);
}

// ---- Big pictures ------------------------------------------------------

// Dark dungeon masonry behind the big pictures, tinted.
void DungeonBackdrop(Canvas& c, int r, int g, int b) {
  for (int y = 0; y < c.Height(); ++y) {
    for (int x = 0; x < c.Width(); ++x) {
      const int row = y / 24;
      const int shift = row % 2 == 0 ? 0 : 24;
      const bool mortar = y % 24 == 23 || (x + shift) % 48 == 47;
      const int speck = static_cast<int>(Noise(x, y, 3) % 9) - 4;
      // Darker towards the edges, like torchlight in the middle.
      const double dx = (x - 400) / 400.0, dy = (y - 300) / 300.0;
      const int vignette = static_cast<int>(-30 * (dx * dx + dy * dy));
      c.Set(x, y, mortar ? Shade(r / 3, g / 3, b / 3, vignette / 2) : Shade(r, g, b, speck + vignette));
    }
  }
}

void Torch(Canvas& c, int x, int y) {
  c.Fill(x - 3, y, 6, 26, Rgb(100, 60, 30));
  c.Fill(x - 6, y - 2, 12, 4, Rgb(90, 90, 100));
  for (int r = 22; r > 0; r -= 2) {
    const float a = 0.06f;
    for (int j = -r; j <= r; ++j) {
      for (int i = -r; i <= r; ++i) {
        if (i * i + j * j <= r * r) c.Blend(x + i, y - 10 + j, Rgb(255, 150, 40), a);
      }
    }
  }
  c.FillEllipse(x, y - 8, 5, 8, Rgb(255, 140, 30));
  c.FillEllipse(x, y - 6, 3, 5, Rgb(255, 230, 120));
}

void Scaled(Canvas& c, const Canvas& sprite, int x, int y, int scale) {
  for (int j = 0; j < sprite.Height(); ++j) {
    for (int i = 0; i < sprite.Width(); ++i) {
      const Colour p = sprite.At(i, j);
      if ((p >> 24) != 0) c.Fill(x + i * scale, y + j * scale, scale, scale, p);
    }
  }
}

Canvas Sprite(void (*draw)(Canvas&, int, int, bool), bool alt) {
  Canvas s(32, 32, kClear);
  draw(s, 0, 0, alt);
  return s;
}

const Colour kGold = Rgb(255, 210, 70);
const Colour kShadow = Rgb(12, 8, 10);
const Colour kPale = Rgb(235, 225, 200);

}  // namespace

Canvas TileSheetPicture() {
  Canvas sheet(128, 128, kClear);
  auto cell = [](int n) { return std::pair<int, int>{(n % 4) * 32, (n / 4) * 32}; };
  Wall(sheet, cell(0).first, cell(0).second);
  Entrance(sheet, cell(1).first, cell(1).second);
  Floor(sheet, cell(2).first, cell(2).second);
  Mage(sheet, cell(3).first, cell(3).second);
  void (*creatures[])(Canvas&, int, int, bool) = {Goblin, Troll, Spider, Skeleton, Demon, Wyrm};
  for (int kind = 0; kind < 6; ++kind) {
    for (int frame = 0; frame < 2; ++frame) {
      auto [x, y] = cell(4 + kind * 2 + frame);
      creatures[kind](sheet, x, y, frame == 1);
    }
  }
  return sheet;
}

Canvas TitlePicture() {
  Canvas c(800, 600, Rgb(20, 18, 26));
  DungeonBackdrop(c, 52, 48, 66);
  Torch(c, 110, 250);
  Torch(c, 690, 250);
  c.ShadowText("CRYPTVENTURE", 400, 70, 10, kGold, kShadow);
  c.ShadowText("VERTEIDIGE DIE GRUFT!", 400, 170, 4, kPale, kShadow);

  Canvas mage(32, 32, kClear);
  Mage(mage, 0, 0);
  Scaled(c, mage, 400 - 96, 215, 6);
  Scaled(c, Sprite(Goblin, false), 124, 330, 3);
  Scaled(c, Sprite(Troll, true), 20, 330, 3);
  Scaled(c, Sprite(Skeleton, false), 580, 330, 3);
  Scaled(c, Sprite(Wyrm, true), 684, 330, 3);

  c.Fill(124, 426, 552, 64, Rgb(24, 20, 30));
  c.ShadowText(
      "TIPPE ZAUBERSPR\xDC"
      "CHE UND DR\xDC"
      "CKE ENTER",
      400, 440, 2, kPale, kShadow);
  c.ShadowText("Z.B. BESCHWOERE SKELETT ODER FEUERBALL NAME", 400, 464, 2, kPale, kShadow);
  c.ShadowText(
      "DR\xDC"
      "CKE EINE TASTE",
      400, 530, 5, Rgb(120, 230, 255), kShadow);
  return c;
}

Canvas LostPicture() {
  Canvas c(800, 600, Rgb(30, 8, 8));
  DungeonBackdrop(c, 70, 24, 24);
  c.ShadowText("VERLOREN", 400, 60, 12, Rgb(255, 70, 50), kShadow);
  c.ShadowText("DER MAGIER IST GEFALLEN", 400, 170, 3, kPale, kShadow);
  c.ShadowText("BESIEGTE ANGREIFER", 400, 232, 3, kPale, kShadow);
  // A plain plate under the kill count in the middle.
  c.Fill(300, 262, 200, 56, Rgb(60, 50, 48));
  c.Fill(304, 266, 192, 48, Rgb(28, 22, 22));
  // The fallen mage's hat and staff.
  Canvas mage(32, 32, kClear);
  Mage(mage, 0, 0);
  for (int j = 0; j < 32; ++j) {
    for (int i = 0; i < 32; ++i) {
      const Colour p = mage.At(i, j);
      // Lying on its side: rotate a quarter turn.
      if ((p >> 24) != 0) c.Fill(400 - 96 + (31 - j) * 6, 340 + i * 4, 6, 4, p);
    }
  }
  c.ShadowText(
      "DR\xDC"
      "CKE EINE TASTE",
      400, 540, 4, kPale, kShadow);
  return c;
}

Canvas WonPicture() {
  Canvas c(800, 600, Rgb(20, 30, 20));
  DungeonBackdrop(c, 40, 62, 44);
  Torch(c, 110, 280);
  Torch(c, 690, 280);
  c.ShadowText("GEWONNEN", 400, 60, 12, kGold, kShadow);
  c.ShadowText("DIE GRUFT IST SICHER!", 400, 170, 4, kPale, kShadow);
  Canvas mage(32, 32, kClear);
  Mage(mage, 0, 0);
  Scaled(c, mage, 400 - 96, 230, 6);
  // Stars of victory around the mage.
  for (int i = 0; i < 12; ++i) {
    const double a = i * 3.14159265 / 6;
    const int x = 400 + static_cast<int>(std::lround(200 * std::cos(a)));
    const int y = 330 + static_cast<int>(std::lround(130 * std::sin(a)));
    c.Fill(x - 1, y - 6, 3, 13, kGold);
    c.Fill(x - 6, y - 1, 13, 3, kGold);
  }
  c.ShadowText(
      "DR\xDC"
      "CKE EINE TASTE",
      400, 540, 4, kPale, kShadow);
  return c;
}

}  // namespace art
