#include "app/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <unistd.h>

#include "app/QuitMessage.h"
#include "pages/DownloadPage.h"
#include "pages/PageFactory.h"
#include "pages/ProgramIcon.h"
#include "pages/TavPage.h"
#include "platform/Platform.h"

namespace tav {

QuitListener::QuitListener(AppContext& ctx, QObject* parent)
    : QObject(parent), m_ctx(ctx), m_server(new QLocalServer(this)) {
    const QString name = QString::fromStdString(QuitMessagePath());
    // The socket is this process's own; a socket of the same name can only be left by a dead
    // process whose pid we were given again. Those of other dead copies go too.
    RemoveStaleQuitMessages();
    QLocalServer::removeServer(name);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name))
        m_ctx.Debug("[TAV] quit message not available: " + m_server->errorString().toStdString() + "\n");
    connect(m_server, &QLocalServer::newConnection, this, &QuitListener::OnQuit);
}

bool QuitListener::IsListening() const {
    return m_server->isListening();
}

void QuitListener::OnQuit() {
    m_ctx.Debug("[TAV] quit message received\n");
    m_ctx.link.ReleasePort();
    m_ctx.link.Unbind();
    m_server->close();
    RemovePrivateTempFolder(); // _exit runs no exit handlers
    ::_exit(0);
}

MainWindow::MainWindow(AppContext& ctx, Options options)
    : QDialog(nullptr), m_ctx(ctx), m_options(std::move(options)), m_paper(ctx),
      m_actions(ctx, [this] { RefreshPages(); }) {
    setWindowIcon(ProgramIcon());
    if (!m_options.factory)
        m_options.factory = [this](PageId id, AppContext& c) { return CreatePage(id, c, m_paper); };
    for (PageId id : AllPageIds())
        if (auto page = m_options.factory(id, m_ctx)) m_pages.emplace(id, std::move(page));
    // The PCL page shows the flash fonts as typefaces: every change the flash page makes to the
    // font list reloads it, once its window exists.
    if (auto* download = qobject_cast<CDownload*>(Page(PageId::Download)))
        if (TavPage* pcl = Page(PageId::Pcl))
            connect(download, &CDownload::FlashFontsChanged, pcl, [this, pcl] {
                if (m_ctx.store.pclPageCreated) pcl->LoadFromSettings();
            });

    auto* menu = new QMenuBar(this);
    BuildMenu(menu);

    auto* body = new QWidget(this);
    auto* sheetHost = new QWidget(body);
    m_sheet = new QTabWidget(sheetHost);
    m_sheet->setObjectName("PRTTAV32");
    m_sheet->setUsesScrollButtons(true);
    QSize pageSize(0, 0);
    // In firmware-update-only mode the firmware page is the whole program: settings pages there
    // would show values that nothing can send, and the update would run behind another tab.
    const std::vector<SheetTab> sheetTabs = m_options.firmwareUpdateOnly
                                             ? std::vector<SheetTab>{{PageId::FwUp, "FWDOWN"}}
                                             : SheetLayout(m_ctx);
    for (const SheetTab& tab : sheetTabs) {
        TavPage* page = Page(tab.page);
        if (!page) continue; // that page's class is not in this build
        pageSize = pageSize.expandedTo(page->TemplateSize());
        m_tabs.push_back(tab.page);
        m_tabKeys.push_back(tab.titleKey);
    }
    for (size_t i = 0; i < m_tabs.size(); ++i) {
        TavPage* page = Page(m_tabs[i]);
        page->setMinimumSize(pageSize);
        m_sheet->addTab(page, LangText("TITLE", m_tabKeys[i].c_str(), 63));
    }
    // The sheet's size follows from its largest page, as a property sheet sizes itself to its
    // largest template: the page, the tab row and the frame around the pages.
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, m_sheet) + 2;
    const int tabRow = m_tabs.empty() ? 0 : m_sheet->tabBar()->sizeHint().height();
    const int w = std::max(pageSize.width() + 2 * frame, 360);
    const int h = std::max(pageSize.height(), 80) + tabRow + 2 * frame;
    const int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int menuHeight = menu->sizeHint().height();
    m_geometry = ComputeMainGeometry(w, h, caption, menuHeight);
    const Rect& s = m_geometry.sheet;
    sheetHost->setGeometry(s.x, s.y, s.width, s.height);
    m_sheet->setGeometry(0, 0, w, h);
    QWidget* bar = BuildButtonBar(body);
    const Rect& b = m_geometry.buttonBar;
    bar->setGeometry(b.x, b.y, b.width, b.height);
    // The window manager adds the caption; the client holds the menu and the body.
    body->setFixedSize(m_geometry.windowWidth, m_geometry.windowHeight - caption - menuHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menu);
    layout->addWidget(body);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setWindowTitle(QString::fromStdString(m_ctx.GetLangText("ABOUT", m_ctx.GetAppTitleKey())));
    m_keysAsked.emplace("ABOUT", m_ctx.GetAppTitleKey());

    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, &MainWindow::OnHelp);

    connect(m_sheet, &QTabWidget::currentChanged, this, &MainWindow::OnTabChanged);
    if (!m_tabs.empty()) {
        m_sheet->setCurrentIndex(0);
        OnTabChanged(0);
    }

    if (m_options.firmwareUpdateOnly) {
        if (TavPage* fw = Page(PageId::FwUp))
            QMetaObject::invokeMethod(
                fw, [fw] { fw->OnStartMessage(); }, Qt::QueuedConnection);
    }
    if (m_options.listenForQuit) m_quit = new QuitListener(m_ctx, this);
}

