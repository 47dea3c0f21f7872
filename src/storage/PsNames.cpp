#include "storage/PsNames.h"

#include <array>

namespace tav {
namespace {

constexpr std::array<NameProblemText, 7> kTexts = {{
    {NameProblem::None, "", ""},
    {NameProblem::Empty, "IDS_NAME_EMPTY", "the name is empty"},
    {NameProblem::Slash, "IDS_NAME_SLASH", "the name holds a slash (/)"},
    {NameProblem::Dots, "IDS_NAME_DOTS", "the name holds \"..\" or is \".\""},
    {NameProblem::NotPrintable, "IDS_NAME_NOTASCII", "the name holds characters outside printable ASCII"},
    {NameProblem::NotOneName, "IDS_NAME_NOTONE", "/FontName is not followed by one name and def"},
    {NameProblem::TooLong, "IDS_NAME_TOOLONG", "the name is longer than 259 characters"},
}};

} // namespace

NameProblem CheckStoredName(std::string_view name, NameUse use) {
    if (name.empty()) return NameProblem::Empty;
    if (name.find('/') != std::string_view::npos) return NameProblem::Slash;
    if (name == "." || name.find("..") != std::string_view::npos) return NameProblem::Dots;
    if (use == NameUse::Font)
        for (unsigned char c : name)
            if (c < 0x21 || c > 0x7E) return NameProblem::NotPrintable;
    if (use == NameUse::Delete && name.size() > kFmuNameMax) return NameProblem::TooLong;
    return NameProblem::None;
}

const NameProblemText& TextOf(NameProblem problem) {
    for (const NameProblemText& t : kTexts)
        if (t.problem == problem) return t;
    return kTexts[0];
}

} // namespace tav
