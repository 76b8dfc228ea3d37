/// \file
/// The text forms reflection reads from class records: "tag{meta}" splits,
/// method tags "(args)result", and metadata values by key.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/string.h"

namespace vtl::detail {

/// A name or tag with its metadata split off.
struct MetaSplit {
  std::string text;  ///< before the first "{"
  std::string meta;  ///< after it, without the last character; "" if none
};
/// Splits "text{meta}".
MetaSplit SplitMetaData(std::string_view tagged);

/// A method tag's parts.
struct MethodTag {
  std::vector<std::string> args;  ///< argument tags in order
  std::string result;             ///< result tag, "" for none
  bool valid = false;             ///< false when the text is no method tag
};
/// Splits "(a,b)r"; commas inside nested parentheses stay with their argument.
MethodTag SplitMethodTag(std::string_view tag);

/// The value for key in metadata such as `max=100 unit="hit points"`, "" when
/// absent; an empty key gives the whole text. Keys compare without regard to
/// case; an unquoted value ends at the next blank, a quoted one at its
/// closing quote.
String MetaDataValue(const String& meta, const String& key);

}  // namespace vtl::detail
