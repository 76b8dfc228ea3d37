// The real cryptventure binary under the X server in DISPLAY, driven with
// xdotool and watched through the window's pixels.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/framework.h"
#include "game/game.h"
#include "graphics/graphics.h"
#include "x11_grab.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The game as a child process, its standard error kept in a file.
class GameProcess {
 public:
  // `withoutVariables` names environment variables the child does not get.
  explicit GameProcess(const std::string& exe, const std::vector<std::string>& withoutVariables = {})
      : errFile_(fs::temp_directory_path() / ("cv_err_" + std::to_string(getpid()))) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
    std::vector<char*> env;
    for (char** e = environ; *e; ++e) {
      bool dropped = false;
      for (const std::string& name : withoutVariables) dropped |= std::string(*e).rfind(name + "=", 0) == 0;
      if (!dropped) env.push_back(*e);
    }
    env.push_back(nullptr);
    if (posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv, env.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~GameProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove(errFile_, ignored);
  }
  bool Started() const { return pid_ > 0; }
  // The exit code, or -1000 when it did not end within the time.
  int WaitExit(int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -2000;
      }
      Pause(20);
    }
    return -1000;
  }
  std::string ErrorText() const {
    std::ifstream in(errFile_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  pid_t pid_ = -1;
  fs::path errFile_;
};

int Shell(const std::string& command) { return std::system(command.c_str()); }

uint32_t Pixel(const vtl::Ref<vtl::TPixmap>& p, int x, int y) { return p->ReadPixel(x, y); }

// Largest channel difference between two pixels.
int Diff(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift : {16, 8, 0}) {
    worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  }
  return worst;
}

// Share of pixels of a w x h block that match, within a small tolerance.
double Match(const vtl::Ref<vtl::TPixmap>& a, int ax, int ay, const vtl::Ref<vtl::TPixmap>& b, int bx, int by, int w,
             int h) {
  int same = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) same += Diff(Pixel(a, ax + x, ay + y), Pixel(b, bx + x, by + y)) <= 6;
  }
  return static_cast<double>(same) / (w * h);
}

std::string GameDir() { return fs::path(CRYPTVENTURE_EXE).parent_path().string(); }

vtl::Ref<vtl::TPixmap> LoadPicture(const std::string& name) {
  return vtl::LoadPixmapUrl(vtl::String::FromLatin1(GameDir() + "/" + name));
}

// Polls the game window until `accept` likes its pixels.
template <class Accept>
bool WaitForScreen(unsigned long& window, int timeoutMs, Accept accept) {
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < end) {
    if (!window) window = shot::FindWindowByName("CryptVenture");
    if (window) {
      vtl::Ref<vtl::TPixmap> screen = shot::GrabWindow(window);
      if (screen && screen->width == 800 && screen->height == 600 && accept(screen)) return true;
    }
    Pause(100);
  }
  return false;
}

// The mana line as the game draws it, rendered here with the same code in
// a window of our own: yellow text in the built-in font on a blue box.
vtl::Ref<vtl::TPixmap> ManaLineReference(int32_t mana) {
  vtl::ApplicationTitle = "Reference";
  vtl::OpenGraphics(800, 600, 0, 60, 0);
  vtl::ClearBackBuffer();
  game::SetDrawState(255, 255, 0, 1.0f, 0);
  game::DrawBoxedText(vtl::StringFromInt(mana) + " von 100 Mana", 400, 500);
  vtl::Ref<vtl::TPixmap> grab = vtl::GrabScreenPixmap(0, 480, 800, 40);
  vtl::CloseOpenedGraphics();
  return grab;
}

// The map screen in play, drawn in this process by one Ren2D driver: the
// dungeon set up as after the title, a few frames at chosen clock times (the
// first attacker comes in the third), grabbed as the last frame is shown.
vtl::Ref<vtl::TPixmap> MapScreenOn(const vtl::Ref<vtl::TRen2DDriver>& driver) {
  static vtl::Ref<vtl::TPixmap> shown;
  const auto grab = [](int32_t, const vtl::Ref<vtl::Object>&, const vtl::Ref<vtl::Object>&) -> vtl::Ref<vtl::Object> {
    shown = vtl::GrabScreenPixmap(0, 0, 800, 600);
    return nullptr;
  };
  vtl::InstallGraphicsDriver(driver, vtl::GraphicsFlagBackBuffer);
  if (!vtl::OpenGraphics(800, 600, 0, 60, 0)) return nullptr;
  game::ResetGameState();
  vtl::SeedRandom(20240601);
  vtl::FlushInput();
  game::TileSheet = vtl::LoadAnimatedImage(vtl::String::FromLatin1(GameDir() + "/gfx.png"), 32, 32, 0, 16, -1);
  vtl::RestoreData(game::MapData);
  game::SetUpDungeon(5000);
  vtl::InstallHook(vtl::FlipHookId, grab, nullptr, 0);
  for (int32_t now : {5017, 9000, 15001, 15600, 17000}) game::PlayFrame(now);
  vtl::UninstallHook(vtl::FlipHookId, grab, nullptr);
  const bool drawn_by_driver = vtl::CurrentRen2DDriver == driver;
  vtl::CloseOpenedGraphics();
  game::UnitList->Clear();
  game::Player = nullptr;
  vtl::Ref<vtl::TPixmap> screen = shown;
  shown = nullptr;
  return drawn_by_driver ? screen : nullptr;
}

