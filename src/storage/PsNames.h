// The names files are kept under in the printer's PostScript file system: a font's /FontName, a
// form's file name, a name picked for deletion. Each becomes a path inside "fonts/" or "forms/"
// of a target, so it must stay one file in that folder. The page and tavctl both check here.
#pragma once
#include <cstddef>
#include <string_view>

namespace tav {

enum class NameProblem {
    None,
    Empty,        // nothing to name the file by
    Slash,        // a "/" reaches into another folder
    Dots,         // "." or ".." names a folder, not a file
    NotPrintable, // a font name with characters outside printable ASCII
    NotOneName,   // /FontName is not followed by one name token and def
    TooLong,      // a name to delete past kFmuNameMax: cut short it could name another file
};

// The page notes each name in a buffer of 260 bytes.
inline constexpr size_t kFmuNameMax = 259;

enum class NameUse { Font, Form, Delete };

// The first rule the name breaks for that use, NameProblem::None when it breaks none. Every use
// refuses an empty name, a slash and "..", "." alone; a font's name must be printable ASCII; a
// name to delete must fit kFmuNameMax.
NameProblem CheckStoredName(std::string_view name, NameUse use);

// Why a name is refused: the page's language key (section FMU) and tavctl's words.
struct NameProblemText {
    NameProblem problem;
    const char* langKey;
    const char* english;
};
const NameProblemText& TextOf(NameProblem problem);

} // namespace tav
