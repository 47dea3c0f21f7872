#include "pages/PageFactory.h"

#include "firmware/FwUpPage.h"
#include "pages/AboutPage.h"
#include "pages/CheckPage.h"
#include "pages/ColorPage.h"
#include "pages/ConfigPage.h"
#include "pages/DownloadPage.h"
#include "pages/EpsonPage.h"
#include "pages/FmuPage.h"
#include "pages/JobPage.h"
#include "pages/KoreanPages.h"
#include "pages/PclTab.h"
#include "pages/PostScriptPages.h"
#include "pages/PrintingTab.h"
#include "pages/TestPage.h"

namespace tav {

std::unique_ptr<TavPage> CreatePage(PageId id, AppContext& ctx, PaperLayout& paper) {
    switch (id) {
    case PageId::Printing: return std::make_unique<CPrintingTab>(ctx, &paper);
    case PageId::Test: return std::make_unique<CTestTab>(ctx);
    case PageId::About: return std::make_unique<CAboutTab>(ctx);
    case PageId::Check: return std::make_unique<CCheck>(ctx);
    case PageId::Config: return std::make_unique<CConfigTab>(ctx);
    case PageId::ConfigKalor: return std::make_unique<CConfigTabX>(ctx);
    case PageId::Job: return std::make_unique<CJobTab>(ctx);
    case PageId::Color: return std::make_unique<CColorTab>(ctx);
    case PageId::PostS3: return std::make_unique<CPostS3>(ctx);
    case PageId::PostS4: return std::make_unique<CPostS4>(ctx);
    case PageId::Download: return std::make_unique<CDownload>(ctx);
    case PageId::Fmu: return std::make_unique<CFMUTab>(ctx);
    case PageId::FwUp: return std::make_unique<CFwUp>(ctx);
    case PageId::Epson: return std::make_unique<CEpsonTab>(ctx);
    case PageId::Ks5843: return std::make_unique<CKs5843Tab>(ctx);
    case PageId::Kssm: return std::make_unique<CPsTab>(ctx);
    case PageId::Ks5895: return std::make_unique<CKs5895Tab>(ctx);
    case PageId::Pcl: return std::make_unique<CPclTab>(ctx, &paper);
    default: return nullptr;
    }
}

}  // namespace tav
