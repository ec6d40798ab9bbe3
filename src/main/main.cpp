// plotcare: the printer maintenance utility. Built once per printer model;
// the model's name and whether it has the custom file page come from the
// build (PLOTCARE_MODEL_NAME, PLOTCARE_CUSTOM_FILE_PAGE).
#include "app/CLanguageChoice.h"
#include "app/CPlotcareApp.h"
#include "app/CPlotcareStartup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

void Describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Maintenance utility for the ORVEX %1 printer: head alignment, nozzle "
                       "check and cleaning, custom paper, sample prints, status and firmware.\n"
                       "Texts, fonts and supported drivers are read from the Settings folder "
                       "beside the program; its language follows the locale, or PLOTCARE_LANG "
                       "(for example de or en).")
            .arg(QStringLiteral(PLOTCARE_MODEL_NAME)));
    parser.addHelpOption();
    parser.addVersionOption();
}

// --help and --version are answered on the terminal without a display: this
// runs before the windowed application exists. Other options wait for it,
// which takes its own (-platform, -display, ...) out first.
void AnswerHelpAndVersion(int argc, char** argv) {
    QCoreApplication probe(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral(PLOTCARE_PROGRAM_NAME));
    QCoreApplication::setApplicationVersion(QStringLiteral(PLOTCARE_VERSION));
    QCommandLineParser parser;
    Describe(parser);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) AnswerHelpAndVersion(argc, argv);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral(PLOTCARE_PROGRAM_NAME));
    QApplication::setApplicationVersion(QStringLiteral(PLOTCARE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(PLOTCARE_PROGRAM_NAME));
    {
        QCommandLineParser parser;
        Describe(parser);
        parser.process(qapp); // unknown options end the program here
    }

    CPlotcareApp app(QStringLiteral(PLOTCARE_MODEL_NAME));
    CPlotcareApp::SetCurrent(&app);
    // Qt's own words (the message boxes' buttons, the file dialogs) in the
    // language of plotcare's texts.
    CLanguageChoice::InstallQtTranslations(qapp, app.GetLanguage());
    CPlotcareStartup startup(app, PLOTCARE_CUSTOM_FILE_PAGE != 0);
    const CPlotcareStartup::Outcome outcome = startup.Run();
    CPlotcareApp::SetCurrent(nullptr);
    // A refused start is reported to the operator in a message box already;
    // the exit status tells scripts.
    switch (outcome) {
    case CPlotcareStartup::Outcome::Closed:
    case CPlotcareStartup::Outcome::AlreadyRunning: return 0;
    default: return 1;
    }
}
