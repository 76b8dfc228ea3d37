// Name look-up and TSocket on loopback: addresses, the closed state, a
// connection made and accepted in one thread, a peer that goes away, and the
// connect time-out.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <vector>

#include "net/net.h"
#include "socket_test_servers.h"

namespace vtl {
namespace {

constexpr int32_t kLoopback = 0x7F000001;

class NetSocket : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitNet(); }
};

TEST_F(NetSocket, NamesAndDottedAddresses) {
  EXPECT_EQ(DottedIp(kLoopback), "127.0.0.1");
  EXPECT_EQ(DottedIp(static_cast<int32_t>(0xC0A80AFFu)), "192.168.10.255");  // top bit set: no sign
  EXPECT_EQ(DottedIp(0), "0.0.0.0");
  EXPECT_EQ(HostIp("localhost", 0), kLoopback);
  EXPECT_EQ(HostIp("127.0.0.1", 0), kLoopback);
  EXPECT_EQ(HostIps("127.0.0.1")->Length(), 1);
  EXPECT_EQ(HostIp(HostNameOf(kLoopback), 0), kLoopback);  // the reverse look-up names a host that is us
  // Past the end and before the start give 0, not an element.
  EXPECT_EQ(HostIp("127.0.0.1", 1), 0);
  EXPECT_EQ(HostIp("127.0.0.1", -1), 0);
  // Names that cannot resolve: an empty array and 0. "host:port" is no name.
  EXPECT_EQ(HostIps("")->Length(), 0);
  EXPECT_EQ(HostIp("127.0.0.1:80", 0), 0);
  EXPECT_EQ(HostIp(String(std::u16string_view(u"127.0.0.1\0junk", 14)), 0), 0);  // not cut short at the zero
}

TEST_F(NetSocket, ClosedSocketHasMinusOneEverywhere) {
  Ref<TSocket> socket = TSocket::CreateTCP();
  ASSERT_TRUE(socket);
  ASSERT_EQ(socket->Bind(0), 1);
  EXPECT_GT(socket->LocalPort(), 0);
  socket->Close();
  EXPECT_EQ(socket->Socket(), -1);
  EXPECT_EQ(socket->LocalIp(), -1);
  EXPECT_EQ(socket->LocalPort(), -1);
  EXPECT_EQ(socket->RemoteIp(), -1);
  EXPECT_EQ(socket->RemotePort(), -1);
  EXPECT_EQ(socket->Connected(), 0);
  socket->Close();  // twice is harmless
  // Every operation on a closed socket fails quietly.
  uint8_t byte = 1;
  EXPECT_EQ(socket->Send(&byte, 1, 0), 0);
  EXPECT_EQ(socket->Recv(&byte, 1, 0), 0);
  EXPECT_EQ(socket->Bind(0), 0);
  EXPECT_EQ(socket->Connect(kLoopback, 80), 0);
  EXPECT_EQ(socket->Listen(1), 0);
  EXPECT_EQ(socket->Accept(0), nullptr);
  EXPECT_EQ(socket->ReadAvail(), 0);
  EXPECT_EQ(TSocket::Create(-1, 1), nullptr);
}

TEST_F(NetSocket, ConnectAcceptSendReceiveInOneThread) {
  Ref<TSocket> listener = TSocket::CreateTCP();
  ASSERT_EQ(listener->Bind(0), 1);
  ASSERT_EQ(listener->Listen(4), 1);
  EXPECT_EQ(listener->Accept(0), nullptr);  // nobody is waiting yet

  Ref<TSocket> client = TSocket::CreateTCP();
  ASSERT_EQ(client->Connect(kLoopback, listener->LocalPort()), 1);
  Ref<TSocket> served = listener->Accept(2000);
  ASSERT_TRUE(served);
  EXPECT_EQ(client->RemoteIp(), kLoopback);
  EXPECT_EQ(client->RemotePort(), listener->LocalPort());
  EXPECT_EQ(served->RemotePort(), client->LocalPort());
  EXPECT_EQ(served->LocalPort(), listener->LocalPort());
  client->SetTCPNoDelay(1);

  // Nothing to read yet: still connected. Bytes waiting: connected, and counted.
  EXPECT_EQ(client->Connected(), 1);
  const char hello[] = "hello";
  ASSERT_EQ(client->Send(hello, 5, 0), 5);
  for (int i = 0; i < 200 && served->ReadAvail() < 5; ++i) usleep(5000);
  EXPECT_EQ(served->ReadAvail(), 5);
  EXPECT_EQ(served->Connected(), 1);
  char got[8] = {};
  EXPECT_EQ(served->Recv(got, 8, 0), 5);
  EXPECT_STREQ(got, "hello");
  EXPECT_EQ(served->Recv(got, 0, 0), 0);
  EXPECT_EQ(served->Recv(got, -5, 0), 0);  // a negative count must not become a huge one

  // The client goes: the served side sees it at its next Connected and closes.
  client->Close();
  bool gone = false;
  for (int i = 0; i < 200 && !gone; ++i) {
    gone = served->Connected() == 0;
    if (!gone) usleep(5000);
  }
  EXPECT_TRUE(gone);
  EXPECT_EQ(served->Socket(), -1);
}

