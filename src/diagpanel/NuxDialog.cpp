#include "diagpanel/NuxDialog.h"

#include "diagpanel/NuxUiHost.h"
#include "diagpanel/SkinBitmaps.h"
#include "diagpanel/SkinButton.h"
#include "diagpanel/SkinPaint.h"
#include "platform/Platform.h"

#include <QGuiApplication>
#include <QIcon>
#include <QFontMetrics>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace nux {
namespace {

// Client-area layout in pixels.
constexpr QSize kDialogSize(320, 212);
constexpr QRect kFrameRect(14, 14, 292, 72);
constexpr QRect kLine1Rect(24, 22, 272, 26);
constexpr QRect kLine2Rect(24, 52, 272, 26);
constexpr int kLabelTop = 98;
constexpr int kLabelHeight = 16;
constexpr int kKeyTop = 116;
constexpr QPoint kExitPos(210, 174);
constexpr QSize kExitSize(96, 24);

struct KeyPlace {
    int id;
    int left;
    int labelId; // 0: the key has no label
    const char* label;
};
// Menu and Upper Level at the ends, the three navigation keys grouped in the middle.
constexpr KeyPlace kKeys[] = {
    {kIdKeyMenu, 22, kIdLabelMenu, "Menu"},           {kIdKeyLeft, 84, 0, nullptr},
    {kIdKeyEnter, 133, kIdLabelEnter, "Enter"},       {kIdKeyRight, 190, 0, nullptr},
    {kIdKeyUpper, 257, kIdLabelUpper, "Upper Level"},
};

// The display panel's frame: all of it is background, its own text is never shown.
class DisplayFrame final : public QWidget {
  public:
    explicit DisplayFrame(QWidget* parent) : QWidget(parent) {}

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        const QRect clip = event->rect();
        DrawNineTiled(p, LoadSkinBitmap(kBmpDisplayFrame), kDisplayCorner, rect(), &clip);
    }
};

QLabel* StaticControl(QWidget* parent, int id, const QRect& where, const QBrush& brush) {
    auto* label = new QLabel(parent);
    label->setProperty("controlId", id);
    label->setGeometry(where);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setBrush(QPalette::Window, brush);
    label->setPalette(pal);
    return label;
}

} // namespace

