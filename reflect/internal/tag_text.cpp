#include "reflect/internal/tag_text.h"

#include "runtime/string_ops.h"

namespace vtl::detail {

MetaSplit SplitMetaData(std::string_view tagged) {
  size_t open = tagged.find('{');
  if (open == std::string_view::npos) return {std::string(tagged), {}};
  std::string_view rest = tagged.substr(open + 1);
  if (!rest.empty()) rest.remove_suffix(1);
  return {std::string(tagged.substr(0, open)), std::string(rest)};
}

MethodTag SplitMethodTag(std::string_view tag) {
  MethodTag out;
  if (tag.empty() || tag.front() != '(') return out;
  int depth = 0;
  std::string current;
  for (size_t i = 1; i < tag.size(); ++i) {
    char c = tag[i];
    if (c == '(') ++depth;
    if (c == ')' && depth-- == 0) {
      if (!current.empty() || !out.args.empty()) out.args.push_back(current);
      out.result = std::string(tag.substr(i + 1));
      out.valid = true;
      return out;
    }
    if (c == ',' && depth == 0) {
      out.args.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  return out;  // no closing parenthesis
}

namespace {

bool IsBlank(char16_t c) { return c == u' '; }

}  // namespace

String MetaDataValue(const String& meta, const String& key) {
  if (key.IsEmpty()) return meta;
  const std::u16string_view text = meta.View();
  const String wanted = LowerString(key);
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    size_t keyStart = i;
    while (i < text.size() && !IsBlank(text[i]) && text[i] != u'=') ++i;
    String name(text.substr(keyStart, i - keyStart));
    if (i >= text.size() || text[i] != u'=') continue;  // a word without a value
    ++i;
    size_t valueStart = i;
    size_t valueEnd;
    if (i < text.size() && text[i] == u'"') {
      valueStart = ++i;
      while (i < text.size() && text[i] != u'"') ++i;
      valueEnd = i;
      if (i < text.size()) ++i;  // the closing quote
    } else {
      while (i < text.size() && !IsBlank(text[i])) ++i;
      valueEnd = i;
    }
    if (LowerString(name) == wanted) return String(text.substr(valueStart, valueEnd - valueStart));
  }
  return String();
}

}  // namespace vtl::detail
