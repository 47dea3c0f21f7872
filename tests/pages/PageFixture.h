// What page and main-window tests share: a QApplication on the offscreen platform, a program
// folder with the shipped language and help files and the stand-in device library, and a context
// bound to it with a recording UiHost.
#pragma once
#include <QApplication>
#include <memory>
#include <ostream>
#include <string>

#include "FakeDev.h"
#include "pjl/AppContext.h"

// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tavtest {

QApplication& QtApp();

struct PageEnv {
    // lang: "EN" or "KR"; config: the text of comtav.ini.
    explicit PageEnv(const std::string& config, const std::string& lang = "EN");
    void SetConfig(const std::string& config);
    // A reply the printer will give to the next read.
    void Reply(const std::string& bytes) { dev.QueueRead(bytes); }
    // The text written to the printer since the last Reset, as one string.
    std::string Written() const { return Bytes(dev.Written()); }

    FakeHome home;
    tav::RecordingUiHost ui;
    std::unique_ptr<tav::AppContext> ctx;
    FakeDev dev;
};

// The folder the build lays the data files out in (with '/').
std::string ShippedDataFolder();

}  // namespace tavtest
