// The first-run dialog through its real controls: the USB list, the address field, Test and OK,
// in both languages, with the stand-in device library and a recording UiHost.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "PageFixture.h"
#include "app/ChoosePrinterDialog.h"
#include "pages/CsHelp.h"
#include "platform/Ini.h"

using namespace tav;
using tavtest::PageEnv;

namespace {

const std::string kQuery = "\x1b%-12345X@PJL\r\n@PJL INFO PRINTER = ALL\r\n\x1b%-12345X";

std::vector<UsbPrinter> TwoPrinters() {
    UsbPrinter a;
    a.vendorId = 0x04f9;
    a.productId = 0x2042;
    a.serial = "B2";
    a.manufacturer = "Quorvex";
    a.product = "CLP-3550PS";
    a.usblpNode = "/dev/usb/lp0";
    UsbPrinter b = a;
    b.productId = 0x2043;
    b.serial = "";
    b.product = "ML-2250";
    b.usblpNode = "";
    return {a, b};
}

struct DialogEnv {
    explicit DialogEnv(std::vector<UsbPrinter> printers, const std::string& lang = "EN")
        : env("[Common]\nDeviceID=s\n", lang) {
        env.ctx->cfg.userConfigFilePath = env.home.dir + "config/wintav32/comtav.ini";
        dialog = std::make_unique<ChoosePrinterDialog>(*env.ctx, [printers] { return printers; });
        list = qobject_cast<QListWidget*>(dialog->Control(ChoosePrinterDialog::kUsbList));
        address = qobject_cast<QLineEdit*>(dialog->Control(ChoosePrinterDialog::kAddress));
    }
    QPushButton* Button(int id) { return qobject_cast<QPushButton*>(dialog->Control(id)); }
    std::string Saved() {
        return ReadIniString(env.ctx->cfg.userConfigFilePath, "Common", "DeviceID", "(none)", 31);
    }
    std::string LastMessage() { return env.ui.Messages().empty() ? "" : env.ui.Messages().back().text; }
    std::string Lang(const char* key) { return env.ctx->GetLangText("CHOOSE_PRINTER", key); }
    PageEnv env;
    std::unique_ptr<ChoosePrinterDialog> dialog;
    QListWidget* list = nullptr;
    QLineEdit* address = nullptr;
};

} // namespace

TEST(ChoosePrinterDialog, OkStoresTheListedOrTypedPrinterInTheUsersFile) {
    DialogEnv d(TwoPrinters());
    ASSERT_TRUE(d.list && d.address);
    for (int id = ChoosePrinterDialog::kUsbList; id <= ChoosePrinterDialog::kCancel; ++id)
        EXPECT_NE(d.dialog->Control(id), nullptr) << id;
    ASSERT_EQ(d.list->count(), 2);
    EXPECT_EQ(d.list->item(0)->text(), "Quorvex CLP-3550PS (B2)  /dev/usb/lp0");
    EXPECT_EQ(d.list->item(1)->text(), "Quorvex ML-2250");
    EXPECT_EQ(d.dialog->windowTitle(), "Choose printer");

    // The second printer, by a click; OK stores it and closes.
    QTest::mouseClick(d.list->viewport(), Qt::LeftButton, {},
                      d.list->visualItemRect(d.list->item(1)).center());
    d.Button(ChoosePrinterDialog::kOk)->click();
    EXPECT_EQ(d.dialog->result(), QDialog::Accepted);
    EXPECT_EQ(d.Saved(), "usb:04f9:2043");
    EXPECT_TRUE(d.env.ui.Messages().empty());
    EXPECT_TRUE(d.env.Written().empty()) << "OK stores, it does not talk to the printer";

    // Typing an address takes over from the list.
    DialogEnv t(TwoPrinters());
    t.address->setFocus();
    QTest::keyClicks(t.address, "192.0.2.10:9101");
    EXPECT_TRUE(t.list->selectedItems().isEmpty());
    t.Button(ChoosePrinterDialog::kOk)->click();
    EXPECT_EQ(t.dialog->result(), QDialog::Accepted);
    EXPECT_EQ(t.Saved(), "tcp://192.0.2.10:9101");
}

