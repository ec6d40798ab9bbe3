// Saving a setting into a custom file under a name: where the entry goes,
// when the operator is asked, that entries another program wrote while the
// question was up are kept, and that a failed save leaves the file as it
// was.
#include "custompaper/CCustomFileSave.h"

#include "TestFiles.h"
#include "custompaper/CCustomFile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

constexpr const char* kDriver = "ORVEX Corvan Max 7100";
using Save = CCustomFileSave;
using Outcome = Save::Outcome;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Entry(int k, const std::string& name) {
    return "[" + CCustomFile::SectionOf(k) + "]\nCustomName=" + name +
           "\nID=1\nMode=2\nHres=720\nVres=720\nMw=4\nDensity=0\nForward=0\nDrytime=0\n"
           "Paperthick=2\nPaperdraw=0\nPaperCut=0\nInkMode=00112233445566778899AABBCCDDEEFF\n"
           "Platen=1\nRoller=0\nSID=1\n";
}

// A custom file of the model with these entries.
std::string File(const std::vector<std::string>& names, const char* model = "Corvan Max 7100") {
    std::string text = "[Base]\nVersion=2.00\nMakeTime=2026/01/02 03:04:05\nModel=" +
                       std::string(model) + "\nMediaCount=" + std::to_string(names.size()) + "\n";
    for (std::size_t i = 0; i < names.size(); ++i)
        text += Entry(static_cast<int>(i) + 1, names[i]);
    return text;
}

CustomFileRecord Setting() {
    CustomFileRecord r;
    r.ID = 1;
    r.SID = 1;
    r.Density = 7;
    r.InkMode = "00112233445566778899AABBCCDDEEFF";
    return r;
}

std::vector<std::string> Names(const std::string& path) {
    CCustomFile file(kDriver);
    std::vector<std::string> names;
    if (file.Attach(path) != 0) return {"<not attached>"};
    const int count = file.MediaCount();
    if (count > 0) file.ReadNames(names, count);
    return names;
}

TEST(CustomFileSave, PlacesTheEntryByName) {
    using P = Save::Placement;
    struct Case {
        const char* what;
        bool exists;
        std::vector<std::string> names;
        const char* name;
        P placement;
        int entry;
    };
    const Case cases[] = {
        {"a new file", false, {}, "A", P::NewFile, 1},
        {"an existing file without entries", true, {}, "A", P::Append, 1},
        {"a new name after four entries", true, {"A", "B", "C", "D"}, "E", P::Append, 5},
        {"the name of entry 2", true, {"A", "B", "C", "D"}, "B", P::Overwrite, 2},
        {"the first of two entries of the name", true, {"A", "B", "B"}, "B", P::Overwrite, 2},
        {"names differ in case", true, {"a"}, "A", P::Append, 2},
        {"names differ in a trailing blank", true, {"A "}, "A", P::Append, 2},
    };
    for (const Case& c : cases) {
        const Save::Place place = Save::PlaceEntry(c.exists, c.names, c.name);
        EXPECT_EQ(place.placement, c.placement) << c.what;
        EXPECT_EQ(place.entry, c.entry) << c.what;
    }
}

TEST(CustomFileSave, WritesWhereTheNameGoesAndAsksBeforeOverwriting) {
    struct Case {
        const char* what;
        std::vector<std::string> before; // empty: no file
        bool create;
        const char* name;
        int answer; // -1: must not be asked; 0 No; 1 Yes
        Outcome outcome;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"into a new file", {}, false, "New", -1, Outcome::Saved, {"New"}},
        {"a new name", {"A", "B", "C", "D"}, true, "E", -1, Outcome::Saved, {"A", "B", "C", "D", "E"}},
        {"the name of entry 2, Yes", {"A", "B", "C", "D"}, true, "B", 1, Outcome::Saved, {"A", "B", "C", "D"}},
        {"the name of entry 2, No", {"A", "B", "C", "D"}, true, "B", 0, Outcome::Declined, {"A", "B", "C", "D"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = c.create ? dir.write("s.ZMD", File(c.before)) : dir.file("s.ZMD");
        const std::string old = c.create ? Read(path) : "";
        CustomFileRecord record = Setting();
        int asked = 0;
        const Save::Result result = Save(kDriver).Save(path, c.name, &record, [&](int entry) {
            ++asked;
            EXPECT_EQ(entry, 2) << c.what;
            return c.answer == 1;
        });
        EXPECT_EQ(result.outcome, c.outcome) << c.what;
        EXPECT_EQ(asked, c.answer < 0 ? 0 : 1) << c.what;
        EXPECT_EQ(Names(path), c.after) << c.what;
        // The record takes the name, also when nothing was written.
        EXPECT_EQ(record.CustomName, c.name) << c.what;
        if (c.outcome == Outcome::Declined) {
            EXPECT_EQ(Read(path), old) << c.what;
        }
        if (c.answer == 1) {
            EXPECT_TRUE(result.overwritten) << c.what;
            CustomFileRecord back;
            CCustomFile file(kDriver);
            ASSERT_EQ(file.Attach(path), 0);
            ASSERT_EQ(file.ReadEntry(2, back), 0);
            EXPECT_EQ(back.Density, 7) << c.what;
        }
    }
}

TEST(CustomFileSave, RefusesFilesItCannotUseAndLeavesThemAsTheyWere) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "folder.ZMD");
    struct Case {
        const char* what;
        std::string path;
        Outcome outcome;
        int message;
    };
    const Case cases[] = {
        {"a file of another model", dir.write("qz.ZMD", File({"A"}, "QZ-7100")),
         Outcome::NotCustomFile, 50900},
        {"a file that is not a custom file", dir.write("t.ZMD", "hello\n"), Outcome::NotCustomFile,
         50900},
        {"an entry count that cannot be read",
         dir.write("n.ZMD", "[Base]\nModel=Corvan Max 7100\nMediaCount=-3\n"), Outcome::Unreadable,
         50903},
        {"a name missing", dir.write("m.ZMD", "[Base]\nModel=Corvan Max 7100\nMediaCount=1\n"),
         Outcome::Unreadable, 50903},
        {"a folder that does not exist", dir.file("no/such.ZMD"), Outcome::NotWritten, 50903},
        {"a folder in place of the file", dir.file("folder.ZMD"), Outcome::NotCustomFile, 50900},
    };
    for (const Case& c : cases) {
        const std::string before = Read(c.path);
        CustomFileRecord record = Setting();
        bool asked = false;
        const Save::Result result = Save(kDriver).Save(c.path, "A", &record, [&](int) {
            asked = true;
            return true;
        });
        EXPECT_EQ(result.outcome, c.outcome) << c.what;
        EXPECT_EQ(Save::MessageFor(result.outcome), c.message) << c.what;
        EXPECT_FALSE(asked) << c.what;
        EXPECT_EQ(Read(c.path), before) << c.what;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "no"));
}

