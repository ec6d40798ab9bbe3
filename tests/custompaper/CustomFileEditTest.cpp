// The decisions of the custom file page: the media list for the printer,
// the file opened and its name selector with the entries that do not suit
// the driver marked, loading an entry, the record completed for a save, and
// the page after a save.
#include "PaperEditFixture.h"
#include "custompaper/CCustomFileEdit.h"

#include <gtest/gtest.h>

namespace {

using Edit = CCustomFileEdit;
const std::string kDriver = "ORVEX Corvan Max 7100";

std::string Entry(int k, const std::string& name, int id, int sid, const std::string& ink,
                  int thick = 4, int platen = 2, int mode = 3) {
    char section[16];
    std::snprintf(section, sizeof section, "[Media%02d]\n", k);
    return std::string(section) + "CustomName=" + name + "\nID=" + std::to_string(id) +
           "\nMode=" + std::to_string(mode) +
           "\nHres=720\nVres=720\nMw=8\nDensity=-5\n"
           "Forward=12\nDrytime=7\nPaperthick=" +
           std::to_string(thick) + "\nPaperdraw=-1\nPaperCut=2\nInkMode= " + ink +
           " \nPlaten=" + std::to_string(platen) + "\nRoller=3\nSID=" + std::to_string(sid) + "\n";
}

std::string Header(int count, const std::string& model = "Corvan Max 7100") {
    return "[Base]\nVersion=2.00\nMakeTime=2026/01/02 03:04:05\nModel=" + model +
           "\nMediaCount=" + std::to_string(count) + "\n";
}

struct FileEditFixture : ::testing::Test {
    PaperEditMedia media;
    ScriptedMediaDriver driver;
    bool platenReset = true;
    Edit edit{media.table, platenReset, "(new setting)"};

    void SetUp() override { edit.Show("Room2", driver); }
    std::string ThreeEntries() {
        return media.dir.write("three.ZMD", Header(3) + Entry(1, "Canvas matte", 3, 1, kInkA) +
                                                Entry(2, "Other ink", 3, 1, kInkB) +
                                                Entry(3, "Gone media", 9, 9, kInkA));
    }
};

TEST_F(FileEditFixture, ShownTheFirstMediaIsANewSetting) {
    EXPECT_EQ(edit.Record().MediaId, 101);
    EXPECT_EQ(edit.Record().Paperthick, 3);
    EXPECT_EQ(edit.Record().Platen, 3);
    EXPECT_EQ(edit.Record().Roller, 0);
    EXPECT_EQ(edit.NameItems().size(), 1u);
    EXPECT_EQ(edit.NameItems()[0].text, "(new setting)");
    EXPECT_TRUE(edit.DetailEnabled());
    // Shown again for the same printer: nothing is reset, the marks follow.
    edit.Record().Roller = 2;
    driver.kind = 2;
    edit.Show("Room2", driver);
    EXPECT_EQ(edit.Record().Roller, 2);
    EXPECT_EQ(driver.applied.size(), 1u);
    EXPECT_TRUE(ItemMark::IsMarked(edit.Choice().MediaItems()[1].data));
}

TEST_F(FileEditFixture, ShownWithoutADriverThicknessTheFieldsShowTheNewSetting) {
    ScriptedMediaDriver silent;
    silent.thickness.clear();
    Edit fresh{media.table, platenReset, "(new setting)"};
    fresh.Show("Room2", silent);
    EXPECT_EQ(fresh.Choice().ThicknessText(), "1");
    EXPECT_TRUE(fresh.Choice().PlatenEnabled());
    EXPECT_EQ(fresh.Choice().PlatenIndex(), 2);
    EXPECT_EQ(fresh.Record().Platen, 3);
}

TEST_F(FileEditFixture, OpenListsTheEntriesAndMarksThoseThatDoNotSuit) {
    const std::string path = ThreeEntries();
    ASSERT_EQ(edit.Open(path, kDriver, driver), Edit::OpenOutcome::Opened);
    EXPECT_EQ(edit.FileName(), "three.ZMD");
    const auto& items = edit.NameItems();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[1].text, "Canvas matte");
    EXPECT_EQ(items[1].data, 1u);
    EXPECT_EQ(items[2].data, 2u | ItemMark::kUnavailable) << "written for another ink arrangement";
    EXPECT_EQ(items[3].data, 3u | ItemMark::kUnavailable) << "a media the table does not know";
    EXPECT_EQ(edit.NameIndex(), 0);
}

