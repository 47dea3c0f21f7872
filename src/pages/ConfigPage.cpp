#include "pages/ConfigPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "pages/ConfigRules.h"
#include "pages/PageControls.h"

namespace tav {
namespace {

const char* const kBaudRates[] = {"300",  "600",   "1200",  "2400",  "4800",
                                  "9600", "19200", "38400", "57600", "115200"};

bool On(uint8_t v) {
    return v != 0;
}

// Writes a box into its 0/1 field when the box and the field disagree. A field may hold more
// than 1 (ALTITUDE from the plain altitude list); a ticked box agrees with any non-zero value.
void StoreBox(uint8_t& field, bool checked) {
    if (checked != On(field)) field = checked ? 1 : 0;
}

QRadioButton* AddRadio(QButtonGroup* group, int index, QRadioButton* radio) {
    group->addButton(radio, index);
    return radio;
}

} // namespace

// ---------------------------------------------------------------- standard page

CConfigTab::CConfigTab(AppContext& ctx, QWidget* parent) : TavPage(ctx, 5015, parent) {}

bool CConfigTab::KoreanList() const {
    return m_ctx.cfg.koreanLanguage && (m_ctx.store.edited.featureFlags & kCfgFlagKs5843);
}

void CConfigTab::OnInitDialog() {
    const uint32_t flags = m_ctx.store.edited.featureFlags;
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(18, 18, 18, 18);
    outer->setSpacing(18);
    auto* left = new QVBoxLayout;
    left->setSpacing(12);
    auto* right = new QVBoxLayout;
    right->setSpacing(12);
    outer->addLayout(left, 3);
    outer->addLayout(right, 2);

    // Emulation.
    auto* emuRow = new QHBoxLayout;
    auto* emuLabel = AddControl(6013, new QLabel(LangText("CONFIG", "IDL_EMULATION", 63), this));
    m_emulationList = AddControl(8091, new QComboBox(this));
    for (const EmulationItem& item : EmulationItems(m_ctx.cfg.koreanLanguage, flags))
        m_emulationList->addItem(item.langKey.empty() ? FromStd(item.fixedText)
                                                      : LangText("STR_CFG", item.langKey.c_str(), 63));
    m_emulationList->setMinimumWidth(180);
    emuLabel->setBuddy(m_emulationList);
    emuRow->addWidget(emuLabel);
    emuRow->addWidget(m_emulationList);
    emuRow->addStretch(1);
    left->addLayout(emuRow);

    // Power save.
    auto* powerBox = AddControl(6011, new QGroupBox(LangText("CONFIG", "IDL_POWERSAVE", 63), this));
    auto* powerGrid = new QGridLayout(powerBox);
    powerGrid->setColumnStretch(2, 1);
    m_powerSaveRadios = new QButtonGroup(this);
    auto* off =
        AddControl(8129, AddRadio(m_powerSaveRadios, 0,
                                  new QRadioButton(LangText("CONFIG", "IDC_POWERSAVE_OFF", 63), powerBox)));
    auto* on =
        AddControl(8130, AddRadio(m_powerSaveRadios, 1,
                                  new QRadioButton(LangText("CONFIG", "IDC_POWERSAVE_ON", 63), powerBox)));
    m_powerSaveList = AddControl(8024, new QComboBox(powerBox));
    m_powerSaveTimes = PowerSaveItems(m_ctx);
    FillList(m_powerSaveList, m_powerSaveTimes);
    m_powerSaveList->setMinimumWidth(72);
    powerGrid->addWidget(off, 0, 0, 1, 2);
    powerGrid->addWidget(on, 1, 0);
    powerGrid->addWidget(m_powerSaveList, 1, 1);
    if (m_ctx.ConfigFlag("STR_CONFIG", "POWERSAVE_OFF")) {
        off->hide();
        on->hide();
    }
    left->addWidget(powerBox);

    // The machine switches.
    auto* boxes = new QVBoxLayout;
    boxes->setSpacing(6);
    m_jamRecoveryBox = AddControl(8027, new QCheckBox(LangText("CONFIG", "IDC_JAMRECOVERY", 63), this));
    m_autoContBox = AddControl(8026, new QCheckBox(LangText("CONFIG", "IDC_AUTOCONT", 63), this));
    m_economodeBox = AddControl(8025, new QCheckBox(LangText("CONFIG", "IDC_ECONOMODE", 63), this));
    m_autoCleanBox = AddControl(8035, new QCheckBox(LangText("CONFIG", "IDC_AUTOCLEAN", 63), this));
    m_darkTextBox = AddControl(8127, new QCheckBox(LangText("CONFIG", "IDC_DARKTEXT", 63), this));
    m_altitudeBox = AddControl(8135, new QCheckBox(LangText("CONFIG", "IDC_ALTITUDE", 63), this));
    for (QCheckBox* b :
         {m_jamRecoveryBox, m_autoContBox, m_economodeBox, m_autoCleanBox, m_darkTextBox, m_altitudeBox})
        boxes->addWidget(b);
    auto* altitudeRow = new QHBoxLayout;
    auto* altitudeLabel = AddControl(1188, new QLabel(LangText("CONFIG", "IDC_ALTITUDE", 63), this));
    m_altitudeList = AddControl(1189, new QComboBox(this));
    for (int i = 0; i < 4; ++i)
        m_altitudeList->addItem(LangText("STR_CFG", ("IDS_ALTITUDE" + std::to_string(i)).c_str(), 63));
    altitudeLabel->setBuddy(m_altitudeList);
    altitudeRow->addWidget(altitudeLabel);
    altitudeRow->addWidget(m_altitudeList, 1);
    boxes->addLayout(altitudeRow);
    left->addLayout(boxes);
    left->addStretch(1);

    m_autoCleanBox->setVisible(m_ctx.ConfigFlag("Config", "AutoCleanDrum"));
    m_darkTextBox->setVisible(m_ctx.ConfigFlag("Config", "DarkText"));
    if (m_ctx.ConfigFlag("Config", "TonerSaveOff")) m_economodeBox->hide();
    const bool altitude = m_ctx.ConfigFlag("Config", "Altitude");
    const bool plain = m_ctx.ConfigFlag("Config", "AltiPlain");
    m_altitudeByBox = altitude && !plain;
    m_altitudeBox->setVisible(m_altitudeByBox);
    altitudeLabel->setVisible(altitude && plain);
    m_altitudeList->setVisible(altitude && plain);

    // Duplex.
    auto* duplexBox = AddControl(6067, new QGroupBox(LangText("CONFIG", "IDL_DUPLEX", 63), this));
    auto* duplexColumn = new QVBoxLayout(duplexBox);
    m_duplexRadios = new QButtonGroup(this);
    const struct {
        int id;
        const char* key;
    } duplex[] = {{8143, "IDC_DUPLEX_NONE"}, {8144, "IDC_DUPLEX_LONG"}, {8147, "IDC_DUPLEX_SHORT"}};
    for (int i = 0; i < 3; ++i)
        duplexColumn->addWidget(AddControl(
            duplex[i].id,
            AddRadio(m_duplexRadios, i, new QRadioButton(LangText("CONFIG", duplex[i].key, 63), duplexBox))));
    duplexBox->setVisible(m_ctx.ConfigFlag("Config", "Duplex"));
    duplexBox->setEnabled((flags & kCfgFlagDuplex) != 0);
    right->addWidget(duplexBox);

    // The serial line: kept, loaded and stored, never shown on this family.
    auto* ioBox = AddControl(8140, new QGroupBox(QStringLiteral("I/O"), this));
    auto* ioGrid = new QGridLayout(ioBox);
    auto* bpsLabel = AddControl(8119, new QLabel(LangText("CONFIG", "IDC_STATIC_BPS", 63), ioBox));
    m_baudRateList = AddControl(8092, new QComboBox(ioBox));
    for (const char* rate : kBaudRates)
        m_baudRateList->addItem(QString::fromLatin1(rate));
    m_robustBox = AddControl(8094, new QCheckBox(QStringLiteral("Robust XON"), ioBox));
    ioGrid->addWidget(bpsLabel, 0, 0);
    ioGrid->addWidget(m_baudRateList, 0, 1);
    ioGrid->addWidget(m_robustBox, 1, 0, 1, 2);
    ioBox->hide();
    right->addWidget(ioBox);
    auto* fastPrint = AddControl(8031, new QCheckBox(QStringLiteral("Fast Print"), this));
    fastPrint->setEnabled(false);
    fastPrint->hide();
    right->addStretch(1);

    connect(m_emulationList, &QComboBox::activated, this, &CConfigTab::OnEmulation);
    connect(off, &QAbstractButton::clicked, this, &CConfigTab::OnPowerSaveOff);
    connect(on, &QAbstractButton::clicked, this, &CConfigTab::OnPowerSaveOn);
    connect(m_powerSaveList, &QComboBox::activated, this, &CConfigTab::OnPowerSaveTime);
    for (QCheckBox* b : {m_autoContBox, m_jamRecoveryBox, m_economodeBox, m_autoCleanBox, m_darkTextBox,
                         m_altitudeBox, m_robustBox})
        connect(b, &QAbstractButton::clicked, this, &CConfigTab::ApplyChecks);
    connect(m_baudRateList, &QComboBox::activated, this, &CConfigTab::ApplyChecks);
    connect(m_altitudeList, &QComboBox::activated, this, &CConfigTab::OnAltitudeList);
    connect(m_duplexRadios, &QButtonGroup::idClicked, this, &CConfigTab::OnDuplex);

    LoadFromSettings();
}

void CConfigTab::LoadFromSettings() {
    const PrinterSettings& s = m_ctx.store.edited;
    m_emulation = EmulationItemFor({s.personality, s.epsonIbm}, m_ctx.cfg.koreanLanguage, s.featureFlags);
    if (m_powerSaveTimes.empty()) m_powerSaveTimes = PowerSaveItems(m_ctx);
    m_powerSaveOn = s.powerSave != 0 ? 1 : 0;
    m_powerSaveItem = s.powerSave != 0 ? StandardPowerSaveItem(s.powerSave, m_powerSaveTimes) : 0;
    m_autoCont = On(s.autoCont);
    m_jamRecovery = On(s.jamRecovery);
    m_economode = On(s.economode);
    m_autoClean = On(s.autoClean);
    m_darkText = On(s.darkText);
    m_altitudeCheck = On(s.altitude);
    m_altitudeItem = s.altitude;
    m_duplex = s.duplex;
    m_baudRate = s.baudRate;
    m_robust = On(s.robust);
    if (IsCreated()) PutControls();
}

void CConfigTab::OnSetActive() {
    if (IsCreated()) LoadFromSettings();
}

void CConfigTab::PutControls() {
    SetListIndex(m_emulationList, m_emulation);
    SetCheckedIndex(m_powerSaveRadios, m_powerSaveOn);
    SetListIndex(m_powerSaveList, m_powerSaveItem);
    m_powerSaveList->setEnabled(m_powerSaveOn == 1);
    m_autoContBox->setChecked(m_autoCont);
    m_jamRecoveryBox->setChecked(m_jamRecovery);
    m_economodeBox->setChecked(m_economode);
    m_autoCleanBox->setChecked(m_autoClean);
    m_darkTextBox->setChecked(m_darkText);
    m_altitudeBox->setChecked(m_altitudeCheck);
    SetListIndex(m_altitudeList, m_altitudeItem);
    SetCheckedIndex(m_duplexRadios, m_duplex);
    SetListIndex(m_baudRateList, m_baudRate);
    m_robustBox->setChecked(m_robust);
}

void CConfigTab::ReadControls() {
    m_emulation = m_emulationList->currentIndex();
    m_powerSaveOn = CheckedIndex(m_powerSaveRadios);
    m_powerSaveItem = m_powerSaveList->currentIndex();
    m_autoCont = m_autoContBox->isChecked();
    m_jamRecovery = m_jamRecoveryBox->isChecked();
    m_economode = m_economodeBox->isChecked();
    m_autoClean = m_autoCleanBox->isChecked();
    m_darkText = m_darkTextBox->isChecked();
    m_altitudeCheck = m_altitudeBox->isChecked();
    m_altitudeItem = m_altitudeList->currentIndex();
    m_duplex = CheckedIndex(m_duplexRadios);
    m_baudRate = m_baudRateList->currentIndex();
    m_robust = m_robustBox->isChecked();
}

void CConfigTab::OnEmulation(int item) {
    ReadControls();
    PrinterSettings& s = m_ctx.store.edited;
    const EmulationValue v =
        ChooseEmulation(item, m_ctx.cfg.koreanLanguage, s.featureFlags, {s.personality, s.epsonIbm});
    s.personality = v.personality;
    s.epsonIbm = v.epsonIbm;
    emit EmulationChanged();
}

void CConfigTab::OnPowerSaveOff() {
    m_ctx.store.edited.powerSave = 0;
    m_powerSaveOn = 0;
    m_powerSaveItem = 0;
    SetListIndex(m_powerSaveList, 0);
    m_powerSaveList->setEnabled(false);
}

void CConfigTab::OnPowerSaveOn() {
    ReadControls();
    // The time the list shows; the item number only when the list's text is not a known time.
    int value = PowerSaveFromText(m_powerSaveList->currentText().toStdString());
    if (value == 0) value = m_powerSaveItem >= 0 ? m_powerSaveItem + 1 : 1;
    m_ctx.store.edited.powerSave = static_cast<uint8_t>(value);
    m_powerSaveList->setEnabled(true);
}

void CConfigTab::OnPowerSaveTime(int item) {
    m_powerSaveItem = item;
    if (int value = PowerSaveFromText(m_powerSaveList->itemText(item).toStdString()))
        m_ctx.store.edited.powerSave = static_cast<uint8_t>(value);
}

void CConfigTab::ApplyChecks() {
    ReadControls();
    PrinterSettings& s = m_ctx.store.edited;
    StoreBox(s.autoCont, m_autoCont);
    StoreBox(s.darkText, m_darkText);
    // The box stands for ALTITUDE only where it is the altitude control; beside the plain list
    // it would undo the list's choice on every click of another box.
    if (m_altitudeByBox) StoreBox(s.altitude, m_altitudeCheck);
    StoreBox(s.autoClean, m_autoClean);
    StoreBox(s.economode, m_economode);
    StoreBox(s.jamRecovery, m_jamRecovery);
    // A list that shows nothing (a rate outside the table) leaves the field alone.
    if (m_baudRate >= 0 && m_baudRate != s.baudRate) s.baudRate = static_cast<uint8_t>(m_baudRate);
    StoreBox(s.robust, m_robust);
}

void CConfigTab::OnAltitudeList(int item) {
    m_altitudeItem = item;
    if (item >= 0) m_ctx.store.edited.altitude = static_cast<uint8_t>(item);
}

void CConfigTab::OnDuplex(int index) {
    m_duplex = index;
    if (index >= 0) m_ctx.store.edited.duplex = static_cast<uint8_t>(index);
}

// ---------------------------------------------------------------- OEM brand's page

CConfigTabX::CConfigTabX(AppContext& ctx, QWidget* parent) : TavPage(ctx, 5009, parent) {}

void CConfigTabX::OnInitDialog() {
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(18, 18, 18, 18);
    outer->setSpacing(18);
    auto* left = new QGridLayout;
    left->setHorizontalSpacing(12);
    left->setVerticalSpacing(12);
    left->setColumnStretch(1, 1);
    left->setRowStretch(2, 1);

    auto* powerLabel = AddControl(6015, new QLabel(LangText("CONFIG", "IDL_POWERSAVE_X", 63), this));
    m_powerSaveList = AddControl(8097, new QComboBox(this));
    m_powerSaveTimes = PowerSaveItems(m_ctx);
    FillList(m_powerSaveList, m_powerSaveTimes);
    powerLabel->setBuddy(m_powerSaveList);
    auto* jamLabel = AddControl(6017, new QLabel(LangText("CONFIG", "IDC_JAMRECOVERY_X", 63), this));
    m_jamRecoveryList = AddControl(8099, new QComboBox(this));
    for (const char* key : {"Fast", "Full", "Off"})
        m_jamRecoveryList->addItem(LangText("CONFIG", key, 63));
    jamLabel->setBuddy(m_jamRecoveryList);
    m_powerSaveList->setMinimumWidth(110);
    m_jamRecoveryList->setMinimumWidth(110);
    left->addWidget(powerLabel, 0, 0);
    left->addWidget(m_powerSaveList, 0, 1);
    left->addWidget(jamLabel, 1, 0);
    left->addWidget(m_jamRecoveryList, 1, 1);
    outer->addLayout(left, 3);

    auto* right = new QVBoxLayout;
    auto* duplexBox = AddControl(6067, new QGroupBox(LangText("CONFIG", "IDL_DUPLEX_X", 63), this));
    auto* duplexColumn = new QVBoxLayout(duplexBox);
    m_duplexRadios = new QButtonGroup(this);
    duplexColumn->addWidget(
        AddControl(8143, AddRadio(m_duplexRadios, 0, new QRadioButton(QStringLiteral("off"), duplexBox))));
    duplexColumn->addWidget(
        AddControl(8144, AddRadio(m_duplexRadios, 1,
                                  new QRadioButton(LangText("CONFIG", "IDC_DUPLEX_LONG", 63), duplexBox))));
    duplexColumn->addWidget(
        AddControl(8147, AddRadio(m_duplexRadios, 2,
                                  new QRadioButton(LangText("CONFIG", "IDC_DUPLEX_SHORT", 63), duplexBox))));
    duplexBox->setEnabled((m_ctx.store.edited.featureFlags & kCfgFlagDuplex) != 0);
    right->addWidget(duplexBox);
    right->addStretch(1);
    outer->addLayout(right, 2);

    connect(m_powerSaveList, &QComboBox::activated, this, &CConfigTabX::StoreAll);
    connect(m_jamRecoveryList, &QComboBox::activated, this, &CConfigTabX::StoreAll);
    connect(m_duplexRadios, &QButtonGroup::idClicked, this, &CConfigTabX::StoreAll);

    LoadFromSettings();
}

void CConfigTabX::LoadFromSettings() {
    const PrinterSettings& s = m_ctx.store.edited;
    if (m_powerSaveTimes.empty()) m_powerSaveTimes = PowerSaveItems(m_ctx);
    m_powerSaveItem = KalorPowerSaveItem(s.powerSave, m_powerSaveTimes);
    m_jamRecovery = s.jamRecovery;
    m_duplex = s.duplex;
    if (IsCreated()) PutControls();
}

void CConfigTabX::PutControls() {
    SetListIndex(m_powerSaveList, m_powerSaveItem);
    SetListIndex(m_jamRecoveryList, m_jamRecovery);
    SetCheckedIndex(m_duplexRadios, m_duplex);
}

void CConfigTabX::StoreAll() {
    m_powerSaveItem = m_powerSaveList->currentIndex();
    m_jamRecovery = m_jamRecoveryList->currentIndex();
    m_duplex = CheckedIndex(m_duplexRadios);
    PrinterSettings& s = m_ctx.store.edited;
    if (int value = PowerSaveFromText(m_powerSaveList->currentText().toStdString()))
        s.powerSave = static_cast<uint8_t>(value);
    // A list or radio group that shows nothing leaves its field alone.
    if (m_jamRecovery >= 0) s.jamRecovery = static_cast<uint8_t>(m_jamRecovery);
    if (m_duplex >= 0) s.duplex = static_cast<uint8_t>(m_duplex);
}

} // namespace tav
