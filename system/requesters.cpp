#include "system/internal/requesters.h"

#include <filesystem>
#include <system_error>

#include "runtime/string_ops.h"

namespace vtl {

namespace {

String Zero() { return String(std::u16string_view(u"\0", 1)); }

}  // namespace

String BuildFileFilter(const String& extensions) {
  if (extensions.IsEmpty()) return String();
  String filter;
  if (FindString(extensions, ":") < 0) {
    filter = String("Files") + Zero() + "*." + extensions;
  } else {
    filter = ReplaceString(extensions, ":", Zero() + "*.");
  }
  filter = ReplaceString(filter, ";", Zero());
  filter = ReplaceString(filter, ",", ";*.");
  // Each item ends with a zero, and the list with a second one.
  return filter + Zero() + Zero();
}

int32_t InitialFilterIndex(const String& extensions, const String& path) {
  String name = ReplaceString(path, "\\", "/");
  int32_t slash = -1;
  for (int32_t i = 0; i < name.Length(); ++i) {
    if (name[i] == u'/') slash = i;
  }
  name = MidChars(name, slash + 2);
  int32_t dot = FindString(name, ".");
  if (dot < 0) return 0;
  String probe = String(",") + LowerString(MidChars(name, dot + 2)) + ",";
  // Commas around every extension, the first and last included.
  String list = LowerString(extensions);
  list = ReplaceString(list, ":", ":,");
  list = ReplaceString(list, ";", ",;");
  list = String(",") + list + ",";
  int32_t found = FindString(list, probe);
  if (found < 0) return 0;
  int32_t group = 1;
  for (int32_t i = 0; i < found; ++i) {
    if (list[i] == u';') ++group;
  }
  return group;
}

std::vector<FileFilter> SplitFileFilter(const String& builtFilter) {
  std::vector<std::string> items;
  std::u16string_view rest = builtFilter.View();
  while (!rest.empty()) {
    size_t end = rest.find(u'\0');
    if (end == 0) break;  // the list's closing zero
    if (end == std::u16string_view::npos) end = rest.size();
    items.push_back(String(rest.substr(0, end)).ToUtf8());
    rest = end < rest.size() ? rest.substr(end + 1) : std::u16string_view();
  }
  std::vector<FileFilter> filters;
  for (size_t i = 0; i + 1 < items.size(); i += 2) {
    FileFilter filter{items[i], {}};
    const std::string& patterns = items[i + 1];
    size_t start = 0;
    while (start <= patterns.size()) {
      size_t end = patterns.find(';', start);
      if (end == std::string::npos) end = patterns.size();
      if (end > start) filter.patterns.push_back(patterns.substr(start, end - start));
      start = end + 1;
    }
    filters.push_back(std::move(filter));
  }
  return filters;
}

String CompleteShellUrl(const String& url) {
  String scheme = LowerString(LeftChars(url, 5));
  if (scheme == "http:" || scheme == "file:") return url;
  int32_t hash = FindString(url, "#");
  String anchor = hash < 0 ? String() : MidChars(url, hash + 1);
  String rest = hash < 0 ? url : LeftChars(url, hash);
  if (!rest.IsEmpty()) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(rest.ToUtf8()), error);
    if (!error && std::filesystem::exists(full, error) && !error) {
      return String("file:") + String::FromUtf8(full.lexically_normal().string()) + anchor;
    }
  }
  return String("http:") + rest + anchor;
}

}  // namespace vtl
