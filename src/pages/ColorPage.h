// The Color page: custom colour defaults (printer default or manual CMYK adjustment), the
// calibration default where the model has it, and automatic colour registration at once.
#pragma once
#include <array>

#include "pages/TavPage.h"

class QButtonGroup;
class QComboBox;
class QPushButton;

namespace tav {

class CColorTab : public TavPage {
    Q_OBJECT
  public:
    explicit CColorTab(AppContext& ctx, QWidget* parent = nullptr);

    void LoadFromSettings() override;
    QSize TemplateSize() const override { return {520, 360}; }

  protected:
    void OnInitDialog() override;

  private:
    void PutControls();
    void ReadControls();
    void ApplyColorSettings();
    void EnableLists();
    void OnRunRegistration();

    // Positions of the black, cyan, magenta and yellow lists.
    int m_black = 2, m_cyan = 2, m_magenta = 2, m_yellow = 2;
    int m_customColor = 0;
    int m_calibration = 0;

    QButtonGroup* m_customRadios = nullptr;
    QButtonGroup* m_calibrationRadios = nullptr;
    std::array<QComboBox*, 4> m_lists{}; // cyan, magenta, yellow, black
};

} // namespace tav
