#include "sampleprint/SamplePlans.h"

#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomPaperSlot.h"
#include "sampleprint/CDriverSettingsAccess.h"

#include <gtest/gtest.h>

namespace {

std::string Text(int id) {
    return "T" + std::to_string(id);
}
std::string MediaName(int id) {
    return "M" + std::to_string(id);
}

CustomPaperSlot Slot() {
    CustomPaperSlot s;
    s.MediaId = 301;
    s.Forward = -12;
    s.Drytime = 25;
    s.Paperthick = 3;
    s.Paperdraw = -2;
    s.PaperCut = 1;
    s.Platen = 4;
    s.Roller = 2;
    return s;
}

CustomFileRecord File() {
    CustomFileRecord r;
    r.MediaId = 502;
    r.Mode = 3;
    r.Density = -7;
    r.Forward = 40;
    r.Drytime = 5;
    r.Paperthick = 8;
    r.Paperdraw = -4;
    r.PaperCut = 3;
    r.Platen = 2;
    r.Roller = 0;
    return r;
}

TEST(FeedSamplePoints, SpreadsUpToFivePointsFromTheSmallerEnd) {
    struct Case {
        int a, b;
        std::vector<int> points;
        const char* text;
    };
    const Case cases[] = {
        {-70, 70, {-70, -35, 0, 35, 70}, "-70, -35, 0, 35, 70"},
        {10, 12, {10, 11, 12}, "10, 11, 12"},
        {0, 5, {0, 1, 2, 3, 5}, "0, 1, 2, 3, 5"},
        {12, 10, {10, 11, 12}, "10, 11, 12"}, // ends given the other way round
        {5, 0, {0, 1, 2, 3, 5}, "0, 1, 2, 3, 5"},
        {3, 3, {3}, "3"},
        {-4, -3, {-4, -3}, "-4, -3"},
        {0, 3, {0, 1, 2, 3}, "0, 1, 2, 3"},
        {0, 4, {0, 1, 2, 3, 4}, "0, 1, 2, 3, 4"},
        {-70, -61, {-70, -68, -66, -64, -61}, "-70, -68, -66, -64, -61"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FeedSamplePoints(c.a, c.b), c.points) << c.a << ".." << c.b;
        EXPECT_EQ(FeedPointsText(FeedSamplePoints(c.a, c.b)), c.text);
    }
    // Far ends (a plan built outside the dialog) neither overflow nor reorder.
    const std::vector<int> wide = FeedSamplePoints(INT32_MAX, INT32_MIN);
    ASSERT_EQ(wide.size(), 5u);
    EXPECT_TRUE(std::is_sorted(wide.begin(), wide.end()));
    EXPECT_EQ(wide.front(), INT32_MIN);
    EXPECT_EQ(wide.back(), INT32_MAX);
}

TEST(SamplePaperBytes, RecordsFillTheirBytesAndKeepTheRest) {
    const CustomPaperSlot slot = Slot();
    const CustomFileRecord file = File();
    // byte:                          8     9     10    11    12    13    14    15    16    17..19
    const std::vector<std::uint8_t> driver = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66,
                                              0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC};
    struct Case {
        const char* name;
        SampleRecord record;
        std::vector<std::uint8_t> expected;
    };
    const Case cases[] = {
        {"slot", {&slot, nullptr}, {0x11, 0xF4, 25, 3, 30, 1, 0x77, 4, 2, 0xAA, 0xBB, 0xCC}},
        {"file", {nullptr, &file}, {0xF9, 40, 5, 8, 6, 3, 0x77, 2, 0, 0xAA, 0xBB, 0xCC}},
        {"none", {}, driver},
    };
    for (const Case& c : cases) {
        SamplePaperRecord record;
        std::copy(driver.begin(), driver.end(), record.data);
        ApplyPaperBytes(record, RecordPaperBytes(c.record));
        EXPECT_EQ(std::vector<std::uint8_t>(record.data, record.data + 12), c.expected) << c.name;
        EXPECT_EQ(record.version, 1u);
        EXPECT_EQ(record.size, 20u);
    }
    // Offsets outside the twelve bytes are ignored, not written past them.
    SamplePaperRecord record;
    ApplyPaperBytes(record, {{7, 1}, {20, 2}, {19, 3}, {-1, 4}});
    EXPECT_EQ(record.version, 1u);
    EXPECT_EQ(record.size, 20u);
    EXPECT_EQ(record.Byte(19), 3);
}

