// The slot registration and save custom file dialogs, headless: what they
// show when opened, when OK is possible, Browse through the scripted file
// dialogs, and that every failure keeps the dialog open with its message
// (and the file as it was), while success closes it.
#include "../shell/ShellFixture.h"
#include "RecordingSpooler.h"
#include "TestFiles.h"
#include "custompaper/CCustomFile.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CRegisterSlotDialog.h"
#include "custompaper/CSaveCustomFileDialog.h"
#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomFileSavePath.h"
#include "platform/FileDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cerrno>
#include <fstream>
#include <sstream>

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string CustomFile(const char* model, const std::vector<std::string>& names) {
    std::string text = "[Base]\nVersion=2.00\nMakeTime=2026/01/02 03:04:05\nModel=" +
                       std::string(model) + "\nMediaCount=" + std::to_string(names.size()) + "\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += "[" + CCustomFile::SectionOf(static_cast<int>(i) + 1) + "]\nCustomName=" + names[i] +
                "\nID=1\nMode=2\nDensity=0\nForward=0\nDrytime=0\nPaperthick=2\nPaperdraw=0\n"
                "PaperCut=0\nInkMode=00112233445566778899AABBCCDDEEFF\nPlaten=1\nRoller=0\nSID=1\n";
    }
    return text;
}

class Dialogs : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        spooler.AddPrinter("Room2", "socket://a:9100", "ORVEX Corvan Max 7100");
        app->SetSelectedPrinter("Room2", "ORVEX Corvan Max 7100", "socket://a:9100");
        table = std::make_unique<CCustomPaperTable>(app->GetText(30110).toStdString());
        table->SetCurrentIndex(2);
        table->SlotAt(4).Registered = 1;
        table->SlotAt(4).Name = "Glossy 5 ";
        record.ID = 1;
        record.SID = 1;
        record.InkMode = "00112233445566778899AABBCCDDEEFF";
        record.CustomName = "Matte";
        messages.Clear();
    }

    std::vector<int> MessageIds() const {
        std::vector<int> ids;
        for (const auto& e : messages.Entries()) {
            int id = -1;
            for (int t : {901, 30902, 30903, 30904, 50900, 50902, 50903})
                if (e.text == app->GetText(t)) id = t;
            ids.push_back(id);
        }
        return ids;
    }

    RecordingSpooler spooler;
    std::unique_ptr<CCustomPaperTable> table;
    CustomFileRecord record;
};

TEST_F(Dialogs, SlotDialogOpensOnTheCurrentSlotAndFillsInRegisteredNames) {
    CRegisterSlotDialog dialog(*table, nullptr);
    EXPECT_EQ(dialog.windowTitle(), app->GetText(30600));
    EXPECT_EQ(dialog.DestinationBox()->count(), 10);
    EXPECT_EQ(dialog.DestinationBox()->itemText(9), QString("#10"));
    EXPECT_EQ(dialog.DestinationBox()->currentIndex(), 2);
    EXPECT_FALSE(dialog.OkButton()->isEnabled()); // no name yet

    QTest::keyClicks(dialog.NameBox(), "Typed");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    dialog.DestinationBox()->setCurrentIndex(3); // empty: the typed name stays
    EXPECT_EQ(dialog.NameBox()->text(), QString("Typed"));
    dialog.DestinationBox()->setCurrentIndex(4);
    EXPECT_EQ(dialog.NameBox()->text(), QString("Glossy 5"));
    dialog.NameBox()->setText("   ");
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.NameBox()->maxLength(), 30);
}

