// faults.h -- real file-system failures for the export tests, undone on destruction
#pragma once

#include "harness/tempDir.h"

#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

// A private working folder (TempDir) holding an empty tarvikImages, where captures go.
struct ImageFolder : TempDir {
    ImageFolder() { std::filesystem::create_directory("tarvikImages"); }
};

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

// Runs work in a child process that has dropped to the ordinary user 65534 when started as
// root (root ignores permission bits); returns work's result, or -1 when the child did not end
// normally.
int asOrdinaryUser(const std::function<int()>& work);
// The same as any user: 255 when the child could not become uid.
int asUser(uid_t uid, const std::function<int()>& work);

// A process of the ordinary user 65534 that lives until destruction (when started as root;
// otherwise it stays this user's). running() says whether it started and became that user.
class OrdinaryUsersProcess {
  public:
    OrdinaryUsersProcess();
    ~OrdinaryUsersProcess();
    OrdinaryUsersProcess(const OrdinaryUsersProcess&) = delete;
    OrdinaryUsersProcess& operator=(const OrdinaryUsersProcess&) = delete;

    bool running() const { return started; }
    pid_t pid() const { return child; }

  private:
    pid_t child = -1;
    bool started = false;
};

// Runs work in a child process whose files may grow to bytes at most, and which is killed by
// SIGXFSZ the moment a write goes past that, as by a power cut in the middle of a write. True
// when the child really was killed so (false when work finished).
bool killedMidWrite(rlim_t bytes, const std::function<void()>& work);

// Every fsync of this process while a SyncLog lives: what was synced, and the inode that
// watched (a path) had at that moment (0 when it did not exist).
struct Sync {
    bool directory;
    ino_t inode;
    ino_t watchedInode;
};
class SyncLog {
  public:
    explicit SyncLog(const std::filesystem::path& watched);
    ~SyncLog();
    SyncLog(const SyncLog&) = delete;
    SyncLog& operator=(const SyncLog&) = delete;

    const std::vector<Sync>& syncs() const;
};

// True when the file now at path was synced before it took that name (as a temporary) and its
// directory after: a power cut at any moment leaves the earlier file or this one.
bool syncedAroundRename(const SyncLog& log, const std::filesystem::path& path);

ino_t inodeOf(const std::filesystem::path& path); // 0 when missing

// The names in dir, sorted; empty when dir is missing.
std::vector<std::string> listDirectory(const std::filesystem::path& dir);

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);
