// pngFileTest.cpp -- capture arithmetic, and the PNG file written whole or not at all
#include "export/pngFile.h"
#include "export/gallery.h"
#include "faults.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// side x side bytes from a fixed-seed generator: they do not compress, so the PNG is far
// larger than a stdio buffer.
std::vector<unsigned char> noise(int side) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(side) * side);
    std::uint32_t state = 12345;
    for (unsigned char& b : bytes) {
        state = state * 214013u + 2531011u;
        b = static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}

const std::string earlier = "the earlier picture";

int writeText(const fs::path& path, const std::string& text) {
    return writeWhole(path, false, [&](std::FILE* file) {
        return std::fwrite(text.data(), 1, text.size(), file) == text.size() ? fileWritten
                                                                             : fileWriteFailed;
    });
}

// work's result in a child whose files may grow to bytes at most: a write past that fails with
// EFBIG or, when killed, ends the child by SIGXFSZ (128 + SIGXFSZ), as a power cut would.
int withFileSizeLimit(rlim_t bytes, bool killed, const std::function<int()>& work) {
    return inChild([&] {
        std::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        return work();
    });
}

} // namespace

TEST(CaptureArithmetic, SideFollowsTheScreenHeight) {
    for (const auto& [lines, side] :
         std::map<int, int>{{1024, 900}, {864, 806}, {768, 750}, {600, 651}}) {
        EXPECT_EQ(captureSide(static_cast<float>(lines / 1024.0)), side) << lines << " lines";
    }
}

TEST(CaptureArithmetic, GreyByteTruncates) {
    EXPECT_EQ(greyByte(0.5f), 127);
    // What an 8-bit frame buffer returns for each level comes back as that level.
    for (int level = 0; level < 256; ++level) {
        EXPECT_EQ(greyByte(static_cast<float>(level) / 255.0f), level);
    }
    // Outside the range nothing wraps round.
    EXPECT_EQ(greyByte(-0.25f), 0);
    EXPECT_EQ(greyByte(1.5f), 255);
    EXPECT_EQ(greyByte(std::nanf("")), 0);
}

TEST(CaptureArithmetic, RowsAreTurnedUprightNotMirrored) {
    // As glReadPixels returns them: bottom row first, each row left to right.
    const std::vector<float> frame = {
        0.0f,       1.0f / 255, 2.0f / 255,                               // bottom row
        3.0f / 255, 4.0f / 255, 5.0f / 255, 6.0f / 255, 7.0f / 255, 1.0f, // top row
    };
    const std::vector<unsigned char> expected = {6, 7, 255, 3, 4, 5, 0, 1, 2};
    EXPECT_EQ(uprightRows(frame, 3), expected);
}

TEST(PngFile, WritesAnEightBitGreyscalePngWholeAndDurablyOrNothingAtAll) {
    TempDir temp;
    EXPECT_EQ(writeGreyPng("tarvikImages/test.png", noise(10), 10), pngNoFile);
    EXPECT_TRUE(listDirectory(".").empty()) << "no directory";

    fs::create_directories("tarvikImages/test.png");
    EXPECT_EQ(writeGreyPng("tarvikImages/test.png", noise(10), 10), pngNoFile);
    EXPECT_TRUE(fs::is_directory("tarvikImages/test.png")) << "a directory in the way";
    fs::remove("tarvikImages/test.png");

    writeFile("tarvikImages/test.png", earlier);
    // 900 x 900 bytes of noise make a file far beyond any stdio buffer: one of libpng's own
    // writes fails, not only the final flush. A picture of 8 x 8 fits into the stdio buffer
    // whole: libpng itself sees no error.
    for (const auto& [limit, side] : std::map<rlim_t, int>{{20, 8}, {1000, 900}}) {
        EXPECT_EQ(withFileSizeLimit(
                      limit, false,
                      [side] { return writeGreyPng("tarvikImages/test.png", noise(side), side); }),
                  pngWriteFailed)
            << side;
    }
    EXPECT_EQ(readFile("tarvikImages/test.png"), earlier);

    const std::vector<unsigned char> pixels = noise(37);
    const SyncLog syncs("tarvikImages/test.png");
    EXPECT_EQ(writeGreyPng("tarvikImages/test.png", pixels, 37), pngWritten);
    EXPECT_TRUE(syncs.syncedAroundRename());
    const PngPicture picture = readPng("tarvikImages/test.png");
    EXPECT_EQ(picture.header, "37x37 depth 8 colour 0 interlace 0"); // grey, not interlaced
    EXPECT_EQ(picture.rows, pixels);
    // The earlier file was replaced, and no temporary file is left.
    EXPECT_EQ(listDirectory("tarvikImages"), std::vector<std::string>{"test.png"});
}

