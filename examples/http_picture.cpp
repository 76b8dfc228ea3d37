// A picture loaded over http, no window: the program serves a PNG it made
// itself from a child process on 127.0.0.1, then loads it by name with
// LoadPixmapUrl("http::127.0.0.1:<port>/picture.png"), exactly as it would
// load a file. The server side shows the socket layer: a listening TSocket,
// Accept, and a TSocketStream that reads the request's lines and writes the
// reply.
//   example_http_picture
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "framework/framework.h"

namespace {

using namespace vtl;

// Answers one request with the PNG in the bank, whatever file it asks for.
void ServeOnce(const Ref<TSocket>& listener, const Ref<TBank>& png) {
  Ref<TSocket> client = listener->Accept(10000);
  if (client == nullptr) return;
  Ref<TSocketStream> stream = TSocketStream::Create(client, 1);
  PrintLine("the server was asked: " + stream->ReadLine());
  while (!stream->Eof() && !stream->ReadLine().IsEmpty()) {
  }  // the other request lines, up to the empty one
  stream->WriteLine("HTTP/1.0 200 OK");
  stream->WriteLine("Content-Type: image/png");
  stream->WriteLine("Content-Length: " + StringFromInt(png->Size()));
  stream->WriteLine("");
  stream->WriteBytes(png->Buf(), png->Size());
  stream->Close();
}

void Main() {
  InitFramework();
  // A 40 x 30 picture: red grows to the right, blue downwards.
  Ref<TPixmap> picture = NewPixmap(40, 30, FMT_RGBA8888);
  for (int32_t y = 0; y < 30; ++y)
    for (int32_t x = 0; x < 40; ++x) picture->WritePixel(x, y, 0xFF000000u | uint32_t(x * 6) << 16 | uint32_t(y * 8));
  Ref<TBank> png = TBank::Create(0);
  if (!SavePixmapPNG(picture, Ref<Object>(png))) RuntimeError("the picture cannot be saved as PNG");

  // Port 0: the system picks a free one, which LocalPort then tells.
  Ref<TSocket> listener = TSocket::CreateTCP();
  if (listener == nullptr || !listener->Bind(0) || !listener->Listen(1)) RuntimeError("cannot listen");
  std::fflush(stdout);
  const pid_t server = fork();
  if (server == 0) {
    ServeOnce(listener, png);
    std::fflush(stdout);
    _exit(0);  // the child leaves without the parent's at-exit work
  }
  const String url = "http::127.0.0.1:" + StringFromInt(listener->LocalPort()) + "/picture.png";
  listener->Close();  // the child holds its own copy of the handle

  Ref<TPixmap> loaded = LoadPixmapUrl(url);
  waitpid(server, nullptr, 0);
  if (loaded == nullptr) RuntimeError(url + " gave no picture");
  int32_t differ = 0;
  for (int32_t y = 0; y < 30; ++y)
    for (int32_t x = 0; x < 40; ++x) differ += loaded->ReadPixel(x, y) != picture->ReadPixel(x, y);
  PrintLine("loaded over http: " + StringFromInt(loaded->width) + " x " + StringFromInt(loaded->height) + ", " +
            (differ == 0 ? String("the same pixels") : StringFromInt(differ) + " pixels differ"));
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
