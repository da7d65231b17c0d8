// Finding the data sources installed under the TWAIN directories.
#pragma once

#include <string>
#include <vector>

namespace qm::twain {

// Where sources are looked for, in order: W/TWAIN_32, then the TWAIN
// directory of the installation this source manager belongs to,
// <prefix>/lib/twain (the platform's libraries lie in <prefix>/lib/qm4200),
// where the platform's standard source manager looks too.
std::vector<std::string> sourceDirectories();

// Every regular file (links followed) at any depth under the directory whose
// name ends in ".ds" in any letter case, in path order. A missing or
// unreadable directory yields what could be read.
std::vector<std::string> findSourceFiles(const std::string& directory);

// The same over several directories, in their order. A file that an earlier
// directory already offered (the same file reached through a link) is not
// offered again.
std::vector<std::string> findSourceFiles(const std::vector<std::string>& directories);

}  // namespace qm::twain
