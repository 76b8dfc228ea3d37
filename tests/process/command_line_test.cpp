// Splitting command lines into arguments: quoting and escapes as a shell user
// writes them, and nothing a shell would expand.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "process/internal/command_line.h"

namespace vtl::process_internal {
namespace {

std::vector<std::string> Split(const char* line) {
  std::optional<std::vector<String>> args = SplitCommandLine(String::FromText(line));
  EXPECT_TRUE(args.has_value()) << line;
  std::vector<std::string> out;
  if (args) {
    for (const String& a : *args) out.push_back(a.ToUtf8());
  }
  return out;
}

using Args = std::vector<std::string>;

TEST(CommandLine, BlanksSeparateAndRunsOfThemCountOnce) {
  EXPECT_EQ(Split("cat  -n\tfile\n"), (Args{"cat", "-n", "file"}));
  EXPECT_EQ(Split("   "), Args{});
  EXPECT_EQ(Split(""), Args{});
}

TEST(CommandLine, QuotesJoinWordsAndMayMakeEmptyArguments) {
  EXPECT_EQ(Split("echo \"a b\" 'c  d'"), (Args{"echo", "a b", "c  d"}));
  EXPECT_EQ(Split("x\"a b\"'c'y"), (Args{"xa bcy"}));  // pieces touching make one argument
  EXPECT_EQ(Split("f \"\" '' g"), (Args{"f", "", "", "g"}));
}

TEST(CommandLine, BackslashEscapesOutsideQuotesAndOnlySomeInsideDoubleQuotes) {
  EXPECT_EQ(Split("a\\ b c\\\\d \\'e"), (Args{"a b", "c\\d", "'e"}));
  EXPECT_EQ(Split("\"q\\\"x\\\\y\\$z\\`w\\n\""), (Args{"q\"x\\y$z`w\\n"}));
  EXPECT_EQ(Split("'a\\b'"), (Args{"a\\b"}));  // nothing is special inside single quotes
  EXPECT_EQ(Split("one\\\ntwo"), (Args{"onetwo"}));
  EXPECT_EQ(Split("end\\"), (Args{"end\\"}));  // a trailing backslash stays
}

TEST(CommandLine, NothingIsExpanded) {
  EXPECT_EQ(Split("ls * ?.txt $HOME $(id) `id` ~ a;b |c >d &"),
            (Args{"ls", "*", "?.txt", "$HOME", "$(id)", "`id`", "~", "a;b", "|c", ">d", "&"}));
}

TEST(CommandLine, QuoteLeftOpenIsRefused) {
  EXPECT_FALSE(SplitCommandLine("echo \"abc").has_value());
  EXPECT_FALSE(SplitCommandLine("echo 'abc").has_value());
  EXPECT_FALSE(SplitCommandLine("echo \"abc\\\"").has_value());  // the escaped quote does not close
}

TEST(CommandLine, CharactersBeyondAsciiPassThrough) {
  EXPECT_EQ(Split("grep 'Größe Ωμέγα'"), (Args{"grep", "Größe Ωμέγα"}));
}

}  // namespace
}  // namespace vtl::process_internal
