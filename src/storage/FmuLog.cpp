#include "storage/FmuLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/Platform.h"

namespace tav {

void FmuLog::ReadSwitch() {
    std::string text;
    if (!RegistryReadString(RegistryRoot::LocalMachine, "SOFTWARE\\Quorvex\\TAV", "LogFMU", text, 32)) return;
    // The stand-in keeps the 4-byte value as text: decimal or 0x hexadecimal.
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (end == text.c_str()) return;
    m_switch = v != 0 ? 1 : 0;
}

void FmuLog::operator()(const char* format, ...) const {
    if (!On()) return;
    char line[1025];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    DebugOut(line);
}

} // namespace tav
