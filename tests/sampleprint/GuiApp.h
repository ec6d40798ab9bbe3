#pragma once

#include <QGuiApplication>

// Fonts need an application object; one for the whole test program.
inline void EnsureGuiApp() {
    static int argc = 1;
    static char name[] = "test_sampleprint";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
}
