// Which pages the sheet holds, in which order and under which titles, and the order in which
// RefreshPages reloads them. Plain C++, so the rules are tested without a window.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "pjl/AppContext.h"

namespace tav {

// One id per page class; every one of them is created with the main window.
enum class PageId {
    Printing,
    Config,      // the standard Config page
    ConfigKalor, // the OEM brand's Config page
    Job,
    Ks5843,
    Ks5895,
    Kssm,
    Test,
    About,
    Pcl,
    PostS3,
    PostS4,
    Epson,
    Download,
    Color,
    FwUp,
    Fmu,
    Check,
};

// Creation order of the page objects.
const std::vector<PageId>& AllPageIds();
// The page's class name, for traces and tests.
const char* PageClassName(PageId id);

// Capability bits of FeatureFlags that decide pages.
inline constexpr uint32_t kFlagDownload = 0x80;
inline constexpr uint32_t kFlagKs5843 = 0x100000;
inline constexpr uint32_t kFlagKssm = 0x200000;
inline constexpr uint32_t kFlagKs5895 = 0x400000;
inline constexpr uint32_t kFlagEpson = 0x8000000;
inline constexpr uint32_t kFlagPostScript = 0x20000000;

struct SheetTab {
    PageId page;
    std::string titleKey; // key in the language file's [TITLE]
};

// The sheet's tabs, in order, from the configuration, EditedSettings' FeatureFlags and
// KoreanLanguage.
std::vector<SheetTab> SheetLayout(const AppContext& ctx);

struct RefreshStep {
    PageId page;
    bool load; // false: the port is still taken and given back, but the page is left alone
};

// The twelve steps of RefreshPages.
std::vector<RefreshStep> RefreshPlan(const AppContext& ctx);

// Makes every page reload from EditedSettings: one port acquisition per step, stopping the whole
// refresh at the first that fails. Returns 1 when every step ran, 0 when a busy port stopped it.
int RefreshPages(AppContext& ctx, const std::function<void(PageId)>& loadPage);

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

// Window geometry from the sheet's client size (w, h). The window size includes the caption and
// the menu; the sheet and button bar are placed in client coordinates below the menu.
struct MainGeometry {
    Rect sheet;
    Rect buttonBar;
    int windowWidth = 0;
    int windowHeight = 0;
};
MainGeometry ComputeMainGeometry(int sheetWidth, int sheetHeight, int captionHeight, int menuHeight);

} // namespace tav
