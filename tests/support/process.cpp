// process.cpp -- running the real binary (or any program) as a child with its stdout captured
#include "support/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& display,
                           const std::string& workDir) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return;
    }
    pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) {
            ::_exit(126);
        }
        if (display.empty()) {
            ::unsetenv("DISPLAY");
        } else {
            ::setenv("DISPLAY", display.c_str(), 1);
        }
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    outFd = fds[0];
    ::fcntl(outFd, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
    kill();
    if (outFd >= 0) {
        ::close(outFd);
    }
}

void ChildProcess::drain(int timeoutMs) {
    if (outFd < 0) {
        return;
    }
    pollfd p{outFd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) {
        return;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(outFd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        captured.append(buffer, static_cast<std::size_t>(n));
    }
}

const std::string& ChildProcess::output() {
    drain(0);
    return captured;
}

bool ChildProcess::waitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (captured.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        drain(50);
        if (!running()) {
            drain(0);
            return captured.find(text) != std::string::npos;
        }
    }
    return true;
}

bool ChildProcess::running() {
    if (status || pid <= 0) {
        return false;
    }
    int raw = 0;
    if (::waitpid(pid, &raw, WNOHANG) == pid) {
        status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return false;
    }
    return true;
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (running()) {
        if (std::chrono::steady_clock::now() >= until) {
            return std::nullopt;
        }
        drain(20);
    }
    drain(0);
    return status;
}

void ChildProcess::kill() {
    if (running()) {
        ::kill(pid, SIGKILL);
        waitForExit(std::chrono::seconds(10));
    }
}

int runCommand(const std::vector<std::string>& argv, const std::string& display) {
    ChildProcess child(argv, display);
    return child.waitForExit(std::chrono::seconds(60)).value_or(-1);
}
