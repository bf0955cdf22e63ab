// startupTest.cpp -- the real binary's choice of game mode, its messages and exit codes
#include "app/startup.h"
#include "support/piece.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Runs the binary on a display offering no usable mode and returns its stdout and exit code.
void expectNoModeFailure(const std::string& modes) {
    Piece piece(modes);
    ASSERT_FALSE(piece.display().empty());
    const auto code = piece.process().waitForExit(60s);
    ASSERT_TRUE(code.has_value()) << "the program did not end";
    EXPECT_EQ(*code, 1);
    EXPECT_EQ(piece.process().output(), std::string(noGameModeMessage));
    EXPECT_EQ(piece.process().output().find("Starte"), std::string::npos);
}

} // namespace

TEST(Startup, MessagesAreTheProgramsOwnBytes) {
    EXPECT_EQ(std::string(noGameModeMessage),
              "Bildschirmmodi werden von der Grafikkarte nicht unterst\xFC"
              "tzt.\n");
    EXPECT_EQ(startupMessage(1280, 1024, 32, 50),
              "Starte tarvikWerk.\nBildschirmaufloesung 1280x1024 Pixel bei 32 bit Farbtiefe "
              "und 50 hertz\n");
}

TEST(Startup, XvfbOffersNoGameModeSoTheProgramFailsWithCodeOne) { expectNoModeFailure(""); }

TEST(Startup, AServerWithNoneOfTheFourModesFailsWithCodeOne) { expectNoModeFailure("none"); }

TEST(Startup, OnlyEightHundredBySixHundredIsChosenAndReported) {
    Piece piece("800x600");
    ASSERT_TRUE(piece.waitUntilReady());
    EXPECT_EQ(piece.process().output(), startupMessage(800, 600, 32, 50));
    ASSERT_TRUE(piece.xdotool({"key", "Escape"}));
    EXPECT_EQ(piece.process().waitForExit(60s), 0);
}

TEST(Startup, TheLargestPossibleModeWinsOverLaterOnes) {
    Piece piece("1280x1024,800x600");
    ASSERT_TRUE(piece.waitUntilReady());
    EXPECT_EQ(piece.process().output(), startupMessage(1280, 1024, 32, 50));
    ASSERT_TRUE(piece.xdotool({"key", "Escape"}));
    EXPECT_EQ(piece.process().waitForExit(60s), 0);
}
