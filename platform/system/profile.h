// Private-profile (.ini) files with the host platform's semantics: sections
// in brackets, one "key=value" line per key, case-insensitive section and key
// names, defaults for anything missing. Reads never fail; writes create the
// file and the section as needed and replace the file atomically.
#pragma once

#include <string>

namespace qm::sys {

// The integer value of the key: leading blanks, an optional sign and the
// leading decimal digits; the default when the file, section or key is
// missing, the value is empty or it does not start with a number.
int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* file);

// Copies the key's value (trimmed; one pair of surrounding quotes removed), or
// the default when the key is missing, into the buffer, truncating to fit.
// Returns the number of characters copied, without the NUL.
unsigned GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                 char* buffer, unsigned size, const char* file);

// Sets the key to the value. A null value removes the key, a null key removes
// the whole section. False when the file cannot be written.
bool WritePrivateProfileString(const char* section, const char* key, const char* value, const char* file);

// Convenience form for our own callers.
std::string getProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& file);

}  // namespace qm::sys
