// quitGuard.cpp -- a test process that exits in the middle of a test fails instead of passing
// The program ends through exit(0) (Escape, a long left drag). Reached by mistake inside a test
// process, that would end the run with code 0, and CTest, which runs each case on its own,
// would count the case as passed. Death-test children and forked children exit as they like.
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const pid_t testProcess = ::getpid();

void failIfMidTest() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    if (test == nullptr || ::getpid() != testProcess || testing::internal::InDeathTestChild()) {
        return;
    }
    std::fprintf(stderr, "%s.%s: the process exited in the middle of the test\n",
                 test->test_suite_name(), test->name());
    std::fflush(stderr);
    ::_exit(1);
}

[[maybe_unused]] const int guarded = std::atexit(failIfMidTest);

} // namespace
