#include "cli/SlotJson.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/FileEntrySlot.h"
#include "custompaper/SlotRanges.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// Rows: id, file id, sub-id, code, variant, ... (101 has a variant-1 row
// with its own code; 201 is not for custom paper).
const char* const kMedia =
    "MEDIA_NUM=4\n"
    "MEDIA01=101,1,1,7,0,0,0,10,3,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA02=101,1,1,71,1,0,0,10,3,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA03=102,1,2,9,0,0,0,20,8,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA04=201,-1,0,8,0,0,0,50,1,2,360,720,4,720,720,8,1440,720,-1,-1,-1\n";

struct SlotJsonFixture : ::testing::Test {
    TempDir dir;
    CMediaTable media{dir.write("Media.ini", kMedia)};
};

// What "slot --json" prints is read back to the same settings.
TEST_F(SlotJsonFixture, PrintedSlotReadsBack) {
    CustomPaperSlot slot;
    slot.Name = "Photo \xC3\xA4 \"x\"   ";
    slot.MediaCode = 71, slot.Paperthick = 16, slot.Platen = 1, slot.Paperdraw = -4, slot.Roller = 3;
    slot.Forward = -70, slot.Drytime = 50, slot.PaperCut = 3, slot.ThreeWay = 2;
    std::string json = "{\"printer\":\"P\",\"action\":\"slot\",\"exitCode\":0,\"registered\":true";
    for (const auto& [name, value] : cli::SlotJsonFields(slot, media.IdFromMediaCode(71)))
        json += ",\"" + name + "\":" + value;
    json += "}";
    CustomPaperSlot read;
    std::string name, error;
    ASSERT_TRUE(cli::ReadSlotJson(json, media, read, name, error)) << error;
    CustomPaperSlot want = slot;
    want.Name.clear();
    want.MediaId = 101;
    EXPECT_EQ(read, want);
    EXPECT_EQ(name, "Photo \xC3\xA4 \"x\"");
}

struct JsonCase {
    const char* what;
    std::string json;
    bool ok;
    std::function<void(CustomPaperSlot&)> want; // for ok cases, from the base below
};

const std::string kBase = R"("paperthick":3,"platen":2,"paperdraw":-1,"roller":0,"forward":5,"drytime":10,"paperCut":1,"threeWay":0)";

class SlotJsonRead : public SlotJsonFixture, public ::testing::WithParamInterface<JsonCase> {};

