// piece.cpp -- the real tarvik01 binary on a private display, played with real X input
#include "support/piece.h"

#include <cstdlib>
#include <thread>

Piece::Piece(const std::string& modes, bool withImages) : server(modes) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvik-run-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
    if (withImages) {
        std::filesystem::create_directory(dir / "tarvikImages");
    }
    child = std::make_unique<ChildProcess>(std::vector<std::string>{TARVIK_BINARY}, server.name(),
                                           dir.string());
}

Piece::~Piece() {
    child.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

bool Piece::waitUntilReady(std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < until) {
        if (!child->running()) {
            return false;
        }
        // freeglut names its game-mode window FREEGLUT and gives it the focus.
        ChildProcess probe({"/usr/bin/xdotool", "getwindowfocus", "getwindowname"}, display());
        if (probe.waitForExit(std::chrono::seconds(10)) == 0 &&
            probe.output().find("FREEGLUT") != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

bool Piece::xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"/usr/bin/xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runCommand(argv, display()) == 0;
}
