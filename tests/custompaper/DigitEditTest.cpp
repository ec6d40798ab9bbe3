#include "ControlsFixture.h"
#include "custompaper/CDigitEdit.h"

#include <QAccessible>
#include <QClipboard>
#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

using Leaving = CNumberTextRule::LeavingEmpty;

class DigitEditTest : public ControlsTest {
protected:
    CDigitEdit* Make(const CNumberTextRule& rule = CNumberTextRule()) {
        edit = Add(new CDigitEdit(rule));
        Show();
        edit->setFocus();
        return edit;
    }

    void Retype(const char* keys) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, keys);
    }

    void Paste(const QString& text) {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }

    CDigitEdit* edit = nullptr;
};

TEST_F(DigitEditTest, TypingKeepsOneDigitFromOneToNine) {
    Make();
    QSignalSpy changed(edit, &CDigitEdit::NumberTextChanged);
    struct Case {
        const char* keys;
        const char* shown;
    };
    const Case cases[] = {{"0", "1"}, {"12", "9"}, {"7", "7"},
                          {"a", ""},  {"-3", "3"}, {"x5y", "5"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        Retype(c.keys);
        EXPECT_EQ(edit->text().toStdString(), c.shown);
    }
    // Only cleaned texts are reported.
    for (const QList<QVariant>& args : changed) {
        const QString text = args.at(0).toString();
        EXPECT_TRUE(text.isEmpty() ||
                    (text.size() == 1 && text.at(0) >= u'1' && text.at(0) <= u'9'))
            << text.toStdString();
    }
}

TEST_F(DigitEditTest, SignedFieldsMoveTheSignToTheFront) {
    Make(CNumberTextRule(-70, 70, true, Leaving::PutZero));
    struct Case {
        const char* keys;
        const char* shown;
        int value;
    };
    const Case cases[] = {{"12-", "-12", -12}, {"--12", "12", 12},  {"-", "-", 0},
                          {"99", "70", 70},    {"-99", "-70", -70}, {"1a", "1", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        Retype(c.keys);
        EXPECT_EQ(edit->text().toStdString(), c.shown);
        EXPECT_EQ(edit->Value(), c.value);
    }
}

TEST_F(DigitEditTest, PastedTextWithAnyOtherCharacterIsRefusedWhole) {
    Make();
    struct Case {
        const char16_t* pasted;
        const char* shown;
    };
    const Case cases[] = {{u"7", "7"}, {u"25", "9"},    {u"a7", ""},
                          {u"7 ", ""}, {u"\uFF17", ""}, {u"-7", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.pasted).toStdString());
        edit->clear();
        Paste(QString::fromUtf16(c.pasted));
        EXPECT_EQ(edit->text().toStdString(), c.shown);
    }
    // A refused paste leaves what was there.
    edit->SetValue(4);
    edit->selectAll();
    Paste("x");
    EXPECT_EQ(edit->text(), "4");
}

TEST_F(DigitEditTest, LeavingAnEmptyBoxPutsBackTheLastValidValue) {
    Make();
    edit->SetValue(5);
    QSignalSpy committed(edit, &CDigitEdit::Committed);
    Retype("0"); // shows 1, the last valid value now
    Retype("");
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(edit->LastValidValue(), 1);
    other->setFocus();
    EXPECT_EQ(edit->text(), "1");
    ASSERT_EQ(committed.size(), 1);
    EXPECT_EQ(committed.at(0).at(0).toInt(), 1);

    // A context menu taking the focus for a moment fills nothing in.
    edit->setFocus();
    Retype("");
    QFocusEvent popupFocus(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(edit, &popupFocus);
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(committed.size(), 1);
}

TEST_F(DigitEditTest, EachFieldKindFillsAnEmptyBoxItsOwnWay) {
    struct Case {
        const char* what;
        CNumberTextRule rule;
        const char* shownAfterLeaving;
    };
    const Case cases[] = {
        {"grid", CNumberTextRule(), "6"},
        {"tab value box", CNumberTextRule(-70, 70, true, Leaving::PutZero), "0"},
        {"thickness", CNumberTextRule(1, 16, true, Leaving::StayEmpty), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Make(c.rule);
        edit->SetValue(6);
        Retype("");
        other->setFocus();
        EXPECT_EQ(edit->text().toStdString(), c.shownAfterLeaving);
        delete edit;
    }
}

TEST_F(DigitEditTest, AnEmptyTextIsRefusedWhereTheFieldMayNotBeEmpty) {
    Make(CNumberTextRule(-50, 50, false, Leaving::StayEmpty));
    EXPECT_EQ(edit->text(), "0") << "an empty box becomes 0 as soon as it has the rule";
    Retype("75");
    EXPECT_EQ(edit->text(), "50");
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "0");
}

TEST_F(DigitEditTest, EnterCommitsTheValueWithoutPressingTheDialogsDefaultButton) {
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* box = new CDigitEdit(CNumberTextRule(-70, 70, true, Leaving::StayEmpty));
    auto* close = new QPushButton("Close");
    close->setDefault(true);
    layout->addWidget(box);
    layout->addWidget(close);
    QSignalSpy clicked(close, &QPushButton::clicked);
    QSignalSpy committed(box, &CDigitEdit::Committed);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    box->setFocus();
    QTest::keyClicks(box, "-35");
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_EQ(committed.size(), 1);
    EXPECT_EQ(committed.at(0).at(0).toInt(), -35);
    EXPECT_TRUE(clicked.isEmpty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(DigitEditTest, ProgramTextIsCleanedAndReportedLikeTyping) {
    Make(CNumberTextRule(-70, 70, true, Leaving::PutZero));
    EXPECT_EQ(edit->LastValidValue(), 0) << "an empty box starts from 0, as atoi reads it";
    QSignalSpy changed(edit, &CDigitEdit::NumberTextChanged);
    edit->setText("1x2-");
    EXPECT_EQ(edit->text(), "-12");
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), "-12");
    EXPECT_EQ(edit->LastValidValue(), -12);
    // A narrower rule cleans what is there.
    edit->SetRule(CNumberTextRule());
    EXPECT_EQ(edit->text(), "1");
    EXPECT_EQ(edit->Value(), 1);
}

TEST_F(DigitEditTest, CarriesTheAccessibleNameOfItsLabel) {
    Make();
    edit->SetAccessibleLabel("#1, column 3:");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(edit);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), "#1, column 3");
}

} // namespace
