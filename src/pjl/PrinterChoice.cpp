#include "pjl/PrinterChoice.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "pjl/ConfigFiles.h"
#include "pjl/Pjl.h"
#include "platform/Ini.h"
#include "platform/IniWrite.h"

namespace tav {

bool NeedsPrinterChoice(const AppContext& ctx) {
    if (!ctx.cfg.deviceOverride.empty()) return false;
    if (ctx.ConfigFlag("Common", "Debug") || ctx.ConfigFlag("COMMON", "AUTOFWUP")) return false;
    if (ctx.cfg.userConfigFilePath.empty()) return false; // nowhere to keep a choice: the profile decides
    std::string value;
    return !IniDocument::Load(ctx.cfg.userConfigFilePath).Find("Common", "DeviceID", value) || value.empty();
}

bool SavePrinterChoice(AppContext& ctx, const std::string& deviceName, std::string* error) {
    const std::string& path = ctx.cfg.userConfigFilePath;
    if (path.empty()) {
        if (error) *error = "no folder for the user's settings (HOME is not set)";
        return false;
    }
    if (!WriteIniString(path, "Common", "DeviceID", deviceName, error)) return false;
    if (!ctx.cfg.model.empty() && path != ctx.cfg.configFilePath)
        return WriteIniString(path, kProfileSection, kProfileModelKey, ctx.cfg.model, error);
    return true;
}

AddressProblem CheckNetworkAddress(const std::string& typed, std::string* normalised) {
    size_t b = 0, e = typed.size();
    while (b < e && (typed[b] == ' ' || typed[b] == '\t'))
        ++b;
    while (e > b && (typed[e - 1] == ' ' || typed[e - 1] == '\t'))
        --e;
    std::string t = typed.substr(b, e - b);
    if (t.empty()) return AddressProblem::Empty;
    std::string scheme = "tcp://";
    for (const char* s : {"tcp://", "socket://"})
        if (t.rfind(s, 0) == 0) {
            scheme = s;
            t = t.substr(scheme.size());
        }
    if (!t.empty() && t.back() == '/') t.pop_back();
    // A bare IPv6 address gets its brackets, so its colons are not read as a port.
    if (std::count(t.begin(), t.end(), ':') > 1 && t.front() != '[') t = "[" + t + "]";
    std::string host = t, port;
    const size_t close = t.find(']');
    const size_t colon = t.find(':', close == std::string::npos ? 0 : close);
    if (t.front() == '[') {
        if (close == std::string::npos) return AddressProblem::Invalid;
        host = t.substr(1, close - 1);
        if (close + 1 < t.size()) {
            if (t[close + 1] != ':') return AddressProblem::Invalid;
            port = t.substr(close + 2);
            if (port.empty()) return AddressProblem::Invalid;
        }
    } else if (colon != std::string::npos) {
        host = t.substr(0, colon);
        port = t.substr(colon + 1);
        if (port.empty()) return AddressProblem::Invalid;
    }
    if (host.empty()) return AddressProblem::Invalid;
    for (unsigned char c : host)
        if (c <= ' ' || c >= 0x7F || c == '/' || c == '@' || c == '?' || c == '#' || c == '[' || c == ']')
            return AddressProblem::Invalid;
    if (!port.empty()) {
        if (port.size() > 5 ||
            !std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c); }))
            return AddressProblem::Invalid;
        const long n = std::strtol(port.c_str(), nullptr, 10);
        if (n < 1 || n > 65535) return AddressProblem::Invalid;
    }
    const std::string name = scheme + t;
    if (name.size() > kDeviceIdChars) return AddressProblem::TooLong;
    if (normalised) *normalised = name;
    return AddressProblem::None;
}

int TestPrinterChoice(AppContext& ctx, const std::string& deviceName) {
    const std::string saved = ctx.cfg.deviceOverride;
    ctx.cfg.deviceOverride = deviceName;
    int answered = 0;
    if (ctx.link.AcquirePort()) {
        {
            WaitCursor cursor(ctx.ui);
            answered = QueryPrinterSettings(ctx);
        }
        ctx.link.ReleasePort();
    }
    ctx.cfg.deviceOverride = saved;
    return answered;
}

} // namespace tav
