// What page and main-window tests share: a QApplication on the offscreen platform, a program
// folder with the shipped language and help files and the stand-in device library, and a context
// bound to it with a recording UiHost.
#pragma once
#include <QApplication>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "FakeDev.h"
#include "pjl/AppContext.h"
#include "RecordingUiHost.h"

// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace tavtest {

QApplication& QtApp();

// A recording UiHost that can act in the middle of a wait or a message box, as a user's click
// delivered by a nested event loop would.
struct HookedUiHost : tav::RecordingUiHost {
    std::function<void(unsigned)> onWait;
    std::function<void(const std::string&)> onMessage;
    void Wait(unsigned ms) override {
        RecordingUiHost::Wait(ms);
        if (onWait) onWait(ms);
    }
    tav::MsgResult MessageBox(const std::string& text, const std::string& caption, tav::MsgIcon icon,
                              tav::MsgButtons buttons) override {
        tav::MsgResult r = RecordingUiHost::MessageBox(text, caption, icon, buttons);
        if (onMessage) onMessage(text);
        return r;
    }
};

struct PageEnv {
    // lang: "EN" or "KR"; config: the text of comtav.ini.
    explicit PageEnv(const std::string& config, const std::string& lang = "EN");
    void SetConfig(const std::string& config);
    // A reply the printer will give to the next read.
    void Reply(const std::string& bytes) { dev.QueueRead(bytes); }
    // The text written to the printer since the last Reset, as one string.
    std::string Written() const { return Bytes(dev.Written()); }

    FakeHome home;
    HookedUiHost ui;
    std::unique_ptr<tav::AppContext> ctx;
    FakeDev dev;
};

// The folder the build lays the data files out in (with '/').
std::string ShippedDataFolder();

// The program folder as the build lays it out, which is the install's layout: the default lists
// beside the programs, a model's own in its folder. With a model, its shipped profile is in use.
void UseShippedModel(PageEnv& env, const std::string& model = {});

// A flash font listing as the printer answers FSFONTINFO: Letter Gothic (font 4, ID 300, 10U) and
// OCR-B (font 9, ID 4096, 0O).
std::string TwoFlashFonts();

} // namespace tavtest
