// The dialog in-process against the stand-in device library, bound through dlopen from the
// program folder exactly as the program binds the real one.
#include "diagpanel/NuxDialog.h"
#include "FakeDev.h"
#include "QtApp.h"
#include "diagpanel/SkinBitmaps.h"
#include "diagpanel/SkinButton.h"
#include "platform/UiHost.h"

#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include "RecordingUiHost.h"

using namespace nux;
using tavtest::FakeDev;
using tavtest::FakeHome;

namespace {
const std::string kEnterJob = "\x1b%-12345X@PJL\r\n@PJL ENGINE NUX_MODE=True\r\n\x1b%-12345X";

std::vector<std::uint8_t> Reply(const std::string& line1, const std::string& line2) {
    std::vector<std::uint8_t> r(33, 0);
    r[0] = 0x01;
    std::memcpy(r.data() + 1, line1.data(), std::min<std::size_t>(16, line1.size()));
    std::memcpy(r.data() + 17, line2.data(), std::min<std::size_t>(16, line2.size()));
    return r;
}

struct NuxDialogTest : ::testing::Test {
    FakeHome home;
    FakeDev dev{tavtest::FakeDevPath("qvdevm")};
    tav::RecordingUiHost ui;
    std::vector<std::string> trace;
    std::string runtime;

    void SetUp() override {
        TestApp();
        char tmpl[] = "/tmp/nuxrun-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        runtime = tmpl;
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1); // a lock of our own
        home.Write("comtav.ini",
                   "[DEVICE]\nVID=0x04e8\nPID=0x3f0c\nDID=tcp://127.0.0.1:9\n[DEBUG]\nDEBUG=0\n");
    }
    void TearDown() override { std::filesystem::remove_all(runtime); }

    std::unique_ptr<NuxDialog> Open() {
        NuxDialogOptions o;
        o.programFolder = home.dir;
        o.ui = &ui;
        o.debug = [this](std::string_view t) { trace.emplace_back(t); };
        auto d = std::make_unique<NuxDialog>(o);
        return d;
    }
    void Click(NuxDialog& d, int id) {
        SkinButton* b = d.Button(id);
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(10, 10));
    }
    std::vector<std::string> LogSince(std::size_t from) const {
        auto lines = dev.LogLines();
        return std::vector<std::string>(lines.begin() + std::min(from, lines.size()), lines.end());
    }
    bool Traced(const std::string& line) const {
        return std::find(trace.begin(), trace.end(), line) != trace.end();
    }
};

const std::vector<std::string> kReadCalls = {
    "qvdevm DeviceOpen(2,4,0,0,tcp://127.0.0.1:9)", "qvdevm GetDeviceIoControl(1581060,10,1,0)",
    "qvdevm GetDeviceIoControl(1581076,00,1,0)", "qvdevm DeviceRead(33)"};
} // namespace

TEST_F(NuxDialogTest, StartSendsTheEnterJobAndSetsUpTheDialog) {
    auto d = Open();
    ASSERT_TRUE(d->Initialize());
    EXPECT_EQ(tavtest::Bytes(dev.Written()), kEnterJob);
    const std::vector<std::string> expected = {"qvdevm DeviceOpen(2,4,0,0,tcp://127.0.0.1:9)",
                                               "qvdevm DeviceWrite(" + std::to_string(kEnterJob.size()) + ")",
                                               "qvdevm DeviceClose(4)"};
    EXPECT_EQ(dev.LogLines(), expected); // written, nothing read
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_TRUE(Traced("[NUX] vid : 4e8, pid : 3f0c, Did : tcp://127.0.0.1:9"));

    EXPECT_EQ(d->windowTitle(), "NUX");
    const QList<QSize> iconSizes = d->windowIcon().availableSizes();
    EXPECT_TRUE(iconSizes.contains(QSize(16, 16)) && iconSizes.contains(QSize(32, 32)));
    const QRect area = d->screen()->availableGeometry();
    EXPECT_LE(std::abs(d->geometry().center().x() - area.center().x()), 1);
    EXPECT_LE(std::abs(d->geometry().center().y() - area.center().y()), 1);

    // Display lines: Arial 18 pixels bold on the display brush; labels on the label brush.
    for (int id : {kIdDisplayLine1, kIdDisplayLine2}) {
        QLabel* line = nullptr;
        for (QLabel* l : d->findChildren<QLabel*>())
            if (l->property("controlId").toInt() == id) line = l;
        ASSERT_NE(line, nullptr) << id;
        EXPECT_EQ(line->font().family(), "Arial");
        EXPECT_LE(line->font().pixelSize(), 18); // smaller where the stand-in font is wider
        EXPECT_EQ(line->font().weight(), QFont::Bold);
        EXPECT_EQ(line->palette().color(QPalette::Window), QColor(241, 241, 244));
        EXPECT_TRUE(line->text().isEmpty());
    }
    QStringList labels;
    for (QLabel* l : d->findChildren<QLabel*>()) {
        const int id = l->property("controlId").toInt();
        if (id >= kIdLabelMenu && id <= kIdLabelUpper) {
            labels << l->text();
            EXPECT_EQ(l->palette().color(QPalette::Window), QColor(191, 202, 225));
        }
    }
    labels.sort();
    EXPECT_EQ(labels, QStringList({"Enter", "Menu", "Upper Level"}));
    for (int id : {1, 1000, 1001, 1002, 1003, 1004})
        EXPECT_NE(d->Button(id), nullptr) << id;
}

