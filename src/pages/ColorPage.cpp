#include "pages/ColorPage.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "pages/ColorRules.h"
#include "pages/PageControls.h"

namespace tav {

CColorTab::CColorTab(AppContext& ctx, QWidget* parent) : TavPage(ctx, 5011, parent) {
    std::vector<std::pair<int, uint32_t>> help;
    for (int id : {8146, 8149, 8060, 6069})
        help.emplace_back(id, 137141);
    for (int id : {8150, 8151, 8152, 8153, 8154, 8155, 6070, 6071, 6072, 6073, 6074})
        help.emplace_back(id, 137142);
    help.emplace_back(8158, 139230);
    help.emplace_back(8159, 139231);
    SetHelpTable(std::move(help));
}

void CColorTab::OnInitDialog() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(18, 18, 18, 18);
    outer->setSpacing(12);
    auto* top = new QHBoxLayout;
    top->setSpacing(18);
    outer->addLayout(top);

    // Custom colour.
    auto* customBox = AddControl(6070, new QGroupBox(LangText("COLOR", "Custom Color", 63), this));
    auto* customGrid = new QGridLayout(customBox);
    customGrid->setHorizontalSpacing(12);
    customGrid->setColumnStretch(2, 1);
    m_customRadios = new QButtonGroup(this);
    auto* printerDefault =
        AddControl(8150, new QRadioButton(LangText("COLOR", "Printer Default", 63), customBox));
    auto* manual = AddControl(8151, new QRadioButton(LangText("COLOR", "Manual Adjust", 63), customBox));
    m_customRadios->addButton(printerDefault, 0);
    m_customRadios->addButton(manual, 1);
    customGrid->addWidget(printerDefault, 0, 0, 1, 3);
    customGrid->addWidget(manual, 1, 0, 1, 3);
    const struct {
        int labelId;
        const char* key;
        int listId;
    } rows[] = {{6071, "Cyan", 8152}, {6072, "Magenta", 8153}, {6073, "Yellow", 8154}, {6074, "Black", 8155}};
    const std::vector<std::string> values = CmykValueTexts(m_ctx);
    for (size_t i = 0; i < 4; ++i) {
        auto* label = AddControl(rows[i].labelId, new QLabel(LangText("COLOR", rows[i].key, 63), customBox));
        auto* list = AddControl(rows[i].listId, new QComboBox(customBox));
        FillList(list, values);
        list->setMinimumWidth(90);
        label->setBuddy(list);
        label->setIndent(20);
        customGrid->addWidget(label, static_cast<int>(i) + 2, 0);
        customGrid->addWidget(list, static_cast<int>(i) + 2, 1);
        m_lists[i] = list;
    }
    top->addWidget(customBox, 3);

    // Calibration: only on models that have it.
    auto* calibrationBox = AddControl(6069, new QGroupBox(LangText("COLOR", "Calibration", 63), this));
    auto* calibrationColumn = new QVBoxLayout(calibrationBox);
    m_calibrationRadios = new QButtonGroup(this);
    auto* calOff = AddControl(8146, new QRadioButton(LangText("COLOR", "Off", 63), calibrationBox));
    auto* calAuto = AddControl(8149, new QRadioButton(LangText("COLOR", "Auto", 63), calibrationBox));
    m_calibrationRadios->addButton(calOff, 0);
    m_calibrationRadios->addButton(calAuto, 1);
    auto* calRun = AddControl(8060, new QPushButton(LangText("COLOR", "Run Now", 63), calibrationBox));
    calibrationColumn->addWidget(calOff);
    calibrationColumn->addWidget(calAuto);
    calibrationColumn->addWidget(calRun);
    calibrationColumn->addStretch(1);
    calRun->hide();
    auto* side = new QVBoxLayout;
    side->addWidget(calibrationBox);
    side->addStretch(1);
    top->addLayout(side, 2);
    // The key ends with a blank, as the model files spell it.
    const bool calibration = m_ctx.ConfigFlag("Color", "Calibration ");
    calibrationBox->setVisible(calibration);
    calOff->setVisible(calibration);
    calAuto->setVisible(calibration);

    // Automatic colour registration.
    auto* registration = new QHBoxLayout;
    auto* regLabel = AddControl(8159, new QLabel(LangText("COLOR", "IDC_REGISTRATION", 63), this));
    auto* regButton = AddControl(8158, new QPushButton(LangText("COLOR", "Run Now", 63), this));
    regButton->setAutoDefault(false);
    regButton->setMinimumWidth(std::max(110, regButton->sizeHint().width() + 16));
    registration->setSpacing(12);
    registration->addWidget(regLabel);
    registration->addWidget(regButton);
    registration->addStretch(1);
    outer->addLayout(registration);
    outer->addStretch(1);

    connect(m_customRadios, &QButtonGroup::idClicked, this, &CColorTab::ApplyColorSettings);
    connect(m_calibrationRadios, &QButtonGroup::idClicked, this, &CColorTab::ApplyColorSettings);
    for (QComboBox* l : m_lists)
        connect(l, &QComboBox::activated, this, &CColorTab::ApplyColorSettings);
    connect(regButton, &QPushButton::clicked, this, &CColorTab::OnRunRegistration);

    LoadFromSettings();
}

void CColorTab::LoadFromSettings() {
    const PrinterSettings& s = m_ctx.store.edited;
    m_black = s.cmykK;
    m_cyan = s.cmykC;
    m_magenta = s.cmykM;
    m_yellow = s.cmykY;
    m_customColor = s.customColor;
    m_calibration = s.calibration >= 2 ? 1 : s.calibration;
    if (!IsCreated()) return;
    PutControls();
    EnableLists();
}

void CColorTab::PutControls() {
    SetListIndex(m_lists[0], m_cyan);
    SetListIndex(m_lists[1], m_magenta);
    SetListIndex(m_lists[2], m_yellow);
    SetListIndex(m_lists[3], m_black);
    SetCheckedIndex(m_customRadios, m_customColor);
    SetCheckedIndex(m_calibrationRadios, m_calibration);
}

void CColorTab::ReadControls() {
    // A list or radio group that shows nothing keeps the member it was loaded with, so a value
    // outside the model's list is written back unchanged rather than as -1.
    auto read = [](int v, int& member) {
        if (v >= 0) member = v;
    };
    read(m_lists[0]->currentIndex(), m_cyan);
    read(m_lists[1]->currentIndex(), m_magenta);
    read(m_lists[2]->currentIndex(), m_yellow);
    read(m_lists[3]->currentIndex(), m_black);
    read(CheckedIndex(m_customRadios), m_customColor);
    read(CheckedIndex(m_calibrationRadios), m_calibration);
}

void CColorTab::EnableLists() {
    for (QComboBox* l : m_lists)
        l->setEnabled(m_customColor == 1);
}

void CColorTab::ApplyColorSettings() {
    ReadControls();
    PrinterSettings& s = m_ctx.store.edited;
    s.cmykK = static_cast<uint8_t>(m_black);
    s.cmykC = static_cast<uint8_t>(m_cyan);
    s.cmykM = static_cast<uint8_t>(m_magenta);
    s.cmykY = static_cast<uint8_t>(m_yellow);
    s.customColor = static_cast<uint8_t>(m_customColor);
    s.calibration = static_cast<uint8_t>(m_calibration);
    EnableLists();
}

void CColorTab::OnRunRegistration() {
    RunRegistration(m_ctx);
}

} // namespace tav
