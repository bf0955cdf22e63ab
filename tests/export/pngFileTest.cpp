// pngFileTest.cpp -- capture arithmetic, and the PNG file written whole or not at all
#include "export/pngFile.h"
#include "export/gallery.h"
#include "faults.h"
#include "pngReader.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
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

} // namespace

TEST(CaptureArithmetic, SideFollowsTheScreenHeight) {
    const struct {
        int height;
        int side;
    } cases[] = {{1024, 900}, {864, 806}, {768, 750}, {600, 651}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.height);
        EXPECT_EQ(captureSide(static_cast<float>(c.height / 1024.0)), c.side);
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

TEST(PngFile, WritesAnEightBitGreyscalePngThatReadsBackUnchangedAndDurably) {
    ImageFolder temp;
    writeFile("tarvikImages/test.png", earlier);
    const int side = 37;
    const std::vector<unsigned char> pixels = noise(side);
    const SyncLog syncs("tarvikImages/test.png");
    EXPECT_EQ(writeGreyPng("tarvikImages/test.png", pixels, side), pngWritten);
    EXPECT_TRUE(syncedAroundRename(syncs, "tarvikImages/test.png"));
    const PngPicture picture = readPng("tarvikImages/test.png");
    EXPECT_EQ(picture.header, "37x37 depth 8 colour 0 interlace 0"); // grey, not interlaced
    EXPECT_EQ(picture.rows, pixels);
    // The earlier file was replaced, and the temporary file is gone.
    EXPECT_EQ(listDirectory("tarvikImages"), std::vector<std::string>{"test.png"});
}

TEST(PngFile, FailedWritesLeaveEverythingAsItWas) {
    TempDir temp;
    EXPECT_EQ(writeGreyPng("tarvikImages/test.png", noise(10), 10), pngNoFile);
    EXPECT_TRUE(listDirectory(".").empty()) << "no directory";

    fs::create_directories("tarvikImages/in-the-way.png");
    EXPECT_EQ(writeGreyPng("tarvikImages/in-the-way.png", noise(10), 10), pngNoFile);
    EXPECT_TRUE(fs::is_directory("tarvikImages/in-the-way.png"));
    fs::remove("tarvikImages/in-the-way.png");

    writeFile("tarvikImages/test.png", earlier);
    {
        // 900 x 900 bytes of noise make a file far beyond any stdio buffer: one of libpng's
        // own writes fails, not only the final flush.
        FileSizeLimit limit(1000);
        EXPECT_EQ(writeGreyPng("tarvikImages/test.png", noise(900), 900), pngWriteFailed);
    }
    {
        // A picture of 8 x 8 fits into the stdio buffer whole: libpng itself sees no error.
        FileSizeLimit limit(20);
        EXPECT_EQ(writeGreyPng("tarvikImages/test.png", noise(8), 8), pngWriteFailed);
    }
    {
        ReadOnlyDirectory readOnly("tarvikImages");
        ASSERT_TRUE(readOnly.active()) << "could not make tarvikImages read-only";
        EXPECT_EQ(writeGreyPng("tarvikImages/new.png", noise(10), 10), pngNoFile);
    }
    EXPECT_EQ(readFile("tarvikImages/test.png"), earlier);
    EXPECT_EQ(listDirectory("tarvikImages"), std::vector<std::string>{"test.png"});
}

TEST(PngFile, WritesKilledHalfwayLeaveTheEarlierFileAndTheirTemporariesGoWithTheNextCapture) {
    ImageFolder temp;
    writeFile("tarvikImages/test.png", earlier);
    // pid 1 always lives: its temporary belongs to a writer still at work. No process has the
    // id 99999999. The rest are not of this program's naming.
    const std::vector<std::string> others = {
        "tarvik01-1-5.part", "tarvik01-99999999-.part", "tarvik01-99999999-1.png",
        "tarvik01-x-1.part", "tarvik01.part",           "tarvik02-99999999-1.part",
        "test.png"};
    for (const std::string& name : others) {
        writeFile(fs::path("tarvikImages") / name, earlier);
    }
    // A PNG, and a gallery at its first page (a page has about 330 bytes), killed at 100 bytes.
    const std::function<void()> writes[] = {
        [] { writeGreyPng("tarvikImages/test.png", noise(900), 900); }, [] { writeGallery(); }};
    for (const auto& write : writes) {
        EXPECT_TRUE(killedMidWrite(100, write));
        EXPECT_EQ(readFile("tarvikImages/test.png"), earlier);
        const std::vector<std::string> left = listDirectory("tarvikImages");
        EXPECT_EQ(left.size(), others.size() + 1)
            << "one temporary more: " << testing::PrintToString(left);
        removeStaleTemporaries("tarvikImages");
        EXPECT_EQ(listDirectory("tarvikImages"), others);
    }
}

TEST(WholeFile, NothingPlantedUnderTheTemporarysNameBlocksRedirectsOrClobbers) {
    const std::map<std::string, std::function<void(const fs::path&)>> plants = {
        {"fifo", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0666), 0); }},
        {"symlink", [](const fs::path& at) { fs::create_symlink("../outside", at); }},
        {"hard link", [](const fs::path& at) { fs::create_hard_link("outside", at); }},
        {"directory",
         [](const fs::path& at) {
             fs::create_directory(at);
             writeFile(at / "inside", "inside");
         }},
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

