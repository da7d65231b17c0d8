// The directories the tools write into: made when missing, and a one-line
// reason when that cannot be done.
#pragma once

#include <string>

namespace qm::apps {

// Makes the directory and its parents when missing. False with `problem`
// set ("cannot create the directory out/a: Permission denied") when it
// cannot be made or is not a directory.
bool ensureDirectory(const std::string& directory, std::string& problem);

// The same for the directory a file goes into (nothing to do for a bare
// file name).
bool ensureDirectoryOf(const std::string& file, std::string& problem);

}  // namespace qm::apps
