// The pure parts of the requesters: filter lists and URL completion.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "runtime/runtime.h"
#include "system/internal/requesters.h"

namespace {

std::u16string Text(const vtl::String& s) { return std::u16string(s.View()); }

TEST(FileFilter, BuildsDescriptionsAndPatterns) {
  EXPECT_EQ(Text(vtl::BuildFileFilter("Image Files:png,jpg;Text:txt")),
            std::u16string(u"Image Files\0*.png;*.jpg\0Text\0*.txt\0\0", 36));
  EXPECT_EQ(Text(vtl::BuildFileFilter("bmp,tga")), std::u16string(u"Files\0*.bmp;*.tga\0\0", 19));
  EXPECT_EQ(vtl::BuildFileFilter("").Length(), 0);

  auto filters = vtl::SplitFileFilter(vtl::BuildFileFilter("Image Files:png,jpg;Text:txt"));
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].description, "Image Files");
  EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.png", "*.jpg"}));
  EXPECT_EQ(filters[1].description, "Text");
  EXPECT_EQ(filters[1].patterns, (std::vector<std::string>{"*.txt"}));
  EXPECT_TRUE(vtl::SplitFileFilter("").empty());
}

TEST(FileFilter, InitialFilterIsTheGroupListingTheExtension) {
  const char* groups = "Images:png,JPG;Text:txt,log;Sound:wav";
  EXPECT_EQ(vtl::InitialFilterIndex(groups, "pics/title.png"), 1);
  EXPECT_EQ(vtl::InitialFilterIndex(groups, "pics/title.jpg"), 1);  // case does not matter
  EXPECT_EQ(vtl::InitialFilterIndex(groups, "notes.TXT"), 2);
  EXPECT_EQ(vtl::InitialFilterIndex(groups, "c:\\notes\\a.log"), 2);
  EXPECT_EQ(vtl::InitialFilterIndex(groups, "boom.wav"), 3);  // the last group too
  EXPECT_EQ(vtl::InitialFilterIndex(groups, "boom.mp3"), 0);
  EXPECT_EQ(vtl::InitialFilterIndex(groups, "noextension"), 0);
  EXPECT_EQ(vtl::InitialFilterIndex(groups, "my.dir/noextension"), 0);  // a dot in a folder is no extension
  EXPECT_EQ(vtl::InitialFilterIndex(groups, "title.pn"), 0);            // whole extensions only
  EXPECT_EQ(vtl::InitialFilterIndex("", "a.png"), 0);
}

TEST(ShellUrl, CompletesBareNames) {
  EXPECT_EQ(vtl::CompleteShellUrl("HTTP://example.org/x").ToUtf8(), "HTTP://example.org/x");
  EXPECT_EQ(vtl::CompleteShellUrl("File:/tmp").ToUtf8(), "File:/tmp");
  EXPECT_EQ(vtl::CompleteShellUrl("www.example.org/page#top").ToUtf8(), "http:www.example.org/page#top");
  EXPECT_EQ(vtl::CompleteShellUrl("").ToUtf8(), "http:");

  auto dir = std::filesystem::temp_directory_path() / "vtl_system_url_test";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "doc.html") << "x";
  std::string full = (dir / "doc.html").string();
  EXPECT_EQ(vtl::CompleteShellUrl(vtl::String::FromUtf8(full + "#part")).ToUtf8(), "file:" + full + "#part");
  auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  EXPECT_EQ(vtl::CompleteShellUrl("doc.html").ToUtf8(), "file:" + full);
  EXPECT_EQ(vtl::CompleteShellUrl("missing.html").ToUtf8(), "http:missing.html");
  std::filesystem::current_path(previous);
  std::filesystem::remove_all(dir);
}

}  // namespace
