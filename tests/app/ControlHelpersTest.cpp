#include "app/ControlHelpers.h"
#include "app/CPlotcareApp.h"
#include "EnsureQtApp.h"
#include "TestFiles.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// A page with a few controls, some nested, and a settings folder.
class Page : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("Settings/Localize.ini", "00000002=Printer\n00000003=Head\\ncleaning\n00000005=Group\n");
        dir.write("Settings/L_Font.ini", "00000002=12,1,0,0\n00000003=9,0,1,0\n");
        app.SetFontDpi(96);
        QFont base("DejaVu Sans");
        base.setPixelSize(11);
        app.CreateBaseFont(base);
        label = new QLabel("old", &page);
        button = new QPushButton("old", &page);
        group = new QGroupBox("old", &page);
        nested = new QCheckBox("old", group);
        edit = new QLineEdit("old", &page);
        SetControlId(label, 1028);
        SetControlId(button, 1011);
        SetControlId(group, 1040);
        SetControlId(nested, 1041);
        SetControlId(edit, 1050);
    }
    bool qtReady = (EnsureQtApp(), true);  // before the first widget
    TempDir dir;
    CPlotcareApp app{"", QString::fromStdString(dir.path().string())};
    QWidget page;
    QLabel* label;
    QPushButton* button;
    QGroupBox* group;
    QCheckBox* nested;
    QLineEdit* edit;
};

TEST_F(Page, ControlsAreFoundByTheirIds) {
    EXPECT_EQ(FindControl(&page, 1028), label);
    EXPECT_EQ(FindControl(&page, 1041), nested);
    EXPECT_EQ(FindControl(&page, 9999), nullptr);
    EXPECT_EQ(FindControl(nullptr, 1028), nullptr);
    EXPECT_EQ(ControlId(label), 1028);
    EXPECT_EQ(ControlId(&page), -1);
    // A direct child wins over a deeper control with the same id.
    auto* deep = new QLabel(group);
    SetControlId(deep, 1050);
    EXPECT_EQ(FindControl(&page, 1050), edit);
}

TEST_F(Page, LayoutTakesLeftTopRightBottom) {
    const int ids[] = {1028, 9999, 1041};
    const ControlRect rects[] = {{70, 12, 200, 30}, {0, 0, 1, 1}, {5, 6, 55, 26}};
    ApplyLayout(&page, ids, rects, 3);
    EXPECT_EQ(label->geometry(), QRect(70, 12, 130, 18));
    EXPECT_EQ(nested->geometry(), QRect(5, 6, 50, 20));
}

TEST_F(Page, TextsComeFromTheTextIds) {
    const int ids[] = {1028, 1011, 1040, 1050, 1041, 9999};
    const int textIds[] = {2, 3, 5, 77, -1, 2};
    ApplyTexts(&page, ids, textIds, 6);
    EXPECT_EQ(label->text(), "Printer");
    EXPECT_EQ(button->text(), "Head\ncleaning");
    EXPECT_EQ(group->title(), "Group");
    EXPECT_EQ(edit->text(), "");      // an id without text empties the control
    EXPECT_EQ(nested->text(), "old");  // -1 leaves it alone
    EXPECT_EQ(ControlText(group), "Group");
}

TEST_F(Page, FontsComeFromTheFontIds) {
    const int ids[] = {1028, 1011, 1050, 9999};
    const int fontIds[] = {2, 3, -1, 2};
    ApplyFonts(app, &page, ids, fontIds, 4);
    EXPECT_EQ(label->font().pixelSize(), 16);
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(button->font().pixelSize(), 12);
    EXPECT_TRUE(button->font().italic());
    EXPECT_EQ(edit->font(), app.BaseFont());
}

}  // namespace
