// The "http" protocol: against python3's http.server (a server nobody here
// wrote), against small servers of the test's own that record the request or
// misbehave, and a PNG loaded through the pixmap loader chain.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <string>

#include "image/image.h"
#include "net/net.h"
#include "socket_test_servers.h"
#include "stream/stream.h"
#include "test_file_helpers.h"

namespace vtl {
namespace {

using Clock = std::chrono::steady_clock;

class NetHttpStream : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitNet();
    InitImage();
  }
  void SetUp() override {
    savedRead_ = SocketReadTimeout;
    // Bounded, yet long enough for a python server on a busy machine.
    SocketReadTimeout = 5000;
  }
  // For the servers that misbehave, so that their tests end soon.
  static void ShortReadTimeOut() { SocketReadTimeout = 400; }
  void TearDown() override { SocketReadTimeout = savedRead_; }

 private:
  int32_t savedRead_ = 0;
};

String Port(int32_t port) { return String(std::to_string(port).c_str()); }

std::string ReadAll(const Ref<TStream>& stream) {
  std::string all;
  while (!stream->Eof()) {
    char buf[256];
    const int32_t n = stream->Read(buf, sizeof buf);
    if (n <= 0) break;
    all.append(buf, static_cast<size_t>(n));
  }
  return all;
}

// A folder under the test temporary directory holding one file.
std::string FolderWith(const std::string& name, const std::string& bytes) {
  const std::string folder = test::TempPath("www");
  mkdir(folder.c_str(), 0700);
  test::WriteFile(folder + "/" + name, test::Bytes(bytes.begin(), bytes.end()));
  return folder;
}

TEST_F(NetHttpStream, BodyFromPythonsHttpServer) {
  const std::string body = "first line\r\nsecond line\n\0binary\xff" + std::string(5000, 'z');
  test::PythonHttpServer server(FolderWith("file.bin", body));
  if (server.Port() == 0) GTEST_SKIP() << "python3 -m http.server could not be started";
  const String host = "127.0.0.1:" + Port(server.Port());
  Ref<TStream> stream = OpenReadStream("http::" + host + "/file.bin");
  ASSERT_TRUE(stream);
  EXPECT_EQ(ReadAll(stream), body);
  // The status is not examined: a missing file gives the server's error page.
  Ref<TStream> missing = OpenReadStream("http::" + host + "/no-such-file");
  ASSERT_TRUE(missing);
  EXPECT_NE(ReadAll(missing).find("404"), std::string::npos);
}

TEST_F(NetHttpStream, PngOverHttpLoadsPixelExact) {
  Ref<TPixmap> picture = TPixmap::Create(13, 7, FMT_RGBA8888);
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 0; x < 13; ++x)
      picture->WritePixel(x, y,
                          static_cast<uint32_t>((x * 19 + y * 250) << 24 | (x * 20) << 16 | (y * 36) << 8 | (x ^ y)));
  const std::string folder = test::TempPath("www");
  mkdir(folder.c_str(), 0700);
  ASSERT_EQ(SavePixmapPNG(picture, String::FromLatin1(folder + "/x.png"), 9), 1);
  test::PythonHttpServer server(folder);
  if (server.Port() == 0) GTEST_SKIP() << "python3 -m http.server could not be started";

  Ref<TPixmap> loaded = LoadPixmapUrl("http::127.0.0.1:" + Port(server.Port()) + "/x.png");
  ASSERT_TRUE(loaded);
  ASSERT_EQ(loaded->width, 13);
  ASSERT_EQ(loaded->height, 7);
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 0; x < 13; ++x) EXPECT_EQ(loaded->ReadPixel(x, y), picture->ReadPixel(x, y)) << x << "," << y;
  // Something that is no picture is refused as from a file.
  EXPECT_EQ(LoadPixmapUrl("http::127.0.0.1:" + Port(server.Port()) + "/"), nullptr);
}

