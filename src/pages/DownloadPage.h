// The PCL flash fonts and macros page: lists both, downloads and deletes them, prints the
// printer's lists and chooses the macro the printer applies to every page.
#pragma once
#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "pages/TavPage.h"
#include "storage/FlashCore.h"

class QPushButton;

namespace tav {

// The macro list: the row of the printer's active macro is drawn red, the others blue.
class CMacroListCtrl : public QTreeWidget {
    Q_OBJECT
  public:
    explicit CMacroListCtrl(std::function<uint16_t()> activeMacro, QWidget* parent = nullptr);
    // The text colour of a row, by the ID in its second column.
    QColor RowColor(int row) const;

  private:
    std::function<uint16_t()> m_activeMacro;
};

class CDownload : public TavPage {
    Q_OBJECT
  public:
    explicit CDownload(AppContext& ctx, QWidget* parent = nullptr);
    void OnSetActive() override;
    QSize TemplateSize() const override { return {560, 380}; }

    void OnRefresh();
    void OnAddFont();
    void OnAddMacro();
    void OnDeleteFont();
    void OnDeleteMacro();
    void OnDeleteAllFonts();
    void OnDeleteAllMacros();
    void OnDeleteAll();
    void OnPrintFontList();
    void OnPrintMacroList();
    void OnMacroClicked();
    void OnEnableMacro();
    void OnDisableMacro();

    QTreeWidget* FontList() const { return m_fonts; }
    CMacroListCtrl* MacroList() const { return m_macroList; }
    const std::vector<uint16_t>& MacroIds() const { return m_macros; }

  signals:
    // The flash font list changed: the PCL page shows flash fonts among its typefaces.
    void FlashFontsChanged();

  protected:
    void OnInitDialog() override;

  private:
    void EnableActions(bool on);
    void FillFontRows();
    void FillMacroRows();
    void Download(bool macro);
    void DeleteAll(int which); // 1 fonts, 2 macros, 3 both
    // Lists both again and shows them, saying when a list arrived cut short. Nothing when the
    // exchange failed (said, and the rows kept).
    std::optional<FlashListing> Reload();
    // After a job the printer took: the lists again, and a message when they do not show the
    // change. False when the lists could not be read.
    bool Confirm(FlashAction action, uint16_t id);
    // After a delete job: confirmed when it went out; otherwise, or when the lists cannot be
    // read, the entries leave the page (assume) until a refresh shows the printer again.
    void AfterDelete(bool written, FlashAction action, uint16_t id, const std::function<void()>& assume);
    // Makes id the active macro (kNoActiveMacro: none) and confirms it.
    void SetActiveMacro(uint16_t id);

    std::vector<uint16_t> m_macros;
    QTreeWidget* m_fonts = nullptr;
    CMacroListCtrl* m_macroList = nullptr;
    std::vector<QPushButton*> m_actions;
    QPushButton* m_refresh = nullptr;
};

} // namespace tav