TEST_F(FileEditFixture, OpenFailures) {
    const std::string good = ThreeEntries();
    ASSERT_EQ(edit.Open(good, kDriver, driver), Edit::OpenOutcome::Opened);
    struct Case {
        const char* name;
        std::string text;
        Edit::OpenOutcome outcome;
        bool becomesCurrent;
    };
    const Case cases[] = {
        {"other model", Header(1, "QZ-7100") + Entry(1, "A", 3, 1, kInkA),
         Edit::OpenOutcome::OtherModel, false},
        {"no count", "[Base]\nModel=Corvan Max 7100\n", Edit::OpenOutcome::CountUnreadable, true},
        {"name missing", Header(2) + Entry(1, "A", 3, 1, kInkA), Edit::OpenOutcome::NamesUnreadable,
         true},
        {"empty file list", Header(0), Edit::OpenOutcome::Opened, true},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(edit.Open(good, kDriver, driver), Edit::OpenOutcome::Opened);
        const std::string path = media.dir.write(std::string(c.name) + ".ZMD", c.text);
        EXPECT_EQ(edit.Open(path, kDriver, driver), c.outcome) << c.name;
        EXPECT_EQ(edit.Path(), c.becomesCurrent ? path : good) << c.name;
        if (c.becomesCurrent)
            EXPECT_EQ(edit.NameItems().size(), 1u) << c.name;
        else
            EXPECT_EQ(edit.NameItems().size(), 4u) << c.name;
    }
    EXPECT_EQ(Edit::MessageFor(Edit::OpenOutcome::OtherModel).text, 50900);
    EXPECT_EQ(Edit::MessageFor(Edit::OpenOutcome::NamesUnreadable).text, 50901);
}

TEST_F(FileEditFixture, PickingAnEntryLoadsItAndAFailedReadLeavesANewSetting) {
    const std::string path = ThreeEntries();
    ASSERT_EQ(edit.Open(path, kDriver, driver), Edit::OpenOutcome::Opened);
    // The reset flag is set, yet the entry's platen gap is kept.
    edit.TypeThickness("");
    ASSERT_EQ(edit.PickName(1, kDriver, driver), Edit::PickOutcome::Loaded);
    const CustomFileRecord& r = edit.Record();
    EXPECT_EQ(r.CustomName, "Canvas matte");
    EXPECT_EQ(r.MediaId, 301);
    EXPECT_EQ(r.Mode, 3);
    EXPECT_EQ(r.Density, -5);
    EXPECT_EQ(r.InkMode, kInkA);
    EXPECT_EQ(edit.Choice().SelectedMediaId(), 301);
    EXPECT_EQ(edit.Choice().ThicknessText(), "4");
    EXPECT_EQ(r.Paperthick, 4);
    EXPECT_EQ(r.Platen, 2);
    EXPECT_EQ(edit.NameIndex(), 1);

    // The file lost a key meanwhile: the page goes back to a new setting.
    media.dir.write("three.ZMD", Header(1) + "[Media01]\nCustomName=Canvas matte\nID=3\n");
    EXPECT_EQ(edit.PickName(1, kDriver, driver), Edit::PickOutcome::Unreadable);
    EXPECT_EQ(edit.NameIndex(), 0);
    EXPECT_EQ(edit.Record().CustomName, "");
    EXPECT_EQ(edit.Record().Mode, 2);
    EXPECT_EQ(edit.Record().MediaId, 101);
    EXPECT_EQ(edit.Record().Paperthick, 3);

    EXPECT_EQ(edit.PickName(0, kDriver, driver), Edit::PickOutcome::NewSetting);
    EXPECT_EQ(edit.Record().Roller, 1) << "a new setting's defaults";
}

TEST_F(FileEditFixture, SaveCompletesTheRecordFromTheTableAndTheDriver) {
    struct Case {
        int mediaIndex;
        int mode;
        int id, sid, hres, vres, mw;
    };
    for (const Case c : {Case{0, 2, 1, 1, 720, 720, 4}, Case{2, 3, 4, 2, 720, 1440, 9},
                         Case{2, 2, 4, 2, -1, -1, -1}}) {
        edit.PickMedia(c.mediaIndex, driver);
        edit.Record().Mode = c.mode;
        driver.ink = kInkB;
        edit.CompleteForSave(driver);
        const CustomFileRecord& r = edit.Record();
        EXPECT_EQ((std::vector<int>{r.ID, r.SID, r.Hres, r.Vres, r.Mw}),
                  (std::vector<int>{c.id, c.sid, c.hres, c.vres, c.mw}))
            << "media item " << c.mediaIndex << " mode " << c.mode;
        EXPECT_EQ(r.InkMode, kInkB);
    }
}

TEST_F(FileEditFixture, AfterASaveTheCurrentFileIsListedAgain) {
    const std::string path = ThreeEntries();
    const std::string other = media.dir.write("other.ZMD", Header(1) + Entry(1, "X", 1, 1, kInkA));
    ASSERT_EQ(edit.Open(path, kDriver, driver), Edit::OpenOutcome::Opened);
    ASSERT_EQ(edit.PickName(1, kDriver, driver), Edit::PickOutcome::Loaded);

    // Saved into another file: the list stays, the page is a new setting.
    edit.Saved(other, kDriver, driver);
    EXPECT_EQ(edit.NameItems().size(), 4u);
    EXPECT_EQ(edit.NameIndex(), 0);
    EXPECT_EQ(edit.Record().CustomName, "");

    // Saved into the current file: its new entry is listed.
    media.dir.write("three.ZMD", Header(4) + Entry(1, "Canvas matte", 3, 1, kInkA) +
                                     Entry(2, "Other ink", 3, 1, kInkB) +
                                     Entry(3, "Gone media", 9, 9, kInkA) +
                                     Entry(4, "Board", 4, 2, kInkA));
    edit.Saved(media.dir.file("./three.ZMD"), kDriver, driver);
    ASSERT_EQ(edit.NameItems().size(), 5u);
    EXPECT_EQ(edit.NameItems()[4].text, "Board");
    EXPECT_EQ(edit.NameIndex(), 0);
}

} // namespace