NuxDialog::NuxDialog(NuxDialogOptions options, QWidget* parent)
    : QDialog(parent), m_options(std::move(options)), m_displayBrush(kDisplayLineColour),
      m_labelBrush(kLabelColour) {
    setWindowTitle(QStringLiteral("NUX"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    setFixedSize(kDialogSize);
    setModal(false);
    if (!m_options.ui) {
        m_ownUi = std::make_unique<NuxUiHost>(this);
        m_options.ui = m_ownUi.get();
    }
    if (!m_options.library) {
        m_ownLibrary = std::make_unique<DlDeviceLibrary>(m_options.programFolder, m_options.debug);
        m_options.library = m_ownLibrary.get();
    }
}

NuxDialog::~NuxDialog() = default;

void NuxDialog::Trace(std::string_view text) const {
    if (m_options.debug) m_options.debug(text);
}

bool NuxDialog::Initialize() {
    m_instance = std::make_unique<tav::SingleInstance>(kInstanceName);
    if (m_instance->AlreadyExists()) {
        Trace("[TAV]NUX Mode is already running..!");
        return false;
    }
    CentreWindow();
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(DrawAppIcon(32)));
    icon.addPixmap(QPixmap::fromImage(DrawAppIcon(16)));
    setWindowIcon(icon);

    const NuxConfig config = ReadNuxConfig(m_options.programFolder);
    Trace(FormatConfigTrace(config));
    if (config.deviceId.size() > QVDEVM_DEVICE_NAME_MAX) {
        // Cut to fit, the name would reach another host or port.
        m_options.ui->MessageBox("The device name [DEVICE] DID is longer than " +
                                     std::to_string(QVDEVM_DEVICE_NAME_MAX) + " characters.",
                                 kErrorCaption, tav::MsgIcon::Error, tav::MsgButtons::Ok);
        return false;
    }
    m_device = std::make_unique<NuxDevice>(*m_options.library, config.deviceId, m_options.debug);
    m_panel = std::make_unique<NuxPanel>(config, *m_device, *m_options.ui, m_options.debug);

    BuildControls();
    m_panel->EnterDiagnosticMode();
    return true;
}

void NuxDialog::CentreWindow() {
    QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect over = parentWidget() ? parentWidget()->window()->frameGeometry() : area;
    QRect placed(QPoint(0, 0), size());
    placed.moveCenter(over.center());
    // Keep the whole dialog on the work area, its top-left corner first.
    if (placed.right() > area.right()) placed.moveRight(area.right());
    if (placed.bottom() > area.bottom()) placed.moveBottom(area.bottom());
    if (placed.left() < area.left()) placed.moveLeft(area.left());
    if (placed.top() < area.top()) placed.moveTop(area.top());
    move(placed.topLeft());
}

void NuxDialog::BuildControls() {
    auto* frame = new DisplayFrame(this);
    frame->setProperty("controlId", static_cast<int>(kIdDisplayFrame));
    frame->setGeometry(kFrameRect);

    QFont lineFont(QStringLiteral("Arial"));
    lineFont.setPixelSize(18);
    lineFont.setWeight(QFont::Bold);
    // The font that stands in for Arial may be wider: the widest line the printer can send (16
    // of its widest characters) must still fit the field, so the size comes down until it does.
    const QString widest(static_cast<qsizetype>(kLineLength), QLatin1Char('W'));
    while (lineFont.pixelSize() > 8 && QFontMetrics(lineFont).horizontalAdvance(widest) > kLine1Rect.width())
        lineFont.setPixelSize(lineFont.pixelSize() - 1);
    m_line1 = StaticControl(this, kIdDisplayLine1, kLine1Rect, m_displayBrush);
    m_line2 = StaticControl(this, kIdDisplayLine2, kLine2Rect, m_displayBrush);
    m_line1->setFont(lineFont);
    m_line2->setFont(lineFont);

    for (const KeyPlace& k : kKeys) {
        auto* key = new SkinButton(SkinButton::Kind::Key, k.id, this);
        key->move(k.left, kKeyTop);
        key->setAccessibleName(k.label
                                   ? QString::fromLatin1(k.label)
                                   : (k.id == kIdKeyLeft ? QStringLiteral("Left") : QStringLiteral("Right")));
        connect(key, &SkinButton::clicked, this, &NuxDialog::OnKey);
        if (k.label) {
            // Labels sit centred over their keys, wide enough for "Upper Level".
            const int centre = k.left + key->width() / 2;
            QLabel* label =
                StaticControl(this, k.labelId, QRect(centre - 34, kLabelTop, 68, kLabelHeight), m_labelBrush);
            label->setText(QString::fromLatin1(k.label));
        }
    }

    auto* exit = new SkinButton(SkinButton::Kind::Exit, kIdExit, this);
    exit->setWindowTitle(QStringLiteral("Exit"));
    exit->setAccessibleName(QStringLiteral("Exit"));
    exit->setGeometry(QRect(kExitPos, kExitSize));
    connect(exit, &SkinButton::clicked, this, &NuxDialog::OnCommand);
}

QString NuxDialog::DisplayText(int line) const {
    const QLabel* label = line == 1 ? m_line1 : line == 2 ? m_line2 : nullptr;
    return label ? label->text() : QString();
}

SkinButton* NuxDialog::Button(int controlId) const {
    for (SkinButton* b : findChildren<SkinButton*>())
        if (b->property("controlId").toInt() == controlId) return b;
    return nullptr;
}

void NuxDialog::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect clip = event->rect();
    DrawNineTiled(p, LoadSkinBitmap(kBmpBackground), kBackgroundCorner, rect(), &clip);
}

// Esc and the window's close box both come here as the cancel command.
void NuxDialog::reject() {
    OnCommand(kIdCancel);
}

void NuxDialog::OnCommand(int controlId) {
    if (m_exitCode != 0) return;
    m_exitCode = controlId;
    setResult(controlId);
    hide();
    emit exitRequested(controlId);
}

void NuxDialog::OnKey(int controlId) {
    const std::string_view code = KeyCodeFor(controlId);
    if (code.empty() || !m_panel) return;
    if (!m_panel->PressKey(code)) return;
    const std::string& l1 = m_panel->Line1();
    const std::string& l2 = m_panel->Line2();
    m_line1->setText(QString::fromLatin1(l1.data(), static_cast<qsizetype>(l1.size())));
    m_line2->setText(QString::fromLatin1(l2.data(), static_cast<qsizetype>(l2.size())));
}

} // namespace nux
