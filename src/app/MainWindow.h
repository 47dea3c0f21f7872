// The main window: the sheet of pages, the button bar (Send, Default, Exit, Help, Refresh), the
// menu, the help key and the quit message.
#pragma once
#include <QDialog>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "app/ButtonBarActions.h"
#include "pages/PaperLayout.h"
#include "pages/Sheet.h"
#include "pjl/AppContext.h"

class QLocalServer;
class QPushButton;
class QTabWidget;
class QMenuBar;

namespace tav {

class TavPage;

// Button bar and menu command ids.
inline constexpr int kIdSend = 8012;
inline constexpr int kIdDefault = 8013;
inline constexpr int kIdExit = 8014;
inline constexpr int kIdHelp = 8017;
inline constexpr int kIdRefresh = 8052;
inline constexpr int kMenuExit = 7004;
inline constexpr int kMenuHelp = 7005;

// Listens for the quit message; on a connection the program gives back the port, unloads the
// device libraries and ends at once with status 0.
class QuitListener : public QObject {
    Q_OBJECT
  public:
    explicit QuitListener(AppContext& ctx, QObject* parent = nullptr);
    bool IsListening() const;

  private:
    void OnQuit();
    AppContext& m_ctx;
    QLocalServer* m_server;
};

class MainWindow : public QDialog {
    Q_OBJECT
  public:
    using PageFactory = std::function<std::unique_ptr<TavPage>(PageId, AppContext&)>;
    struct Options {
        bool firmwareUpdateOnly = false;
        bool listenForQuit = true;
        PageFactory factory; // empty: the pages this build has
    };
    MainWindow(AppContext& ctx, Options options);
    ~MainWindow() override;

    // The page object of that class, whether or not it is on the sheet; nullptr when absent.
    TavPage* Page(PageId id) const;
    QTabWidget* Sheet() const { return m_sheet; }
    QPushButton* Button(int id) const;
    ButtonBarActions& Actions() { return m_actions; }
    // The tabs on the sheet, in order.
    const std::vector<PageId>& Tabs() const { return m_tabs; }
    const MainGeometry& Geometry() const { return m_geometry; }

    // Every page reloads from EditedSettings; 0 when a busy port stopped it.
    int RefreshPages();
    void OnSend();
    void OnDefault();
    void OnRefresh();
    void OnExit();
    void OnHelp();

    // Every (section, key) the window asked the language file for, its pages' included.
    std::set<std::pair<std::string, std::string>> LangKeysAsked() const;

    // Shows each tab in turn and saves a picture of the window as <dir>/<title key, lower case>.png.
    // Returns the number written.
    int SaveScreenshots(const QString& dir);

  protected:
    bool event(QEvent* e) override;

  private:
    QString LangText(const char* section, const char* key, size_t maxChars = 255);
    void BuildMenu(QMenuBar* menu);
    QWidget* BuildButtonBar(QWidget* parent);
    void OnTabChanged(int index);

    AppContext& m_ctx;
    Options m_options;
    // What the Printing and PCL pages share; it outlives the pages.
    PaperLayout m_paper;
    std::map<PageId, std::unique_ptr<TavPage>> m_pages;
    std::vector<PageId> m_tabs;
    std::vector<std::string> m_tabKeys;
    QTabWidget* m_sheet = nullptr;
    std::map<int, QPushButton*> m_buttons;
    ButtonBarActions m_actions;
    MainGeometry m_geometry;
    int m_activeTab = -1;
    std::set<std::pair<std::string, std::string>> m_keysAsked;
    QuitListener* m_quit = nullptr;
};

} // namespace tav
