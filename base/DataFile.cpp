#include "base/DataFile.h"

#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#ifndef MPE_INSTALL_DATA_DIR
#define MPE_INSTALL_DATA_DIR ""
#endif

namespace {

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string executableDirectory() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "";
  const std::string exe(path, static_cast<size_t>(length));
  const size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : exe.substr(0, slash);
}

}  // namespace

std::vector<std::string> dataDirectories() {
  std::vector<std::string> directories;
  const std::string exeDirectory = executableDirectory();
  if (!exeDirectory.empty()) directories.push_back(exeDirectory);
  const std::string installed = MPE_INSTALL_DATA_DIR;
  if (!installed.empty() && installed != exeDirectory) directories.push_back(installed);
  return directories;
}

std::string findDataFile(const std::string& name) {
  if (name.empty() || exists(name)) return name;
  // An absolute name has only one place to be.
  if (name[0] == '/') return name;
  for (const std::string& directory : dataDirectories()) {
    const std::string candidate = directory + "/" + name;
    if (exists(candidate)) return candidate;
  }
  return name;
}
