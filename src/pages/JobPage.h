// The Job page: toner density, paper type, the paper types of trays 1 to 3, image quality and
// the job timeout. Rows, list entries and list codes come from the model's configuration.
#pragma once
#include <array>
#include <string>

#include "pages/TavPage.h"

class QComboBox;
class QLineEdit;

namespace tav {

class CJobTab : public TavPage {
    Q_OBJECT
  public:
    explicit CJobTab(AppContext& ctx, QWidget* parent = nullptr);

    void LoadFromSettings() override;
    QSize TemplateSize() const override { return {520, 360}; }

    // The focus-loss handler of the timeout edit.
    void OnTimeout();

  protected:
    void OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void PutControls();
    void ReadControls();
    void ApplyJobSettings();
    void FillLists();

    int m_density = 1;
    int m_paperType = 0;
    std::array<int, 3> m_tray{};
    int m_imageQuality = 0;
    int m_imageQualityApplied = 0;
    int m_smet = 0;
    std::string m_timeoutText = "15";

    QComboBox* m_densityList = nullptr;
    QComboBox* m_paperTypeList = nullptr;
    std::array<QComboBox*, 3> m_trayLists{};
    QComboBox* m_imageQualityList = nullptr;
    QComboBox* m_smetList = nullptr;
    QLineEdit* m_timeoutEdit = nullptr;
};

} // namespace tav