// The system calls of the save fail at the rename: the new file never
// replaces the old one.
class FailingRename : public AtomicFile::Io {
public:
    int Rename(const char*, const char*) override {
        errno = EACCES;
        return -1;
    }
};

TEST(CustomFileSave, AFailedWriteLeavesTheFileAsItWas) {
    TempDir dir;
    const std::string path = dir.write("s.ZMD", File({"A", "B"}));
    const std::string before = Read(path);
    CustomFileRecord record = Setting();
    FailingRename io;
    CustomFileWriteOptions options;
    options.io = &io;
    const Save::Result result =
        Save(kDriver).Save(path, "C", &record, [](int) { return true; }, options);
    EXPECT_EQ(result.outcome, Outcome::NotWritten);
    EXPECT_EQ(Save::MessageFor(result.outcome), 50903);
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(CustomFileSave, KeepsEntriesWrittenWhileTheQuestionWasUp) {
    TempDir dir;
    const std::string path = dir.write("s.ZMD", File({"A", "B", "C"}));
    CustomFileRecord record = Setting();
    // While the operator reads the question, another program rewrites the
    // file: an entry before B goes, two new ones follow.
    const Save::Result result = Save(kDriver).Save(path, "B", &record, [&](int entry) {
        EXPECT_EQ(entry, 2);
        dir.write("s.ZMD", File({"B", "C", "X", "Y"}));
        return true;
    });
    EXPECT_EQ(result.outcome, Outcome::Saved);
    EXPECT_EQ(result.entry, 1);
    EXPECT_EQ(Names(path), (std::vector<std::string>{"B", "C", "X", "Y"}));

    // A new name: the other program's entry is not overwritten even when
    // it appeared after the question for another name was asked.
    const std::string other = dir.write("o.ZMD", File({"A", "B"}));
    const Save::Result appended = Save(kDriver).Save(other, "B", &record, [&](int) {
        dir.write("o.ZMD", File({"A", "Z", "W"}));
        return true;
    });
    EXPECT_EQ(appended.outcome, Outcome::Saved);
    EXPECT_FALSE(appended.overwritten);
    EXPECT_EQ(Names(other), (std::vector<std::string>{"A", "Z", "W", "B"}));
}

TEST(CustomFileSave, DoesNothingWithoutRecordPathOrName) {
    TempDir dir;
    CustomFileRecord record = Setting();
    const std::string path = dir.file("s.ZMD");
    const auto yes = [](int) { return true; };
    EXPECT_EQ(Save(kDriver).Save(path, "A", nullptr, yes).outcome, Outcome::NothingToSave);
    EXPECT_EQ(Save(kDriver).Save("", "A", &record, yes).outcome, Outcome::NothingToSave);
    EXPECT_EQ(Save(kDriver).Save(path, "   ", &record, yes).outcome, Outcome::NothingToSave);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(Save::NameGiven(""));
    EXPECT_TRUE(Save::NameGiven(" a "));
}

TEST(CustomFileSave, ChoosesOnlyNewFilesAndFilesOfTheModel) {
    TempDir dir;
    EXPECT_TRUE(Save(kDriver).MayChoose(dir.file("new.ZMD")));
    EXPECT_TRUE(Save(kDriver).MayChoose(dir.write("c.ZMD", File({"A"}))));
    EXPECT_FALSE(Save(kDriver).MayChoose(dir.write("q.ZMD", File({"A"}, "QZ-7100"))));
    EXPECT_FALSE(Save(kDriver).MayChoose(dir.write("t.txt", "text\n")));
}

} // namespace
