// UserDataDirectory: where it points for each environment, that it makes the
// folder, and that no name leads out of the data folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "runtime/runtime.h"

namespace {

namespace fs = std::filesystem;

// Sets (or unsets, with nullopt) an environment variable for one test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class UserData : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("user_data_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // The message UserDataDirectory refuses with, or "" when it did not.
  static std::string Refusal(const vtl::String& organisation, const vtl::String& application) {
    try {
      vtl::UserDataDirectory(organisation, application);
    } catch (const vtl::ThrownObject& thrown) {
      return thrown.what();
    }
    return "";
  }

  fs::path root_;
};

TEST_F(UserData, FollowsXdgDataHomeAndMakesTheFolder) {
  ScopedEnv xdg("XDG_DATA_HOME", (root_ / "data").string());
  const vtl::String dir = vtl::UserDataDirectory("Zwölf Zwerge", "Höhle");
  const fs::path want = root_ / "data" / "Zwölf Zwerge" / "Höhle";  // the names as UTF-8
  EXPECT_EQ(dir.ToLatin1(), want.string());
  ASSERT_TRUE(fs::is_directory(want));
  EXPECT_EQ(fs::status(want).permissions() & fs::perms::all, fs::perms::owner_all);
  std::ofstream(want / "highscore.dat") << "42";
  // Asking again finds the same folder and leaves what is in it.
  EXPECT_EQ(vtl::UserDataDirectory("Zwölf Zwerge", "Höhle"), dir);
  EXPECT_TRUE(fs::exists(want / "highscore.dat"));
}

TEST_F(UserData, FallsBackToHomeWhenXdgIsUnsetEmptyOrRelative) {
  ScopedEnv home("HOME", root_.string());
  const std::string want = (root_ / ".local/share/Org/App").string();
  for (std::optional<std::string> xdg :
       {std::optional<std::string>(), std::optional<std::string>(""), std::optional<std::string>("relative/data")}) {
    ScopedEnv set("XDG_DATA_HOME", xdg);
    EXPECT_EQ(vtl::UserDataDirectory("Org", "App").ToLatin1(), want) << xdg.value_or("(unset)");
  }
  EXPECT_TRUE(fs::is_directory(want));
  EXPECT_FALSE(fs::exists("relative"));
}

TEST_F(UserData, SaysWhyWhenTheFolderCannotBeMade) {
  // Permission bits do not stop root: a folder under a regular file, and one
  // in /proc, cannot be made by anyone.
  std::ofstream(root_ / "plain-file") << "x";
  {
    ScopedEnv xdg("XDG_DATA_HOME", (root_ / "plain-file" / "data").string());
    const std::string why = Refusal("Org", "App");
    EXPECT_NE(why.find("cannot make the folder"), std::string::npos) << why;
    EXPECT_NE(why.find("plain-file"), std::string::npos) << why;
  }
  {
    ScopedEnv xdg("XDG_DATA_HOME", "/proc/vantorel-data");
    const std::string why = Refusal("Org", "App");
    EXPECT_NE(why.find("/proc/vantorel-data"), std::string::npos) << why;
  }
  {
    ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
    ScopedEnv home("HOME", std::nullopt);
    EXPECT_NE(Refusal("Org", "App").find("neither XDG_DATA_HOME nor HOME"), std::string::npos);
  }
}

TEST_F(UserData, RefusesNamesThatLeaveTheDataFolder) {
  ScopedEnv xdg("XDG_DATA_HOME", (root_ / "data").string());
  const char16_t withZero[] = {u'a', 0, u'b'};
  // U+012F would become "/" if the name were cut to single bytes.
  const char16_t wideSlash[] = {u'x', 0x012F, u'y'};
  const std::pair<vtl::String, const char*> hostile[] = {{"", "empty"},
                                                         {".", "not a folder name"},
                                                         {"..", "not a folder name"},
                                                         {"../escaped", "path separator"},
                                                         {"a/b", "path separator"},
                                                         {"/abs", "path separator"},
                                                         {"a\\b", "path separator"},
                                                         {std::u16string_view(withZero, 3), "zero code"}};
  for (const auto& [name, why] : hostile) {
    EXPECT_NE(Refusal(name, "App").find(why), std::string::npos) << "organisation " << name.ToUtf8();
    EXPECT_NE(Refusal("Org", name).find(why), std::string::npos) << "application " << name.ToUtf8();
  }
  // Nothing was made for any of them, inside the data folder or beside it.
  EXPECT_FALSE(fs::exists(root_ / "data"));
  EXPECT_FALSE(fs::exists(root_ / "escaped"));
  const vtl::String dir = vtl::UserDataDirectory(std::u16string_view(wideSlash, 3), "App");
  EXPECT_EQ(fs::path(dir.ToLatin1()).parent_path().parent_path(), root_ / "data");
}

}  // namespace
