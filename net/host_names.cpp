#include "net/host_names.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/internal/refusal.h"

namespace vtl {

Ref<Array<int32_t>> HostIps(const String& name) {
  std::vector<int32_t> ips;
  const std::string host = name.ToUtf8();
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;  // one entry per address, not one per socket type
  addrinfo* found = nullptr;
  // A name with a zero code in it would be looked up cut short: refuse it.
  if (host.empty() || host.find('\0') != std::string::npos) {
    Refuse("Unknown host " + Quoted(name));
  } else if (const int status = getaddrinfo(host.c_str(), nullptr, &hints, &found); status != 0) {
    Refuse("Unknown host " + Quoted(name) + ": " + gai_strerror(status));
  } else {
    for (addrinfo* a = found; a; a = a->ai_next) {
      if (a->ai_family != AF_INET || a->ai_addrlen < sizeof(sockaddr_in)) continue;
      const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
      ips.push_back(static_cast<int32_t>(ntohl(in->sin_addr.s_addr)));
    }
    freeaddrinfo(found);
    if (ips.empty()) Refuse("Host " + Quoted(name) + " has no IPv4 address");
  }
  auto result = NewArray<int32_t>({static_cast<int32_t>(ips.size())});
  for (size_t i = 0; i < ips.size(); ++i) (*result)[static_cast<int32_t>(i)] = ips[i];
  return result;
}

int32_t HostIp(const String& name, int32_t index) {
  Ref<Array<int32_t>> ips = HostIps(name);
  if (index >= 0 && index < ips->Length()) return (*ips)[index];
  if (ips->Length() > 0) Refuse("Host " + Quoted(name) + " has no address number " + std::to_string(index));
  return 0;
}

String HostNameOf(int32_t ip) {
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = htonl(static_cast<uint32_t>(ip));
  char host[NI_MAXHOST];
  if (const int status =
          getnameinfo(reinterpret_cast<const sockaddr*>(&in), sizeof in, host, sizeof host, nullptr, 0, NI_NAMEREQD);
      status != 0) {
    Refuse("No host name for " + DottedIp(ip).ToUtf8() + ": " + gai_strerror(status));
    return String();
  }
  return String::FromLatin1(host, static_cast<int32_t>(std::strlen(host)));
}

String DottedIp(int32_t ip) {
  const auto u = static_cast<uint32_t>(ip);
  return String::FromLatin1(std::to_string(u >> 24) + "." + std::to_string((u >> 16) & 255) + "." +
                            std::to_string((u >> 8) & 255) + "." + std::to_string(u & 255));
}

}  // namespace vtl
