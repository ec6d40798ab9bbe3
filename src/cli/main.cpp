#include "cli/CliCommands.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <iostream>
#include <memory>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // The event dispatcher serves the program's waits. Sample sheets are
    // drawn with fonts, which need the GUI application; the program shows no
    // window, so it needs no display either.
    std::unique_ptr<QCoreApplication> app;
    if (std::find(args.begin(), args.end(), "sample") != args.end()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return cli::Run(args, std::cout, std::cerr);
}