TEST(SamplePlans, WithoutARecordThereIsNothingToPrint) {
    const SampleMediaChoice media{101, "Glossy"};
    for (const SamplePlan& plan :
         {MediaTypePlan({}, {media}, Text, MediaName), PaperFeedPlan({}, -5, 5, Text, MediaName),
          ColorDensityPlan(nullptr, 3, Text, MediaName),
          PrintQualityPlan(nullptr, {1, 2}, Text, MediaName)}) {
        EXPECT_FALSE(plan.hasRecord);
        EXPECT_TRUE(plan.sheets.empty());
    }
}

TEST(SamplePlans, MediaTypeSheetsCarryTheTickedMediaWithMode2) {
    const CustomPaperSlot slot = Slot();
    const CustomFileRecord file = File();
    const std::vector<SampleMediaChoice> ticked = {{101, "Glossy Paper"}, {903, "Other"}};
    struct Case {
        SampleRecord record;
        std::size_t labels;
        std::string second; // the record's label after the media label
    };
    const Case cases[] = {{{&slot, nullptr}, 8, "T30004=3,"}, {{nullptr, &file}, 10, "T50005=8,"}};
    for (const Case& c : cases) {
        const SamplePlan plan = MediaTypePlan(c.record, ticked, Text, MediaName);
        EXPECT_TRUE(plan.series);
        ASSERT_EQ(plan.sheets.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            const SampleSheet& s = plan.sheets[i];
            EXPECT_EQ(s.mediaValue, ticked[i].id);
            EXPECT_EQ(s.mode, 2); // whatever the record's own mode
            ASSERT_EQ(s.labels.size(), c.labels);
            EXPECT_EQ(s.labels[0], "T50004=" + ticked[i].name + ",");
            EXPECT_EQ(s.labels[1], c.second);
            EXPECT_EQ(s.highlightIndex, 0);
            EXPECT_EQ(s.Title(), s.labels[0]);
            EXPECT_EQ(s.paperBytes, RecordPaperBytes(c.record));
        }
    }
}

TEST(SamplePlans, FeedSheetsPutThePointInByte9AndTheFeedLabel) {
    const CustomPaperSlot slot = Slot();
    const CustomFileRecord file = File();
    struct Case {
        SampleRecord record;
        int highlight;
        int mediaValue;
        int mode;
    };
    const Case cases[] = {{{&slot, nullptr}, 3, 301, 2}, {{nullptr, &file}, 5, 502, 3}};
    for (const Case& c : cases) {
        const SamplePlan plan = PaperFeedPlan(c.record, 12, 10, Text, MediaName);
        ASSERT_EQ(plan.sheets.size(), 3u);
        const int points[] = {10, 11, 12};
        for (std::size_t i = 0; i < 3; ++i) {
            const SampleSheet& s = plan.sheets[i];
            EXPECT_EQ(s.mediaValue, c.mediaValue);
            EXPECT_EQ(s.mode, c.mode);
            EXPECT_EQ(s.highlightIndex, c.highlight);
            EXPECT_EQ(s.Title(), "T30009=" + std::to_string(points[i]) + ",");
            SamplePaperRecord record;
            ApplyPaperBytes(record, s.paperBytes);
            EXPECT_EQ(record.Byte(9), points[i]);
            EXPECT_EQ(record.Byte(10), c.record.file ? 5 : 25); // the rest from the record
        }
    }
    // A negative point goes to the driver as its low byte.
    SamplePaperRecord record;
    ApplyPaperBytes(
        record, PaperFeedPlan({&slot, nullptr}, -70, -70, Text, MediaName).sheets.at(0).paperBytes);
    EXPECT_EQ(record.Byte(9), 0xBA);
}

