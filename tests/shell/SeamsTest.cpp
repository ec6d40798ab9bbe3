#include "platform/FileDialogs.h"
#include "platform/MessageRecorder.h"

#include <gtest/gtest.h>

namespace {

TEST(MessagePresenter, RecorderTakesCaptionFromSourceAndAnswersFromScript) {
    MessagePresenter::SetCaptionSource([] { return QStringLiteral("Title"); });
    MessageRecorder recorder;
    recorder.Script({MessageAnswer::Cancel});

    EXPECT_EQ(ShowMessage("first", MessageIcon::Information, MessageButtons::OkCancel),
              MessageAnswer::Cancel);
    // Script exhausted: the first button answers.
    EXPECT_EQ(ShowMessage("second", MessageIcon::Warning, MessageButtons::YesNo),
              MessageAnswer::Yes);
    EXPECT_EQ(ShowMessage("third", MessageIcon::Error), MessageAnswer::Ok);

    ASSERT_EQ(recorder.Entries().size(), 3u);
    EXPECT_EQ(recorder.Texts(), (QStringList{"first", "second", "third"}));
    EXPECT_EQ(recorder.Entries()[0].caption, "Title");
    EXPECT_EQ(recorder.Entries()[1].icon, MessageIcon::Warning);
    EXPECT_EQ(recorder.Entries()[2].buttons, MessageButtons::Ok);
    MessagePresenter::SetCaptionSource(nullptr);
}

TEST(MessagePresenter, NestedRecordersRestoreTheOuterOne) {
    MessageRecorder outer;
    {
        MessageRecorder inner;
        ShowMessage("inner", MessageIcon::Error);
        EXPECT_EQ(inner.Entries().size(), 1u);
    }
    ShowMessage("outer", MessageIcon::Error);
    EXPECT_EQ(outer.Texts(), QStringList{"outer"});
}

struct FilterCase {
    const char* filter;
    QStringList expected;
};

class QtFilterConversion : public ::testing::TestWithParam<FilterCase> {};

TEST_P(QtFilterConversion, ConvertsPairsAndAddsLowercasePatterns) {
    EXPECT_EQ(FileDialogs::QtFilters(GetParam().filter), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, QtFilterConversion,
    ::testing::Values(
        FilterCase{"ZMD File(*.ZMD)|*.ZMD|All Files(*.*)|*.*||",
                   {"ZMD File (*.ZMD *.zmd)", "All Files (*.*)"}},
        FilterCase{"Bitmap File(*.BMP)|*.BMP||", {"Bitmap File (*.BMP *.bmp)"}},
        FilterCase{"Two|*.A;*.b||", {"Two (*.A *.a *.b *.B)"}},
        FilterCase{"", {}},
        FilterCase{"NoPatterns|", {}},
        FilterCase{"NoPattern", {}}));

TEST(FileDialogs, ScriptedDialogsRecordRequestsAndCancelWhenExhausted) {
    ScriptedFileDialogs dialogs;
    dialogs.Script("/tmp/a.UPG");
    FileDialogRequest request;
    request.filter = "UPG File(*.UPG)|*.UPG||";
    EXPECT_EQ(ChooseOpenFile(nullptr, request), "/tmp/a.UPG");
    EXPECT_EQ(ChooseSaveFile(nullptr, request), "");
    ASSERT_EQ(dialogs.Requests().size(), 2u);
    EXPECT_EQ(dialogs.Requests()[0].kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(dialogs.Requests()[1].kind, FileDialogRequest::Kind::Save);
}

} // namespace