TEST(WholeFile, OnlyAFolderRefusingNewEntriesLeadsToTheInPlaceWrite) {
    struct Row {
        const char* what;
        TemporaryFaults faults;
        bool inPlace;
    };
    const Row rows[] = {
        {"creation refused: EACCES", {.createError = EACCES}, true},
        {"creation refused: EPERM", {.createError = EPERM}, true},
        {"rename refused: EACCES", {.renameError = EACCES}, true},
        {"rename refused: EPERM", {.renameError = EPERM}, true},
        {"creation on a full disk: ENOSPC", {.createError = ENOSPC}, false},
        {"creation on a read-only file system: EROFS", {.createError = EROFS}, false},
        {"rename across devices: EXDEV", {.renameError = EXDEV}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ImageFolder temp;
        writeFile("tarvikImages/a.png.html", "earlier page");
        const ino_t before = inodeOf("tarvikImages/a.png.html");
        {
            TemporaryFault fault(row.faults);
            EXPECT_EQ(writeText("tarvikImages/a.png.html", "new page"),
                      row.inPlace ? fileWritten : fileNotCreated);
        }
        EXPECT_EQ(readFile("tarvikImages/a.png.html"), row.inPlace ? "new page" : "earlier page");
        EXPECT_EQ(inodeOf("tarvikImages/a.png.html"), before);
        EXPECT_EQ(listDirectory("tarvikImages"), std::vector<std::string>{"a.png.html"});
    }
}

TEST(WholeFile, ATargetItsOwnerMayNotWriteIsLeftAsItIs) {
    TempDir temp;
    fs::permissions(".", fs::perms::all);
    fs::create_directory("tarvikImages");
    writeFile("tarvikImages/a.png.html", "kept page");
    fs::permissions("tarvikImages/a.png.html",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown("tarvikImages", 65534, 65534), 0);
    }
    EXPECT_EQ(asOrdinaryUser([] { return writeText("tarvikImages/a.png.html", "new page"); }),
              fileNotCreated);
    EXPECT_EQ(readFile("tarvikImages/a.png.html"), "kept page");
    EXPECT_EQ(listDirectory("tarvikImages"), std::vector<std::string>{"a.png.html"});
}