TEST(SamplePlans, DensitySheetIsSingleWithTheSignedByte) {
    const CustomFileRecord file = File();
    const SamplePlan plan = ColorDensityPlan(&file, -50, Text, MediaName);
    EXPECT_FALSE(plan.series);
    ASSERT_EQ(plan.sheets.size(), 1u);
    const SampleSheet& s = plan.sheets[0];
    EXPECT_EQ(s.mediaValue, 502);
    EXPECT_EQ(s.mode, 3);
    EXPECT_EQ(s.highlightIndex, 4);
    EXPECT_EQ(s.Title(), "T50011=-50,");
    SamplePaperRecord record;
    ApplyPaperBytes(record, s.paperBytes);
    EXPECT_EQ(record.Byte(8), 0xCE);
    EXPECT_EQ(record.Byte(9), 40); // the record's feed stays
}

TEST(SamplePlans, QualitySheetsFollowTheBoxOrderOncePerMode) {
    const CustomFileRecord file = File();
    const SamplePlan plan = PrintQualityPlan(&file, {4, 1, 4, 0, 5}, Text, MediaName);
    EXPECT_TRUE(plan.series);
    ASSERT_EQ(plan.sheets.size(), 2u);
    const int modes[] = {1, 4};
    for (std::size_t i = 0; i < 2; ++i) {
        const SampleSheet& s = plan.sheets[i];
        EXPECT_EQ(s.mode, modes[i]);
        EXPECT_EQ(s.mediaValue, 502);
        EXPECT_EQ(s.highlightIndex, 3);
        EXPECT_EQ(s.Title(), "T50010=T" + std::to_string(50159 + modes[i]) + ",");
        ASSERT_EQ(s.labels.size(), 10u);
        EXPECT_EQ(s.labels[4], "T50011=-7,"); // the record's density
    }
}

TEST(ImageChoiceStore, EachDialogAndRecordKindHasItsOwnPair) {
    const CustomPaperSlot slot = Slot();
    const CustomFileRecord file = File();
    const SampleRecord bySlot{&slot, nullptr}, byFile{nullptr, &file};
    struct Case {
        SampleDialog dialog;
        SampleRecord record;
        const char* name;
    };
    const Case cases[] = {
        {SampleDialog::MediaType, byFile, "CFileSampleMedia"},
        {SampleDialog::MediaType, bySlot, "SampleMedia"},
        {SampleDialog::PaperFeed, byFile, "CFileSampleFeeding"},
        {SampleDialog::PaperFeed, bySlot, "SampleFeeding"},
        {SampleDialog::ColorDensity, byFile, "CFileSampleCardinality"},
        {SampleDialog::PrintQuality, byFile, "CFileSamplePrintMode"},
        {SampleDialog::ColorDensity, bySlot, ""},
        {SampleDialog::MediaType, {}, ""},
    };
    const std::string model = "Corvan Max 7100";
    for (const Case& c : cases) {
        EXPECT_EQ(ImageChoiceValueName(c.dialog, c.record), c.name);
        if (*c.name == 0) {
            EXPECT_EQ(ReadImageChoice(model, c.dialog, c.record), ImageChoice{});
            continue;
        }
        EXPECT_EQ(ReadImageChoice(model, c.dialog, c.record), (ImageChoice{1151, ""})) << c.name;
        ASSERT_EQ(WriteImageChoice(model, c.dialog, c.record,
                                   {1152, std::string("/home/op/") + c.name + ".bmp"}),
                  0);
        // The standard image keeps the user-defined path for the next time.
        ASSERT_EQ(WriteImageChoice(model, c.dialog, c.record, {1151, ""}), 0);
        EXPECT_EQ(ReadImageChoice(model, c.dialog, c.record),
                  (ImageChoice{1151, std::string("/home/op/") + c.name + ".bmp"}));
    }
    // The pairs do not share values, and another model keeps its own.
    EXPECT_EQ(ReadImageChoice(model, SampleDialog::MediaType, byFile).userPath,
              "/home/op/CFileSampleMedia.bmp");
    EXPECT_EQ(ReadImageChoice("QZ-7100", SampleDialog::MediaType, byFile), (ImageChoice{1151, ""}));
}

} // namespace
