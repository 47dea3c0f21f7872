// The PCL page: orientation (shared with the Printing page), default typeface, symbol set, pitch,
// point size, Courier weight, lines per page and automatic carriage return, and the PCL font list
// print. Every accepted change goes into EditedSettings at once; Send sends what differs.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "pages/PaperLayout.h"
#include "pages/PclRules.h"
#include "pages/TavPage.h"

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace tav {

class CNumEdit;

class CPclTab : public TavPage {
    Q_OBJECT
  public:
    // On a sheet the orientation, margins and form lines are shared with the Printing page through
    // the sheet's layout; without one the page keeps them to itself.
    explicit CPclTab(AppContext& ctx, PaperLayout* layout = nullptr, QWidget* parent = nullptr);
    ~CPclTab() override;

    QSize TemplateSize() const override { return {600, 320}; }

    void LoadFromSettings() override;

    static const std::vector<std::pair<int, uint32_t>>& HelpTopics();
    static constexpr int kPortraitIcon = 1001;
    static constexpr int kLandscapeIcon = 1002;
    static constexpr int kPitchBarId = 8028;
    static constexpr int kPointBarId = 8032;

    // The up/down bars' notification: scroll code 0 one step up, 1 one step down.
    void OnVScroll(int barId, int code);
    // Prints the printer's PCL font list; 1 when the printer took the job.
    int PrintFontList();

    // Page state the controls do not show.
    bool ExtraSetsShown() const { return m_extraSets; }

  protected:
    void OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void SetTexts();
    void FillLists();
    // Flash fonts follow the built-in typefaces in the typeface list.
    void RefreshFlashFonts();
    bool FlashFontsOffered() const;
    void QueryFlashFonts();
    void SetIcon();

    // A turn or new form lines, from either page.
    void OnLayoutChanged(PaperLayout::Change change);
    // The lists, the symbol set shown and the controls a typeface allows. A load shows the store
    // and writes nothing; a pick also resets the symbol-set field, as the face brings its own.
    void ShowTypeface(bool picked);

    // Control notifications.
    void OnTypefaceChange();
    void OnSymbolSetChange();
    void OnSizeOrCourier();
    void OnLinesKillFocus();
    void OnAutoCr();
    void OnOrientation();

    void ReadControls();
    void WriteControls();
    void SetSizeControls(SizeControls enabled);
    void SetSymbolItems(const std::vector<std::string>& items);

    PclSwitches Switches() const { return PclSwitches::From(m_ctx); }
    bool CourierShown() const { return m_ctx.ConfigFlag("PCL", "Courier"); }

    // Members exchanged with the controls.
    int m_typefacePos = 0;
    int m_symSetPos = 0;
    std::string m_pitchText;
    std::string m_pointText;
    int m_courierPos = 0;
    std::string m_linesText;
    int m_orientation = 0;
    int m_prevOrientation = 0;
    int m_autoCrPos = 0;

    bool m_extraSets = false; // the extra symbol sets were appended to the list
    bool m_listsFilled = false;
    bool m_fontsFresh = false; // the flash font list was just asked for
    std::vector<std::string> m_typefaceFile;
    std::vector<std::string> m_symbolFile;

    QRadioButton* m_portrait = nullptr;
    QRadioButton* m_landscape = nullptr;
    QLabel* m_icon = nullptr;
    QComboBox* m_typefaceList = nullptr;
    QComboBox* m_symbolList = nullptr;
    CNumEdit* m_pitchEdit = nullptr;
    QScrollBar* m_pitchBar = nullptr;
    CNumEdit* m_pointEdit = nullptr;
    QScrollBar* m_pointBar = nullptr;
    QLabel* m_courierLabel = nullptr;
    QComboBox* m_courierList = nullptr;
    CNumEdit* m_linesEdit = nullptr;
    QScrollBar* m_linesBar = nullptr;
    QPushButton* m_fontListButton = nullptr;
    QComboBox* m_autoCrList = nullptr;
    PaperLayoutView m_layout;
};

} // namespace tav
