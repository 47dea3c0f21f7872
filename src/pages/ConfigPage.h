// The Config page in its two variants: the standard page (emulation, power save, the machine
// switches, altitude, duplex and the hidden serial settings) and the OEM brand's page (power
// save, jam recovery and duplex). Every change goes into EditedSettings at once.
#pragma once
#include <string>
#include <vector>

#include "pages/TavPage.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

namespace tav {

class CConfigTab : public TavPage {
    Q_OBJECT
  public:
    explicit CConfigTab(AppContext& ctx, QWidget* parent = nullptr);

    void LoadFromSettings() override;
    // Other pages change ECONOMODE, BAUDRATE and ROBUST too; the page shows them afresh.
    void OnSetActive() override;
    QSize TemplateSize() const override { return {520, 360}; }

  signals:
    // After each emulation choice: the Printing page follows the new emulation.
    void EmulationChanged();

  protected:
    void OnInitDialog() override;

  private:
    void PutControls();
    void ReadControls();
    void OnEmulation(int item);
    void OnPowerSaveOff();
    void OnPowerSaveOn();
    void OnPowerSaveTime(int item);
    void ApplyChecks();
    void OnAltitudeList(int item);
    void OnDuplex(int index);
    bool KoreanList() const;

    // Page state, as the controls show it.
    int m_emulation = 0;
    int m_powerSaveOn = 0; // radio index: 0 Off, 1 On
    int m_powerSaveItem = 0;
    bool m_autoCont = false, m_jamRecovery = false, m_economode = false, m_autoClean = false;
    bool m_darkText = false, m_altitudeCheck = false, m_robust = false;
    int m_altitudeItem = 0;
    bool m_altitudeByBox = false;
    int m_duplex = 0;
    int m_baudRate = 0;

    std::vector<std::string> m_powerSaveTimes;
    QComboBox* m_emulationList = nullptr;
    QButtonGroup* m_powerSaveRadios = nullptr;
    QComboBox* m_powerSaveList = nullptr;
    QCheckBox* m_autoContBox = nullptr;
    QCheckBox* m_jamRecoveryBox = nullptr;
    QCheckBox* m_economodeBox = nullptr;
    QCheckBox* m_autoCleanBox = nullptr;
    QCheckBox* m_darkTextBox = nullptr;
    QCheckBox* m_altitudeBox = nullptr;
    QComboBox* m_altitudeList = nullptr;
    QButtonGroup* m_duplexRadios = nullptr;
    QComboBox* m_baudRateList = nullptr;
    QCheckBox* m_robustBox = nullptr;
};

class CConfigTabX : public TavPage {
    Q_OBJECT
  public:
    explicit CConfigTabX(AppContext& ctx, QWidget* parent = nullptr);

    void LoadFromSettings() override;
    QSize TemplateSize() const override { return {520, 360}; }

  protected:
    void OnInitDialog() override;

  private:
    void PutControls();
    // Any change of the three controls stores all three.
    void StoreAll();

    int m_powerSaveItem = 3;
    int m_jamRecovery = 0;
    int m_duplex = 0;

    std::vector<std::string> m_powerSaveTimes;
    QComboBox* m_powerSaveList = nullptr;
    QComboBox* m_jamRecoveryList = nullptr;
    QButtonGroup* m_duplexRadios = nullptr;
};

} // namespace tav
