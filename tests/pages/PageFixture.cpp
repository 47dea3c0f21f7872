#include "PageFixture.h"

#include <filesystem>

#include "pjl/ConfigFiles.h"

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

void UseShippedModel(PageEnv& env, const std::string& model) {
    tav::AppConfig& cfg = env.ctx->cfg;
    cfg.programFolder = ShippedDataFolder();
    if (model.empty()) return;
    cfg.model = model;
    cfg.userConfigFilePath = env.home.dir + "user.ini"; // none: the profile alone
    tav::ResolveConfigFiles(cfg);
}

std::string TwoFlashFonts() {
    // Per font: number, ID (big-endian), name in 20 bytes, set in 3.
    auto font = [](uint8_t number, uint16_t id, const std::string& name, const std::string& set) {
        std::string r(1, static_cast<char>(number));
        r += static_cast<char>(id >> 8);
        r += static_cast<char>(id & 0xFF);
        return r + name + std::string(20 - name.size(), '\0') + (set + "   ").substr(0, 3);
    };
    return std::string("\x00\x02", 2) + font(4, 300, "Letter Gothic", "10U") + font(9, 4096, "OCR-B", "0O");
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
