/// \file
/// The pure parts of the requesters and the shell: the file-filter list, the
/// filter to start on, and completing a bare name to a URL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/string.h"

namespace vtl {

/// "Image Files:png,jpg;Text:txt" becomes "Image Files\0*.png;*.jpg\0Text\0*.txt\0\0"
/// (a text without ":" gets the description "Files"); empty stays empty.
String BuildFileFilter(const String& extensions);
/// The group (counted from 1) that lists the extension of the path's file
/// name, or 0 when none does.
int32_t InitialFilterIndex(const String& extensions, const String& path);

/// One filter for the file chooser: description and its patterns.
struct FileFilter {
  std::string description;            ///< "Image Files".
  std::vector<std::string> patterns;  ///< "*.png", "*.jpg".
};
/// Splits a built filter list back into its pairs.
std::vector<FileFilter> SplitFileFilter(const String& builtFilter);

/// "http:" or "file:" URLs (any case) stay as they are; a name of an existing
/// file or folder becomes "file:" + its full path (+ anchor), anything else
/// "http:" + the text (+ anchor).
String CompleteShellUrl(const String& url);

}  // namespace vtl
