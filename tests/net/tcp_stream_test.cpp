// Socket streams through the "tcp" protocol against an echo server started by
// the test: bytes round trip, the port rules, and the end of the stream.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "net/net.h"
#include "socket_test_servers.h"

namespace vtl {
namespace {

class NetTcpStream : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitNet(); }
};

// Sends back every byte until the client closes.
void Echo(int connection, const test::LoopbackServer& server) {
  char buf[4096];
  while (!server.Stopping()) {
    const ssize_t n = recv(connection, buf, sizeof buf, 0);
    if (n <= 0 || !test::SendAll(connection, std::string(buf, static_cast<size_t>(n)))) return;
  }
}

// Sends the text and closes.
test::LoopbackServer::Handler SayAndClose(std::string text) {
  return [text](int connection, const test::LoopbackServer&) { test::SendAll(connection, text); };
}

String TcpUrl(const char* host, int32_t port) {
  return String("tcp::") + host + ":" + String(std::to_string(port).c_str());
}

TEST_F(NetTcpStream, BytesRoundTripThroughTheEchoServer) {
  test::LoopbackServer echo(Echo);
  for (const char* host : {"127.0.0.1", "localhost"}) {
    Ref<TStream> stream = OpenStreamUrl(TcpUrl(host, echo.Port()));
    ASSERT_TRUE(stream) << host;
    ASSERT_TRUE(DowncastObject<TSocketStream>(stream));
    EXPECT_EQ(stream->Pos(), -1);  // a socket cannot tell its position
    stream->WriteInt(0x12345678);
    stream->WriteLine("a line");
    std::string block(100000, 'x');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7);
    // Written and read in turns, so neither side's buffers fill up.
    std::string back(block.size(), '\0');
    EXPECT_EQ(stream->ReadInt(), 0x12345678);
    EXPECT_EQ(stream->ReadLine(), "a line");
    for (size_t at = 0; at < block.size(); at += 10000) {
      stream->WriteBytes(block.data() + at, 10000);
      stream->ReadBytes(back.data() + at, 10000);
    }
    EXPECT_EQ(back, block);
    stream->Close();
    EXPECT_EQ(stream->Eof(), 1);
  }
}

TEST_F(NetTcpStream, ThePeerClosingEndsTheStreamAfterItsLastByte) {
  test::LoopbackServer server(SayAndClose("bye"));
  Ref<TSocketStream> stream = DowncastObject<TSocketStream>(OpenReadStream(TcpUrl("127.0.0.1", server.Port())));
  ASSERT_TRUE(stream);
  Ref<TSocket> socket = stream->Socket();
  EXPECT_EQ(stream->ReadString(3), "bye");
  // The other side's close shows at the next Eof, which closes the stream and its socket.
  bool ended = false;
  for (int i = 0; i < 400 && !ended; ++i) {
    ended = stream->Eof() == 1;
    if (!ended) usleep(5000);
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(stream->Socket(), nullptr);
  EXPECT_EQ(socket->Socket(), -1);
  uint8_t byte = 0;
  EXPECT_EQ(stream->Read(&byte, 1), 0);
  EXPECT_EQ(stream->Write(&byte, 1), 0);
}

TEST_F(NetTcpStream, ACloseThatComesWhileAReadWaitsIsTheEndNotAnError) {
  // The reader has taken "abc" and waits for more when the close arrives.
  test::LoopbackServer server([](int connection, const test::LoopbackServer&) {
    test::SendAll(connection, "abc");
    usleep(150000);
  });
  Ref<TStream> stream = OpenReadStream(TcpUrl("127.0.0.1", server.Port()));
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->ReadString(10), "abc");
  EXPECT_EQ(stream->Eof(), 1);
}

TEST_F(NetTcpStream, WhatCannotConnectIsNullNotAnError) {
  test::LoopbackServer server(Echo);
  // A closed port (the server's, once it has gone), a port past 16 bits that
  // would wrap round to the server's, text for a port, and a name that does
  // not resolve.
  int32_t closedPort;
  {
    test::LoopbackServer gone;
    closedPort = gone.Port();
  }
  EXPECT_EQ(OpenStreamUrl(TcpUrl("127.0.0.1", closedPort)), nullptr);
  EXPECT_EQ(OpenStreamUrl(TcpUrl("127.0.0.1", server.Port() + 65536)), nullptr);
  EXPECT_EQ(OpenStreamUrl(TcpUrl("127.0.0.1", server.Port()) + "000000000"), nullptr);
  EXPECT_EQ(OpenStreamUrl("tcp::127.0.0.1:http"), nullptr);
  EXPECT_EQ(OpenStreamUrl("tcp::"), nullptr);
  EXPECT_EQ(TSocketStream::CreateClient("", server.Port()), nullptr);
  // Upper case protocol names reach the factory too.
  EXPECT_TRUE(OpenStreamUrl(String("TCP::127.0.0.1:") + String(std::to_string(server.Port()).c_str())));
}

TEST_F(NetTcpStream, AStreamThatDoesNotOwnItsSocketLeavesItOpen) {
  test::LoopbackServer echo(Echo);
  Ref<TSocketStream> owner = TSocketStream::CreateClient("127.0.0.1", echo.Port());
  ASSERT_TRUE(owner);
  Ref<TSocket> socket = owner->Socket();
  Ref<TSocketStream> borrower = TSocketStream::Create(socket, 0);
  borrower->WriteByte(42);
  EXPECT_EQ(owner->ReadByte(), 42);
  borrower->Close();
  EXPECT_EQ(borrower->Eof(), 1);
  EXPECT_GE(socket->Socket(), 0);
  owner->Close();
  EXPECT_EQ(socket->Socket(), -1);
}

TEST_F(NetTcpStream, ASilentServerEndsReadsAfterTheReadTimeOut) {
  test::LoopbackServer silent;  // never accepts, never sends
  const int32_t saved = SocketReadTimeout;
  SocketReadTimeout = 200;
  Ref<TStream> stream = OpenReadStream(TcpUrl("127.0.0.1", silent.Port()));
  SocketReadTimeout = saved;
  ASSERT_TRUE(stream);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(stream->ReadInt(), ThrownObject);  // a read error, not a wait without end
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

}  // namespace
}  // namespace vtl
