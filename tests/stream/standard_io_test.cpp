// PrintLine and InputLine through a real child process: the test holds the
// other ends of pipes on the probe's standard input and output, so the
// bytes checked are exactly those that left the process, flushes included.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace {

class Child {
 public:
  explicit Child(std::vector<std::string> args) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    args.insert(args.begin(), TEXT_IO_PROBE);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, TEXT_IO_PROBE, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    toChild_ = in[1];
    fromChild_ = out[0];
  }

  ~Child() {
    CloseInput();
    if (fromChild_ >= 0) ::close(fromChild_);
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  bool Started() const { return pid_ > 0; }

  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(toChild_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
  }

  void CloseInput() {
    if (toChild_ >= 0) ::close(toChild_);
    toChild_ = -1;
  }

  // The next n bytes of its output, or what came before 5 seconds passed
  // without more (a missing flush shows as output that never arrives).
  std::string Receive(size_t n) {
    std::string got;
    char buf[256];
    while (got.size() < n) {
      pollfd p{fromChild_, POLLIN, 0};
      if (::poll(&p, 1, 5000) <= 0) break;
      ssize_t r = ::read(fromChild_, buf, std::min(sizeof buf, n - got.size()));
      if (r <= 0) break;
      got.append(buf, static_cast<size_t>(r));
    }
    return got;
  }

  // The next bytes of its output must be these.
  void Expect(const std::string& want) { EXPECT_EQ(Receive(want.size()), want); }

  // Everything up to the end of its output, and its exit code.
  std::string ReceiveRest() { return Receive(1 << 20); }
  int Wait() {
    int status = 0;
    if (::waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
};

TEST(StandardIO, InputLineShowsItsPromptBeforeWaitingAndPrintLineFlushesEachLine) {
  Child child({"ask", "3"});
  ASSERT_TRUE(child.Started());
  child.Expect("? ");  // flushed while the probe waits for input
  child.Send("first\n");
  child.Expect("5:first\r\n? ");
  child.Send("Zo\xC3\xAB \xCF\x80\r\n");  // UTF-8 in, carriage return dropped
  child.Expect("5:Zo\xC3\xAB \xCF\x80\r\n? ");
  child.CloseInput();  // at the end of input, the empty line
  EXPECT_EQ(child.ReceiveRest(), "0:\r\n");
  EXPECT_EQ(child.Wait(), 0);
}

TEST(StandardIO, LinesFromAPipeAreDecodedAsUtf8AndPrintedBackExactly) {
  Child child({"lines"});
  ASSERT_TRUE(child.Started());
  // A four-byte character, a cut-off sequence before a line feed, an empty
  // line, and a last line with no line end.
  child.Send("a\xF0\x9F\x98\x80z\n\xC3\n\nlast");
  child.CloseInput();
  EXPECT_EQ(child.ReceiveRest(),
            "4:a\xF0\x9F\x98\x80z\r\n"
            "1:\xEF\xBF\xBD\r\n"
            "0:\r\n"
            "4:last\r\n"
            "end\r\n");
  EXPECT_EQ(child.Wait(), 0);
}

// The program's own input opened by name, as a file: a pipe, which cannot
// seek, is read to its end.
TEST(StandardIO, StandardInputOpenedByNameReadsToTheEndOfThePipe) {
  Child lines({"open", "utf8::/dev/stdin"});
  ASSERT_TRUE(lines.Started());
  lines.Send("A\r\nB");
  lines.CloseInput();
  EXPECT_EQ(lines.ReceiveRest(), "1:A\r\n1:B\r\nend\r\n");
  EXPECT_EQ(lines.Wait(), 0);

  Child bank({"bank", "/dev/stdin"});
  ASSERT_TRUE(bank.Started());
  bank.Send("A\r\n");
  bank.CloseInput();
  EXPECT_EQ(bank.ReceiveRest(), "size:3\r\n");
  EXPECT_EQ(bank.Wait(), 0);
}

TEST(StandardIO, NoInputAtAllEndsAtOnce) {
  Child child({"lines"});
  ASSERT_TRUE(child.Started());
  child.CloseInput();
  EXPECT_EQ(child.ReceiveRest(), "end\r\n");
  EXPECT_EQ(child.Wait(), 0);
}

}  // namespace
