// The printer status page (and plotcare-cli) from button to printer: the
// main menu selects a queue of the private CUPS server, Display Job reads
// the virtual printer's own job history over the network or the local
// channel, and the print actions make the printer print its sheets.
#include "../shell/VprinterPageTest.h"
#include "app/CTextDisplayDialog.h"
#include "status/CPrinterStatusPage.h"

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <sstream>

namespace {

// The job numbers of the printer's history, newest first, at most ten.
std::vector<int> HistoryNumbers(const CVPrinterClient& control) {
    std::vector<int> out;
    for (const std::string& line : control.Request("JOBS")) {
        if (line.rfind("OK", 0) == 0 || line == ".") continue;
        if (out.size() < 10) out.push_back(std::stoi(line.substr(0, line.find(','))));
    }
    return out;
}

// The newest job's name in the history.
std::string NewestName(const CVPrinterClient& control) {
    for (const std::string& line : control.Request("JOBS")) {
        if (line.rfind("OK", 0) == 0 || line == ".") continue;
        std::stringstream s(line);
        std::string number, source, name;
        std::getline(s, number, ',');
        std::getline(s, source, ',');
        std::getline(s, name, ',');
        return name;
    }
    return {};
}

class StatusVprinter : public VprinterPageTest, public ::testing::WithParamInterface<const char*> {
protected:
    StatusVprinter() : VprinterPageTest("StatusNet", "StatusLocal") {}
    void SetUp() override {
        VprinterPageTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(OpenPage(GetParam(), CPrinterStatusPage::kPageIndex));
        page = static_cast<CPrinterStatusPage*>(window->Page(CPrinterStatusPage::kPageIndex));
        printer = &PrinterOf(GetParam());
    }
    // The job numbers the job text window shows, in order.
    std::vector<int> ShownNumbers() const {
        const QRegularExpression first(
            QStringLiteral("^%1 (\\d+) :$").arg(QRegularExpression::escape(app->GetText(60202))),
            QRegularExpression::MultilineOption);
        std::vector<int> out;
        for (auto it = first.globalMatch(page->JobWindow()->TextArea()->toPlainText());
             it.hasNext();)
            out.push_back(it.next().captured(1).toInt());
        return out;
    }

    VirtualPrinter* printer = nullptr;
    CPrinterStatusPage* page = nullptr;
};

TEST_P(StatusVprinter, ThePrinterPrintsItsSheetsAndDisplayJobShowsItsHistory) {
    const CVPrinterClient& control = *printer->control;
    struct Sheet {
        QPushButton* button;
        const char* file;
        const char* name; // its record in the job history
    };
    for (const Sheet& s :
         {Sheet{page->PrintStatusButton(), "status-sheet.txt", "Status Sheet"},
          Sheet{page->PrintCustomButton(), "custom-paper-configuration.txt",
                "Custom Paper Configuration"},
          Sheet{page->PrintJobButton(), "job-information.txt", "Job Information"}}) {
        SCOPED_TRACE(s.file);
        Idle(*printer);
        messages.Clear();
        s.button->click();
        EXPECT_EQ(messages.Texts(), QStringList{app->GetText(60901)});
        ASSERT_TRUE(Eventually([&] { return !PrintedFile(control, s.file).empty(); }));
        EXPECT_TRUE(Logged(control, "job 30 bytes"));
        EXPECT_EQ(NewestName(control), s.name);
    }
    // The job information sheet lists the history, newest first.
    const std::string sheet = ReadFile(PrintedFile(control, "job-information.txt"));
    EXPECT_LT(sheet.find("Custom Paper Configuration"), sheet.find("Status Sheet")) << sheet;

    Idle(*printer);
    messages.Clear();
    page->DisplayJobButton()->click();
    EXPECT_TRUE(messages.Entries().empty()) << messages.Texts().join("|").toStdString();
    ASSERT_TRUE(page->JobWindow()->isVisible());
    const std::vector<int> history = HistoryNumbers(control);
    ASSERT_GE(history.size(), 3u);
    EXPECT_EQ(ShownNumbers(), history);
    // The newest job: the job information sheet, printed, completed normally.
    const QString text = page->JobWindow()->TextArea()->toPlainText();
    const QString newest = text.section(QLatin1Char('\n'), 0, 4);
    EXPECT_TRUE(newest.contains(app->GetText(60203) + " : Job Information"))
        << newest.toStdString();
    EXPECT_TRUE(newest.contains(app->GetText(60205) + " : " + app->GetText(60232)))
        << newest.toStdString();
    EXPECT_TRUE(newest.contains(app->GetText(60206) + " : " + app->GetText(60240)))
        << newest.toStdString();
    EXPECT_TRUE(newest.contains(QStringLiteral(": 0.297 ") + app->GetText(60209)))
        << newest.toStdString();
    EXPECT_TRUE(newest.contains(app->GetText(60210) + " : 1 " + app->GetText(60211) + " " +
                                app->GetText(60212) + " 1 "))
        << newest.toStdString();
    const std::vector<std::string> log = control.Log();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) { return l.rfind("query JI", 0) == 0; }),
              10);
    page->JobWindow()->hide();
}

