#pragma once

#include <unistd.h>

#include <filesystem>

// Where fuzz targets put their scratch files: memory when the system offers
// it, since the writers sync every file they write and a disk's sync costs
// more than all the rest of one input.
inline std::filesystem::path scratchFolder() {
  const std::filesystem::path memory = "/dev/shm";
  if (access(memory.c_str(), W_OK | X_OK) == 0) return memory;
  return std::filesystem::temp_directory_path();
}
