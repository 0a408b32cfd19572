#include "TestSupport.h"

#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

std::string captureStdout(const std::function<void()>& body) {
  std::fflush(stdout);
  std::cout.flush();
  std::FILE* sink = std::tmpfile();
  if (sink == nullptr) throw std::runtime_error("tmpfile failed");
  const int saved = dup(STDOUT_FILENO);
  dup2(fileno(sink), STDOUT_FILENO);
  body();
  std::fflush(stdout);
  std::cout.flush();
  dup2(saved, STDOUT_FILENO);
  close(saved);
  std::string out;
  std::rewind(sink);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, sink)) > 0) out.append(buffer, n);
  std::fclose(sink);
  return out;
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

CommandRun runCommand(const std::string& command) {
  CommandRun result;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

void runOnSmallStack(size_t stackBytes, const std::function<void()>& body) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, stackBytes);
  pthread_t thread;
  auto call = [](void* argument) -> void* {
    (*static_cast<const std::function<void()>*>(argument))();
    return nullptr;
  };
  const int created =
      pthread_create(&thread, &attributes, call, const_cast<std::function<void()>*>(&body));
  pthread_attr_destroy(&attributes);
  if (created != 0) throw std::runtime_error("pthread_create failed");
  pthread_join(thread, nullptr);
}

std::string withoutColors(const std::string& output, int* count) {
  static const std::string kPrefix = "Nodes color: ";
  std::string kept;
  int found = 0;
  size_t at = 0;
  for (size_t start; (start = output.find(kPrefix, at)) != std::string::npos; ++found) {
    kept.append(output, at, start - at);
    at = start + kPrefix.size();
    for (int number = 0; number < 3; ++number) {
      if (number > 0 && at < output.size() && output[at] == ' ') ++at;
      while (at < output.size() &&
             (std::isdigit(static_cast<unsigned char>(output[at])) || output[at] == '.')) {
        ++at;
      }
    }
  }
  kept.append(output, at, std::string::npos);
  if (count != nullptr) *count = found;
  return kept;
}

}  // namespace testsupport
