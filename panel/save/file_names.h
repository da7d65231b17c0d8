// The names of the files a save writes: a prefix of up to three characters
// and a running five-character number, in the chosen folder.
#pragma once

#include <string>

namespace qm::panel {

// Exactly five characters: the last five decimal digits of `number` with
// leading zeros, the first one "_" when it is 0 (1 gives "_0001", 12345
// "12345", 123456 "23456").
std::string FormatFileNumber(long long number);

// folder + "/" + prefix + FormatFileNumber(number) + ".jpg".
std::string pictureFilePath(const std::string& folder, const std::string& prefix, long long number);

// The folder without one trailing "/".
std::string withoutTrailingSlash(std::string folder);

// The folder part of a path: everything before its last "/" (empty when it
// has none).
std::string folderOf(const std::string& path);

// A prefix as a file name may carry it: without path separators, which
// would put the files somewhere else than the chosen folder.
std::string sanitisedPrefix(std::string prefix);

}  // namespace qm::panel
