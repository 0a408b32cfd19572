#include "TestSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

namespace {

std::string captureFd(int fd, std::FILE* stream, const std::function<void()>& body) {
  std::fflush(stream);
  std::cout.flush();
  std::FILE* sink = std::tmpfile();
  if (sink == nullptr) throw std::runtime_error("tmpfile failed");
  const int saved = dup(fd);
  dup2(fileno(sink), fd);
  body();
  std::fflush(stream);
  std::cout.flush();
  std::cerr.flush();
  dup2(saved, fd);
  close(saved);
  std::string out;
  std::rewind(sink);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, sink)) > 0) out.append(buffer, n);
  std::fclose(sink);
  return out;
}

}  // namespace

std::string captureStdout(const std::function<void()>& body) {
  return captureFd(1, stdout, body);
}

std::string captureStderr(const std::function<void()>& body) {
  return captureFd(2, stderr, body);
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "mpe-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const std::string& contents) const {
  const std::string full = path_ + "/" + name;
  std::ofstream out(full, std::ios::binary);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  return full;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

}  // namespace testsupport
