#include "ShellFixture.h"

#include "app/CMainMenuPage.h"
#include "app/ControlHelpers.h"

#include <QComboBox>
#include <QPushButton>

namespace {

class MainMenuTest : public ShellTest {
protected:
    std::unique_ptr<CMainWindow> Open(bool customFilePage = true) {
        auto window = std::make_unique<CMainWindow>(customFilePage, RecordingFactory(log));
        EXPECT_TRUE(window->Initialize());
        window->show();
        messages.Clear();
        return window;
    }
    CMainMenuPage* Menu(CMainWindow& w) { return static_cast<CMainMenuPage*>(w.Page(0)); }
    QStringList ListedNames(CMainWindow& w) {
        QStringList names;
        for (int i = 0; i < Menu(w)->PrinterList()->count(); ++i) names << Menu(w)->PrinterList()->itemText(i);
        return names;
    }
    NoteLog log;
};

TEST_F(MainMenuTest, ListsSupportedPrintersAndSelectsTheRememberedOne) {
    struct Case {
        const char* remembered;
        const char* selected;
    };
    for (const Case c : {Case{"", "Room2"}, Case{"Lab", "Lab"}, Case{"Gone", "Room2"}, Case{"lab", "Room2"}}) {
        SCOPED_TRACE(c.remembered);
        CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
        key.WriteString("Corvan Max 7100", "SelectPrinter", c.remembered);
        auto w = Open();
        EXPECT_EQ(ListedNames(*w), (QStringList{"Room2", "Lab"}));
        EXPECT_EQ(Menu(*w)->PrinterList()->currentText(), c.selected);
    }
}

TEST_F(MainMenuTest, TheRememberedChoiceIsPerModel) {
    CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    key.WriteString("QZ-7100", "SelectPrinter", "Lab");
    auto corvan = Open();
    EXPECT_EQ(Menu(*corvan)->PrinterList()->currentText(), "Room2");
    corvan.reset();
    MakeApp("QZ-7100");
    auto qz = Open(false);
    EXPECT_EQ(Menu(*qz)->PrinterList()->currentText(), "Lab");
}

TEST_F(MainMenuTest, UnregisteredDriverStopsWithItsMessage) {
    RegisterDrivers({"ORVEX QZ-7100"});
    auto w = Open();
    Menu(*w)->PrinterList()->setCurrentIndex(0); // Room2, Corvan driver
    Menu(*w)->FunctionButton(2)->click();
    ASSERT_EQ(messages.Texts(), QStringList{app->GetText(905)});
    EXPECT_EQ(messages.Entries()[0].icon, MessageIcon::Error);
    EXPECT_EQ(w->CurrentIndex(), 0);
    // The selection had already changed; nothing was remembered.
    EXPECT_EQ(app->GetPrinterName(), "Room2");
    EXPECT_EQ(app->GetDriverName(), "ORVEX Corvan Max 7100");
    EXPECT_EQ(app->GetPortName(), "socket://a:9100");
    EXPECT_EQ(Remembered(), "<none>");
}

TEST_F(MainMenuTest, RegisteredDriverWithoutAReachablePrinterFailsTheDeviceIdCheck) {
    // No bidirectional library reaches the printer, so its device id is unknown.
    RegisterDrivers({"ORVEX Corvan Max 7100", "ORVEX QZ-7100"});
    auto w = Open();
    Menu(*w)->FunctionButton(6)->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(906)});
    EXPECT_EQ(w->CurrentIndex(), 0);
}

TEST_F(MainMenuTest, ModeTwoOpensEveryPageWithoutChecksAndRemembers) {
    app->SetMode(CPlotcareApp::kModeReview);
    auto w = Open();
    Menu(*w)->PrinterList()->setCurrentIndex(1); // Lab
    for (int k = 1; k <= 9; ++k) {
        SCOPED_TRACE(k);
        w->ShowPage(0);
        messages.Clear();
        Menu(*w)->FunctionButton(k)->click();
        EXPECT_EQ(w->CurrentIndex(), k);
        EXPECT_TRUE(messages.Entries().empty());
    }
    EXPECT_EQ(Remembered(), "Lab");
    EXPECT_EQ(w->windowTitle(), "plotcare - Lab");
}

TEST_F(MainMenuTest, ModeTwoReviewsEveryMessageWhenShown) {
    app->SetMode(CPlotcareApp::kModeReview);
    auto w = Open();
    w->ShowPage(3);
    messages.Clear();
    w->ShowPage(0);
    EXPECT_EQ(messages.Texts(),
              (QStringList{CMainMenuPage::kNecessaryFileText, app->GetText(904), app->GetText(905),
                           app->GetText(906), app->GetText(901), app->GetText(902), app->GetText(900)}));
    std::vector<MessageIcon> icons;
    for (const auto& e : messages.Entries()) icons.push_back(e.icon);
    EXPECT_EQ(icons, (std::vector<MessageIcon>{MessageIcon::Error, MessageIcon::Error, MessageIcon::Error,
                                               MessageIcon::Error, MessageIcon::Warning, MessageIcon::Error,
                                               MessageIcon::Information}));
    EXPECT_EQ(messages.Entries().back().buttons, MessageButtons::OkCancel);
}

TEST_F(MainMenuTest, QzBuildHidesTheCustomFileFunction) {
    MakeApp("QZ-7100");
    auto w = Open(false);
    EXPECT_EQ(Menu(*w)->size(), QSize(600, 332));
    EXPECT_EQ(Menu(*w)->HelpButton()->geometry(), QRect(11, 299, 113, 22));
    EXPECT_FALSE(Menu(*w)->FunctionButton(5)->isVisible());
    EXPECT_FALSE(FindControl(Menu(*w), 1021)->isVisible());
    EXPECT_FALSE(FindControl(Menu(*w), 1036)->isVisible());
    EXPECT_TRUE(Menu(*w)->FunctionButton(4)->isVisible());
}

TEST_F(MainMenuTest, ControlsSitAtTheirRectangles) {
    auto w = Open();
    CMainMenuPage* menu = Menu(*w);
    EXPECT_EQ(menu->size(), QSize(600, 393));
    EXPECT_EQ(menu->FunctionButton(1)->geometry(), QRect(15, 48, 40, 40));
    EXPECT_EQ(menu->FunctionButton(9)->geometry(), QRect(305, 231, 40, 40));
    EXPECT_EQ(FindControl(menu, 1037)->geometry(), QRect(357, 67, 233, 40));
    EXPECT_EQ(menu->HelpButton()->geometry(), QRect(11, 360, 113, 22));
    EXPECT_EQ(ControlText(FindControl(menu, 1005)), app->GetText(19));
    EXPECT_EQ(menu->HelpButton()->text(), app->GetText(100));
}

} // namespace
