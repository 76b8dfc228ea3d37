// Splitting a command line into its arguments the way a shell user writes
// them, without anything a shell would expand.
#pragma once

#include <optional>
#include <vector>

#include "runtime/string.h"

namespace vtl::process_internal {

// Arguments are separated by blanks (space, tab, line feed, carriage return).
// Inside single quotes every character stands for itself; inside double
// quotes a backslash escapes only \ " $ ` and a line end; elsewhere it
// escapes any character. A backslash before a line end joins the lines, and
// "" or '' make an empty argument. Nothing else is special: no variables,
// wildcards, command substitution or redirection. Empty for a quote left open.
std::optional<std::vector<String>> SplitCommandLine(const String& line);

}  // namespace vtl::process_internal