TEST_F(Dialogs, SlotDialogStaysOpenOnEveryFailureAndClosesWhenWritten) {
    CRegisterSlotDialog dialog(*table, nullptr);
    dialog.show();
    dialog.NameBox()->setText("Matte");

    // No bidirectional library: the printer is not ready.
    dialog.RunOk();
    EXPECT_EQ(MessageIds(), std::vector<int>{901});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(spooler.Documents().empty());

    // Review mode skips the wait; a registered destination asks first.
    app->SetMode(CPlotcareApp::kModeReview);
    dialog.DestinationBox()->setCurrentIndex(4);
    dialog.NameBox()->setText("Matte");
    messages.Clear();
    messages.Script({MessageAnswer::No});
    dialog.RunOk();
    EXPECT_EQ(MessageIds(), std::vector<int>{30902});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(spooler.Documents().empty());

    messages.Clear();
    spooler.Fail(RecordingSpooler::Step::Write);
    messages.Script({MessageAnswer::Yes});
    dialog.RunOk();
    EXPECT_EQ(MessageIds(), (std::vector<int>{30902, 30904}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.WrittenIndex(), -1);

    messages.Clear();
    spooler.Succeed(RecordingSpooler::Step::Write);
    spooler.Clear();
    messages.Script({MessageAnswer::Yes});
    dialog.RunOk();
    EXPECT_EQ(MessageIds(), (std::vector<int>{30902, 30903}));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.WrittenIndex(), 4);
    ASSERT_EQ(spooler.Documents().size(), 1u);
    const auto& job = spooler.Documents()[0].bytes;
    ASSERT_EQ(job.size(), 130u);
    // The slot write packet follows the 15 bytes of enter-remote: slot
    // number 5 and the typed name (the table's current record is sent).
    EXPECT_EQ(job[15 + 9], 5);
    EXPECT_EQ(std::string(job.begin() + 15 + 77, job.begin() + 15 + 82), "Matte");
}

