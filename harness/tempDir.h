// tempDir.h -- a private working directory for tests that write files
#pragma once

#include <filesystem>

// Makes a fresh directory, changes into it, and on destruction changes back and removes it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return dir; }

  private:
    std::filesystem::path dir;
    std::filesystem::path previous;
};
