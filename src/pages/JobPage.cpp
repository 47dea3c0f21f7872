#include "pages/JobPage.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "pages/JobRules.h"
#include "pages/PageControls.h"

namespace tav {
namespace {

const char* const kTraySections[] = {"Tray1", "Tray2", "Tray3"};
const char* const kGetTraySections[] = {"GetTray1", "GetTray2", "GetTray3"};

} // namespace

CJobTab::CJobTab(AppContext& ctx, QWidget* parent) : TavPage(ctx, 5017, parent) {
    SetHelpTable({{8002, 139074},
                  {6016, 139074},
                  {8007, 139079},
                  {6020, 139079},
                  {8030, 139102},
                  {6018, 139102},
                  {8037, 139109},
                  {6019, 139109},
                  {8043, 139115},
                  {6022, 139115},
                  {8047, 139119},
                  {6024, 139119},
                  {8051, 139123},
                  {6026, 139123}});
}

void CJobTab::OnInitDialog() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(24, 24, 24, 24);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(10);
    grid->setColumnStretch(2, 1);
    outer->addLayout(grid);
    outer->addStretch(1);

    const bool kalor = m_ctx.IsKalor();
    int line = 0;
    auto row = [&](int labelId, const char* labelKey, int controlId, QWidget* control,
                   const char* switchKey) {
        auto* label = AddControl(labelId, new QLabel(LangText("JOB", labelKey, 63), this));
        AddControl(controlId, control);
        label->setBuddy(control);
        if (!m_ctx.ConfigFlag("JOB", switchKey)) {
            label->hide();
            control->hide();
            return;
        }
        grid->addWidget(label, line, 0);
        grid->addWidget(control, line, 1);
        ++line;
    };
    auto list = [this] {
        auto* l = new QComboBox(this);
        l->setMinimumWidth(200);
        return l;
    };
    m_densityList = list();
    m_paperTypeList = list();
    for (auto& l : m_trayLists)
        l = list();
    m_imageQualityList = list();
    m_timeoutEdit = new QLineEdit(this);
    m_timeoutEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_timeoutEdit));
    m_timeoutEdit->setMaxLength(TimeoutMaxChars(m_ctx));
    m_timeoutEdit->setFixedWidth(72);
    m_timeoutEdit->setAlignment(Qt::AlignRight);

    row(6016, kalor ? "IDL_DENSITY_X" : "IDL_DENSITY", 8002, m_densityList, "Toner");
    row(6018, "IDL_PAPERTYPE", 8030, m_paperTypeList, "PaperType");
    row(6022, "IDL_TRAY1", 8043, m_trayLists[0], "Tray1");
    row(6024, "IDL_TRAY2", 8047, m_trayLists[1], "Tray2");
    row(6026, "IDL_TRAY3", 8051, m_trayLists[2], "Tray3");
    row(6019, "IDL_RET", 8037, m_imageQualityList, "ImageQuality");
    row(6020, "IDL_TIMEOUT", 8007, m_timeoutEdit, "TimeOut");

    // Loaded and compared like the others, never changed by the user on this family.
    m_smetList = AddControl(8034, new QComboBox(this));
    m_smetList->addItems({QStringLiteral("OFF"), QStringLiteral("ON")});
    m_smetList->setEnabled(false);
    m_smetList->hide();

    FillLists();

    for (QComboBox* l : {m_densityList, m_paperTypeList, m_trayLists[0], m_trayLists[1], m_trayLists[2],
                         m_imageQualityList, m_smetList})
        connect(l, &QComboBox::activated, this, &CJobTab::ApplyJobSettings);
    m_timeoutEdit->installEventFilter(this);

    LoadFromSettings();
}