TEST_F(Dialogs, FileDialogBrowsesRefusesOtherModelsAndShowsTheName) {
    const std::string mine = dir.write("files/mine.ZMD", CustomFile("Corvan Max 7100", {"A"}));
    const std::string qz = dir.write("files/qz.ZMD", CustomFile("QZ-7100", {"A"}));
    ASSERT_EQ(WriteSavePath(app->ModelName().toStdString(), dir.file("files/x.ZMD")), 0);
    CSaveCustomFileDialog dialog(QString::fromStdString(mine), &record, nullptr);
    EXPECT_EQ(dialog.windowTitle(), app->GetText(50600));
    EXPECT_EQ(dialog.FileNameText()->text(), QString("mine.ZMD"));
    EXPECT_EQ(dialog.NameBox()->text(), QString("Matte"));
    EXPECT_EQ(dialog.NameBox()->maxLength(), 16);
    EXPECT_TRUE(dialog.OkButton()->isEnabled());

    ScriptedFileDialogs files;
    files.Script(QString::fromStdString(qz));
    dialog.RunBrowse();
    EXPECT_EQ(MessageIds(), std::vector<int>{50900});
    EXPECT_EQ(dialog.Path(), QString::fromStdString(mine));
    ASSERT_EQ(files.Requests().size(), 1u);
    const FileDialogRequest& asked = files.Requests()[0];
    EXPECT_EQ(asked.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(asked.defaultExtension, QString("ZMD"));
    EXPECT_EQ(asked.filter, QString("ZMD File(*.ZMD)|*.ZMD|All Files(*.*)|*.*||"));
    EXPECT_EQ(asked.initialFolder, QString::fromStdString(dir.file("files")));

    messages.Clear();
    files.Script(QString::fromStdString(dir.file("files/new.ZMD")));
    dialog.RunBrowse();
    EXPECT_TRUE(messages.Entries().empty());
    EXPECT_EQ(dialog.FileNameText()->text(), QString("new.ZMD"));

    files.Script(QString()); // cancelled: the choice stays
    dialog.RunBrowse();
    EXPECT_EQ(dialog.Path(), QString::fromStdString(dir.file("files/new.ZMD")));

    // Without a file, or with a name of blanks, OK is off.
    CSaveCustomFileDialog empty(QString(), &record, nullptr);
    EXPECT_FALSE(empty.OkButton()->isEnabled());
    dialog.NameBox()->setText("  ");
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
}

TEST_F(Dialogs, FileDialogAsksBeforeOverwritingAndRemembersTheFolder) {
    const std::string path = dir.write("files/s.ZMD", CustomFile("Corvan Max 7100", {"A", "Matte", "C", "D"}));
    CSaveCustomFileDialog dialog(QString::fromStdString(path), &record, nullptr);
    dialog.show();
    messages.Script({MessageAnswer::No});
    dialog.RunOk();
    EXPECT_EQ(MessageIds(), std::vector<int>{50902});
    EXPECT_TRUE(dialog.isVisible());

    messages.Clear();
    messages.Script({MessageAnswer::Yes});
    record.Density = 9;
    dialog.RunOk();
    EXPECT_EQ(MessageIds(), std::vector<int>{50902});
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    CCustomFile file("ORVEX Corvan Max 7100");
    ASSERT_EQ(file.Attach(path), 0);
    EXPECT_EQ(file.MediaCount(), 4);
    CustomFileRecord back;
    ASSERT_EQ(file.ReadEntry(2, back), 0);
    EXPECT_EQ(back.Density, 9);
    EXPECT_EQ(ReadSavePath(app->ModelName().toStdString()), dir.file("files"));
}

// The save's rename fails as on a full or read-only file system.
class FailingRename : public AtomicFile::Io {
public:
    int Rename(const char*, const char*) override {
        errno = EROFS;
        return -1;
    }
};

TEST_F(Dialogs, FileDialogStaysOpenWhenTheFileCannotBeWritten) {
    const std::string path = dir.write("files/s.ZMD", CustomFile("Corvan Max 7100", {"A"}));
    const std::string before = Read(path);
    CSaveCustomFileDialog dialog(QString::fromStdString(path), &record, nullptr);
    dialog.show();
    FailingRename io;
    CustomFileWriteOptions options;
    options.io = &io;
    dialog.SetWriteOptions(options);
    dialog.NameBox()->setText("New");
    dialog.RunOk();
    EXPECT_EQ(MessageIds(), std::vector<int>{50903});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(record.CustomName, "New"); // the record takes the name all the same
    EXPECT_EQ(ReadSavePath(app->ModelName().toStdString()), "");

    // A folder that does not exist.
    messages.Clear();
    CSaveCustomFileDialog missing(QString::fromStdString(dir.file("gone/s.ZMD")), &record, nullptr);
    missing.show();
    missing.RunOk();
    EXPECT_EQ(MessageIds(), std::vector<int>{50903});
    EXPECT_TRUE(missing.isVisible());
}

TEST_F(Dialogs, EveryDialogControlIsReachedByTabAndNamed) {
    CRegisterSlotDialog slotDialog(*table, nullptr);
    slotDialog.NameBox()->setText("x");
    CSaveCustomFileDialog fileDialog(QString::fromStdString(dir.file("s.ZMD")), &record, nullptr);
    const std::vector<std::pair<QDialog*, std::vector<QWidget*>>> cases = {
        {&slotDialog,
         {slotDialog.DestinationBox(), slotDialog.NameBox(), slotDialog.OkButton(),
          slotDialog.CancelButton()}},
        {&fileDialog,
         {fileDialog.BrowseButton(), fileDialog.NameBox(), fileDialog.OkButton(),
          fileDialog.CancelButton()}},
    };
    for (const auto& [dialog, order] : cases) {
        dialog->show();
        QApplication::setActiveWindow(dialog);
        QApplication::processEvents();
        order.front()->setFocus();
        std::vector<QWidget*> visited{order.front()};
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (QApplication::focusWidget() == order.front()) break;
            visited.push_back(QApplication::focusWidget());
        }
        EXPECT_EQ(visited, order) << dialog->windowTitle().toStdString();
        for (QWidget* v : visited)
            EXPECT_FALSE(v->accessibleName().isEmpty()) << v->metaObject()->className();
        dialog->hide();
    }
}

} // namespace
