// tempDir.cpp -- a private working directory for tests that write files
#include "harness/tempDir.h"

#include <cstdlib>
#include <string>

TempDir::TempDir() : previous(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvik-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
    std::filesystem::current_path(dir);
}

TempDir::~TempDir() {
    std::filesystem::current_path(previous);
    std::error_code ignored;
    // A read-only directory made by a test must not stop the clean-up.
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(dir, ignored);
}
