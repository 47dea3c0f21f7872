// Type 1 fonts before they go to the printer: the segmented binary form turned into the text
// form a PostScript interpreter reads from its input, and the check that finds the font's name.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "storage/PsNames.h"

namespace tav {

class FmuLog;

inline constexpr const char* kConvertedFontFile = "fmutmp.pba";
// Larger files are not taken whole into memory to be checked.
inline constexpr uint64_t kMaxFontFileBytes = 64ull << 20;

// Where the text form goes: takes all n bytes, or answers false (a full disk, a file-size limit).
using Type1Writer = std::function<bool(const char* data, size_t n)>;

// The conversion of an open segmented font of sourceSize bytes into writer: 1 when the whole input
// was converted and written, 0 otherwise. Nothing is written after the writer has failed once.
int ConvertPfbStream(int sourceFd, uint64_t sourceSize, const Type1Writer& writer);

// Converts the segmented binary font at sourcePath into "fmutmp.pba" in the program's private
// temporary folder. Returns 1 when the whole input was converted, outPath (outCapacity bytes)
// then holding the written file's path; 0 otherwise, outPath then naming the source, which the
// caller goes on with. A segment whose length is negative or runs past the end of the file ends it with 0, and so does
// a failed write (the partial file is removed).
int ConvertPfbToPfa(const char* sourcePath, char* outPath, size_t outCapacity, const FmuLog* log = nullptr);

// What the check found in a file.
struct FontCheck {
    bool type1 = false;                      // "%!PS-AdobeFont" and "/FontName /..." are there
    NameProblem problem = NameProblem::None; // for a Type 1 font: why its name cannot be stored
    std::string name;                        // the name, without its slash, when it can
    bool Accepted() const { return type1 && problem == NameProblem::None; }
};

// A text-form Type 1 font holds "%!PS-AdobeFont" and "/FontName /Name def" before its first
// zero byte. The name is one PostScript name token (it ends at white space or a delimiter) and
// "def" must follow it; a name the printer's file system cannot take is reported, not taken.
FontCheck CheckFont(const char* path, const FmuLog* log = nullptr);

// CheckFont as the manager asks it: 1 with the name in fontName (cut to fontNameCapacity - 1
// characters); 0 for anything else, including files over kMaxFontFileBytes.
int ValidateFont(const char* path, char* fontName, size_t fontNameCapacity, const FmuLog* log = nullptr);

} // namespace tav
