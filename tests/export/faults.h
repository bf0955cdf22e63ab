// faults.h -- real file-system failures for the export tests, undone on destruction, and
// reading back what the files hold
#pragma once

#include "harness/tempDir.h"

#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// A private working folder (TempDir) holding an empty tarvikImages, where captures go.
struct ImageFolder : TempDir {
    ImageFolder() { std::filesystem::create_directory("tarvikImages"); }
};

// Sets or clears the immutable attribute (chattr +i) of a file or directory: nothing, not even
// root, may then write, rename or remove it. True when done.
bool setImmutable(const std::filesystem::path& path, bool on);

// While a TemporaryFault lives, the next creation of a temporary by the code under test (an
// open with O_CREAT of a name ending in ".part") first runs plant on that very path, then fails
// with createError if that is not 0; the next rename fails with renameError if that is not 0.
struct TemporaryFaults {
    std::function<void(const std::filesystem::path&)> plant = nullptr;
    int createError = 0;
    int renameError = 0;
};
class TemporaryFault {
  public:
    explicit TemporaryFault(TemporaryFaults faults);
    ~TemporaryFault();
    TemporaryFault(const TemporaryFault&) = delete;
    TemporaryFault& operator=(const TemporaryFault&) = delete;
};

// Runs work in a forked child, as the ordinary user 65534 when asOrdinaryUser and started as
// root (root ignores permission bits). Returns work's result, 128 + the signal that ended the
// child, 255 when it could not become that user, or -1 when no child ran.
int inChild(const std::function<int()>& work, bool asOrdinaryUser = false);

// Every fsync of this process while a SyncLog lives, and the inode that watched (a path) had
// at that moment.
class SyncLog {
  public:
    explicit SyncLog(const std::filesystem::path& watched);
    ~SyncLog();
    SyncLog(const SyncLog&) = delete;
    SyncLog& operator=(const SyncLog&) = delete;

    std::size_t count() const;
    // True when the file now at watched was synced before it took that name (as a temporary)
    // and its directory after: a power cut at any moment leaves the earlier file or this one.
    bool syncedAroundRename() const;
};

ino_t inodeOf(const std::filesystem::path& path); // 0 when missing

// The names in dir, sorted; empty when dir is missing.
std::vector<std::string> listDirectory(const std::filesystem::path& dir);

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

struct PngPicture {
    // "<width>x<height> depth <bits> colour <type> interlace <method>" as the file's header
    // gives them; empty when the file did not open or libpng met an error.
    std::string header;
    std::vector<unsigned char> rows; // the rows' bytes, top row first
};
PngPicture readPng(const std::string& path);
