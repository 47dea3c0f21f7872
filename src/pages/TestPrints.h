// The printer's own pages the Test page offers, and which of them a model's configuration lists.
#pragma once
#include <array>
#include <string>

#include "pjl/AppContext.h"

namespace tav {

struct TestPrintDef {
    int controlId;
    const char* configKey;  // [TEST] in the configuration file
    const char* textKey;    // [TEST] in the language file
    const char* kalorKey;   // the OEM brand's text key
    const char* pageName;   // the page the printer prints
};

inline constexpr std::array<TestPrintDef, 4> kTestPrints = {{
    {8054, "SelfTest", "IDC_CONFIGPAGE", "IDC_CONFIGPAGE_X", "CONFIG"},
    {8004, "Demo", "IDC_DEMOPAGE", "IDC_DEMOPAGE_X", "DEMO"},
    {8066, "MenuMAP", "IDC_MANUMAP_X", "IDC_MANUMAP_X", "MENUMAP"},
    {8009, "2SideDemo", "IDC_2SIDEDEMOPAGE_X", "IDC_2SIDEDEMOPAGE_X", "DUPLEXDEMO"},
}};

// Whether the model's [TEST] section offers the page (its key is "1").
inline bool IsTestPrintOffered(const AppContext& ctx, const TestPrintDef& desc) {
    return ctx.ConfigFlag("TEST", desc.configKey);
}

}  // namespace tav
