#include "ShellFixture.h"

#include "app/CTextDisplayDialog.h"

#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>

namespace {

class TextDisplayTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        dialog = std::make_unique<CTextDisplayDialog>();
        dialog->SetReport("Job 1 printed\nJob 2 printed");
        dialog->show();
    }
    std::unique_ptr<CTextDisplayDialog> dialog;
};

TEST_F(TextDisplayTest, TextsTitleAndPlacementFollowTheClientSize) {
    EXPECT_EQ(dialog->windowTitle(), app->GetText(60200));
    EXPECT_EQ(dialog->Heading()->text(), app->GetText(60201));
    EXPECT_EQ(dialog->OkButton()->text(), app->GetText(60250));

    for (QSize size : {QSize(500, 400), QSize(800, 600)}) {
        dialog->resize(size);
        const int w = dialog->width(), h = dialog->height();
        EXPECT_EQ(dialog->TextArea()->geometry(), QRect(0, 28, w, h - 28));
        EXPECT_EQ(dialog->Heading()->geometry(), QRect(10, 2, w - 85, 23));
        EXPECT_EQ(dialog->OkButton()->geometry(), QRect(w - 70, 2, 65, 23));
    }
    // It cannot shrink below the minimum.
    dialog->resize(100, 50);
    EXPECT_EQ(dialog->size(), QSize(300, 200));
}

TEST_F(TextDisplayTest, TypingChangesNothing) {
    QPlainTextEdit* text = dialog->TextArea();
    text->setFocus();
    QTest::keyClicks(text, "abc");
    for (Qt::Key key : {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Return})
        QTest::keyClick(text, key);
    QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(text->toPlainText(), "Job 1 printed\nJob 2 printed");
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(TextDisplayTest, CopyTakesTheSelectionAndNothingWithoutOne) {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText("before");
    dialog->CopySelection(); // nothing selected
    EXPECT_EQ(clipboard->text(), "before");

    QTextCursor cursor = dialog->TextArea()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(19, QTextCursor::KeepAnchor);
    dialog->TextArea()->setTextCursor(cursor);
    std::unique_ptr<QMenu> menu(dialog->CreateContextMenu());
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), app->GetText(60251));
    menu->actions()[0]->trigger();
    EXPECT_EQ(clipboard->text(), "Job 1 printed\nJob 2");
}

TEST_F(TextDisplayTest, OkCloseAndEscapeOnlyHide) {
    QPointer<CTextDisplayDialog> alive(dialog.get());
    const auto hideBy = [&](const std::function<void()>& how) {
        dialog->show();
        how();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_FALSE(alive.isNull());
    };
    hideBy([&] { dialog->OkButton()->click(); });
    hideBy([&] { dialog->close(); });
    hideBy([&] { QTest::keyClick(dialog->TextArea(), Qt::Key_Escape); });
    // Shown again, it keeps its report.
    dialog->show();
    EXPECT_EQ(dialog->TextArea()->toPlainText(), "Job 1 printed\nJob 2 printed");
}

} // namespace
