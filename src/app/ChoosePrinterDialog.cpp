#include "app/ChoosePrinterDialog.h"

#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "pages/CsHelp.h"
#include "pjl/PrinterChoice.h"

namespace tav {
namespace {
constexpr const char* kSection = "CHOOSE_PRINTER";
}

ChoosePrinterDialog::ChoosePrinterDialog(AppContext& ctx, Finder find, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_find(find ? std::move(find) : Finder([] { return FindUsbPrinters(); })) {
    setWindowTitle(Text("IDD_TITLE"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(Text("IDS_INTRO"));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    layout->addWidget(new QLabel(Text("IDC_USB_LABEL")));
    m_list = Add(kUsbList, new QListWidget);
    m_list->setMinimumHeight(90);
    layout->addWidget(m_list);
    auto* searchRow = new QHBoxLayout;
    searchRow->addStretch();
    auto* search = Add(kSearch, new QPushButton(Text("IDC_SEARCH")));
    searchRow->addWidget(search);
    layout->addLayout(searchRow);

    layout->addWidget(new QLabel(Text("IDC_NET_LABEL")));
    m_address = Add(kAddress, new QLineEdit);
    m_address->setMaxLength(1024); // longer than any stored name, so a long one is explained, not cut
    layout->addWidget(m_address);

    auto* buttons = new QHBoxLayout;
    auto* test = Add(kTest, new QPushButton(Text("IDC_TEST")));
    auto* ok = Add(kOk, new QPushButton(Text("IDC_OK")));
    auto* cancel = Add(kCancel, new QPushButton(Text("IDC_CANCEL")));
    ok->setDefault(true);
    buttons->addWidget(test);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    setMinimumWidth(440);

    // One choice at a time: picking a USB printer clears the address and typing clears the pick.
    connect(m_list, &QListWidget::itemClicked, this, [this] { m_address->clear(); });
    connect(m_address, &QLineEdit::textEdited, this, [this] { m_list->clearSelection(); });
    connect(search, &QPushButton::clicked, this, [this] { FillUsbList(); });
    connect(test, &QPushButton::clicked, this, [this] { OnTest(); });
    connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    FillUsbList();
}

QString ChoosePrinterDialog::Text(const char* key) const {
    return QString::fromStdString(m_ctx.GetLangText(kSection, key));
}

QWidget* ChoosePrinterDialog::Control(int controlId) const {
    for (QWidget* w : findChildren<QWidget*>()) {
        const QVariant v = w->property("controlId");
        if (v.isValid() && v.toInt() == controlId) return w;
    }
    return nullptr;
}

void ChoosePrinterDialog::FillUsbList() {
    m_printers = m_find();
    m_list->clear();
    for (const UsbPrinter& p : m_printers) {
        QString label = QString::fromStdString(p.Label());
        if (!p.usblpNode.empty()) label += "  " + QString::fromStdString(p.usblpNode);
        m_list->addItem(label);
    }
    if (m_printers.empty()) {
        auto* none = new QListWidgetItem(Text("IDC_NONE"));
        none->setFlags(Qt::NoItemFlags);
        m_list->addItem(none);
    } else {
        m_list->setCurrentRow(0);
    }
}

std::string ChoosePrinterDialog::Chosen(bool explain) {
    const QString typed = m_address->text();
    if (!typed.trimmed().isEmpty()) {
        std::string name;
        const AddressProblem problem = CheckNetworkAddress(typed.toStdString(), &name);
        if (problem == AddressProblem::None) return name;
        if (explain)
            m_ctx.Message(m_ctx.GetLangText(kSection, problem == AddressProblem::TooLong ? "IDS_TOO_LONG"
                                                                                         : "IDS_BAD_ADDRESS"),
                          MsgIcon::Error);
        return {};
    }
    const int row = m_list->currentRow();
    if (row >= 0 && static_cast<size_t>(row) < m_printers.size() && m_list->item(row)->isSelected())
        return m_printers[static_cast<size_t>(row)].DeviceName(kDeviceIdChars);
    if (explain) m_ctx.Message(m_ctx.GetLangText(kSection, "IDS_NOTHING"), MsgIcon::Error);
    return {};
}

void ChoosePrinterDialog::OnTest() {
    const std::string name = Chosen(true);
    if (name.empty()) return;
    if (TestPrinterChoice(m_ctx, name))
        m_ctx.Message(m_ctx.GetLangText(kSection, "IDS_TEST_OK"), MsgIcon::Information);
    else
        m_ctx.Message(m_ctx.PrinterFailureText("IDS_NOT_RESPOND", 255, name), MsgIcon::Error);
}

void ChoosePrinterDialog::OnOk() {
    const std::string name = Chosen(true);
    if (name.empty()) return;
    std::string error;
    if (!SavePrinterChoice(m_ctx, name, &error)) {
        // The reason names the file and the system's cause; the text before it is the user's language.
        m_ctx.Message(m_ctx.GetLangText(kSection, "IDS_SAVE_FAILED") + "\n" + error, MsgIcon::Error);
        return;
    }
    m_ctx.Debug("[TAV] printer chosen: " + name + ", kept in " + m_ctx.cfg.userConfigFilePath + "\n");
    accept();
}

void ChoosePrinterDialog::contextMenuEvent(QContextMenuEvent* event) {
    for (QWidget* w = childAt(event->pos()); w && w != this; w = w->parentWidget()) {
        const QVariant v = w->property("controlId");
        if (!v.isValid()) continue;
        m_ctx.ui.ShowPopupHelp(m_ctx.cfg.helpFilePath, kControlHelpBase + static_cast<uint32_t>(v.toInt()));
        break;
    }
    event->accept();
}

} // namespace tav
