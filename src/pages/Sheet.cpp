#include "pages/Sheet.h"

#include "platform/Ini.h"

namespace tav {

const std::vector<PageId>& AllPageIds() {
    static const std::vector<PageId> ids = {
        PageId::Printing, PageId::Config,   PageId::ConfigKalor, PageId::Job,  PageId::Ks5843, PageId::Ks5895,
        PageId::Kssm,     PageId::Test,     PageId::About,       PageId::Pcl,  PageId::PostS3, PageId::PostS4,
        PageId::Epson,    PageId::Download, PageId::Color,       PageId::FwUp, PageId::Fmu,    PageId::Check,
    };
    return ids;
}

const char* PageClassName(PageId id) {
    switch (id) {
    case PageId::Printing:
        return "CPrintingTab";
    case PageId::Config:
        return "CConfigTab";
    case PageId::ConfigKalor:
        return "CConfigTabX";
    case PageId::Job:
        return "CJobTab";
    case PageId::Ks5843:
        return "CKs5843Tab";
    case PageId::Ks5895:
        return "CKs5895Tab";
    case PageId::Kssm:
        return "CPsTab";
    case PageId::Test:
        return "CTestTab";
    case PageId::About:
        return "CAboutTab";
    case PageId::Pcl:
        return "CPclTab";
    case PageId::PostS3:
        return "CPostS3";
    case PageId::PostS4:
        return "CPostS4";
    case PageId::Epson:
        return "CEpsonTab";
    case PageId::Download:
        return "CDownload";
    case PageId::Color:
        return "CColorTab";
    case PageId::FwUp:
        return "CFwUp";
    case PageId::Fmu:
        return "CFMUTab";
    case PageId::Check:
        return "CCheck";
    }
    return "?";
}

std::vector<SheetTab> SheetLayout(const AppContext& ctx) {
    const uint32_t flags = ctx.store.edited.featureFlags;
    const bool all = ctx.ConfigFlag("Common", "ALLTAB");
    const bool korean = ctx.cfg.koreanLanguage || all;
    auto tab = [&](const char* key) { return ctx.ConfigFlag("TAB", key); };
    auto bit = [&](uint32_t b) { return (flags & b) != 0 || all; };

    std::vector<SheetTab> tabs;
    if (tab("Printing")) tabs.push_back({PageId::Printing, "PRINTING"});
    if (tab("Config")) tabs.push_back({ctx.IsKalor() ? PageId::ConfigKalor : PageId::Config, "CONFIG"});
    if (tab("Job")) tabs.push_back({PageId::Job, "JOB"});
    if (tab("Test")) tabs.push_back({PageId::Test, "TEST"});
    if (tab("PCL")) tabs.push_back({PageId::Pcl, "PCL"});
    if (tab("Color")) tabs.push_back({PageId::Color, "COLOR"});
    if (tab("Check")) tabs.push_back({PageId::Check, "CHECK"});
    if (korean && bit(kFlagKs5843)) tabs.push_back({PageId::Ks5843, "KSC5843"});
    if (korean && bit(kFlagKssm)) tabs.push_back({PageId::Kssm, "KSSM"});
    if (korean && bit(kFlagKs5895)) tabs.push_back({PageId::Ks5895, "KSC5895"});
    if (bit(kFlagPostScript)) {
        if (ctx.ConfigFlag("PS3", "FONT_FORM"))
            tabs.push_back({PageId::PostS4, "PS3"});
        else if (tab("PS3"))
            tabs.push_back({PageId::PostS3, "PS3"});
    }
    if (bit(kFlagPostScript) && tab("FMU")) tabs.push_back({PageId::Fmu, "FMU"});
    if (bit(kFlagDownload) && tab("DOWNLOAD")) tabs.push_back({PageId::Download, "DOWNLOAD"});
    if (bit(kFlagEpson) && tab("EPSONIBM")) tabs.push_back({PageId::Epson, "EPSON"});
    if (tab("FirmWare")) tabs.push_back({PageId::FwUp, "FWDOWN"});
    if (tab("About")) tabs.push_back({PageId::About, "ABOUT"});
    return tabs;
}

std::vector<RefreshStep> RefreshPlan(const AppContext& ctx) {
    const uint32_t flags = ctx.store.edited.featureFlags;
    auto tab = [&](const char* key) { return ctx.ConfigFlag("TAB", key); };
    return {
        {PageId::Printing, tab("Printing")},
        {PageId::Pcl, tab("PCL")},
        {PageId::Job, tab("Job")},
        {PageId::Ks5843, (flags & kFlagKs5843) != 0},
        {PageId::Kssm, (flags & kFlagKssm) != 0},
        {PageId::Ks5895, (flags & kFlagKs5895) != 0},
        {PageId::PostS3, (flags & kFlagPostScript) != 0},
        {PageId::Epson, !ctx.cfg.koreanLanguage && (flags & kFlagEpson) != 0},
        {PageId::PostS4, true},
        {PageId::Color, tab("Color")},
        {ctx.IsKalor() ? PageId::ConfigKalor : PageId::Config, tab("Config")},
        {PageId::Fmu, tab("FMU")},
    };
}

int RefreshPages(AppContext& ctx, const std::function<void(PageId)>& loadPage) {
    for (const RefreshStep& step : RefreshPlan(ctx)) {
        if (!ctx.link.AcquirePort()) return 0;
        if (step.load && loadPage) loadPage(step.page);
        ctx.link.ReleasePort();
    }
    return 1;
}

MainGeometry ComputeMainGeometry(int w, int h, int captionHeight, int menuHeight) {
    MainGeometry g;
    g.sheet = {10, 10, w + 20, h};
    g.windowWidth = w + 20;
    g.windowHeight = h + captionHeight + menuHeight + 80;
    g.buttonBar = {20, h + 30, w - 20, 40};
    return g;
}

} // namespace tav