TEST(WholeFile, KilledAndForbiddenWritesLeaveTheEarlierFileAndDeadWritersTemporariesGo) {
    ImageFolder temp;
    // The clean-up runs as an ordinary user, to whom signal 0 to pid 1 answers EPERM: its
    // temporary is a live writer's. No process has the id 99999999; the other names are not of
    // this program's naming.
    fs::permissions(".", fs::perms::all);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown("tarvikImages", 65534, 65534), 0);
    }
    const std::vector<std::string> others = {
        "tarvik01-1-5.part", "tarvik01-99999999-.part", "tarvik01-99999999-1.png",
        "tarvik01-x-1.part", "tarvik01.part",           "tarvik02-99999999-1.part",
        "test.png"};
    for (const std::string& name : others) {
        writeFile(fs::path("tarvikImages") / name, earlier);
    }
    // A PNG, and a gallery at its first page (a page has about 330 bytes), killed at 100 bytes.
    const std::function<int()> writes[] = {
        [] { return writeGreyPng("tarvikImages/test.png", noise(900), 900); },
        [] { return writeGallery(), 0; }};
    for (const auto& write : writes) {
        EXPECT_EQ(withFileSizeLimit(100, true, write), 128 + SIGXFSZ);
        EXPECT_EQ(readFile("tarvikImages/test.png"), earlier);
        EXPECT_EQ(listDirectory("tarvikImages").size(), others.size() + 1) << "a temporary more";
        EXPECT_EQ(inChild([] { return removeStaleTemporaries("tarvikImages"), 0; }, true), 0);
        EXPECT_EQ(listDirectory("tarvikImages"), others);
    }
    // A target its owner may not write is left as it is, as a plain "wb" write would leave it.
    fs::permissions("tarvikImages/test.png", fs::perms::owner_read | fs::perms::others_read);
    EXPECT_EQ(inChild([] { return writeText("tarvikImages/test.png", "new"); }, true),
              fileNotCreated);
    EXPECT_EQ(readFile("tarvikImages/test.png"), earlier);
    EXPECT_EQ(listDirectory("tarvikImages"), others);
}

TEST(WholeFile, NothingPlantedUnderTheTemporarysNameBlocksRedirectsOrClobbers) {
    const std::map<std::string, std::function<void(const fs::path&)>> plants = {
        {"fifo", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0666), 0); }},
        {"symlink", [](const fs::path& at) { fs::create_symlink("../outside", at); }},
        {"hard link", [](const fs::path& at) { fs::create_hard_link("outside", at); }},
        {"directory", [](const fs::path& at) { fs::create_directory(at); }},
        {"socket",
         [](const fs::path& at) {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::snprintf(address.sun_path, sizeof address.sun_path, "%s", at.c_str());
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             ::close(fd);
         }},
        // Root writes a read-only file all the same; an immutable one it cannot.
        {"read-only file",
         [](const fs::path& at) {
             writeFile(at, "left by another");
             ASSERT_TRUE(setImmutable(at, true));
         }},
    };
    for (const auto& [kind, plant] : plants) {
        SCOPED_TRACE(kind);
        ImageFolder temp;
        writeFile("outside", "outside");
        writeFile("tarvikImages/a.png.html", "earlier page");
        const ino_t before = inodeOf("tarvikImages/a.png.html");
        fs::path planted;
        {
            TemporaryFault fault({.plant = [&](const fs::path& at) {
                planted = at;
                plant(at);
            }});
            ::alarm(10); // a write that blocks ends the test program
            EXPECT_EQ(writeText("tarvikImages/a.png.html", "new page"), fileWritten);
            ::alarm(0);
        }
        EXPECT_EQ(readFile("tarvikImages/a.png.html"), "new page");
        EXPECT_NE(inodeOf("tarvikImages/a.png.html"), before) << "replaced, not written in place";
        EXPECT_EQ(readFile("outside"), "outside");
        EXPECT_EQ(listDirectory("tarvikImages"),
                  (std::vector<std::string>{"a.png.html", planted.filename().string()}));
        setImmutable(planted, false);
    }
}

