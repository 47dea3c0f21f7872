// Send after changes on the Config, Job and Color pages: exactly the changed lines, in the
// upload's order, in one job written to the printer.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "SettingsPageEnv.h"
#include "pages/ColorPage.h"
#include "pages/ConfigPage.h"
#include "pages/JobPage.h"
#include "pjl/Upload.h"

using namespace tav;
using namespace settingspages;

namespace {

std::string Model() {
    std::string m = "[Common]\nSTRING=ORB\nDeviceID=s\n[Config]\nDuplex=1\nAltitude=1\n"
                    "[STR_CONFIG]\nIDS_POWERSAVE_VALUE0=5\nIDS_POWERSAVE_VALUE1=10\nIDS_POWERSAVE_VALUE2=15\n"
                    "IDS_POWERSAVE_VALUE3=30\nIDS_POWERSAVE_VALUE4=45\nIDS_POWERSAVE_VALUE5=60\nIDS_"
                    "POWERSAVE_VALUE6=120\n"
                    "IDS_POWERSAVE_VALUE7=240\n"
                    "[JOB]\nToner=1\nPaperType=1\nTray1=1\nTray2=1\nTray3=1\nImageQuality=1\nTimeOut=1\n"
                    "[STR_COROR]\nIDS_CMYK_VALUE0=-2\nIDS_CMYK_VALUE1=-1\nIDS_CMYK_VALUE2=0\nIDS_CMYK_VALUE3="
                    "1\nIDS_CMYK_VALUE4=2\n";
    for (const char* t : {"1", "2", "3"}) {
        m += std::string("[Tray") + t +
             "]\nOFF=1\nNormal=1\nThick=1\nThin=1\nLabel=1\n0=0\n1=1\n2=2\n3=3\n4=7\n";
        m += std::string("[GetTray") + t + "]\n0=0\n1=1\n2=2\n3=3\n7=4\n";
    }
    return m;
}

} // namespace

TEST(Send, ChangesOnAllThreePagesGoOutInTheUploadOrder) {
    Env env(Model());
    PrinterSettings s;
    s.residentFontCount = 54;
    s.featureFlags = 0x4 | 0x20000000;
    s.personality = 0;
    s.powerSave = 0;
    s.timeout = 15;
    s.density = 1;
    s.paperType = s.tray1PaperType = s.tray2PaperType = s.tray3PaperType = 1;
    s.ret = 1;
    s.cmykC = s.cmykM = s.cmykY = s.cmykK = 2;
    env.Report(s);
    auto config = env.Open<CConfigTab>();
    auto job = env.Open<CJobTab>();
    auto color = env.Open<CColorTab>();

    // Color: manual adjustment, cyan +1.
    Ctl<QRadioButton>(*color, 8151)->click();
    Choose(Ctl<QComboBox>(*color, 8152), 3);
    // Config: PCL, power save after 30 minutes, auto continue, long-edge duplex, high altitude.
    Choose(Ctl<QComboBox>(*config, 8091), 1);
    Ctl<QRadioButton>(*config, 8130)->click();
    Choose(Ctl<QComboBox>(*config, 8024), 3);
    Ctl<QCheckBox>(*config, 8026)->click();
    Ctl<QRadioButton>(*config, 8144)->click();
    Ctl<QCheckBox>(*config, 8135)->click();
    // Job: dark toner, tray 2 labels, paper type thin, timeout 120, enhanced image.
    Choose(Ctl<QComboBox>(*job, 8002), 2);
    Choose(Ctl<QComboBox>(*job, 8047), 4);
    Choose(Ctl<QComboBox>(*job, 8030), 3);
    Choose(Ctl<QComboBox>(*job, 8037), 0);
    auto* timeout = Ctl<QLineEdit>(*job, 8007);
    timeout->setText("120");
    FocusOut(timeout);
    // A change undone sends nothing.
    Ctl<QCheckBox>(*config, 8026)->click();
    Ctl<QCheckBox>(*config, 8026)->click();
    Ctl<QCheckBox>(*config, 8027)->click();
    Ctl<QCheckBox>(*config, 8027)->click();

    env.dev->Reset();
    env.dev->QueueRead(std::string("\x00\x01\x02\xff\x00", 5));
    env.ctx.link.AcquirePort();
    std::string sent;
    ASSERT_EQ(UploadSettings(env.ctx, &sent), 1);
    env.ctx.link.ReleasePort();

    const std::string uel = "\x1b%-12345X";
    const std::string expected = uel + "@PJL\r\n" +
                                 "@PJL DEFAULT CUSTOMCOLOR = CMYK\r\n"
                                 "@PJL DEFAULT CMYK_C = 3\r\n"
                                 "@PJL DEFAULT DUPLEX = ON\r\n"
                                 "@PJL DEFAULT BINDING = LONGEDGE\r\n"
                                 "@PJL DEFAULT PERSONALITY = PCL\r\n"
                                 "@PJL DEFAULT POWERSAVE = ON\r\n"
                                 "@PJL DEFAULT POWERSAVETIME = 30\r\n"
                                 "@PJL DEFAULT AUTOCONT = ON \r\n"
                                 "@PJL DEFAULT ALTITUDE = HIGH\r\n"
                                 "@PJL DEFAULT TIMEOUT = 120\r\n"
                                 "@PJL DEFAULT DENSITY = 5\r\n"
                                 "@PJL DEFAULT PAPERTYPE = THIN\r\n"
                                 "@PJL DEFAULT TRAY2PAPERTYPE = LABEL\r\n"
                                 "@PJL DEFAULT RESOLUTION = 600\r\n"
                                 "@PJL DEFAULT RET = ENHANCE\r\n"
                                 "@PJL INFO PRINTER = ALL\r\n" +
                                 uel;
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(tavtest::Bytes(env.dev->Written()), expected);
}