TEST_P(SlotJsonRead, AcceptsOrRefuses) {
    const JsonCase& c = GetParam();
    CustomPaperSlot slot;
    slot.Forward = 99;
    std::string name = "kept", error;
    const bool ok = cli::ReadSlotJson(c.json, media, slot, name, error);
    EXPECT_EQ(ok, c.ok) << error;
    if (!c.ok) {
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(slot.Forward, 99) << "a refused text leaves the slot alone";
        return;
    }
    CustomPaperSlot want;
    want.Paperthick = 3, want.Platen = 2, want.Paperdraw = -1, want.Forward = 5, want.Drytime = 10;
    want.PaperCut = 1;
    c.want(want);
    EXPECT_EQ(slot, want);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SlotJsonRead,
    ::testing::Values(
        JsonCase{"code_only", "{" + kBase + ",\"mediaCode\":9}", true, [](auto& s) { s.MediaCode = 9, s.MediaId = 102; }},
        JsonCase{"id_only", "{" + kBase + ",\"mediaId\":101}", true, [](auto& s) { s.MediaCode = 7, s.MediaId = 101; }},
        JsonCase{"id_and_variant_code", "{" + kBase + ",\"mediaId\":101,\"mediaCode\":71}", true,
                 [](auto& s) { s.MediaCode = 71, s.MediaId = 101; }},
        JsonCase{"unknown_code_kept", "{" + kBase + ",\"mediaId\":0,\"mediaCode\":200}", true,
                 [](auto& s) { s.MediaCode = 200; }},
        JsonCase{"nested_and_extra_members_ignored",
                 "{\"x\":[1,{\"a\":[]}],\"y\":null,\"z\":\"\\u00e4\\ud83d\\ude00\"," + kBase + ",\"mediaCode\":9}",
                 true, [](auto& s) { s.MediaCode = 9, s.MediaId = 102; }},
        JsonCase{"white_space", " \r\n\t{ " + kBase + " , \"mediaCode\" : 9 } \n", true,
                 [](auto& s) { s.MediaCode = 9, s.MediaId = 102; }},
        JsonCase{"id_and_code_disagree", "{" + kBase + ",\"mediaId\":102,\"mediaCode\":7}", false, nullptr},
        JsonCase{"id_not_for_custom_paper", "{" + kBase + ",\"mediaId\":201}", false, nullptr},
        JsonCase{"id_unknown", "{" + kBase + ",\"mediaId\":555}", false, nullptr},
        JsonCase{"no_media", "{" + kBase + "}", false, nullptr},
        JsonCase{"setting_missing", R"({"paperthick":3,"mediaCode":9})", false, nullptr},
        JsonCase{"fraction", "{" + kBase + ",\"mediaCode\":9.5}", false, nullptr},
        JsonCase{"exponent", "{" + kBase + ",\"mediaCode\":9e0}", false, nullptr},
        JsonCase{"string_number", "{" + kBase + ",\"mediaCode\":\"9\"}", false, nullptr},
        JsonCase{"beyond_32_bits", "{" + kBase + ",\"mediaCode\":4294967305}", false, nullptr},
        JsonCase{"repeated_member", "{" + kBase + ",\"mediaCode\":9,\"mediaCode\":9}", false, nullptr},
        JsonCase{"name_not_string", "{" + kBase + ",\"mediaCode\":9,\"name\":5}", false, nullptr},
        JsonCase{"array", "[" + kBase + "]", false, nullptr},
        JsonCase{"trailing_text", "{" + kBase + ",\"mediaCode\":9} x", false, nullptr},
        JsonCase{"trailing_comma", "{" + kBase + ",\"mediaCode\":9,}", false, nullptr},
        JsonCase{"unterminated", "{" + kBase + ",\"mediaCode\":9", false, nullptr},
        JsonCase{"lone_surrogate", "{" + kBase + ",\"mediaCode\":9,\"n\":\"\\ud800\"}", false, nullptr},
        JsonCase{"not_utf8", "{" + kBase + ",\"mediaCode\":9,\"n\":\"\xC3\"}", false, nullptr},
        JsonCase{"control_in_string", "{" + kBase + ",\"mediaCode\":9,\"n\":\"a\nb\"}", false, nullptr},
        JsonCase{"too_deep", "{" + kBase + ",\"mediaCode\":9,\"n\":" + std::string(40, '[') + std::string(40, ']') + "}",
                 false, nullptr},
        JsonCase{"empty", "", false, nullptr}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(SlotJsonFixture, ReadsTheNameWithItsEscapesAndRefusesLargeTexts) {
    CustomPaperSlot slot;
    std::string name, error;
    ASSERT_TRUE(cli::ReadSlotJson("{" + kBase + R"(,"mediaCode":9,"name":"A\"\\\/\u0041\u00e4"})", media, slot,
                                  name, error))
        << error;
    EXPECT_EQ(name, "A\"\\/A\xC3\xA4");
    const std::string big = "{" + kBase + ",\"mediaCode\":9,\"x\":\"" + std::string(cli::kSlotJsonMaxBytes, 'x') + "\"}";
    EXPECT_FALSE(cli::ReadSlotJson(big, media, slot, name, error));
    EXPECT_FALSE(error.empty());
}

// A custom file entry as slot settings: the media found again from ID and
// SID (the first row's code), the shared values taken, the rest left.
TEST_F(SlotJsonFixture, FileEntryBecomesSlotSettings) {
    CustomFileRecord e;
    e.CustomName = "Entry", e.ID = 1, e.SID = 1, e.Mode = 4, e.Density = 30, e.Forward = -70, e.Drytime = 50;
    e.Paperthick = 16, e.Paperdraw = -4, e.PaperCut = 3, e.Platen = 1, e.Roller = 3;
    CustomPaperSlot slot;
    slot.ThreeWay = 2, slot.Name = "kept";
    ASSERT_TRUE(SlotFromFileEntry(e, media, slot));
    CustomPaperSlot want;
    want.Name = "kept", want.MediaId = 101, want.MediaCode = 7, want.Forward = -70, want.Drytime = 50;
    want.Paperthick = 16, want.Paperdraw = -4, want.PaperCut = 3, want.Platen = 1, want.Roller = 3;
    want.ThreeWay = 0;
    want.Name = slot.Name;
    EXPECT_EQ(slot, want);

    e.SID = 9; // no media carries ID 1 / SID 9
    const CustomPaperSlot before = slot;
    EXPECT_FALSE(SlotFromFileEntry(e, media, slot));
    EXPECT_EQ(slot, before);
}

