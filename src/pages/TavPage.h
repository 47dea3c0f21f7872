// The base of every page of the sheet. The object is built with the main window; its controls are
// built at its first activation (OnInitDialog). Before that LoadFromSettings only fills members.
#pragma once
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "pjl/AppContext.h"
#include "storage/ListingCheck.h"

class QLabel;
class QScrollBar;

namespace tav {

class CNumEdit;

class TavPage : public QWidget {
    Q_OBJECT
  public:
    TavPage(AppContext& ctx, int templateId, QWidget* parent = nullptr);

    int TemplateId() const { return m_templateId; }
    // The size of the page's dialog template; the sheet takes the largest of its pages.
    virtual QSize TemplateSize() const { return {500, 340}; }

    bool IsCreated() const { return m_created; }
    // Builds the controls and runs OnInitDialog, once.
    void EnsureCreated();

    // Fills the page from EditedSettings; touches controls only once they exist.
    virtual void LoadFromSettings() {}
    // Sheet notifications.
    virtual void OnSetActive() {}
    virtual void OnKillActive() {}
    // The main window's private start message (firmware-update-only mode).
    virtual void OnStartMessage() {}

    // The control with that id, or nullptr.
    QWidget* Control(int controlId) const;
    // The help id of a control: the page's table, else 0x20000 + the id.
    uint32_t HelpIdFor(int controlId) const;
    // Shows the popup help of the control under pos (page coordinates); nothing on the background.
    // Returns the help id shown, or 0.
    uint32_t PopupHelpAt(const QPoint& pos);

    // Every (section, key) this page asked the language file for.
    const std::set<std::pair<std::string, std::string>>& LangKeysAsked() const { return m_keysAsked; }

  protected:
    virtual void OnInitDialog() = 0;

    // Registers w as control id: the dynamic property "controlId", and no context menu of its own
    // so a right-click reaches the page.
    template <typename W> W* AddControl(int controlId, W* w) {
        RegisterControl(controlId, w);
        return w;
    }
    void RegisterControl(int controlId, QWidget* w);
    // The controls several pages build the same way. A plain-text label:
    QLabel* AddLabel(int controlId);
    // A number edit whose keys the page sees first, for the arrow-key steps:
    CNumEdit* AddNumEdit(int controlId);
    // An up/down bar beside an edit. It keeps no position: each action reaches onStep as its
    // scroll code (kScrollLineUp, kScrollLineDown, 2 and 3 a page up and down, 5 a drag, 6 and
    // 7 the ends).
    QScrollBar* AddStepBar(int controlId, std::function<void(int code)> onStep);
    void SetHelpTable(std::vector<std::pair<int, uint32_t>> table) { m_helpTable = std::move(table); }

    // Language text, recorded; maxChars is the caller's buffer less its terminator.
    QString LangText(const char* section, const char* key, size_t maxChars = 255);
    std::string LangTextStd(const char* section, const char* key, size_t maxChars = 255);
    // The product title and the common failure box, recorded like every other text.
    std::string ProductTitle();
    // Language text used as a format: %s and %d are filled with args in order, %% is a percent
    // sign, nothing else is read.
    static std::string Format(const std::string& text, const std::vector<std::string>& args);
    void ShowPrinterError();
    // What a listing read after an action says, told the user: names (what contradicts the action)
    // with the FMU text notTakenKey, an incomplete listing, or the printer box for none. True when
    // it shows the action done.
    bool TellListed(Listed verdict, const std::string& names, const char* notTakenKey);
    MsgResult Message(const std::string& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok);

    void contextMenuEvent(QContextMenuEvent* event) override;

    AppContext& m_ctx;

  private:
    int m_templateId;
    bool m_created = false;
    std::vector<std::pair<int, uint32_t>> m_helpTable;
    std::set<std::pair<std::string, std::string>> m_keysAsked;
};

QString FromStd(const std::string& s);

} // namespace tav