INSTANTIATE_TEST_SUITE_P(Channels, StatusVprinter, ::testing::Values("StatusNet", "StatusLocal"),
                         [](const auto& info) { return std::string(info.param); });

class StatusCliVprinter : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        rig = &VprinterRig::Shared("StatusNet", "StatusLocal");
        ASSERT_TRUE(rig->Ready()) << rig->Error();
        PrivateCups::Shared().Activate();
        printer = &rig->On(GetParam());
    }
    std::string Queue() const { return GetParam(); }

    VprinterRig* rig = nullptr;
    VirtualPrinter* printer = nullptr;
};

TEST_P(StatusCliVprinter, PrintStatusThenJobInfoShowsIt) {
    const CVPrinterClient& control = *printer->control;
    Idle(*printer);
    CliRun r = RunCli("print-status " + Queue() + " --json");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("\"action\":\"print-status\",\"outcome\":\"sent\",\"exitCode\":0"),
              std::string::npos)
        << r.out;
    ASSERT_TRUE(Eventually([&] { return !PrintedFile(control, "status-sheet.txt").empty(); }));
    EXPECT_NE(ReadFile(PrintedFile(control, "status-sheet.txt")).find("STATUS SHEET"),
              std::string::npos);

    Idle(*printer);
    r = RunCli("job-info " + Queue() + " --json", false);
    EXPECT_EQ(r.code, 0) << r.out;
    const std::vector<int> history = HistoryNumbers(control);
    ASSERT_FALSE(history.empty());
    // One object per job, in the printer's order, the newest the status sheet.
    std::vector<int> numbers;
    for (std::size_t at = r.out.find("{\"number\":"); at != std::string::npos;
         at = r.out.find("{\"number\":", at + 1))
        numbers.push_back(std::stoi(r.out.substr(at + 10)));
    EXPECT_EQ(numbers, history) << r.out;
    EXPECT_NE(r.out.find("\"name\":\"Status Sheet\""), std::string::npos) << r.out;

    r = RunCli("job-info " + Queue(), false);
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(
        r.out.rfind("Job " + std::to_string(history[0]) + " :\n Job Name : Status Sheet\n", 0), 0u)
        << r.out;

    // A queue that takes no jobs: the sheet's job is not sent.
    Idle(*printer);
    ASSERT_EQ(PrivateCups::Shared().Run("cupsreject " + Queue()), 0);
    r = RunCli("print-jobs " + Queue());
    EXPECT_EQ(r.code, 6) << r.out;
    ASSERT_EQ(PrivateCups::Shared().Run("cupsaccept " + Queue()), 0);
}

INSTANTIATE_TEST_SUITE_P(Channels, StatusCliVprinter, ::testing::Values("StatusNet", "StatusLocal"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
