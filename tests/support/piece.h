// piece.h -- the real tarvik01 binary on a private display, played with real X input
#pragma once

#include "support/privateDisplay.h"
#include "support/process.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class Piece {
  public:
    // Starts a private display (modes as for PrivateDisplay: empty for Xvfb) and tarvik01 in a
    // fresh working directory, with a "tarvikImages" folder in it when withImages is set.
    explicit Piece(const std::string& modes, bool withImages = true);
    ~Piece();

    // Waits until the game-mode window has the focus, so that input reaches the program.
    bool waitUntilReady(std::chrono::milliseconds timeout = std::chrono::seconds(60));

    // Runs xdotool with these arguments on the piece's display; true when it succeeded.
    bool xdotool(const std::vector<std::string>& args);

    ChildProcess& process() { return *child; }
    const std::filesystem::path& workDir() const { return dir; }
    const std::string& display() const { return server.name(); }

  private:
    PrivateDisplay server;
    std::filesystem::path dir;
    std::unique_ptr<ChildProcess> child;
};
