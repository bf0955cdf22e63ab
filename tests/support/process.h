// process.h -- running the real binary (or any program) as a child with its stdout captured
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

class ChildProcess {
  public:
    // Starts argv[0] (a path) with DISPLAY set to display (left out when empty) in directory
    // workDir (this process's when empty). stderr is inherited; stdout is captured.
    ChildProcess(const std::vector<std::string>& argv, const std::string& display,
                 const std::string& workDir = "");
    ~ChildProcess(); // kills the child if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Everything the child wrote to stdout so far.
    const std::string& output();
    // Waits until stdout holds text or the time is up.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds timeout);
    // The exit code once the child ended within the time (128 + n after signal n), or nothing.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    bool running();
    void kill();

  private:
    void drain(int timeoutMs);
    pid_t pid = -1;
    int outFd = -1;
    std::string captured;
    std::optional<int> status;
};

// Runs a short command to its end and returns its exit code; for xdotool and friends.
int runCommand(const std::vector<std::string>& argv, const std::string& display);
