#include "process/internal/command_line.h"

#include <string>

namespace vtl::process_internal {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

}  // namespace

std::optional<std::vector<String>> SplitCommandLine(const String& line) {
  const std::u16string_view text = line.View();
  std::vector<String> args;
  std::u16string arg;
  bool inArg = false;  // an argument has begun, even if it is still empty ("")
  size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i++];
    if (IsBlank(c)) {
      if (inArg) args.emplace_back(std::u16string_view(arg));
      arg.clear();
      inArg = false;
    } else if (c == u'\'') {
      const size_t close = text.find(u'\'', i);
      if (close == std::u16string_view::npos) return std::nullopt;
      arg.append(text.substr(i, close - i));
      i = close + 1;
      inArg = true;
    } else if (c == u'"') {
      inArg = true;
      for (;;) {
        if (i >= text.size()) return std::nullopt;
        const char16_t d = text[i++];
        if (d == u'"') break;
        if (d == u'\\' && i < text.size()) {
          const char16_t e = text[i];
          if (e == u'\n') {
            ++i;
            continue;
          }
          if (e == u'\\' || e == u'"' || e == u'$' || e == u'`') {
            arg.push_back(e);
            ++i;
            continue;
          }
        }
        arg.push_back(d);
      }
    } else if (c == u'\\' && i < text.size()) {
      const char16_t e = text[i++];
      if (e == u'\n') continue;  // joins the lines, as in a shell
      arg.push_back(e);
      inArg = true;
    } else {
      arg.push_back(c);
      inArg = true;
    }
  }
  if (inArg) args.emplace_back(std::u16string_view(arg));
  return args;
}

}  // namespace vtl::process_internal
