// The PCL flash fonts and macros page: lists both, downloads and deletes them, prints the
// printer's lists and chooses the macro the printer applies to every page.
#pragma once
#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "pages/TavPage.h"

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

    std::vector<uint16_t> m_macros;
    QTreeWidget* m_fonts = nullptr;
    CMacroListCtrl* m_macroList = nullptr;
    std::vector<QPushButton*> m_actions;
    QPushButton* m_refresh = nullptr;
};

} // namespace tav