TEST(WholeFile, TwoWritersInOneFolderNeverMixTheirBytes) {
    // The second writer is a copy of the first made before either drew a name. It cleans up as
    // a capture does and writes, start to end, while the first holds its temporary half
    // written: the moment two temporaries could meet.
    ImageFolder temp;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    const pid_t second = ::fork();
    if (second == 0) {
        ::close(start[1]);
        char go = 0;
        if (::read(start[0], &go, 1) != 1) {
            ::_exit(99);
        }
        removeStaleTemporaries("tarvikImages");
        ::_exit(writeText("tarvikImages/b.png", "the second writer's bytes"));
    }
    ::close(start[0]);
    int status = -1;
    const int first = writeWhole("tarvikImages/a.png", false, [&](std::FILE* file) {
        std::fputs("the first ", file);
        std::fflush(file);
        (void)!::write(start[1], "!", 1);
        ::waitpid(second, &status, 0);
        return std::fputs("writer's bytes", file) >= 0 ? fileWritten : fileWriteFailed;
    });
    ::close(start[1]); // lets the second writer go if the first never started it
    if (status == -1) {
        ::waitpid(second, &status, 0);
    }
    EXPECT_EQ(first, fileWritten);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == fileWritten) << "status " << status;
    EXPECT_EQ(readFile("tarvikImages/a.png"), "the first writer's bytes");
    EXPECT_EQ(readFile("tarvikImages/b.png"), "the second writer's bytes");
    EXPECT_EQ(listDirectory("tarvikImages"), (std::vector<std::string>{"a.png", "b.png"}));
}

TEST(WholeFile, OnlyAFolderRefusingNewEntriesLeadsToTheInPlaceWriteAndOnlyOfARegularFile) {
    enum Target { page, none, fifo, fifoWithReader, link };
    const struct {
        const char* what;
        TemporaryFaults faults;
        Target target;
        int result;
    } rows[] = {
        {"creation refused: EACCES", {.createError = EACCES}, page, fileWritten},
        {"creation refused: EPERM", {.createError = EPERM}, page, fileWritten},
        {"rename refused: EACCES", {.renameError = EACCES}, page, fileWritten},
        {"rename refused: EPERM", {.renameError = EPERM}, page, fileWritten},
        {"creation, full disk: ENOSPC", {.createError = ENOSPC}, page, fileNotCreated},
        {"creation, read-only disk: EROFS", {.createError = EROFS}, page, fileNotCreated},
        {"rename across disks: EXDEV", {.renameError = EXDEV}, page, fileNotCreated},
        {"no target to write in place", {.createError = EACCES}, none, fileNotCreated},
        {"a FIFO without a reader", {.createError = EACCES}, fifo, fileNotCreated},
        {"a FIFO with a reader", {.createError = EACCES}, fifoWithReader, fileNotCreated},
        {"a symbolic link out of the folder", {.createError = EACCES}, link, fileNotCreated},
    };
    const fs::path target = "tarvikImages/a.png.html";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ImageFolder temp;
        writeFile("outside", "outside");
        if (row.target == page) {
            writeFile(target, "earlier page");
        } else if (row.target == fifo || row.target == fifoWithReader) {
            ASSERT_EQ(::mkfifo(target.c_str(), 0666), 0);
        } else if (row.target == link) {
            fs::create_symlink("../outside", target);
        }
        // A reader that never reads: the write end of its FIFO opens without blocking.
        const int reader =
            row.target == fifoWithReader ? ::open(target.c_str(), O_RDONLY | O_NONBLOCK) : -1;
        const ino_t before = inodeOf(target);
        const std::vector<std::string> names = listDirectory("tarvikImages");
        {
            TemporaryFault fault(row.faults);
            ::alarm(10); // a write that blocks ends the test program
            EXPECT_EQ(writeText(target, "new page"), row.result);
            ::alarm(0);
        }
        EXPECT_EQ(inodeOf(target), before) << "nothing replaced";
        EXPECT_EQ(listDirectory("tarvikImages"), names) << "no temporary left, nothing created";
        EXPECT_EQ(readFile("outside"), "outside");
        if (row.target == page) {
            EXPECT_EQ(readFile(target), row.result == fileWritten ? "new page" : "earlier page");
        }
        if (reader >= 0) {
            char got[16];
            EXPECT_EQ(::read(reader, got, sizeof got), 0) << "the reader was sent nothing";
            ::close(reader);
        }
    }
}
