// A fixture for tests of hosts on 127.0.0.1: it starts a listener and
// closes every host it made in TearDown, so that an assertion that ends a
// test early leaves no host, port or object behind for the tests after it
// (objects refer to their host, so a host is let go only when closed).
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "gnet_loopback_support.h"

namespace vtl::test {

class GNetHostsTest : public ::testing::Test {
 protected:
  // A listening host on a free port; the test is not run without one.
  void SetUp() override;
  // Closes every host made, the last first.
  void TearDown() override;

  // A new host connected to the listener, closed at TearDown; Null when it
  // cannot connect. Every host made so far syncs meanwhile.
  Ref<TGNetHost> Join();
  // Connects raw to the listener and pumps every host until the listener
  // holds one more peer; false when it does not within two seconds.
  bool JoinRaw(RawClient& raw);
  // Closes host at TearDown too (one made by the test itself).
  Ref<TGNetHost> Keep(Ref<TGNetHost> host);

  int32_t port = 0;
  Ref<TGNetHost> listener;
  // Every host made, the listener first.
  std::vector<Ref<TGNetHost>> hosts;
};

}  // namespace vtl::test