TEST(ChoosePrinterDialog, WhatCannotBeStoredIsExplainedAndNothingIsSaved) {
    DialogEnv d({});
    ASSERT_EQ(d.list->count(), 1);
    EXPECT_EQ(d.list->item(0)->text().toStdString(), d.Lang("IDC_NONE"));
    EXPECT_EQ(d.list->item(0)->flags(), Qt::NoItemFlags);

    struct Case {
        const char* typed;
        const char* message;
    } cases[] = {
        {"", "IDS_NOTHING"},
        {"host:99999", "IDS_BAD_ADDRESS"},
        {"printer name", "IDS_BAD_ADDRESS"},
        {"a-very-long-printer-name-of-300-characters", "IDS_TOO_LONG"},
    };
    for (const Case& c : cases) {
        d.address->setText(c.message == std::string("IDS_TOO_LONG") ? QString(300, 'h') : QString(c.typed));
        d.Button(ChoosePrinterDialog::kOk)->click();
        EXPECT_EQ(d.LastMessage(), d.Lang(c.message)) << c.typed;
        EXPECT_FALSE(d.LastMessage().empty());
        EXPECT_EQ(d.env.ui.Messages().back().icon, MsgIcon::Error);
        EXPECT_NE(d.dialog->result(), QDialog::Accepted) << c.typed;
    }
    EXPECT_EQ(d.Saved(), "(none)");

    // A file that cannot be written: the reason is shown and the dialog stays open.
    d.env.ctx->cfg.userConfigFilePath = "/dev/null/wintav32/comtav.ini";
    d.address->setText("192.0.2.10");
    d.Button(ChoosePrinterDialog::kOk)->click();
    EXPECT_EQ(d.LastMessage().rfind(d.Lang("IDS_SAVE_FAILED") + "\n", 0), 0u) << d.LastMessage();
    EXPECT_NE(d.LastMessage().find("/dev/null/wintav32"), std::string::npos);
    EXPECT_NE(d.dialog->result(), QDialog::Accepted);
}

TEST(ChoosePrinterDialog, TestAsksTheChosenPrinterForItsSettingsAndSavesNothing) {
    DialogEnv d(TwoPrinters());
    d.env.Reply(std::string("\x00\x01\x05\xff\x00", 5));
    d.Button(ChoosePrinterDialog::kTest)->click();
    EXPECT_EQ(d.env.Written(), kQuery);
    EXPECT_EQ(d.LastMessage(), d.Lang("IDS_TEST_OK"));
    EXPECT_EQ(d.env.ui.Messages().back().icon, MsgIcon::Information);
    bool openedTheListed = false;
    for (const std::string& line : d.env.dev.LogLines())
        openedTheListed |= line.find("DeviceOpen(") != std::string::npos &&
                           line.find("usb:04f9:2042:B2)") != std::string::npos;
    EXPECT_TRUE(openedTheListed) << d.env.dev.Log();
    EXPECT_EQ(d.env.dev.Held(), 0);
    EXPECT_EQ(d.env.ui.waitCursorDepth, 0);

    // No answer: the program's own no-response text; still nothing stored.
    d.env.dev.Reset();
    d.address->setText("192.0.2.99");
    d.Button(ChoosePrinterDialog::kTest)->click();
    EXPECT_EQ(d.env.Written(), kQuery);
    EXPECT_EQ(d.LastMessage(), d.env.ctx->GetLangText("STRING", "IDS_NOT_RESPOND"));
    EXPECT_EQ(d.Saved(), "(none)");
    EXPECT_EQ(d.env.ctx->DeviceName(), "s") << "Test leaves the configured device alone";

    // Cancel ends without a choice.
    d.Button(ChoosePrinterDialog::kCancel)->click();
    EXPECT_EQ(d.dialog->result(), QDialog::Rejected);
}

TEST(ChoosePrinterDialog, EveryTextAndPopupHelpExistsInBothLanguages) {
    for (const char* lang : {"EN", "KR"}) {
        DialogEnv d({}, lang);
        for (const char* key : {"IDD_TITLE", "IDS_INTRO", "IDC_USB_LABEL", "IDC_NONE", "IDC_SEARCH",
                                "IDC_NET_LABEL", "IDC_TEST", "IDC_OK", "IDC_CANCEL", "IDS_TEST_OK",
                                "IDS_NOTHING", "IDS_TOO_LONG", "IDS_BAD_ADDRESS", "IDS_SAVE_FAILED"})
            EXPECT_FALSE(d.Lang(key).empty()) << lang << " " << key;
        for (int id = ChoosePrinterDialog::kUsbList; id <= ChoosePrinterDialog::kCancel; ++id)
            EXPECT_FALSE(
                CsHelpText(d.env.ctx->cfg.helpFilePath, kControlHelpBase + static_cast<uint32_t>(id)).empty())
                << lang << " " << id;
    }
    DialogEnv kr({}, "KR");
    EXPECT_EQ(kr.dialog->windowTitle(), QString::fromUtf8("프린터 선택"));
}
