// Type 1 fonts before they go to the printer: the segmented binary form turned into the text
// form a PostScript interpreter reads from its input, and the check that finds the font's name.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tav {

class FmuLog;

inline constexpr const char* kConvertedFontFile = "fmutmp.pba";
// Larger files are not taken whole into memory to be checked.
inline constexpr uint64_t kMaxFontFileBytes = 64ull << 20;

// Converts the segmented binary font at sourcePath into "fmutmp.pba" in the program's private
// temporary folder. Returns 1 when the whole input was converted, outPath (outCapacity bytes)
// then holding the written file's path; 0 otherwise, and the caller goes on with the source.
// A segment whose length is negative or runs past the end of the file ends it with 0.
int ConvertPfbToPfa(const char* sourcePath, char* outPath, size_t outCapacity, const FmuLog* log = nullptr);

// Accepts a text-form Type 1 font (it holds "%!PS-AdobeFont" and "/FontName /Name ... def"
// before its first zero byte) and returns 1 with the name, without its slash, in fontName (cut to
// fontNameCapacity - 1 characters); 0 for anything else, including files over kMaxFontFileBytes.
int ValidateFont(const char* path, char* fontName, size_t fontNameCapacity, const FmuLog* log = nullptr);

} // namespace tav
