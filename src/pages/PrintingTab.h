// The Printing page: paper size (with a custom size), source, copies, orientation, quality,
// margins, duplex margins and Wide A4. Every accepted change goes into EditedSettings at once;
// Send sends what differs.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "pages/PaperLayout.h"
#include "pages/PaperModel.h"
#include "pages/PrintingRules.h"
#include "pages/TavPage.h"
#include "pjl/Resolution.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace tav {

class CNumEdit;

class CPrintingTab : public TavPage {
    Q_OBJECT
public:
    // On a sheet the orientation, margins and form lines are shared through the sheet's layout;
    // without one the page keeps them to itself.
    explicit CPrintingTab(AppContext& ctx, PaperLayout* layout = nullptr, QWidget* parent = nullptr);
    ~CPrintingTab() override;

    QSize TemplateSize() const override { return {640, 320}; }

    void LoadFromSettings() override;
    void OnSetActive() override;
    void OnKillActive() override;

    // Control -> popup topic; controls not named here take 0x20000 + their id.
    static const std::vector<std::pair<int, uint32_t>>& HelpTopics();
    // Icon resource of the orientation picture: 1001 portrait, 1002 landscape.
    static constexpr int kPortraitIcon = 1001;
    static constexpr int kLandscapeIcon = 1002;

    // Page state the controls do not show.
    bool CassetteSource() const { return m_cassetteSource; }
    double MaxTopMargin() const { return m_maxTop; }
    double MaxLeftMargin() const { return m_maxLeft; }

protected:
    void OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Control notifications.
    void OnOrientation();
    void OnPaperSize();
    void ApplySelections();
    void OnWideA4();
    void OnSourceKillFocus();
    void OnMarginKillFocus(bool top);
    void OnDuplexMarginKillFocus(bool top);
    void OnCopiesKillFocus();
    void OnCustomEdgeKillFocus(bool shortEdge);

    // A turn or new form lines, from either page.
    void OnLayoutChanged(PaperLayout::Change change);
    // FORMLINES for this page's paper; the PCL page shows them too.
    void RecomputeFormLines() { m_layout->RecomputeFormLines(); }

    // Dialog data exchange: the controls into the members, and back.
    void ReadControls();
    void WriteControls();

    void Load();
    void BuildControls();
    void FillPaperList();
    void FillSourceList();
    void FillQualityList();
    void SetIcon();
    // The size texts, labels and edit states for the current list position; customWidth and
    // customHeight are shown when it is the custom entry.
    void ShowSizeFor(int customWidth, int customHeight);
    // Limits both custom edges, shows them and stores them as width (short) and height (long).
    void StoreCustomEdges(bool limitShort, bool limitLong);

    bool Inch() const { return m_ctx.store.edited.marginUnit != 0; }
    bool LargerSourceLists() const { return (m_ctx.store.edited.featureFlags & 0x1) != 0; }
    bool Tray1MptSame() const { return m_ctx.ConfigFlag("Printing", "Tray1MPT_SAME"); }
    const SourceTable& Sources() const { return SourceTableFor(LargerSourceLists(), Tray1MptSame()); }
    bool IsCassette(int position) const { return IsCassetteSource(LargerSourceLists(), Tray1MptSame(), position); }
    PaperPageState PaperState() const { return {m_paperPos, m_cassetteSource, m_orientation}; }

    // Page state.
    int m_paperPos = 0;
    int m_sourcePos = 0;
    int m_prevSourcePos = 0;
    int m_qualityPos = 1;
    int m_orientation = 0;
    int m_lastOrientation = 0;
    int m_wideA4 = 0;
    std::string m_shortText = "210";
    std::string m_longText = "297";
    std::string m_topText;
    std::string m_leftText;
    std::string m_dupTopText;
    std::string m_dupLeftText;
    std::string m_copiesText = "1";
    bool m_cassetteSource = false;
    double m_maxTop = 0;
    double m_maxLeft = 0;
    bool m_initialised = false;
    bool m_loaded = false;
    bool m_customShown = false;       // the size edits are the custom size's, enabled

    // Controls.
    QGroupBox* m_paperGroup = nullptr;
    QComboBox* m_paperList = nullptr;
    QLabel* m_shortLabel = nullptr;
    QLabel* m_longLabel = nullptr;
    CNumEdit* m_shortEdit = nullptr;
    CNumEdit* m_longEdit = nullptr;
    QRadioButton* m_portrait = nullptr;
    QRadioButton* m_landscape = nullptr;
    QLabel* m_icon = nullptr;
    QCheckBox* m_wideA4Check = nullptr;
    QComboBox* m_sourceList = nullptr;
    CNumEdit* m_copiesEdit = nullptr;
    QComboBox* m_qualityList = nullptr;
    QComboBox* m_autoCrList = nullptr;
    QGroupBox* m_shortMargins = nullptr;
    QGroupBox* m_tallMargins = nullptr;
    CNumEdit* m_topEdit = nullptr;
    CNumEdit* m_leftEdit = nullptr;
    CNumEdit* m_dupTopEdit = nullptr;
    CNumEdit* m_dupLeftEdit = nullptr;
    std::vector<QWidget*> m_duplexRow;  // labels and edits of the duplex margins
    std::vector<QLabel*> m_unitLabels;
    std::vector<QLabel*> m_labelColumn;     // the left column's labels, made one width
    QGridLayout* m_marginGrid = nullptr;  // the margin rows, placed in the box that is shown
    QGridLayout* m_jobGrid = nullptr;     // copies and quality, below the paper group
    QString m_shortEdgeText, m_longEdgeText, m_shortEdgeMmText, m_longEdgeMmText;
    PaperLayoutView m_layout;
};

}  // namespace tav
