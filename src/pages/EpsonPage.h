// The Epson page: the defaults of the printer's Epson (IBM-compatible dot-matrix) emulation, and
// the print of its font list. Which options it offers depends on the model.
#pragma once
#include <string>

#include "pages/EmulationTab.h"
#include "pages/EpsonRules.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tav {

class CNumEdit;

class CEpsonTab : public CEmulationTab {
    Q_OBJECT
  public:
    explicit CEpsonTab(AppContext& ctx, QWidget* parent = nullptr);

    void LoadFromSettings() override;

    // The handlers: any list's selection change or the form-lines text change; focus loss of the
    // form-lines edit; a click on the auto-wrap box; the font-list button.
    void OnStore();
    void OnFormLinesKillFocus();
    void OnAutoWrap();
    void OnFontList();

  protected:
    void OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Data exchange; false when the form-lines edit holds no integer (the prompt was shown).
    bool ReadControls();
    void PutControls();
    void StoreFormLines();

    EpsonOptions m_options;
    int m_font = 0;
    int m_charSet = 0;
    int m_charTable = 0;
    int m_pitchPos = 0;
    int m_lpi = 0;
    int m_topMargin = 0;
    int m_formLines = 0;
    bool m_autoWrap = false;
    // The user picked from the pitch list since the last load.
    bool m_pitchPicked = false;
    // A prompt is open: its nested message loop must not start another.
    bool m_prompting = false;

    QComboBox* m_fontList = nullptr;
    QComboBox* m_charSetList = nullptr;
    QComboBox* m_charTableList = nullptr;
    QComboBox* m_pitchList = nullptr;
    QComboBox* m_lpiList = nullptr;
    QComboBox* m_topMarginList = nullptr;
    QCheckBox* m_autoWrapBox = nullptr;
    CNumEdit* m_formLinesEdit = nullptr;
    QPushButton* m_fontListButton = nullptr;
};

} // namespace tav
