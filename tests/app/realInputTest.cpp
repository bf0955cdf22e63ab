// realInputTest.cpp -- the real binary's ways out under real X input on a game-mode display
#include "support/piece.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

// A left drag from (x0, 100) to (x1, 100) on the piece's screen, moving in two motions.
bool drag(Piece& piece, int x0, int x1) {
    const std::string from = std::to_string(x0), to = std::to_string(x1);
    const std::string middle = std::to_string((x0 + x1) / 2);
    return piece.xdotool({"mousemove", from, "100", "mousedown", "1", "mousemove", middle, "100",
                          "mousemove", to, "100", "mouseup", "1"});
}

// Polls for a file the program writes, which shows that it still takes input.
bool appears(const std::filesystem::path& file, std::chrono::seconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < until) {
        if (std::filesystem::exists(file)) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

} // namespace

TEST(RealInput, ALeftDragOfMoreThanSixHundredPixelsEndsTheProgramWithCodeZero) {
    Piece piece("800x600");
    ASSERT_TRUE(piece.waitUntilReady());
    ASSERT_TRUE(drag(piece, 99, 700));
    EXPECT_EQ(piece.process().waitForExit(60s), 0);
}

TEST(RealInput, ALeftDragOfExactlySixHundredPixelsLeavesItRunning) {
    Piece piece("800x600");
    ASSERT_TRUE(piece.waitUntilReady());
    ASSERT_TRUE(drag(piece, 100, 700));
    ASSERT_TRUE(piece.xdotool({"key", "s"}));
    EXPECT_TRUE(appears(piece.workDir() / "tarvikImages" / "test.png", 60s))
        << "the program no longer answers";
    EXPECT_TRUE(piece.process().running());
    ASSERT_TRUE(piece.xdotool({"key", "Escape"}));
    EXPECT_EQ(piece.process().waitForExit(60s), 0);
}
