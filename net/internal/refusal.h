// Why a call of this library refused: every call that answers 0 or the Null
// object for a failure records the reason in the thread's LastErrorText, in
// words a person understands, with the system's own words where it gave any.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/string.h"

namespace vtl {

/// Records what as the reason for the refusal.
void Refuse(const std::string& what);
/// Records what, ": " and the system's words for error (an errno value).
void Refuse(const std::string& what, int error);
/// "127.0.0.1:80": an address (first number in the top byte) and a port.
std::string AddressText(int32_t ip, int32_t port);
/// A name as the caller wrote it, in single quotes.
std::string Quoted(const String& name);

}  // namespace vtl
