// faults.cpp -- real file-system failures for the export tests, undone on destruction
#include "faults.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
}

bool setImmutable(const std::filesystem::path& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

ReadOnlyDirectory::ReadOnlyDirectory(const std::filesystem::path& dir)
    : dir(dir), immutable(setImmutable(dir, true)) {
    if (!immutable) {
        using std::filesystem::perms;
        std::filesystem::permissions(dir,
                                     perms::owner_write | perms::group_write | perms::others_write,
                                     std::filesystem::perm_options::remove);
    }
    const std::filesystem::path probe = dir / "probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    readOnly = fd < 0;
    if (fd >= 0) {
        ::close(fd);
        ::unlink(probe.c_str());
    }
}

ReadOnlyDirectory::~ReadOnlyDirectory() {
    if (immutable) {
        setImmutable(dir, false);
    }
    std::filesystem::permissions(dir, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

namespace {

TemporaryFaults* temporaryFaults = nullptr;

bool namesTemporary(const char* path) {
    const std::string name = path;
    return name.size() > 5 && name.compare(name.size() - 5, 5, ".part") == 0;
}

} // namespace

TemporaryFault::TemporaryFault(TemporaryFaults faults) {
    static TemporaryFaults active;
    active = std::move(faults);
    temporaryFaults = &active;
}

TemporaryFault::~TemporaryFault() { temporaryFaults = nullptr; }

// Take the place of the C library's open and rename in the test programs, so that a fault can
// meet the code under test at the moment it creates or renames a temporary.
extern "C" int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    if ((flags & O_CREAT) != 0 && temporaryFaults != nullptr && namesTemporary(path)) {
        TemporaryFaults faults = std::exchange(*temporaryFaults, {});
        if (faults.plant) {
            faults.plant(path);
        }
        if (faults.createError != 0) {
            errno = faults.createError;
            return -1;
        }
        temporaryFaults->renameError = faults.renameError;
    }
    return static_cast<int>(::syscall(SYS_openat, AT_FDCWD, path, flags, mode));
}

extern "C" int rename(const char* from, const char* to) {
    if (temporaryFaults != nullptr && temporaryFaults->renameError != 0) {
        errno = std::exchange(temporaryFaults->renameError, 0);
        return -1;
    }
    return static_cast<int>(::syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to));
}

namespace {

const uid_t nobody = 65534;

// In a child: becomes uid (with a group of the same number and no others). True when done.
bool become(uid_t uid) {
    return ::setgroups(0, nullptr) == 0 && ::setresgid(uid, uid, uid) == 0 &&
           ::setresuid(uid, uid, uid) == 0;
}

} // namespace

int asUser(uid_t uid, const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() != uid && !become(uid)) {
            ::_exit(255);
        }
        ::_exit(work());
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)
               ? WEXITSTATUS(status)
               : -1;
}

int asOrdinaryUser(const std::function<int()>& work) {
    return ::geteuid() == 0 ? asUser(nobody, work) : asUser(::geteuid(), work);
}

OrdinaryUsersProcess::OrdinaryUsersProcess() {
    int ready[2];
    if (::pipe(ready) != 0) {
        return;
    }
    child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        if (::geteuid() == 0 && !become(nobody)) {
            ::_exit(255);
        }
        const char yes = 1;
        (void)!::write(ready[1], &yes, 1);
        for (;;) {
            ::pause();
        }
    }
    ::close(ready[1]);
    char yes = 0;
    started = child > 0 && ::read(ready[0], &yes, 1) == 1;
    ::close(ready[0]);
}

OrdinaryUsersProcess::~OrdinaryUsersProcess() {
    if (child > 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
}

bool killedMidWrite(rlim_t bytes, const std::function<void()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        work();
        ::_exit(0);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFSIGNALED(status) &&
           WTERMSIG(status) == SIGXFSZ;
}

ino_t inodeOf(const std::filesystem::path& path) {
    struct stat about {};
    return ::stat(path.c_str(), &about) == 0 ? about.st_ino : 0;
}

namespace {

const std::filesystem::path* watchedPath = nullptr;
std::vector<Sync> syncLog;

} // namespace

SyncLog::SyncLog(const std::filesystem::path& watched) {
    static std::filesystem::path path;
    path = watched;
    watchedPath = &path;
    syncLog.clear();
}

SyncLog::~SyncLog() { watchedPath = nullptr; }

const std::vector<Sync>& SyncLog::syncs() const { return syncLog; }

bool syncedAroundRename(const SyncLog& log, const std::filesystem::path& path) {
    const ino_t file = inodeOf(path);
    const ino_t dir = inodeOf(path.parent_path());
    bool dataSynced = false;
    for (const Sync& sync : log.syncs()) {
        if (!sync.directory && sync.inode == file && sync.watchedInode != file) {
            dataSynced = true;
        }
        if (dataSynced && sync.directory && sync.inode == dir && sync.watchedInode == file) {
            return true;
        }
    }
    return false;
}

// Takes the place of the C library's fsync in the test programs, so that the code under test
// is seen syncing; the sync itself is the kernel's.
extern "C" int fsync(int fd) {
    if (watchedPath != nullptr) {
        struct stat about {};
        ::fstat(fd, &about);
        syncLog.push_back({S_ISDIR(about.st_mode), about.st_ino, inodeOf(*watchedPath)});
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

std::vector<std::string> listDirectory(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}
