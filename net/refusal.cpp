#include "net/internal/refusal.h"

#include <cstring>

#include "net/host_names.h"
#include "runtime/last_error.h"

namespace vtl {

void Refuse(const std::string& what) { SetLastErrorText(String::FromUtf8(what)); }

void Refuse(const std::string& what, int error) {
  char buffer[256];
  // The GNU strerror_r: thread-safe, answers a text that may not be buffer.
  const char* words = strerror_r(error, buffer, sizeof buffer);
  Refuse(what + ": " + words);
}

std::string AddressText(int32_t ip, int32_t port) { return DottedIp(ip).ToUtf8() + ":" + std::to_string(port); }

// Built by appending: g++ 12 warns wrongly (-Wrestrict) about a literal
// added to a temporary string in optimised builds.
std::string Quoted(const String& name) {
  std::string quoted = "'";
  quoted += name.ToUtf8();
  quoted += '\'';
  return quoted;
}

}  // namespace vtl