class DisplayGame : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { vtl::InitFramework(); }
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
  }
};

}  // namespace

TEST_F(DisplayGame, TitleMapTypedSummonAndEscape) {
  vtl::Ref<vtl::TPixmap> mana50 = ManaLineReference(50), mana40 = ManaLineReference(40);
  ASSERT_TRUE(mana50 && mana40);
  ASSERT_LT(Match(mana50, 0, 0, mana40, 0, 0, 800, 40), 1.0) << "the two references must differ";
  vtl::Ref<vtl::TPixmap> title = LoadPicture("T.png"), sheet = LoadPicture("gfx.png");
  ASSERT_TRUE(title && sheet);

  GameProcess game(CRYPTVENTURE_EXE);
  ASSERT_TRUE(game.Started());
  unsigned long window = 0;
  ASSERT_TRUE(WaitForScreen(window, 15000, [&](auto& s) { return Match(s, 0, 0, title, 0, 0, 800, 600) > 0.99; }))
      << "the title picture never showed";

  ASSERT_EQ(Shell("xdotool key shift"), 0);
  // Every map tile not covered by a unit or its labels shows its cell of gfx.png.
  vtl::Ref<vtl::TPixmap> map;
  ASSERT_TRUE(WaitForScreen(window, 5000, [&](auto& s) {
    map = s;
    return Match(s, 0, 480, mana50, 0, 0, 800, 40) > 0.99;
  })) << "the game never showed the mana line";
  vtl::RestoreData(game::MapData);
  int32_t matching = 0;
  for (int32_t y = 0; y < 15; ++y) {
    for (int32_t x = 0; x < 25; ++x) {
      const int32_t code = vtl::ReadDataInt();
      matching += Match(map, x * 32, y * 32, sheet, code * 32, 0, 32, 32) > 0.99;
    }
  }
  EXPECT_GE(matching, 340) << "four units and their labels cover a few tiles, no more";

  ASSERT_EQ(Shell("xdotool type --delay 40 'beschwoere skelett'"), 0);
  ASSERT_EQ(Shell("xdotool key Return"), 0);
  EXPECT_TRUE(WaitForScreen(window, 5000, [&](auto& s) { return Match(s, 0, 480, mana40, 0, 0, 800, 40) > 0.99; }))
      << "the mana line should read 40 von 100 Mana";

  ASSERT_EQ(Shell("xdotool key Escape"), 0);
  EXPECT_EQ(game.WaitExit(10000), 0) << game.ErrorText();
}

// The shader drivers draw the game's map screen, units, labels and status
// lines included, with exactly the OpenGL driver's pixels.
TEST_F(DisplayGame, MapScreenInPlayIsTheSameOnEveryDriver) {
  vtl::Ref<vtl::TPixmap> gl = MapScreenOn(vtl::TheGLRen2DDriver());
  if (!gl) GTEST_SKIP() << "VTL_REN2D_DRIVER chose another driver";
  vtl::Ref<vtl::TPixmap> sheet = LoadPicture("gfx.png");
  ASSERT_TRUE(sheet);
  vtl::RestoreData(game::MapData);
  int32_t tiles = 0;  // a screen of the map, not an empty one
  for (int32_t y = 0; y < 15; ++y)
    for (int32_t x = 0; x < 25; ++x) tiles += Match(gl, x * 32, y * 32, sheet, vtl::ReadDataInt() * 32, 0, 32, 32) == 1;
  EXPECT_GE(tiles, 330);
  for (const vtl::Ref<vtl::TGL3Ren2DDriver>& driver : {vtl::TheGL3Ren2DDriver(), vtl::TheGLES3Ren2DDriver()}) {
    vtl::Ref<vtl::TPixmap> other = MapScreenOn(driver);
    ASSERT_NE(other, nullptr) << driver->ToString();
    int32_t differing = 0;
    std::string where;
    for (int32_t y = 0; y < 600; ++y)
      for (int32_t x = 0; x < 800; ++x)
        if ((Pixel(gl, x, y) & 0xFFFFFFu) != (Pixel(other, x, y) & 0xFFFFFFu) && ++differing <= 4)
          where += " " + std::to_string(x) + "," + std::to_string(y);
    EXPECT_EQ(differing, 0) << driver->ToString() << " differs at" << where;
  }
  vtl::InstallGraphicsDriver(vtl::TheGLRen2DDriver(), vtl::GraphicsFlagBackBuffer);
}

