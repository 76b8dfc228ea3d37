// File helpers shared by the test suites, their corpus makers and fuzzers:
// temporary paths, whole-file reads and writes, counting open files, and
// little-endian byte builders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtl::test {

using Bytes = std::vector<uint8_t>;

// A fresh path under the test temporary directory, and writing bytes there.
std::string TempPath(const std::string& name);
void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
// The paths of the files in a folder whose names do not start with '.',
// sorted; empty when the folder cannot be read.
std::vector<std::string> FilesIn(const std::string& dir);
// Open file descriptors of this process.
int32_t OpenFileCount();

// Little helpers for building files.
void Put16(Bytes& b, uint32_t v);
void Put32(Bytes& b, uint32_t v);

}  // namespace vtl::test
