// wholeFile.h -- files written aside and renamed into place, so that no one sees them torn
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>

// Results of writeWhole. pngFile.h gives them the names its callers know.
inline constexpr int fileWritten = 0;     // the target holds everything fill wrote
inline constexpr int fileNotCreated = 1;  // neither a temporary nor the target could be opened,
                                          // the temporary could not take the target's place, or
                                          // the target may not be written
inline constexpr int fileWriteFailed = 4; // the data (or, with durable, the directory entry)
                                          // could not be flushed to the disk

// Writes target whole or not at all: fill writes the content to an open file and returns
// fileWritten or a result of its own, which writeWhole passes on. The content goes to a
// temporary of this write's own beside target, which replaces target only once it is complete;
// on any failure the temporary is removed and an earlier target stays as it was. With durable,
// the data reaches the disk before the rename and the directory entry after it, so a power cut
// cannot lose a file that was reported written.
//
// Temporaries are named "tarvik01-<process id>-<random hex>.part" (neither "*.png" nor
// "*.html", so no gallery lists them) and created exclusively: nothing already under a name is
// ever opened, so whatever lies there (a link, a FIFO, another writer's temporary) is passed
// over for another name, and two writers in one folder never share one.
//
// A target its owner may not write is left as it is (fileNotCreated), as a plain "wb" write
// would leave it. A folder that admits no new entry (creating the temporary or renaming it
// meets EACCES or EPERM) gets a target that may be written replaced in place instead, as a
// plain "wb" write would, and a failure there leaves it torn.
int writeWhole(const std::filesystem::path& target, bool durable,
               const std::function<int(std::FILE*)>& fill);

// Removes the temporaries in dir that writers killed in the middle of a write left behind:
// those of this program's naming whose process is gone (or is this one, which leaves none
// behind between writes). A live writer's temporary, and everything else, stays.
void removeStaleTemporaries(const std::filesystem::path& dir);
