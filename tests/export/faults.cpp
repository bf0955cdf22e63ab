// faults.cpp -- real file-system failures for the export tests, undone on destruction, and
// reading back what the files hold
#include "faults.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <linux/fs.h>
#include <png.h>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

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

namespace {

TemporaryFaults* temporaryFaults = nullptr;

// An fsync: of a directory or not, the inode synced, and the inode of SyncLog's watched path
// then (0 when it did not exist).
struct Sync {
    bool directory;
    ino_t inode;
    ino_t watchedInode;
};
const std::filesystem::path* watchedPath = nullptr;
std::vector<Sync> syncLog;

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
    if ((flags & O_CREAT) != 0 && temporaryFaults != nullptr &&
        std::string_view(path).ends_with(".part")) {
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

int inChild(const std::function<int()>& work, bool asOrdinaryUser) {
    const pid_t child = ::fork();
    if (child == 0) {
        const uid_t nobody = 65534;
        if (asOrdinaryUser && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
             ::setresuid(nobody, nobody, nobody) != 0)) {
            ::_exit(255);
        }
        ::_exit(work());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

ino_t inodeOf(const std::filesystem::path& path) {
    struct stat about {};
    return ::stat(path.c_str(), &about) == 0 ? about.st_ino : 0;
}

SyncLog::SyncLog(const std::filesystem::path& watched) {
    static std::filesystem::path path;
    path = watched;
    watchedPath = &path;
    syncLog.clear();
}

SyncLog::~SyncLog() { watchedPath = nullptr; }

std::size_t SyncLog::count() const { return syncLog.size(); }

bool SyncLog::syncedAroundRename() const {
    const ino_t file = inodeOf(*watchedPath);
    const ino_t dir = inodeOf(watchedPath->parent_path());
    bool dataSynced = false;
    for (const Sync& sync : syncLog) {
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

namespace {

// libpng's errors longjmp back here: only plain pointers live across the setjmp.
void decode(std::FILE* file, PngPicture* picture) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return;
    }
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    const png_uint_32 height = png_get_image_height(png, info);
    const png_bytepp rows = png_get_rows(png, info);
    for (png_uint_32 r = 0; r < height; ++r) {
        picture->rows.insert(picture->rows.end(), rows[r], rows[r] + png_get_rowbytes(png, info));
    }
    picture->header = std::to_string(png_get_image_width(png, info)) + "x" +
                      std::to_string(height) + " depth " +
                      std::to_string(png_get_bit_depth(png, info)) + " colour " +
                      std::to_string(png_get_color_type(png, info)) + " interlace " +
                      std::to_string(png_get_interlace_type(png, info));
    png_destroy_read_struct(&png, &info, nullptr);
}

} // namespace

PngPicture readPng(const std::string& path) {
    PngPicture picture;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        decode(file, &picture);
        std::fclose(file);
    }
    return picture;
}
