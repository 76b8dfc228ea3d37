// A refusal says why: a connect, a stream open or a networked host that
// answers 0 or Null leaves the reason in LastErrorText, with the system's own
// words and what was asked for.
#include <gtest/gtest.h>

#include <string>

#include "gnet_loopback_support.h"
#include "net/net.h"
#include "runtime/last_error.h"
#include "socket_test_servers.h"
#include "stream/stream.h"

namespace vtl {
namespace {

class NetRefusalReason : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitNet(); }
  void SetUp() override { ClearLastErrorText(); }
};

std::string Number(int32_t n) { return std::to_string(n); }

// A port on 127.0.0.1 that nobody listens on now.
int32_t ClosedTcpPort() {
  test::LoopbackServer gone;
  return gone.Port();
}

TEST_F(NetRefusalReason, ARefusedConnectNamesTheAddressAndTheSystemsReason) {
  const int32_t port = ClosedTcpPort();
  const std::string expected = "Cannot connect to 127.0.0.1:" + Number(port) + ": Connection refused";
  EXPECT_EQ(TSocket::CreateTCP()->Connect(0x7F000001, port), 0);
  EXPECT_EQ(LastErrorText().ToUtf8(), expected);

  ClearLastErrorText();
  EXPECT_EQ(OpenStreamUrl(String::FromUtf8("tcp::127.0.0.1:" + Number(port))), nullptr);
  EXPECT_EQ(LastErrorText().ToUtf8(), expected);

  ClearLastErrorText();
  EXPECT_EQ(OpenReadStream(String::FromUtf8("http::127.0.0.1:" + Number(port) + "/x.png")), nullptr);
  EXPECT_EQ(LastErrorText().ToUtf8(), expected);

  EXPECT_EQ(TSocket::CreateTCP()->Connect(0x7F000001, 70000), 0);
  EXPECT_EQ(LastErrorText().ToUtf8(), "Cannot connect to 127.0.0.1:70000: no such port (ports run from 1 to 65535)");
}

TEST_F(NetRefusalReason, AnHttpErrorStatusOrAReplyCutShortIsNamed) {
  test::LoopbackServer missing([](int connection, const test::LoopbackServer&) {
    test::ReadRequest(connection);
    test::SendAll(connection, "HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\n\r\nno such file");
  });
  const std::string name = "http::127.0.0.1:" + Number(missing.Port()) + "/x.png";
  Ref<TStream> body = OpenReadStream(String::FromUtf8(name));
  ASSERT_NE(body, nullptr);  // the error page is still the stream's content
  EXPECT_EQ(LastErrorText().ToUtf8(), "HTTP server answered 404 Not Found for " + name);
  body->Close();

  test::LoopbackServer cutShort([](int connection, const test::LoopbackServer&) {
    test::ReadRequest(connection);
    test::SendAll(connection, "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n");
  });
  const std::string shortName = "http::127.0.0.1:" + Number(cutShort.Port()) + "/";
  EXPECT_EQ(OpenReadStream(String::FromUtf8(shortName)), nullptr);
  EXPECT_EQ(LastErrorText().ToUtf8(), "HTTP reply for " + shortName + " ended before its headers did");
}

TEST_F(NetRefusalReason, ANetworkedHostThatCannotConnectOrListenSaysWhy) {
  int32_t port = 0;
  auto listener = test::ListeningHost(port);
  ASSERT_NE(listener, nullptr);
  auto second = NewNetHost();
  EXPECT_EQ(NetHostListen(second, port), 0);
  EXPECT_EQ(LastErrorText().ToUtf8(), "GNet cannot listen on port " + Number(port) + ": Address already in use");
  CloseNetHost(listener);  // nobody listens there now

  auto host = NewNetHost();
  EXPECT_EQ(NetHostConnect(host, "127.0.0.1", port, 1), 0);
  EXPECT_EQ(LastErrorText().ToUtf8(), "GNet cannot connect to 127.0.0.1:" + Number(port) + ": no answer within 1 ms");
}

}  // namespace
}  // namespace vtl