// ---------------------------------------------------------------------------
// The ranges the pages keep.

struct RangeCase {
    const char* what;
    std::function<void(CustomPaperSlot&)> set;
    const char* field; // "" within range
};

class SlotRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(SlotRange, Check) {
    CustomPaperSlot s; // defaults are in range
    s.Paperthick = 2;
    GetParam().set(s);
    EXPECT_EQ(SlotRanges::Check(s).field, GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SlotRange,
    ::testing::Values(
        RangeCase{"defaults", [](auto&) {}, ""},
        RangeCase{"low_ends", [](auto& s) { s.Paperthick = 1, s.Platen = 1, s.Forward = -70, s.Drytime = 0, s.Paperdraw = -4; }, ""},
        RangeCase{"high_ends", [](auto& s) { s.Paperthick = 2, s.Platen = 4, s.Forward = 70, s.Drytime = 50, s.PaperCut = 3, s.Roller = 3, s.ThreeWay = 2, s.MediaCode = 255; }, ""},
        RangeCase{"thick_0", [](auto& s) { s.Paperthick = 0; }, "paperthick"},
        RangeCase{"thick_17", [](auto& s) { s.Paperthick = 17; }, "paperthick"},
        RangeCase{"platen_4_thick_3", [](auto& s) { s.Paperthick = 3, s.Platen = 4; }, "platen"},
        RangeCase{"platen_3_thick_6", [](auto& s) { s.Paperthick = 6, s.Platen = 3; }, ""},
        RangeCase{"platen_2_thick_7", [](auto& s) { s.Paperthick = 7, s.Platen = 2; }, "platen"},
        RangeCase{"platen_1_thick_16", [](auto& s) { s.Paperthick = 16, s.Platen = 1; }, ""},
        RangeCase{"platen_0", [](auto& s) { s.Platen = 0; }, "platen"},
        RangeCase{"forward_71", [](auto& s) { s.Forward = 71; }, "forward"},
        RangeCase{"forward_-71", [](auto& s) { s.Forward = -71; }, "forward"},
        RangeCase{"drytime_51", [](auto& s) { s.Drytime = 51; }, "drytime"},
        RangeCase{"drytime_-1", [](auto& s) { s.Drytime = -1; }, "drytime"},
        RangeCase{"cut_4", [](auto& s) { s.PaperCut = 4; }, "paperCut"},
        RangeCase{"roller_-1", [](auto& s) { s.Roller = -1; }, "roller"},
        RangeCase{"paperdraw_1", [](auto& s) { s.Paperdraw = 1; }, "paperdraw"},
        RangeCase{"paperdraw_-5", [](auto& s) { s.Paperdraw = -5; }, "paperdraw"},
        RangeCase{"threeway_3", [](auto& s) { s.ThreeWay = 3; }, "threeWay"},
        RangeCase{"code_256", [](auto& s) { s.MediaCode = 256; }, "mediaCode"}),
    [](const auto& info) {
        std::string n = info.param.what;
        for (char& ch : n)
            if (ch == '-') ch = 'm';
        return n;
    });

TEST(SlotRange, Names) {
    const std::pair<std::string, bool> cases[] = {
        {"Gloss", true},          {std::string(30, 'n'), true}, {std::string(31, 'n'), false},
        {"", false},              {"   ", false},               {"\xC3\xA4" + std::string(28, 'a'), true},
        {"a\tb", false},          {"\xC3", false},               {"\xC2\x85", false}, // C1 control
        {"\xED\xA0\x80", false},  {"a\x7F", false},
    };
    for (const auto& [name, ok] : cases) EXPECT_EQ(SlotRanges::CheckName(name).field.empty(), ok) << name;
}

} // namespace