TEST(WholeFile, InAFolderRefusingNewEntriesOnlyARegularTargetIsWrittenInPlace) {
    // The ordinary user may write every target here but create nothing in the folder, which
    // stays root's: each write goes the in-place way.
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to hand the targets to an ordinary user";
    }
    TempDir temp;
    fs::permissions(".", fs::perms::all);
    fs::create_directory("tarvikImages");
    writeFile("outside", "outside");
    ASSERT_EQ(::chown("outside", 65534, 65534), 0);
    writeFile("tarvikImages/page.png.html", "earlier page");
    ASSERT_EQ(::chown("tarvikImages/page.png.html", 65534, 65534), 0);
    for (const char* fifo : {"tarvikImages/fifo.png.html", "tarvikImages/read.png.html"}) {
        ASSERT_EQ(::mkfifo(fifo, 0666), 0);
        ASSERT_EQ(::chmod(fifo, 0666), 0); // past the umask
    }
    fs::create_symlink("../outside", "tarvikImages/link.png.html");
    const std::vector<std::string> names = listDirectory("tarvikImages");
    const ino_t pageBefore = inodeOf("tarvikImages/page.png.html");
    // A reader that never reads: the write end of this FIFO opens without blocking.
    const int reader = ::open("tarvikImages/read.png.html", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    const auto attempt = [](const char* target) {
        return asOrdinaryUser([target] {
            ::alarm(10); // a write that blocks ends the child, which then reports -1
            return writeText(fs::path("tarvikImages") / target, "new page");
        });
    };
    EXPECT_EQ(attempt("page.png.html"), fileWritten) << "the in-place way itself is open";
    EXPECT_EQ(readFile("tarvikImages/page.png.html"), "new page");
    EXPECT_EQ(inodeOf("tarvikImages/page.png.html"), pageBefore);

    EXPECT_EQ(attempt("fifo.png.html"), fileNotCreated) << "a FIFO without a reader";
    EXPECT_EQ(attempt("read.png.html"), fileNotCreated) << "a FIFO with a reader";
    char got[16];
    EXPECT_EQ(::read(reader, got, sizeof got), 0) << "the reader was sent nothing";
    ::close(reader);
    EXPECT_EQ(attempt("link.png.html"), fileNotCreated) << "a symbolic link out of the folder";
    EXPECT_EQ(readFile("outside"), "outside");
    EXPECT_TRUE(fs::is_symlink("tarvikImages/link.png.html"));
    EXPECT_TRUE(fs::is_fifo("tarvikImages/fifo.png.html"));
    EXPECT_EQ(listDirectory("tarvikImages"), names) << "no temporary, nothing replaced";
}

TEST(WholeFile, TheTemporaryOfAnotherUsersLiveWriterIsLeftAlone) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run a writer and a cleaner as two other users";
    }
    // The writer is the ordinary user 65534, the cleaner another one, to whom signal 0 to the
    // writer answers EPERM, not success.
    const uid_t cleaner = 65533;
    ImageFolder temp;
    fs::permissions(".", fs::perms::all);
    ASSERT_EQ(::chown("tarvikImages", cleaner, cleaner), 0);
    auto writer = std::make_unique<OrdinaryUsersProcess>();
    ASSERT_TRUE(writer->running());
    const pid_t pid = writer->pid();
    ASSERT_EQ(asUser(cleaner, [pid] { return ::kill(pid, 0) == -1 && errno == EPERM ? 0 : 1; }), 0);
    const std::string live = "tarvik01-" + std::to_string(pid) + "-5e.part";
    writeFile(fs::path("tarvikImages") / live, "half a picture");
    writeFile("tarvikImages/tarvik01-99999999-5e.part", "left by a killed writer");
    const auto clean = [] {
        return asUser(cleaner, [] {
            removeStaleTemporaries("tarvikImages");
            return 0;
        });
    };

    ASSERT_EQ(clean(), 0);
    EXPECT_EQ(listDirectory("tarvikImages"), std::vector<std::string>{live});
    writer.reset(); // now the writer is gone, and its temporary goes with the next clean-up
    ASSERT_EQ(clean(), 0);
    EXPECT_EQ(listDirectory("tarvikImages"), std::vector<std::string>{});
}
