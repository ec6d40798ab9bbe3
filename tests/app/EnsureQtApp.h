#pragma once

#include <QApplication>

// One QApplication for the whole test program, made on first use. It is
// never destroyed: Qt's font caches stay reachable through it until exit.
inline void EnsureQtApp() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}
