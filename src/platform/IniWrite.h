// Writing one value into an INI file the user owns, keeping everything else in it as it was.
#pragma once
#include <string>
#include <string_view>

namespace tav {

// Sets section/key to value in the file at path, matching section and key without regard to
// case as the reader does. Comments, other keys and line ends are kept; a missing section is
// appended; a missing file (and its folder, mode 0700) is created. The new file replaces the old
// one in a single rename, so a crash never leaves half a file. Values holding a line break or a
// NUL are refused. false with *error set when nothing was written.
bool WriteIniString(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view value, std::string* error = nullptr);

} // namespace tav
