/// \file
/// Name look-up for IPv4 hosts. Addresses are ints with the first dotted
/// number in the top byte (127.0.0.1 is 0x7F000001).
#pragma once

#include <cstdint>

#include "runtime/array.h"
#include "runtime/string.h"

namespace vtl {

/// Every IPv4 address of the host name, in the order the resolver gives them;
/// an empty array when the name does not resolve to any, and LastErrorText
/// says why ("Unknown host 'x': Name or service not known"). A dotted
/// address resolves to itself.
Ref<Array<int32_t>> HostIps(const String& name);
/// Element index of HostIps(name), or 0 when index is negative or past the end.
int32_t HostIp(const String& name, int32_t index = 0);
/// The name the reverse look-up gives for ip, or "" when there is none.
String HostNameOf(int32_t ip);
/// The four bytes of ip from the top down, in decimal, joined by ".".
String DottedIp(int32_t ip);

}  // namespace vtl