TEST_F(NuxDialogTest, KeyPressShowsTheTwoLinesAndAShortLineEndsAtZero) {
    auto d = Open();
    ASSERT_TRUE(d->Initialize());
    d->show();
    const std::size_t mark = dev.LogLines().size();
    dev.QueueRead(Reply("ENGINE DIAG MODE", "FUSER TEMP  185C"));
    Click(*d, kIdKeyEnter);
    EXPECT_EQ(d->DisplayText(1), "ENGINE DIAG MODE");
    EXPECT_EQ(d->DisplayText(2), "FUSER TEMP  185C");
    const std::string job = "\x1b%-12345X@PJL\r\n@PJL ENGINE NUX_BUTTON=3\r\n\x1b%-12345X";
    EXPECT_EQ(tavtest::Bytes(dev.Written()), kEnterJob + job);
    std::vector<std::string> expected = {"qvdevm DeviceOpen(2,4,0,0,tcp://127.0.0.1:9)",
                                         "qvdevm DeviceWrite(" + std::to_string(job.size()) + ")",
                                         "qvdevm DeviceClose(4)"};
    expected.insert(expected.end(), kReadCalls.begin(), kReadCalls.end());
    expected.push_back("qvdevm DeviceClose(4)");
    EXPECT_EQ(LogSince(mark), expected);

    dev.QueueRead(Reply(std::string("READY\0XXXXXXXXXX", 16), std::string("\0ZZZ", 4)));
    Click(*d, kIdKeyMenu);
    EXPECT_EQ(d->DisplayText(1), "READY");
    EXPECT_EQ(d->DisplayText(2), "");
    EXPECT_EQ(tavtest::Bytes(dev.Written()).substr(kEnterJob.size() + job.size()),
              "\x1b%-12345X@PJL\r\n@PJL ENGINE NUX_BUTTON=1\r\n\x1b%-12345X");
    EXPECT_TRUE(ui.Messages().empty());

    // Sixteen of the widest characters fit the field, whatever font stands in for Arial.
    dev.QueueRead(Reply("WWWWWWWWWWWWWWWW", "MMMMMMMMMMMMMMMM"));
    Click(*d, kIdKeyMenu);
    for (int id : {kIdDisplayLine1, kIdDisplayLine2}) {
        QLabel* line = nullptr;
        for (QLabel* l : d->findChildren<QLabel*>())
            if (l->property("controlId").toInt() == id) line = l;
        ASSERT_NE(line, nullptr);
        EXPECT_LE(QFontMetrics(line->font()).horizontalAdvance(line->text()), line->contentsRect().width())
            << line->text().toStdString();
    }
}

TEST_F(NuxDialogTest, SilentPrinterKeepsTheOldLinesAndSaysSo) {
    auto d = Open();
    ASSERT_TRUE(d->Initialize());
    d->show();
    dev.QueueRead(Reply("OLD ONE", "OLD TWO"));
    Click(*d, kIdKeyRight);
    ASSERT_EQ(d->DisplayText(1), "OLD ONE");
    const std::size_t mark = dev.LogLines().size();
    Click(*d, kIdKeyLeft); // nothing queued: the printer says nothing
    EXPECT_EQ(d->DisplayText(1), "OLD ONE");
    EXPECT_EQ(d->DisplayText(2), "OLD TWO");
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Error sending command to the printer");
    EXPECT_EQ(ui.Messages()[0].caption, "NUX Mode");
    const auto log = LogSince(mark);
    EXPECT_EQ(std::count(log.begin(), log.end(), "qvdevm DeviceRead(33)"), 2); // one retry

    // A printer that claims more than was asked is no better.
    dev.Set("readOverflow", 5);
    Click(*d, kIdKeyUpper);
    EXPECT_EQ(d->DisplayText(1), "OLD ONE");
    EXPECT_EQ(ui.Messages().size(), 2u);
}

