// The custom file reader: the model rule, the bounded read (not a custom
// file, huge, binary, FIFO), either line end, names and entries.
#include "SpecialFiles.h"
#include "TestFiles.h"
#include "custompaper/CCustomFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

constexpr const char* kDriver = "ORVEX Corvan Max 7100";

std::string Entry(int k, const std::string& name, int id = 7,
                  const std::string& ink = "0123456789ABCDEF0123456789ABCDEF") {
    char section[16];
    std::snprintf(section, sizeof section, "[Media%02d]\n", k);
    return std::string(section) + "CustomName=" + name + "\nID=" + std::to_string(id) +
           "\nMode=3\nHres=720\nVres=1440\nMw=2\nDensity=-50\nForward=70\nDrytime=50\nPaperthick="
           "16\n"
           "Paperdraw=-4\nPaperCut=3\nInkMode=" +
           ink + "\nPlaten=1\nRoller=3\nSID=" + std::to_string(k) + "\n";
}

std::string Header(const std::string& model, const std::string& count) {
    return "[Base]\nVersion=2.00\nMakeTime=2026/12/10 08:00:00\nModel=" + model +
           "\nMediaCount=" + count + "\n";
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (const char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

TEST(CustomFileAttach, ModelRuleAndRefusedFiles) {
    using P = CCustomFile::Problem;
    const std::string body = Entry(1, "Matte");
    struct Case {
        const char* what;
        std::string content;
        const char* driver;
        P problem;
    };
    const Case cases[] = {
        {"own model", Header("Corvan Max 7100", "1") + body, kDriver, P::None},
        {"CR LF lines", WithCrLf(Header("Corvan Max 7100", "1") + body), kDriver, P::None},
        {"byte order mark", "\xEF\xBB\xBF" + Header("Corvan Max 7100", "1"), kDriver, P::None},
        {"no final line end", "[Base]\nModel=Corvan Max 7100", kDriver, P::None},
        {"prefix kept in the file", Header("ORVEX Corvan Max 7100", "1"), kDriver, P::OtherModel},
        {"other model", Header("QZ-7100", "1"), kDriver, P::OtherModel},
        {"case differs", Header("corvan max 7100", "1"), kDriver, P::OtherModel},
        {"driver named only by the prefix", Header("ORVEX ", "0"), "ORVEX ", P::None},
        {"prefix alone is kept for the rule", Header("", "0"), "ORVEX ", P::OtherModel},
        {"no prefix on the driver", Header("Corvan Max 7100", "0"), "Corvan Max 7100", P::None},
        {"no model", "[Base]\nVersion=2.00\n", kDriver, P::NotCustomFile},
        {"model outside Base", "Model=Corvan Max 7100\n[Base]\n", kDriver, P::NotCustomFile},
        {"blank after the section", "[Base] \nModel=Corvan Max 7100\n", kDriver, P::NotCustomFile},
        {"blank before =", "[Base]\nModel =Corvan Max 7100\n", kDriver, P::NotCustomFile},
        {"empty file", "", kDriver, P::NotCustomFile},
        {"zero byte", Header("Corvan Max 7100", "1") + std::string("\0x", 2), kDriver, P::Binary},
        {"control character", "\x01\x02" + Header("Corvan Max 7100", "1"), kDriver, P::Binary},
        {"huge", Header("Corvan Max 7100", "1") + std::string(CCustomFile::kMaxFileSize, 'x'),
         kDriver, P::TooLarge},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.write("f.zmd", c.content);
        CCustomFile file(c.driver);
        EXPECT_EQ(file.Attach(path), c.problem == P::None ? 0 : -1);
        EXPECT_EQ(file.LastProblem(), c.problem);
        EXPECT_EQ(file.Path(), c.problem == P::None ? path : "");
    }
}

TEST(CustomFileAttach, NoRegularFileAndNothingHangs) {
    TempDir dir;
    LateWriterFifo fifo(dir.file("fifo.zmd"));
    ASSERT_TRUE(fifo.Made());
    struct Case {
        std::string path;
        CCustomFile::Problem problem;
    };
    const Case cases[] = {{fifo.Path(), CCustomFile::Problem::NotRegular},
                          {dir.path().string(), CCustomFile::Problem::NotRegular},
                          {dir.file("missing.zmd"), CCustomFile::Problem::CannotOpen},
                          {"/dev/zero", CCustomFile::Problem::NotRegular}};
    for (const Case& c : cases) {
        CCustomFile file(kDriver);
        EXPECT_LT(ElapsedMs([&] { EXPECT_EQ(file.Attach(c.path), -1) << c.path; }), 1000);
        EXPECT_EQ(file.LastProblem(), c.problem) << c.path;
    }
}

TEST(CustomFileRead, LfAndCrLfFilesReadAlike) {
    const std::string lf =
        Header("Corvan Max 7100", "2") + Entry(1, "Matte 1") + Entry(2, "Glossy", 9, "  ABCD \t");
    TempDir dir;
    std::vector<std::string> names[2];
    CustomFileRecord entries[2];
    const std::string paths[2] = {dir.write("lf.zmd", lf), dir.write("crlf.zmd", WithCrLf(lf))};
    for (int i = 0; i < 2; ++i) {
        CCustomFile file(kDriver);
        ASSERT_EQ(file.Attach(paths[i]), 0);
        EXPECT_EQ(file.MediaCount(), 2);
        ASSERT_EQ(file.ReadNames(names[i], 2), 0);
        ASSERT_EQ(file.ReadEntry(2, entries[i]), 0);
    }
    EXPECT_EQ(names[0], (std::vector<std::string>{"Matte 1", "Glossy"}));
    EXPECT_EQ(names[1], names[0]);
    CustomFileRecord expected;
    expected.CustomName = "Glossy";
    expected.ID = 9;
    expected.Mode = 3;
    expected.Density = -50;
    expected.Forward = 70;
    expected.Drytime = 50;
    expected.Paperthick = 16;
    expected.Paperdraw = -4;
    expected.PaperCut = 3;
    expected.InkMode = "ABCD"; // blanks around it removed
    expected.Platen = 1;
    expected.Roller = 3;
    expected.SID = 2;
    EXPECT_EQ(entries[0], expected); // Hres, Vres, Mw and MediaId keep the defaults
    EXPECT_EQ(entries[1], expected);
}

TEST(CustomFileRead, NamesCutInTheListWholeInTheEntry) {
    TempDir dir;
    // Windows-1252 from the other systems and UTF-8 both read as UTF-8.
    const std::string path = dir.write(
        "f.zmd", Header("Corvan Max 7100", "3") + Entry(1, "ABCDEFGHIJKLMNOPQRST") +
                     Entry(2, "Caf\xE9 \x80 1") + Entry(3, "\xC3\xA9t\xC3\xA9 ÄÖÜäöüßéèêàâx"));
    CCustomFile file(kDriver);
    ASSERT_EQ(file.Attach(path), 0);
    std::vector<std::string> names;
    ASSERT_EQ(file.ReadNames(names, 3), 0);
    EXPECT_EQ(names,
              (std::vector<std::string>{"ABCDEFGHIJKLMNOP", "Café € 1", "été ÄÖÜäöüßéèêàâ"}));
    CustomFileRecord r;
    ASSERT_EQ(file.ReadEntry(1, r), 0);
    EXPECT_EQ(r.CustomName, "ABCDEFGHIJKLMNOPQRST");
}

TEST(CustomFileRead, CountsAndEntriesThatFail) {
    const std::string two = Entry(1, "A") + Entry(2, "B");
    struct Case {
        const char* what;
        std::string content;
        int count; // MediaCount
        int names; // ReadNames(.., count given)
        int namesArg;
        int entry; // ReadEntry(k)
        int entryArg;
    };
    std::string noInk = Entry(1, "A");
    noInk.erase(noInk.find("InkMode"), noInk.find("Platen") - noInk.find("InkMode"));
    const Case cases[] = {
        {"entry beyond the count is never read", Header("Corvan Max 7100", "1") + two, 1, 0, 1, -1,
         2},
        {"names of more entries than the count", Header("Corvan Max 7100", "1") + two, 1, 0, 2, 0,
         1},
        {"count larger than asked", Header("Corvan Max 7100", "2") + two, 2, -1, 1, 0, 2},
        {"count below 1 asked", Header("Corvan Max 7100", "2") + two, 2, -1, 0, -1, 0},
        {"missing name", Header("Corvan Max 7100", "3") + two, 3, -1, 3, -1, 3},
        {"no count", "[Base]\nModel=Corvan Max 7100\n" + two, -1, -1, 2, -1, 1},
        {"negative count", Header("Corvan Max 7100", "-2") + two, -1, -1, 2, -1, 1},
        {"count beyond any file", Header("Corvan Max 7100", "2147483647") + two, -1, -1, 2, -1, 1},
        {"count as atoi reads it", Header("Corvan Max 7100", " 2x") + two, 2, 0, 2, 0, 2},
        {"a key missing", Header("Corvan Max 7100", "1") + noInk, 1, 0, 1, -1, 1},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.write("f.zmd", c.content);
        CCustomFile file(kDriver);
        ASSERT_EQ(file.Attach(path), 0);
        EXPECT_EQ(file.MediaCount(), c.count);
        std::vector<std::string> names{"kept"};
        EXPECT_EQ(file.ReadNames(names, c.namesArg), c.names);
        if (c.names != 0) {
            EXPECT_EQ(names, std::vector<std::string>{"kept"});
        }
        CustomFileRecord r;
        r.CustomName = "untouched";
        EXPECT_EQ(file.ReadEntry(c.entryArg, r), c.entry);
        if (c.entry != 0) {
            EXPECT_EQ(r.CustomName, "untouched");
        }
    }
}

TEST(CustomFileRead, EachOperationReadsTheFileAgain) {
    TempDir dir;
    const std::string path = dir.write("f.zmd", Header("Corvan Max 7100", "1") + Entry(1, "A"));
    CCustomFile file(kDriver);
    ASSERT_EQ(file.Attach(path), 0);
    dir.write("f.zmd", Header("Corvan Max 7100", "2") + Entry(1, "A") + Entry(2, "B"));
    EXPECT_EQ(file.MediaCount(), 2);
    std::string value;
    EXPECT_EQ(file.Lookup("Media02", "CustomName", value), 0);
    EXPECT_EQ(value, "B");
    EXPECT_EQ(file.Lookup("Media02", "Nothing", value), -1);
    dir.write("f.zmd", std::string("\0", 1));
    EXPECT_EQ(file.MediaCount(), -1);
    EXPECT_EQ(file.LastProblem(), CCustomFile::Problem::Binary);

    CCustomFile none(kDriver);
    EXPECT_EQ(none.MediaCount(), -1);
    EXPECT_EQ(none.LastProblem(), CCustomFile::Problem::NotAttached);
}

} // namespace
