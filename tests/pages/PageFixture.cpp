#include "PageFixture.h"

#include <filesystem>

namespace tavtest {

QApplication& QtApp() {
    static int argc = 1;
    static char name[] = "pagetest";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

std::string ShippedDataFolder() {
    return std::string(TAV_SHIPPED_DATA) + "/";
}

PageEnv::PageEnv(const std::string& config, const std::string& lang)
    : dev((QtApp(), home.dir + "libqvdevm.so")) {
    namespace fs = std::filesystem;
    const std::string data = ShippedDataFolder();
    fs::copy_file(data + "langinfo.ini", home.dir + "langinfo.ini");
    fs::copy(data + "lang", home.dir + "lang", fs::copy_options::recursive);
    fs::copy(data + "help", home.dir + "help", fs::copy_options::recursive);
    ctx = std::make_unique<tav::AppContext>(ui);
    tav::AppConfig& cfg = ctx->cfg;
    cfg.programFolder = home.dir;
    cfg.configFilePath = home.dir + "comtav.ini";
    cfg.langCode = lang;
    cfg.koreanLanguage = lang == "KR";
    cfg.langFilePath = home.dir + (lang == "KR" ? "lang/KR.ini" : "lang/EN.ini");
    cfg.helpFilePath = home.dir + (lang == "KR" ? "help/kr/wintav32.html" : "help/en/wintav32.html");
    SetConfig(config);
    if (!ctx->link.Bind(false, home.dir)) throw std::runtime_error("stand-in device library did not load");
}

void PageEnv::SetConfig(const std::string& config) {
    home.Write("comtav.ini", config);
}

} // namespace tavtest
