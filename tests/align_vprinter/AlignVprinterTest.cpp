// Manual alignment from button (or command line) to printer and back: the
// values a Save stores stay in the virtual printer, values only printed are
// taken back by the job sent when the page is left. Over the network
// channel and the local channel, through the private CUPS server.
#include "../shell/VprinterPageTest.h"
#include "cli/CliCommands.h"
#include "custompaper/CDigitEdit.h"
#include "custompaper/COwnerDrawCombo.h"
#include "maintenance/CManualAlignmentPage.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <sstream>

namespace {

struct Case {
    const char* queue;
    const char* direction; // "bi" (page 8) or "uni" (page 9)
};

class AlignVprinterTest : public VprinterPageTest, public ::testing::WithParamInterface<Case> {
protected:
    void SetUp() override {
        VprinterPageTest::SetUp();
        if (HasFatalFailure()) return;
        printer = &PrinterOf(GetParam().queue);
        printer->control->ClearFaults();
        bi = std::string(GetParam().direction) == "bi";
    }

    // The printer's value of a "DA" column code: in use, or kept.
    std::string Align(int code, bool kept = false) {
        char key[32];
        std::snprintf(key, sizeof key, "%salign.%s.%02X", kept ? "saved-" : "", bi ? "bi" : "uni",
                      code);
        return printer->control->Get(key);
    }
    // Jobs go through CUPS on their own time: waits (really) until the
    // printer's value is the one wanted.
    bool Eventually(int code, const std::string& want, bool kept = false) {
        return ::Eventually([&] { return Align(code, kept) == want; }, 30000);
    }
    int Cli(const std::vector<std::string>& args, std::string& output) {
        std::vector<std::string> all{"--settings", dir.file("program")};
        all.insert(all.end(), args.begin(), args.end());
        std::ostringstream out, err;
        const int r = cli::Run(all, out, err);
        output = out.str() + err.str();
        return r;
    }

    VirtualPrinter* printer = nullptr;
    bool bi = true;
};

TEST_P(AlignVprinterTest, SaveKeepsTheValuesAndLeavingTakesBackOnlyPrintedOnes) {
    const int page = bi ? 8 : 9;
    const int columns = bi ? 8 : 7;
    // Row #2's codes: 10.. (bidirectional) or 11.. (unidirectional).
    const int first = bi ? 0x10 : 0x11;
    ASSERT_TRUE(OpenPage(GetParam().queue, page));
    auto* alignment = static_cast<CManualAlignmentPage*>(window->Page(page));
    EXPECT_GT(alignment->MediaList()->count(), 1) << "the driver's media list";

    // Save row #2 with 1, 2, 3, ...
    alignment->ThicknessEdit()->setText("");
    alignment->MediaList()->setCurrentIndex(0);
    QTest::keyClicks(alignment->ThicknessEdit(), "3");
    alignment->RowCheck(1)->setChecked(true);
    for (int c = 0; c < columns; ++c)
        alignment->Cell(1, c)->setText(QString::number(c + 1));
    ASSERT_TRUE(alignment->SaveButton()->isEnabled());
    alignment->SaveButton()->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(80903)});
    for (int c = 0; c < columns; ++c) {
        EXPECT_TRUE(Eventually(first + c, std::to_string(c + 1), true)) << c;
        EXPECT_EQ(Align(first + c), std::to_string(c + 1)) << c;
    }

    // Print other values: the printer uses them for the pattern ...
    for (int c = 0; c < columns; ++c)
        alignment->Cell(1, c)->setText("9");
    alignment->PrintButton()->click();
    EXPECT_EQ(messages.Texts(), (QStringList{app->GetText(80903), app->GetText(80902)}));
    EXPECT_TRUE(Eventually(first, "9"));
    EXPECT_EQ(Align(first, true), "1") << "printed values are not kept";

    // ... and goes back to the kept ones when the page is left.
    window->ShowPage(0);
    for (int c = 0; c < columns; ++c)
        EXPECT_TRUE(Eventually(first + c, std::to_string(c + 1))) << c;
    EXPECT_EQ(messages.Texts().size(), 2);
}

TEST_P(AlignVprinterTest, CommandLineSavesAndRestores) {
    // The other direction than the page test of this printer.
    bi = !bi;
    const std::string direction = bi ? "bi" : "uni";
    const int code = 0x37; // row #4, last column, on both pages
    std::string output;
    ASSERT_EQ(Cli({"align", GetParam().queue, "--direction", direction, "--thickness", "2", "save",
                   bi ? "4.8=3" : "4.7=3"},
                  output),
              0)
        << output;
    EXPECT_TRUE(Eventually(code, "3", true));
    ASSERT_EQ(Cli({"align", GetParam().queue, "--direction", direction, "--thickness", "2", "print",
                   bi ? "4=77777777" : "4=7777777"},
                  output),
              0)
        << output;
    EXPECT_TRUE(Eventually(code, "7"));
    ASSERT_EQ(Cli({"align", GetParam().queue, "restore"}, output), 0) << output;
    EXPECT_TRUE(Eventually(code, "3"));
}

INSTANTIATE_TEST_SUITE_P(Channels, AlignVprinterTest,
                         ::testing::Values(Case{"CorvanNet", "bi"}, Case{"QzLocal", "uni"}),
                         [](const auto& info) { return std::string(info.param.queue); });

} // namespace
