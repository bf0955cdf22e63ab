// privateDisplay.cpp -- a private X server for one test, started and stopped by the rig script
#include "support/privateDisplay.h"

#include "support/process.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

PrivateDisplay::PrivateDisplay(const std::string& modes) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvik-x-XXXXXX").string();
    state = ::mkdtemp(pattern.data());
    std::vector<std::string> argv = {std::string(TARVIK_RIG_DIR) + "/xserver", "start"};
    if (modes.empty()) {
        argv.push_back("--xvfb");
    } else {
        argv.insert(argv.end(), {"--xorg", modes});
    }
    argv.push_back(state);
    ChildProcess start(argv, "");
    const auto code = start.waitForExit(std::chrono::seconds(60));
    std::string printed = start.output();
    while (!printed.empty() && (printed.back() == '\n' || printed.back() == ' ')) {
        printed.pop_back();
    }
    if (code != 0 || printed.empty()) {
        ADD_FAILURE() << "the private X server (" << (modes.empty() ? "Xvfb" : modes)
                      << ") could not be started; see " << state;
        return;
    }
    display = printed;
}

PrivateDisplay::~PrivateDisplay() {
    runCommand({std::string(TARVIK_RIG_DIR) + "/xserver", "stop", state}, "");
    std::error_code ignored;
    std::filesystem::remove_all(state, ignored);
}
