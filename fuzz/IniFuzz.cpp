// Any configuration or language file: parsing stays inside the text and no value spans lines.
#include <cstdlib>
#include <string_view>

#include "FuzzSeeds.h"
#include "platform/Ini.h"

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    return {SeedBytes("\xEF\xBB\xBF[Common]\r\nDeviceID = \"tcp://127.0.0.1:9100\"\r\nDebugMsg=1 ; on\r\n"),
            SeedBytes("[TAB]\nALLTAB=1\n[tab]\nALLTAB=0\n[Printing]\nPAPER=\"\n"),
            SeedBytes("[\n=\n[]\n;;\nkey\n[x]=y\n")};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tav::IniDocument doc = tav::IniDocument::Parse(text);
    (void)doc.HasSection("Common");
    if (doc.Get("Common", "DeviceID", "s").find('\n') != std::string::npos) std::abort();
    return 0;
}
