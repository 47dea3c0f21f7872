// Send: the edits that differ from the printer's report go out as one job of "@PJL DEFAULT"
// lines, and the same job asks for the settings record back.
#pragma once
#include <string>
#include <vector>

#include "pjl/AppContext.h"

namespace tav {

// The command lines in their fixed order, without the job's header and trailer. Composing may
// set the edited resolution field (the best-quality rule). A field whose value lies outside its
// table loses its line, with a debug line saying why.
std::vector<std::string> ComposeSettingsLines(AppContext& ctx);

// Non-zero when the job was written and a reply read back into ReplyBuffer; the caller holds the
// port around it and parses the reply.
int UploadSettings(AppContext& ctx);
// The same; *sentJob receives the job exactly as written (empty when nothing was written).
int UploadSettings(AppContext& ctx, std::string* sentJob);

}  // namespace tav
