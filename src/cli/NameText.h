// Names from the printer's listings, for a terminal: they are bytes in whatever encoding the
// listing was written in.
#pragma once
#include <string>

namespace tav::cli {

// Well-formed UTF-8 stands as it is; control characters (C0, DEL and C1) and every byte that is
// not part of a well-formed sequence become \xNN, so nothing reaches the terminal as a command.
std::string TerminalName(const std::string& bytes);

} // namespace tav::cli
