#include "gnet_hosts_fixture.h"

namespace vtl::test {

void GNetHostsTest::SetUp() {
  listener = Keep(ListeningHost(port));
  ASSERT_NE(listener, nullptr);
}

void GNetHostsTest::TearDown() {
  for (auto host = hosts.rbegin(); host != hosts.rend(); ++host) CloseNetHost(*host);
  hosts.clear();
}

Ref<TGNetHost> GNetHostsTest::Join() { return Keep(ConnectedHost(port, hosts)); }

bool GNetHostsTest::JoinRaw(RawClient& raw) {
  const int32_t peers = listener->Peers()->Count() + 1;
  raw.Connect(port);
  return PumpUntil(hosts, {&raw}, [&] { return raw.connected && listener->Peers()->Count() == peers; });
}

Ref<TGNetHost> GNetHostsTest::Keep(Ref<TGNetHost> host) {
  if (host != nullptr) hosts.push_back(host);
  return host;
}

}  // namespace vtl::test
