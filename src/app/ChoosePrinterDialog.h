// First run: the printers found on USB, a field for a network address, Test (the settings
// query) and OK, which stores the choice in the user's comtav.ini.
#pragma once
#include <QDialog>
#include <functional>
#include <vector>

#include "pjl/AppContext.h"
#include "platform/UsbPrinters.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tav {

class ChoosePrinterDialog : public QDialog {
    Q_OBJECT
  public:
    enum ControlId {
        kUsbList = 1901,
        kAddress = 1902,
        kTest = 1903,
        kSearch = 1904,
        kOk = 1905,
        kCancel = 1906,
    };
    // find: where the USB printers come from (sysfs by default; tests give their own).
    using Finder = std::function<std::vector<UsbPrinter>()>;
    ChoosePrinterDialog(AppContext& ctx, Finder find = {}, QWidget* parent = nullptr);

    QWidget* Control(int controlId) const;
    // The device name the dialog would store now; "" (with the reason shown) when there is none.
    std::string Chosen(bool explain);
    void OnTest();
    void OnOk();
    void FillUsbList();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QString Text(const char* key) const;
    template <typename W> W* Add(int id, W* w) {
        w->setProperty("controlId", id);
        w->setContextMenuPolicy(Qt::NoContextMenu);
        return w;
    }

    AppContext& m_ctx;
    Finder m_find;
    std::vector<UsbPrinter> m_printers;
    QListWidget* m_list = nullptr;
    QLineEdit* m_address = nullptr;
};

} // namespace tav
