#include "cli/CliCommands.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv) {
    // The event dispatcher serves the program's waits.
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    return cli::Run(args, std::cout, std::cerr);
}
