// pngFileTest.cpp -- capture arithmetic, and the PNG file written whole or not at all
#include "export/pngFile.h"
#include "faults.h"
#include "pngReader.h"
#include "support/tempDir.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>

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
    EXPECT_EQ(greyByte(1.0f), 255);
    EXPECT_EQ(greyByte(0.5f), 127);
    EXPECT_EQ(greyByte(0.0f), 0);
    // What an 8-bit frame buffer returns for each level comes back as that level.
    for (int level = 0; level < 256; ++level) {
        SCOPED_TRACE(level);
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
    TempDir temp;
    fs::create_directory("tarvikImages");
    writeFile("tarvikImages/test.png", earlier);
    const int side = 37;
    const std::vector<unsigned char> pixels = noise(side);
    const SyncLog syncs("tarvikImages/test.png");
    EXPECT_EQ(writeGreyPng("tarvikImages/test.png", pixels, side), pngWritten);
    EXPECT_TRUE(syncedAroundRename(syncs, "tarvikImages/test.png"));
    const PngPicture picture = readPng("tarvikImages/test.png");
    ASSERT_TRUE(picture.ok);
    expectSquareGreyPng(picture, 37u);
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

    const std::vector<unsigned char> pixels = noise(900);
    // Unlimited, these pixels make a file far beyond any stdio buffer, so a limit of 1000 bytes
    // makes one of libpng's own writes fail, not only the final flush.
    ASSERT_EQ(writeGreyPng("tarvikImages/big.png", pixels, 900), pngWritten);
    ASSERT_GT(fs::file_size("tarvikImages/big.png"), 100'000u);
    fs::remove("tarvikImages/big.png");
    writeFile("tarvikImages/test.png", earlier);
    {
        FileSizeLimit limit(1000);
        EXPECT_EQ(writeGreyPng("tarvikImages/test.png", pixels, 900), pngWriteFailed);
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

TEST(PngFile, ReadOnlyDirectoryHoldingAWritableFileGetsThePictureInPlace) {
    // A temporary left by a run killed mid-write can be written, but not renamed over the
    // target, once the directory is read-only.
    for (const bool staleTemporary : {false, true}) {
        SCOPED_TRACE(staleTemporary ? "with a stale temporary" : "without a temporary");
        TempDir temp;
        fs::create_directory("tarvikImages");
        writeFile("tarvikImages/test.png", earlier);
        if (staleTemporary) {
            writeFile("tarvikImages/tarvik01.part", earlier);
        }
        ReadOnlyDirectory readOnly("tarvikImages");
        ASSERT_TRUE(readOnly.active()) << "could not make tarvikImages read-only";
        const std::vector<unsigned char> pixels = noise(12);
        EXPECT_EQ(writeGreyPng("tarvikImages/test.png", pixels, 12), pngWritten);
        EXPECT_EQ(readPng("tarvikImages/test.png").rows, pixels);
        // The directory admits no change, so the stale temporary can only stay as it was.
        const std::vector<std::string> expected =
            staleTemporary ? std::vector<std::string>{"tarvik01.part", "test.png"}
                           : std::vector<std::string>{"test.png"};
        EXPECT_EQ(listDirectory("tarvikImages"), expected);
    }
}

TEST(PngFile, WritesKilledHalfwayLeaveTheEarlierFileAndOneTemporaryAtMost) {
    TempDir temp;
    fs::create_directory("tarvikImages");
    writeFile("tarvikImages/test.png", earlier);
    for (const char* name : {"test.png", "12-100.png", "40-200.png"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(killedMidWrite(
            1000, [name] { writeGreyPng("tarvikImages/" + std::string(name), noise(900), 900); }));
        EXPECT_EQ(readFile("tarvikImages/test.png"), earlier);
        const std::vector<std::string> left = listDirectory("tarvikImages");
        EXPECT_EQ(left.size(), 2u)
            << "test.png and one temporary: " << testing::PrintToString(left);
        EXPECT_EQ(left.back(), "test.png");
    }
    EXPECT_EQ(writeGreyPng("tarvikImages/1-1.png", noise(10), 10), pngWritten);
    EXPECT_EQ(listDirectory("tarvikImages"), (std::vector<std::string>{"1-1.png", "test.png"}));
}