TEST_F(NuxDialogTest, PressReleasedOutsideSendsNothing) {
    auto d = Open();
    ASSERT_TRUE(d->Initialize());
    d->show();
    const std::size_t written = dev.Written().size();
    SkinButton* key = d->Button(kIdKeyMenu);
    QTest::mousePress(key, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(key, QPoint(-30, -30));
    QTest::mouseRelease(key, Qt::LeftButton, {}, QPoint(-30, -30));
    EXPECT_EQ(dev.Written().size(), written);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(d->ExitCode(), 0);
}

TEST_F(NuxDialogTest, DebugAsksFirstAndNoSendsNothing) {
    home.Write("comtav.ini", "[DEVICE]\nDID=tcp://127.0.0.1:9\n[DEBUG]\nDEBUG=1\n");
    ui.answers = {tav::MsgResult::Yes};
    auto d = Open();
    ASSERT_TRUE(d->Initialize());
    d->show();
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].caption, "PJL Data");
    EXPECT_EQ(ui.Messages()[0].text, kEnterJob);
    EXPECT_EQ(ui.Messages()[1].text, "Write Success!!");
    EXPECT_EQ(ui.Messages()[1].caption, "Fuser Setting");

    dev.QueueRead(Reply("FIRST", "REPLY"));
    ui.answers = {tav::MsgResult::Yes};
    Click(*d, kIdKeyEnter);
    EXPECT_EQ(d->DisplayText(1), "FIRST");

    const std::size_t written = dev.Written().size();
    const std::size_t mark = dev.LogLines().size();
    ui.answers = {tav::MsgResult::No};
    Click(*d, kIdKeyEnter);
    EXPECT_EQ(dev.Written().size(), written);
    EXPECT_TRUE(LogSince(mark).empty());
    EXPECT_EQ(d->DisplayText(1), "FIRST");
    EXPECT_EQ(d->DisplayText(2), "REPLY");

    // With debug, a silent printer shows the cleared lines and no error box.
    ui.Clear();
    ui.answers = {tav::MsgResult::Yes};
    Click(*d, kIdKeyEnter);
    EXPECT_EQ(d->DisplayText(1), "");
    EXPECT_EQ(ui.Messages().size(), 1u);
}

TEST_F(NuxDialogTest, ExitAndCancelCloseWithTheirIdsAndSendNothing) {
    auto d = Open();
    ASSERT_TRUE(d->Initialize());
    d->show();
    const std::size_t written = dev.Written().size();
    QSignalSpy spy(d.get(), &NuxDialog::exitRequested);
    Click(*d, kIdExit);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(dev.Written().size(), written); // the printer stays in its mode

    auto e = Open();
    d.reset(); // the first copy is gone: its lock with it
    ASSERT_TRUE(e->Initialize());
    e->show();
    QSignalSpy spy2(e.get(), &NuxDialog::exitRequested);
    QTest::keyClick(e.get(), Qt::Key_Escape);
    ASSERT_EQ(spy2.count(), 1);
    EXPECT_EQ(spy2.at(0).at(0).toInt(), 2);
}

TEST_F(NuxDialogTest, SecondCopyEndsWithoutShowingOrSending) {
    auto first = Open();
    ASSERT_TRUE(first->Initialize());
    const std::size_t written = dev.Written().size();
    auto second = Open();
    EXPECT_FALSE(second->Initialize());
    EXPECT_TRUE(Traced("[TAV]NUX Mode is already running..!"));
    EXPECT_EQ(dev.Written().size(), written);
    EXPECT_FALSE(second->isVisible());
}

TEST_F(NuxDialogTest, PaintsTheSkin) {
    auto d = Open();
    ASSERT_TRUE(d->Initialize());
    d->show();
    const QImage shot = d->grab().toImage().convertToFormat(QImage::Format_RGB888);
    const QImage bg = LoadSkinBitmap(kBmpBackground).convertToFormat(QImage::Format_RGB888);
    const QImage frame = LoadSkinBitmap(kBmpDisplayFrame).convertToFormat(QImage::Format_RGB888);
    EXPECT_EQ(shot.pixelColor(0, 0), bg.pixelColor(0, 0));
    EXPECT_EQ(shot.pixelColor(5, 200), bg.pixelColor(5, 126));  // below the bitmap's height
    EXPECT_EQ(shot.pixelColor(14, 14), frame.pixelColor(0, 0)); // the display panel's corner
    EXPECT_EQ(shot.pixelColor(20, 50), kDisplayLineColour);     // inside the panel, beside the lines
    // Each key shows its normal frame where it stands.
    SkinButton* key = d->Button(kIdKeyEnter);
    const QImage strip = LoadSkinBitmap(kBmpKeyEnter).convertToFormat(QImage::Format_RGB888);
    const QPoint at = key->pos();
    EXPECT_EQ(shot.pixelColor(at + QPoint(26, 20)), strip.pixelColor(26, 20));
}
