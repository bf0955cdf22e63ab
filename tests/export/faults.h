// faults.h -- real file-system failures for the export tests, undone on destruction
#pragma once

#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

// Limits the size of any file this process writes to bytes; a write past it fails with EFBIG
// (SIGXFSZ is ignored meanwhile, or it would end the process).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;
};

// Makes a directory read-only for this process: immutable (chattr +i), which holds even for
// root, who ignores permission bits; failing that, without write permission. active() says
// whether creating a file in it really fails now.
class ReadOnlyDirectory {
  public:
    explicit ReadOnlyDirectory(const std::filesystem::path& dir);
    ~ReadOnlyDirectory();
    ReadOnlyDirectory(const ReadOnlyDirectory&) = delete;
    ReadOnlyDirectory& operator=(const ReadOnlyDirectory&) = delete;

    bool active() const { return readOnly; }

  private:
    std::filesystem::path dir;
    bool immutable = false;
    bool readOnly = false;
};

// The names in dir, sorted; empty when dir is missing.
std::vector<std::string> listDirectory(const std::filesystem::path& dir);

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);