// The map is drawn grouped by tile rather than row by row; on every driver
// that must give exactly the screen the rows give.
TEST_F(DisplayGame, MapDrawnByTileIsTheMapDrawnByRows) {
  for (const vtl::Ref<vtl::TRen2DDriver>& driver :
       {vtl::Ref<vtl::TRen2DDriver>(vtl::TheGLRen2DDriver()), vtl::Ref<vtl::TRen2DDriver>(vtl::TheGL3Ren2DDriver()),
        vtl::Ref<vtl::TRen2DDriver>(vtl::TheGLES3Ren2DDriver())}) {
    vtl::InstallGraphicsDriver(driver, vtl::GraphicsFlagBackBuffer);
    ASSERT_TRUE(vtl::OpenGraphics(800, 600, 0, 60, 0)) << driver->ToString();
    game::ResetGameState();
    game::TileSheet = vtl::LoadAnimatedImage(vtl::String::FromLatin1(GameDir() + "/gfx.png"), 32, 32, 0, 16, -1);
    ASSERT_TRUE(game::TileSheet);
    vtl::RestoreData(game::MapData);
    game::TK::Load();
    vtl::ClearBackBuffer();
    game::TK::Draw();
    vtl::Ref<vtl::TPixmap> grouped = vtl::GrabScreenPixmap(0, 0, 800, 600);
    vtl::ClearBackBuffer();
    for (int32_t y = 0; y < game::kMapHeight; ++y)
      for (int32_t x = 0; x < game::kMapWidth; ++x)
        game::DrawSheetFrame(static_cast<float>(x * game::kTileSize), static_cast<float>(y * game::kTileSize),
                             game::TileMap->At(x, y));
    vtl::Ref<vtl::TPixmap> rows = vtl::GrabScreenPixmap(0, 0, 800, 600);
    vtl::CloseOpenedGraphics();
    ASSERT_TRUE(grouped && rows);
    int32_t differing = 0, drawn = 0;
    for (int32_t y = 0; y < 600; ++y) {
      for (int32_t x = 0; x < 800; ++x) {
        differing += Pixel(grouped, x, y) != Pixel(rows, x, y);
        drawn += (Pixel(rows, x, y) & 0xFFFFFFu) != 0;
      }
    }
    EXPECT_EQ(differing, 0) << driver->ToString();
    EXPECT_GT(drawn, 100000) << driver->ToString() << ": the map was not drawn";
  }
  vtl::InstallGraphicsDriver(vtl::TheGLRen2DDriver(), vtl::GraphicsFlagBackBuffer);
}

TEST_F(DisplayGame, ClosingTheWindowEndsTheGame) {
  GameProcess game(CRYPTVENTURE_EXE);
  ASSERT_TRUE(game.Started());
  unsigned long window = 0;
  ASSERT_TRUE(WaitForScreen(window, 15000, [](auto&) { return true; }));
  Pause(500);
  ASSERT_EQ(Shell("xdotool key shift"), 0);
  Pause(1000);
  ASSERT_TRUE(shot::RequestClose(window));
  EXPECT_EQ(game.WaitExit(10000), 0) << game.ErrorText();
}

TEST_F(DisplayGame, MissingPictureStopsWithItsNameOnStandardError) {
  const fs::path dir = fs::temp_directory_path() / ("cv_missing_" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::copy_file(CRYPTVENTURE_EXE, dir / "cryptventure", fs::copy_options::overwrite_existing);
  GameProcess game((dir / "cryptventure").string());
  ASSERT_TRUE(game.Started());
  const int code = game.WaitExit(15000);
  EXPECT_NE(code, 0);
  EXPECT_NE(code, -1000) << "it should stop, not hang";
  EXPECT_NE(game.ErrorText().find("T.png"), std::string::npos) << game.ErrorText();
  fs::remove_all(dir);
}

// Started where no display can be reached, the game must not wait forever on
// an invisible window: it stops at once, saying why and how to run it.
TEST(GameWithoutDisplay, StopsWithAMessageInsteadOfRunningInvisibly) {
  GameProcess game(CRYPTVENTURE_EXE, {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"});
  ASSERT_TRUE(game.Started());
  EXPECT_EQ(game.WaitExit(15000), 255) << game.ErrorText();
  EXPECT_NE(game.ErrorText().find("No display to open a window on"), std::string::npos) << game.ErrorText();
  EXPECT_NE(game.ErrorText().find("xvfb-run"), std::string::npos) << game.ErrorText();
}