void CJobTab::FillLists() {
    for (int i = 0; i < kDensityLevels; ++i)
        m_densityList->addItem(LangText("STR_JOB", ("IDS_TONERDENSITY" + std::to_string(i)).c_str(), 63));
    for (const std::string& key : PaperTypeListKeys(m_ctx, "Tray1", true))
        m_paperTypeList->addItem(LangText("STR_JOB", key.c_str(), 63));
    for (int t = 0; t < 3; ++t)
        for (const std::string& key : PaperTypeListKeys(m_ctx, kTraySections[t], false))
            m_trayLists[static_cast<size_t>(t)]->addItem(LangText("STR_JOB", key.c_str(), 63));
    m_imageQualityList->addItem(LangText("STR_JOB", "IDS_RET0", 63));
    m_imageQualityList->addItem(LangText("STR_JOB", "IDS_RET1", 63));
    if (m_ctx.IsKalor()) m_imageQualityList->addItem(LangText("STR_JOB", "IDS_RET2", 63));
}

bool CJobTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_timeoutEdit && event->type() == QEvent::FocusOut) OnTimeout();
    return TavPage::eventFilter(watched, event);
}

void CJobTab::LoadFromSettings() {
    const PrinterSettings& s = m_ctx.store.edited;
    m_smet = s.smet;
    m_paperType = PaperTypePosition(m_ctx, "GetTray1", s.paperType);
    const uint8_t trays[] = {s.tray1PaperType, s.tray2PaperType, s.tray3PaperType};
    for (size_t t = 0; t < 3; ++t)
        m_tray[t] = PaperTypePosition(m_ctx, kGetTraySections[t], trays[t]);
    m_timeoutText = std::to_string(s.timeout);
    m_imageQuality = ImageQualityPosition(s.ret);
    m_imageQualityApplied = m_imageQuality;
    m_density = s.density;
    if (IsCreated()) PutControls();
}

void CJobTab::PutControls() {
    SetListIndex(m_densityList, m_density);
    SetListIndex(m_paperTypeList, m_paperType);
    for (size_t t = 0; t < 3; ++t)
        SetListIndex(m_trayLists[t], m_tray[t]);
    SetListIndex(m_imageQualityList, m_imageQuality);
    SetListIndex(m_smetList, m_smet);
    m_timeoutEdit->setText(FromStd(m_timeoutText));
}

void CJobTab::ReadControls() {
    m_density = m_densityList->currentIndex();
    m_paperType = m_paperTypeList->currentIndex();
    for (size_t t = 0; t < 3; ++t)
        m_tray[t] = m_trayLists[t]->currentIndex();
    m_imageQuality = m_imageQualityList->currentIndex();
    m_smet = m_smetList->currentIndex();
    m_timeoutText = m_timeoutEdit->text().toStdString();
}

void CJobTab::ApplyJobSettings() {
    ReadControls();
    PrinterSettings& s = m_ctx.store.edited;
    // A list that shows no entry (an empty list, or a code the model's sections do not place)
    // leaves its field alone instead of writing whatever position -1 maps to.
    auto code = [this](const char* section, int position, uint8_t& field) {
        if (position < 0) return;
        const int c = PaperTypeCode(m_ctx, section, position);
        if (IsPaperTypeCode(c))
            field = static_cast<uint8_t>(c);
        else
            m_ctx.Debug("[TAV] " + std::string(section) + " gives no paper type for position " +
                        std::to_string(position) + "\n");
    };
    code("Tray1", m_tray[0], s.tray1PaperType);
    code("Tray2", m_tray[1], s.tray2PaperType);
    code("Tray3", m_tray[2], s.tray3PaperType);
    if (m_smet >= 0 && m_smet != s.smet) s.smet = static_cast<uint8_t>(m_smet);
    code("Tray1", m_paperType, s.paperType);
    if (m_imageQuality >= 0 && m_imageQuality != m_imageQualityApplied) {
        s.ret = RetForImageQuality(m_imageQuality);
        m_imageQualityApplied = m_imageQuality;
    }
    if (m_density >= 0 && m_density != s.density) s.density = static_cast<uint8_t>(m_density);
}

void CJobTab::OnTimeout() {
    if (m_timeoutEdit->text().isEmpty())
        m_timeoutText = "15";
    else
        ReadControls();
    const uint16_t value = ClampTimeout(m_timeoutText, TimeoutLimit(m_ctx));
    m_ctx.store.edited.timeout = value;
    m_timeoutText = std::to_string(value);
    m_timeoutEdit->setText(FromStd(m_timeoutText));
}

} // namespace tav