MainWindow::~MainWindow() {
    // Pages leaving the sheet change its current tab; no page may be activated while they go.
    disconnect(m_sheet, nullptr, this, nullptr);
    m_pages.clear();
}

TavPage* MainWindow::Page(PageId id) const {
    auto it = m_pages.find(id);
    return it == m_pages.end() ? nullptr : it->second.get();
}

QPushButton* MainWindow::Button(int id) const {
    auto it = m_buttons.find(id);
    return it == m_buttons.end() ? nullptr : it->second;
}

QString MainWindow::LangText(const char* section, const char* key, size_t maxChars) {
    m_keysAsked.emplace(section, key);
    return FromStd(m_ctx.GetLangText(section, key, maxChars));
}

void MainWindow::BuildMenu(QMenuBar* menu) {
    QMenu* file = menu->addMenu(LangText("MENU", "IDL_FILE"));
    QAction* exit = file->addAction(LangText("MENU", "IDM_EXIT"));
    exit->setProperty("controlId", kMenuExit);
    connect(exit, &QAction::triggered, this, &MainWindow::OnExit);
    QMenu* help = menu->addMenu(LangText("MENU", "IDL_HELP"));
    QAction* helpItem = help->addAction(LangText("MENU", "IDM_HELP"));
    helpItem->setProperty("controlId", kMenuHelp);
    connect(helpItem, &QAction::triggered, this, &MainWindow::OnHelp);
}

QWidget* MainWindow::BuildButtonBar(QWidget* parent) {
    auto* bar = new QWidget(parent);
    bar->setObjectName("ButtonBar");
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 4, 0, 4);
    row->setSpacing(8);
    row->addStretch(1);
    struct ButtonDef {
        int id;
        const char* key;
        void (MainWindow::*handler)();
    };
    const ButtonDef defs[] = {
        {kIdRefresh, "IDC_REFRESH", &MainWindow::OnRefresh}, {kIdSend, "IDC_SEND", &MainWindow::OnSend},
        {kIdDefault, "IDC_DEFAULT", &MainWindow::OnDefault}, {kIdExit, "IDC_EXIT", &MainWindow::OnExit},
        {kIdHelp, "IDC_TAVHELP", &MainWindow::OnHelp},
    };
    int width = 96;
    for (const ButtonDef& s : defs) {
        auto* button = new QPushButton(LangText("BASE", s.key, 31), bar);
        button->setProperty("controlId", s.id);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, s.handler);
        m_buttons[s.id] = button;
        row->addWidget(button);
        width = std::max(width, button->sizeHint().width() + 16);
    }
    for (auto& [id, button] : m_buttons)
        button->setMinimumWidth(width);
    m_buttons[kIdRefresh]->setVisible(m_ctx.ConfigFlag("COMMON", "Refresh"));
    if (m_options.firmwareUpdateOnly) {
        m_buttons[kIdDefault]->hide();
        m_buttons[kIdSend]->hide();
        m_buttons[kIdHelp]->hide();
    }
    return bar;
}

void MainWindow::OnTabChanged(int index) {
    if (m_activeTab >= 0 && m_activeTab < static_cast<int>(m_tabs.size()) && m_activeTab != index)
        Page(m_tabs[static_cast<size_t>(m_activeTab)])->OnKillActive();
    m_activeTab = index;
    if (index < 0 || index >= static_cast<int>(m_tabs.size())) return;
    TavPage* page = Page(m_tabs[static_cast<size_t>(index)]);
    page->EnsureCreated();
    page->OnSetActive();
}

int MainWindow::RefreshPages() {
    return tav::RefreshPages(m_ctx, [this](PageId id) {
        if (TavPage* page = Page(id)) page->LoadFromSettings();
    });
}

void MainWindow::OnSend() {
    m_actions.Send();
}
void MainWindow::OnDefault() {
    m_actions.Default();
}
void MainWindow::OnRefresh() {
    m_actions.Refresh();
}
void MainWindow::OnExit() {
    done(0);
}
void MainWindow::OnHelp() {
    m_ctx.ui.OpenHelp(m_ctx.cfg.helpFilePath);
}

bool MainWindow::event(QEvent* e) {
    // Activation gives the window the keyboard focus, so F1 works before anything is clicked.
    if (e->type() == QEvent::WindowActivate && !focusWidget()) setFocus(Qt::ActiveWindowFocusReason);
    return QDialog::event(e);
}

std::set<std::pair<std::string, std::string>> MainWindow::LangKeysAsked() const {
    auto all = m_keysAsked;
    for (const auto& [id, page] : m_pages)
        all.insert(page->LangKeysAsked().begin(), page->LangKeysAsked().end());
    return all;
}

int MainWindow::SaveScreenshots(const QString& dir) {
    QDir().mkpath(dir);
    int written = 0;
    for (int i = 0; i < m_sheet->count(); ++i) {
        m_sheet->setCurrentIndex(i);
        for (int k = 0; k < 5; ++k)
            QApplication::processEvents();
        const QString name = QString::fromStdString(m_tabKeys[static_cast<size_t>(i)]).toLower();
        if (grab().save(dir + "/" + name + ".png")) ++written;
    }
    return written;
}

} // namespace tav
