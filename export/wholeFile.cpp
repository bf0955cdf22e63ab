// wholeFile.cpp -- files written aside and renamed into place, so that no one sees them torn
#include "export/wholeFile.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

const std::string temporaryPrefix = "tarvik01-";
const std::string temporarySuffix = ".part";

// Names taken by something else are passed over; a folder that holds this many of the names
// drawn for one write is not one to write into.
constexpr int namesToTry = 64;

// 64 bits that no neighbour can foresee. getrandom keeps no descriptor open; should the kernel
// lack it, the clock and a counter still make the name differ from the one tried before.
std::uint64_t unforeseeable() {
    std::uint64_t value = 0;
    if (::getrandom(&value, sizeof value, GRND_NONBLOCK) != sizeof value) {
        static std::uint64_t counter = 0;
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        value = static_cast<std::uint64_t>(now.tv_nsec) * 0x9E3779B97F4A7C15u + ++counter;
    }
    return value;
}

std::string temporaryName() {
    char hex[17];
    const auto end = std::to_chars(hex, hex + 16, unforeseeable(), 16).ptr;
    return temporaryPrefix + std::to_string(::getpid()) + "-" + std::string(hex, end) +
           temporarySuffix;
}

// The process id in a name of this program's temporaries, or 0 for any other name.
pid_t writerOf(const std::string& name) {
    if (!name.starts_with(temporaryPrefix) || !name.ends_with(temporarySuffix)) {
        return 0;
    }
    const char* first = name.data() + temporaryPrefix.size();
    const char* last = name.data() + name.size() - temporarySuffix.size();
    pid_t pid = 0;
    const auto [dash, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || dash == first || dash == last || *dash != '-' || pid <= 0) {
        return 0;
    }
    for (const char* c = dash + 1; c < last; ++c) {
        if (!((*c >= '0' && *c <= '9') || (*c >= 'a' && *c <= 'f'))) {
            return 0;
        }
    }
    return dash + 1 < last ? pid : 0;
}

// O_CREAT | O_EXCL never opens what already lies under the name, and O_NOFOLLOW says so to a
// reader: nothing planted there can block the open, redirect the write or be clobbered by it.
// Fills temporary with the name taken; -1 with errno when none could be created.
int createTemporary(const std::filesystem::path& dir, std::filesystem::path& temporary) {
    for (int attempt = 0; attempt < namesToTry; ++attempt) {
        temporary = dir / temporaryName();
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// A short write that the stream buffer hid until now shows up at the flush; with durable, the
// data must also have reached the disk.
int fillAndClose(std::FILE* file, bool durable, const std::function<int(std::FILE*)>& fill) {
    int result = fill(file);
    if (result == fileWritten &&
        (std::fflush(file) != 0 || (durable && ::fsync(fileno(file)) != 0))) {
        result = fileWriteFailed;
    }
    if (std::fclose(file) != 0 && result == fileWritten) {
        result = fileWriteFailed;
    }
    return result;
}

// fd, open for writing, as a stream that fillAndClose closes; fd is closed on failure.
int fillDescriptor(int fd, bool durable, const std::function<int(std::FILE*)>& fill) {
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        return fileNotCreated;
    }
    return fillAndClose(file, durable, fill);
}

// A rename reaches the disk only with the directory that holds the new entry.
bool syncDirectory(const std::filesystem::path& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// A folder that may not be written admits no new entry, neither a temporary nor a rename. The
// temporary's name is fresh, so a refusal of its creation is the folder's answer, never that of
// a file left under the name.
bool mayNotChange(int error) { return error == EACCES || error == EPERM; }

// A regular file whose owner made it read-only (for this process: root writes it all the same,
// as a plain "wb" write would).
bool readOnlyFile(const std::filesystem::path& path) {
    struct stat about {};
    return ::lstat(path.c_str(), &about) == 0 && S_ISREG(about.st_mode) &&
           ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

// The plain "wb" write over an existing target, for a folder that admits no new entry. Only a
// regular file is written, and O_NONBLOCK keeps a FIFO without a reader from holding the open.
int writeInPlace(const std::filesystem::path& target, bool durable,
                 const std::function<int(std::FILE*)>& fill) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return fileNotCreated;
    }
    struct stat about {};
    if (::fstat(fd, &about) != 0 || !S_ISREG(about.st_mode)) {
        ::close(fd);
        return fileNotCreated;
    }
    return fillDescriptor(fd, durable, fill);
}

} // namespace

int writeWhole(const std::filesystem::path& target, bool durable,
               const std::function<int(std::FILE*)>& fill) {
    if (readOnlyFile(target)) {
        return fileNotCreated;
    }
    const std::filesystem::path dir = target.parent_path();
    std::filesystem::path temporary;
    const int fd = createTemporary(dir, temporary);
    if (fd < 0) {
        return mayNotChange(errno) ? writeInPlace(target, durable, fill) : fileNotCreated;
    }
    int result = fillDescriptor(fd, durable, fill);
    const bool renameRefused =
        result == fileWritten && std::rename(temporary.c_str(), target.c_str()) != 0;
    const int renameError = errno;
    if (renameRefused) {
        result = fileNotCreated;
    }
    if (result != fileWritten) {
        ::unlink(temporary.c_str());
        return renameRefused && mayNotChange(renameError) ? writeInPlace(target, durable, fill)
                                                          : result;
    }
    return durable && !syncDirectory(dir) ? fileWriteFailed : fileWritten;
}

void removeStaleTemporaries(const std::filesystem::path& dir) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end;
         it.increment(error)) {
        const pid_t writer = writerOf(it->path().filename().string());
        if (writer == 0) {
            continue;
        }
        // kill with signal 0 only asks: EPERM means a process of another user lives.
        const bool alive = writer != ::getpid() && (::kill(writer, 0) == 0 || errno == EPERM);
        if (!alive) {
            // unlink never follows a link and leaves a directory alone.
            ::unlink(it->path().c_str());
        }
    }
}
