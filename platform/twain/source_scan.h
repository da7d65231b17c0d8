// Finding the data sources installed under the TWAIN directory.
#pragma once

#include <string>
#include <vector>

namespace qm::twain {

// Every regular file (links followed) at any depth under the directory whose
// name ends in ".ds" in any letter case, in path order. A missing or
// unreadable directory yields what could be read.
std::vector<std::string> findSourceFiles(const std::string& directory);

}  // namespace qm::twain
