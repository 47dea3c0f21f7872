// The PostScript forms kept in the printer's flash (FSPSFORMINFO), confirmed by that listing after
// a download, a delete of all forms or a format: the form page and tavctl psforms and psflash.
#pragma once
#include <string>
#include <vector>

#include "pjl/AppContext.h"
#include "storage/ListingCheck.h"

namespace tav {

// The file name part of a path, as its bytes stand: the printer keeps a form under it.
std::string FileNamePart(const std::string& path);

// After a form download: the form listing holds the file's name (the printer keeps the name
// without its folders).
ListingCheck<std::string> ConfirmFormStored(AppContext& ctx, const std::string& path);

// After the forms were deleted (withFlash: the flash formatted): the form listing, and with the
// format the flash fonts and macros, hold nothing. What is left is named "form NAME",
// "font ID N" and "macro N".
ListingCheck<std::string> ConfirmFlashErased(AppContext& ctx, bool withFlash);

} // namespace tav
