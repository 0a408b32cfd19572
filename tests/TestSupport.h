#pragma once

#include <functional>
#include <string>

namespace testsupport {

// Runs body and returns everything it printed to standard output (C stdio and
// iostreams alike), by redirecting file descriptor 1 to a temporary file.
std::string captureStdout(const std::function<void()>& body);

// Same for standard error.
std::string captureStderr(const std::function<void()>& body);

// A fresh temporary directory for one test, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // Writes contents (bytes as given) to path()/name and returns the full path.
  std::string write(const std::string& name, const std::string& contents) const;

 private:
  std::string path_;
};

// Whole file as bytes; empty when it cannot be read.
std::string readFile(const std::string& path);

}  // namespace testsupport