TEST_F(NetHttpStream, RequestLinesAndHostAsWritten) {
  std::string request;
  test::LoopbackServer server([&request](int connection, const test::LoopbackServer&) {
    request = test::ReadRequest(connection);
    test::SendAll(connection,
                  "HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\nX-Empty:\r\n\r\nthe body\r\n\r\nmore");
  });
  const String host = "127.0.0.1:" + Port(server.Port());
  for (const char* path : {"/a/b.png?x=1", ""}) {
    Ref<TStream> stream = OpenReadStream("http::" + host + path);
    ASSERT_TRUE(stream);
    EXPECT_EQ(ReadAll(stream), "the body\r\n\r\nmore");  // the body starts after the first empty line
    stream->Close();
    const std::string file = *path ? path : "/";
    EXPECT_EQ(request, "GET " + file + " HTTP/1.0\r\nHost: " + host.ToUtf8() + "\r\n\r\n");
  }
}

TEST_F(NetHttpStream, NamesThatWouldAddRequestLinesAreRefusedBeforeConnecting) {
  std::atomic<int> connections{0};
  test::LoopbackServer server([&connections](int, const test::LoopbackServer&) { ++connections; });
  const String host = "127.0.0.1:" + Port(server.Port());
  EXPECT_EQ(OpenReadStream("http::" + host + "/a\r\nX-Added: 1"), nullptr);
  EXPECT_EQ(OpenReadStream("http::" + host + String(u"/a\u010AX-Added: 1")), nullptr);  // low byte 10
  EXPECT_EQ(OpenReadStream("http::" + host + "/a b"), nullptr);
  EXPECT_EQ(OpenReadStream("http::127.0.0.1\n:" + Port(server.Port()) + "/"), nullptr);
  usleep(100000);
  EXPECT_EQ(connections, 0);
}

TEST_F(NetHttpStream, HeadersWithoutEndGiveNullAfterABoundedRead) {
  ShortReadTimeOut();
  // One server sends header lines for ever, one a status line that never
  // ends, one stops halfway through its headers and closes.
  const std::string line = "X-Pad: " + std::string(200, 'a') + "\r\n";
  auto endlessLines = [&line](int connection, const test::LoopbackServer& server) {
    test::SendAll(connection, "HTTP/1.0 200 OK\r\n");
    while (!server.Stopping() && test::SendAll(connection, line)) {
    }
  };
  auto endlessStatus = [](int connection, const test::LoopbackServer& server) {
    while (!server.Stopping() && test::SendAll(connection, std::string(1000, 'H'))) {
    }
  };
  auto cutShort = [](int connection, const test::LoopbackServer&) {
    test::SendAll(connection, "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n");
  };
  for (const test::LoopbackServer::Handler& handler :
       {test::LoopbackServer::Handler(endlessLines), test::LoopbackServer::Handler(endlessStatus),
        test::LoopbackServer::Handler(cutShort)}) {
    test::LoopbackServer server(handler);
    const auto start = Clock::now();
    EXPECT_EQ(OpenReadStream("http::127.0.0.1:" + Port(server.Port()) + "/"), nullptr);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  }
}

TEST_F(NetHttpStream, ServerThatNeverAnswersEndsAfterTheReadTimeOut) {
  ShortReadTimeOut();
  test::LoopbackServer silent;  // the connection completes, nobody ever reads or answers
  const auto start = Clock::now();
  EXPECT_EQ(OpenReadStream("http::127.0.0.1:" + Port(silent.Port()) + "/a.png"), nullptr);
  EXPECT_EQ(LoadPixmapUrl("http::127.0.0.1:" + Port(silent.Port()) + "/a.png"), nullptr);
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(2 * 400));
  EXPECT_LT(waited, std::chrono::seconds(5));
}

