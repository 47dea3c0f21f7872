// Trace lines on stderr, prefixed "[QVDEVM] ", when QVDEVM_DEBUG=1.
#pragma once
#include <string>

namespace qvdevm {

bool DebugEnabled();
void DebugLine(const std::string& text);

} // namespace qvdevm
