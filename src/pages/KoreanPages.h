// The three Korean line-printer emulation pages. One class holds the pattern they share; each
// page is that pattern with its own controls, fields and language section (KoreanRules.h).
#pragma once
#include <string>

#include "pages/EmulationTab.h"
#include "pages/KoreanRules.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QScrollBar;

namespace tav {

class CNumEdit;

class CKoreanTab : public CEmulationTab {
    Q_OBJECT
  public:
    CKoreanTab(AppContext& ctx, const KoreanPageLayout& desc, QWidget* parent = nullptr);

    void LoadFromSettings() override;
    const KoreanPageLayout& Layout() const { return m_desc; }

    // The handlers: any list's selection change or the check box (store); focus loss of the
    // zoom, mode and point-size edits; a scroll code from the zoom or point-size bar; the
    // font-list button.
    void OnStore();
    void OnZoomKillFocus();
    void OnModeKillFocus();
    void OnPtSizeKillFocus();
    void OnZoomScroll(int code);
    void OnPtSizeScroll(int code);
    void OnFontList();

  protected:
    void OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Data exchange; false when the point-size text is too long (the prompt was shown).
    bool ReadControls();
    void PutControls();

    const KoreanPageLayout& m_desc;
    int m_pitch = 0;
    int m_lpiPos = 0;
    int m_font = 0;
    bool m_autoWrap = false;
    int m_margin = 0;
    int m_code = 0;
    std::string m_zoomText = "100";
    std::string m_modeText = "0";
    std::string m_ptSizeText = "10.50";
    bool m_prompting = false;

    QComboBox* m_pitchList = nullptr;
    QComboBox* m_lpiList = nullptr;
    QComboBox* m_fontList = nullptr;
    QComboBox* m_marginList = nullptr;
    QComboBox* m_codeList = nullptr;
    QCheckBox* m_autoWrapBox = nullptr;
    CNumEdit* m_zoomEdit = nullptr;
    CNumEdit* m_modeEdit = nullptr;
    CNumEdit* m_ptSizeEdit = nullptr;
};

// KSC5843.
class CKs5843Tab : public CKoreanTab {
    Q_OBJECT
  public:
    explicit CKs5843Tab(AppContext& ctx, QWidget* parent = nullptr) : CKoreanTab(ctx, Ks5843Layout(), parent) {}
};

// KSSM.
class CPsTab : public CKoreanTab {
    Q_OBJECT
  public:
    explicit CPsTab(AppContext& ctx, QWidget* parent = nullptr) : CKoreanTab(ctx, KssmLayout(), parent) {}
};

// KSC5895.
class CKs5895Tab : public CKoreanTab {
    Q_OBJECT
  public:
    explicit CKs5895Tab(AppContext& ctx, QWidget* parent = nullptr) : CKoreanTab(ctx, Ks5895Layout(), parent) {}
};

} // namespace tav