TEST_F(NetHttpStream, ServerThatStopsMidBodyGivesNullPixmapNotAnError) {
  ShortReadTimeOut();
  // Headers, then half a picture, then silence: the loader chain reads what
  // came, hits the read time-out and refuses.
  const test::Bytes png = [] {
    Ref<TPixmap> p = TPixmap::Create(64, 64, FMT_RGB888);
    p->ClearPixels(0);
    const std::string path = test::TempPath("half.png");
    SavePixmapPNG(p, String::FromLatin1(path), 0);
    return test::ReadFile(path);
  }();
  test::LoopbackServer server([&png](int connection, const test::LoopbackServer& self) {
    test::ReadRequest(connection);
    test::SendAll(connection, "HTTP/1.0 200 OK\r\n\r\n" + std::string(png.begin(), png.begin() + png.size() / 2));
    while (!self.Stopping()) usleep(10000);
  });
  const auto start = Clock::now();
  EXPECT_EQ(LoadPixmapUrl("http::127.0.0.1:" + Port(server.Port()) + "/half.png"), nullptr);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST_F(NetHttpStream, PictureFromAServerThatClosesLateLoads) {
  // The whole file, then a pause before the close: the loader chain is
  // already waiting for more when the end arrives.
  Ref<TPixmap> picture = TPixmap::Create(16, 16, FMT_RGB888);
  picture->ClearPixels(0);
  picture->WritePixel(3, 4, 0xFF123456);
  const std::string path = test::TempPath("late.png");
  ASSERT_EQ(SavePixmapPNG(picture, String::FromLatin1(path), 1), 1);
  const test::Bytes png = test::ReadFile(path);
  test::LoopbackServer server([&png](int connection, const test::LoopbackServer&) {
    test::ReadRequest(connection);
    test::SendAll(connection, "HTTP/1.0 200 OK\r\n\r\n" + std::string(png.begin(), png.end()));
    usleep(150000);
  });
  Ref<TPixmap> loaded = LoadPixmapUrl("http::127.0.0.1:" + Port(server.Port()) + "/late.png");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->ReadPixel(3, 4), 0xFF123456u);
  EXPECT_EQ(loaded->ReadPixel(4, 3), 0xFF000000u);
}

// Replies sent in random pieces over loopback, the body framed by a length,
// in chunks (handed on as they are: the stream gives the bytes that follow
// the head) or by the close: the body arrives exact.
TEST_F(NetHttpStream, BodiesArriveExactHoweverTheReplyIsSplit) {
  std::mt19937 rng(5);
  for (int round = 0; round < 24; ++round) {
    std::string body;
    for (size_t n = rng() % 20000; n > 0; --n) body += static_cast<char>(rng());
    std::string head = "HTTP/1.0 200 OK\r\n";
    for (int i = 0; i < 100; ++i) head += "X-" + std::to_string(i) + ": value\r\n";
    switch (round % 3) {
      case 0: head += "Content-Length: " + std::to_string(body.size()) + "\r\n"; break;
      case 1:
        head += "Transfer-Encoding: chunked\r\n";
        body = "10\r\n0123456789abcdef\r\n0\r\n\r\n";
        break;
      default: break;
    }
    const std::string reply = head + "\r\n" + body;
    std::vector<size_t> cuts;
    for (int k = 0; k < 6; ++k) cuts.push_back(rng() % reply.size());
    std::sort(cuts.begin(), cuts.end());
    test::LoopbackServer server([&](int connection, const test::LoopbackServer&) {
      test::ReadRequest(connection);
      int one = 1;
      setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      size_t from = 0;
      for (size_t cut : cuts) {
        test::SendAll(connection, reply.substr(from, cut - from));
        from = cut;
        usleep(2000);
      }
      test::SendAll(connection, reply.substr(from));
    });
    Ref<TStream> stream = OpenReadStream("http::127.0.0.1:" + Port(server.Port()) + "/");
    ASSERT_TRUE(stream) << "round " << round;
    EXPECT_EQ(ReadAll(stream), body) << "round " << round;
    stream->Close();
  }
}

TEST_F(NetHttpStream, NamesThatCannotBeOpened) {
  EXPECT_EQ(OpenReadStream("http::"), nullptr);
  EXPECT_EQ(OpenReadStream("http::/a.png"), nullptr);
  EXPECT_EQ(OpenReadStream("http::127.0.0.1:0/a.png"), nullptr);
  EXPECT_EQ(OpenReadStream("http::127.0.0.1:99999999999/a.png"), nullptr);
}

}  // namespace
}  // namespace vtl
