// wholeFile.cpp -- files written aside and renamed into place, so that no one sees them torn
#include "export/wholeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// flags: what else open needs (O_CREAT for a temporary). Null when the file cannot be opened,
// with errno telling why.
std::FILE* openForWriting(const std::filesystem::path& path, int flags) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | flags, 0666);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
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

// A directory that may not be written admits no new entry, neither a temporary nor a rename.
bool mayNotChange(int error) { return error == EACCES || error == EPERM; }

// The plain "wb" write over an existing target, for a directory that admits no new entry.
int writeInPlace(const std::filesystem::path& target, bool durable,
                 const std::function<int(std::FILE*)>& fill) {
    std::FILE* file = openForWriting(target, 0);
    return file == nullptr ? fileNotCreated : fillAndClose(file, durable, fill);
}

} // namespace

int writeWhole(const std::filesystem::path& target, bool durable,
               const std::function<int(std::FILE*)>& fill) {
    const std::filesystem::path dir = target.parent_path();
    const std::filesystem::path temporary = dir / temporaryName;
    // O_NOFOLLOW: a link planted under the temporary's name must not redirect the write.
    std::FILE* file = openForWriting(temporary, O_CREAT | O_NOFOLLOW);
    if (file == nullptr) {
        return mayNotChange(errno) ? writeInPlace(target, durable, fill) : fileNotCreated;
    }
    int result = fillAndClose(file, durable, fill);
    // A temporary left by a killed run can still be opened in a directory that has since become
    // read-only, but not renamed.
    const bool renameRefused =
        result == fileWritten && std::rename(temporary.c_str(), target.c_str()) != 0;
    const int renameError = errno;
    if (renameRefused) {
        result = fileNotCreated;
    }
    if (result != fileWritten) {
        std::remove(temporary.c_str());
        return renameRefused && mayNotChange(renameError) ? writeInPlace(target, durable, fill)
                                                          : result;
    }
    return durable && !syncDirectory(dir) ? fileWriteFailed : fileWritten;
}
