// One QApplication for a whole test program, on the offscreen platform.
#pragma once
#include <QApplication>

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "nuxtest";
    static char* argv[] = {name, nullptr};
    // Left alive to the end: tearing Qt down during static destruction crashes.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
