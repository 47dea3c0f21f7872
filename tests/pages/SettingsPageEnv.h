// What the Config, Job and Color page tests share: a QApplication on the offscreen platform, a
// program folder with the configuration and language files the test writes and the stand-in
// device library, a context bound to it with a recording UiHost, and ways to act on controls as
// the user does (activated and clicked signals, focus loss).
#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "FakeDev.h"
#include "PageFixture.h"
#include "pages/TavPage.h"
#include "pjl/AppContext.h"
#include "pjl/Upload.h"
#include "RecordingUiHost.h"

namespace settingspages {


struct Env {
    explicit Env(const std::string& config, const std::string& lang = {}) {
        tavtest::QtApp();
        SetConfig(config);
        home.Write("EN.ini", lang);
        ctx.cfg.langFilePath = home.dir + "EN.ini";
        ctx.cfg.helpFilePath = home.dir + "wintav32.html";
        if (!ctx.link.Bind(false, home.dir)) throw std::runtime_error("bind");
        dev = std::make_unique<tavtest::FakeDev>(home.dir + "libqvdevm.so");
    }
    void SetConfig(const std::string& config) {
        home.Write("comtav.ini", config);
        ctx.cfg.configFilePath = home.dir + "comtav.ini";
    }
    // The printer reported these values; both instances hold them.
    void Report(const tav::PrinterSettings& s) {
        ctx.store.reported = s;
        ctx.store.edited = s;
    }
    template <typename Page> std::unique_ptr<Page> Open() {
        auto page = std::make_unique<Page>(ctx);
        page->EnsureCreated();
        return page;
    }

    tavtest::FakeHome home;
    tav::RecordingUiHost ui;
    tav::AppContext ctx{ui};
    std::unique_ptr<tavtest::FakeDev> dev;
};

template <typename W> W* Ctl(const tav::TavPage& page, int id) {
    W* w = qobject_cast<W*>(page.Control(id));
    if (!w) ADD_FAILURE() << "no control " << id << " of that kind";
    return w;
}

// The user picks item i of a list.
inline void Choose(QComboBox* list, int i) {
    list->setCurrentIndex(i);
    emit list->activated(i);
}

inline QStringList Items(const QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemText(i);
    return out;
}

// The lines Send would write now, each with its CR LF.
inline std::vector<std::string> SentLines(tav::AppContext& ctx) {
    std::vector<std::string> lines = tav::ComposeSettingsLines(ctx);
    for (std::string& l : lines)
        l += "\r\n";
    return lines;
}

inline void FocusOut(QWidget* w) {
    QFocusEvent e(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w, &e);
}

// The help id a right-click on the control shows, 0 when none.
inline uint32_t RightClickHelp(tav::TavPage& page, tav::RecordingUiHost& ui, QWidget* control) {
    ui.Clear();
    page.resize(page.TemplateSize());
    page.show();
    QApplication::processEvents();
    const QPoint at = control->mapTo(&page, control->rect().center());
    const uint32_t shown = page.PopupHelpAt(at);
    page.hide();
    for (const auto& e : ui.events)
        if (e.kind == tav::RecordingUiHost::Kind::PopupHelp && e.ms != shown)
            ADD_FAILURE() << "help id disagrees";
    return shown;
}

} // namespace settingspages