// A client waiting makes a listening socket readable with nothing to read;
// that is no closed connection, so a serving loop keeps going.
TEST_F(NetSocket, AListeningSocketStaysConnectedWithClientsWaiting) {
  Ref<TSocket> server = CreateTCPSocket();
  ASSERT_EQ(BindSocket(server, 0), 1);
  ASSERT_EQ(SocketListen(server, 4), 1);
  EXPECT_EQ(SocketConnected(server), 1);
  std::vector<Ref<TSocket>> clients;
  for (int i = 0; i < 3; ++i) {
    clients.push_back(CreateTCPSocket());
    ASSERT_EQ(ConnectSocket(clients.back(), kLoopback, SocketLocalPort(server)), 1);
  }
  int32_t served = 0;
  while (served < 3 && SocketConnected(server)) {
    if (SocketAccept(server, 2000) != nullptr) ++served;
  }
  EXPECT_EQ(served, 3);
  EXPECT_EQ(SocketConnected(server), 1);
  EXPECT_NE(server->Socket(), -1);
  CloseSocket(server);
  EXPECT_EQ(SocketConnected(server), 0);
}

TEST_F(NetSocket, SendingToAPeerThatHasGoneReturnsZeroAndTheProcessLives) {
  Ref<TSocket> listener = TSocket::CreateTCP();
  ASSERT_EQ(listener->Bind(0), 1);
  ASSERT_EQ(listener->Listen(1), 1);
  Ref<TSocket> client = TSocket::CreateTCP();
  ASSERT_EQ(client->Connect(kLoopback, listener->LocalPort()), 1);
  listener->Accept(2000)->Close();
  // The first sends may still be taken; once the reset arrives they fail,
  // and a broken pipe must not raise a signal that ends the process.
  char block[4096] = {};
  int32_t last = 1;
  for (int i = 0; i < 100 && last != 0; ++i) {
    last = client->Send(block, sizeof block, 0);
    usleep(1000);
  }
  EXPECT_EQ(last, 0);
}

TEST_F(NetSocket, PortsOutsideSixteenBitsAreRefusedNotWrapped) {
  test::LoopbackServer server;  // listens, never accepts: a connect still completes
  Ref<TSocket> socket = TSocket::CreateTCP();
  EXPECT_EQ(socket->Connect(kLoopback, server.Port() + 65536), 0);
  EXPECT_EQ(socket->Connect(kLoopback, 0), 0);
  EXPECT_EQ(socket->Connect(kLoopback, -1), 0);
  EXPECT_EQ(socket->Bind(70000), 0);
  EXPECT_EQ(socket->Connect(kLoopback, server.Port()), 1);
}

TEST_F(NetSocket, ConnectGivesUpAfterTheTimeOut) {
  // A backlog of 0 holds one connection; with it full, a further handshake
  // is never answered, as with a host that has stopped answering.
  test::LoopbackServer server(nullptr, 0);
  Ref<TSocket> first = TSocket::CreateTCP();
  ASSERT_EQ(first->Connect(kLoopback, server.Port()), 1);
  const int32_t saved = SocketConnectTimeout;
  SocketConnectTimeout = 300;
  Ref<TSocket> second = TSocket::CreateTCP();
  second->Connect(kLoopback, server.Port());  // may still fit, depending on the kernel
  Ref<TSocket> late = TSocket::CreateTCP();
  const auto start = std::chrono::steady_clock::now();
  const int32_t connected = late->Connect(kLoopback, server.Port());
  const auto waited = std::chrono::steady_clock::now() - start;
  SocketConnectTimeout = saved;
  EXPECT_EQ(connected, 0);
  EXPECT_LT(waited, std::chrono::seconds(3));
}

}  // namespace
}  // namespace vtl
