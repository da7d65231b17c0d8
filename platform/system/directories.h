// The Windows directory W that every installed file hangs off, the temporary
// directory and temporary file names.
#pragma once

#include <cstddef>
#include <string>

namespace qm::sys {

inline constexpr std::size_t MAX_PATH = 260;

// W: $WINDIR when set, else $XDG_DATA_HOME/qm4200/windows (with
// ~/.local/share as the default data home). No trailing '/'.
std::string windowsDirectory();
// Copies W into the buffer (NUL-terminated). Returns its length, or the size
// needed (including the NUL) when the buffer is too small, or 0 on failure.
unsigned GetWindowsDirectory(char* buffer, unsigned size);
// True when W is the user's own data directory rather than one that $WINDIR
// names: what belongs there is made on first use.
bool windowsDirectoryIsUsersOwn();

// The directory of the running program (no trailing '/'); "." when the
// system does not say.
std::string programDirectory();

// The temporary directory with a trailing '/': $TMPDIR when set, else /tmp.
std::string temporaryDirectory();
unsigned GetTempPath(unsigned size, char* buffer);

// Builds "<directory>/<first three characters of prefix><hex number>.tmp".
// With unique 0 a fresh number is chosen and the file is created empty so the
// name stays taken; with a given number no file is created. Returns the number
// used (0 on failure) and stores the path in `out` (MAX_PATH bytes).
unsigned GetTempFileName(const char* directory, const char* prefix, unsigned unique, char* out);

}  // namespace qm::sys
