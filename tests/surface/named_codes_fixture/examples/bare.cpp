// What check_named_codes.cmake must refuse: each line below is named.
constexpr int32_t kKeyFire = 32;
void Frame() {
  if (vtl::TakeKeyHits(27)) return;
  if (vtl::ButtonIsDown(1)) return;
  auto font = vtl::LoadImageFontUrl("a.ttf", 18, 4);
  auto plain = vtl::LoadImageFontUrl("a.ttf", 18, 0);  // style 0 is no style: passes
  if (vtl::TakeTypedChar() == 8) return;               // a character code: passes
}
