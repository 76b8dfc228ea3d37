#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct ProbeRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the probe from another directory, the way a user might start it.
// `rest` is added to the command line as it is.
ProbeRun RunProbe(const std::string& mode, const std::string& probe = RUNTIME_PROBE, const std::string& from = "/",
                  const std::string& rest = "") {
  namespace fs = std::filesystem;
  fs::path errFile = fs::temp_directory_path() / ("probe_err_" + std::to_string(::getpid()) + "_" + mode);
  std::string command = "cd '" + from + "' && '" + probe + "' " + mode + rest + " 2>" + errFile.string();
  ProbeRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, n);
  int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  std::stringstream text;
  text << err.rdbuf();
  run.err = text.str();
  fs::remove(errFile);
  return run;
}

TEST(Program, EndProgramExitsZeroAfterHandlersInReverseOrder) {
  ProbeRun r = RunProbe("end");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "ending\nsecond handler\nfirst handler\n");
  EXPECT_EQ(r.err, "");
}

TEST(Program, UncaughtErrorWritesItsTextAndExitsWithMinusOne) {
  ProbeRun r = RunProbe("error");
  EXPECT_EQ(r.exitCode, 255);
  EXPECT_EQ(r.err, "List index out of range");
  EXPECT_EQ(r.out, "second handler\nfirst handler\n");
}

TEST(Program, CatchByClassFallsThroughToTheRightHandler) {
  ProbeRun r = RunProbe("catch");
  EXPECT_EQ(r.out, "caught inner\nsecond handler\nfirst handler\n");
  EXPECT_EQ(r.err, "Attempt to access field or method of Null object");
  EXPECT_EQ(r.exitCode, 255);
}

TEST(Program, SignalsReportTheirNumberAndEnd) {
  ProbeRun r = RunProbe("signal");
  EXPECT_EQ(r.out, "signal!:15\n");
  EXPECT_EQ(r.err, "Received Signal");
  EXPECT_EQ(r.exitCode, 255);
}

TEST(Program, MemoryFaultsEndWithTheirOwnMessage) {
  ProbeRun r = RunProbe("fault");
  EXPECT_EQ(r.out, "signal!:11\n");
  EXPECT_EQ(r.err, "Unhandled Memory Exception Error");
  EXPECT_EQ(r.exitCode, 255);
}

TEST(Program, StartsInItsOwnDirectoryAndRemembersTheLaunchDirectory) {
  ProbeRun r = RunProbe("paths");
  std::string dir = std::filesystem::path(RUNTIME_PROBE).parent_path().string();
  EXPECT_EQ(r.out, "/\n" + dir + "\n" + dir + "\nVantorel Application\n2\nsecond handler\nfirst handler\n");
  EXPECT_EQ(r.exitCode, 0);  // returning from the main program
}

// Paths and arguments are the system's bytes: they come back out unchanged,
// and the program can change into its own directory whatever its name.
TEST(Program, PathsAndArgumentsKeepTheSystemsBytes) {
  namespace fs = std::filesystem;
  const std::string names[] = {
      "Pr\xC3\xBC"
      "fung",
      "Pr\xFC"
      "fung"};  // UTF-8, and bytes that are not
  for (const std::string& name : names) {
    fs::path dir = fs::temp_directory_path() / ("vtl_probe_" + std::to_string(::getpid()) + "_" + name);
    fs::create_directories(dir);
    fs::copy_file(RUNTIME_PROBE, dir / "probe", fs::copy_options::overwrite_existing);
    fs::permissions(dir / "probe", fs::perms::owner_all);
    ProbeRun r = RunProbe("paths", (dir / "probe").string(), dir.string(),
                          " 'Gr\xC3\xB6\xC3\x9F"
                          "e' '\xE4'");
    const std::string d = dir.string();
    EXPECT_EQ(r.out, d + "\n" + d + "\n" + d +
                         "\nVantorel Application\n4\nGr\xC3\xB6\xC3\x9F"
                         "e\n\xE4\n" +
                         "second handler\nfirst handler\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
    fs::remove_all(dir);
  }
}

TEST(Program, ListsRandomNumbersAndArraysFromAPlainProgram) {
  ProbeRun r = RunProbe("lists");
  EXPECT_EQ(r.out, "13611 9\nsecond handler\nfirst handler\n");
  EXPECT_EQ(r.exitCode, 0);
}

}  // namespace
