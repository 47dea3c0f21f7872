// The Color page's rules that need no window: the CMYK value lists and the registration job.
#pragma once
#include <string>
#include <vector>

#include "pjl/AppContext.h"

namespace tav {

// [STR_COROR] IDS_CMYK_VALUE0..10 of the configuration file in that order, absent or empty keys
// left out; position n of each CMYK list is the n-th text here.
std::vector<std::string> CmykValueTexts(const AppContext& ctx);

// Automatic colour registration: holds the port, writes its one job, waits a second, gives the
// port back. A write that fails shows the printer error. Returns 1 when the job went out.
int RunRegistration(AppContext& ctx);

} // namespace tav
