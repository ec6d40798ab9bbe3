#include "sampleprint/SampleLabels.h"

#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomPaperSlot.h"

#include <gtest/gtest.h>

namespace {

// Every text shows its id, so a label names the ids it was built from.
std::string IdText(int id) {
    return "<" + std::to_string(id) + ">";
}
std::string Media(int id) {
    return id == 101 ? "Glossy" : "";
}

} // namespace

TEST(SampleLabels, PaperdrawPercentMapsTheFiveLevelsAndDefaultsTo100) {
    const std::pair<int, int> cases[] = {{0, 100}, {-1, 50}, {-2, 30}, {-3, 10},
                                         {-4, 6},  {1, 100}, {-5, 100}};
    for (const auto& [level, percent] : cases)
        EXPECT_EQ(PaperdrawPercent(level), percent) << level;
}

TEST(SampleLabels, NumberAndTextLabelsEndWithACommaExceptTheLast) {
    EXPECT_EQ(NumberLabel("Feed", -35), "Feed=-35,");
    EXPECT_EQ(NumberLabel("Feed", 7, true), "Feed=7");
    EXPECT_EQ(TextLabel("Cut", "Auto"), "Cut=Auto,");
    EXPECT_EQ(TextLabel("Cut", "", true), "Cut=");
}

TEST(SampleLabels, RegistrationLabelsInOrderWithTheirTexts) {
    CustomPaperSlot slot;
    slot.MediaId = 101;
    slot.Paperthick = 3;
    slot.Platen = 4;
    slot.Forward = -12;
    slot.Drytime = 25;
    slot.PaperCut = 1;
    slot.Roller = 3;
    slot.Paperdraw = -4;
    const std::vector<std::string> expected = {
        "<30003>=Glossy,", "<30004>=3,",       "<30006>=<30134>,", "<30009>=-12,",
        "<30013>=25,",     "<30017>=<30143>,", "<30018>=<30153>,", "<30019>=<30024>",
    };
    EXPECT_EQ(BuildRegistrationLabels(slot, IdText, Media), expected);
}

TEST(SampleLabels, CustomFileLabelsInOrderWithTheirTexts) {
    CustomFileRecord r;
    r.MediaId = 101;
    r.Paperthick = 2;
    r.Platen = 1;
    r.Mode = 4;
    r.Density = -50;
    r.Forward = 70;
    r.Drytime = 0;
    r.PaperCut = 2;
    r.Roller = 0;
    r.Paperdraw = 0;
    const std::vector<std::string> expected = {
        "<50004>=Glossy,", "<50005>=2,", "<50007>=<50131>,", "<50010>=<50163>,", "<50011>=-50,",
        "<30009>=70,",     "<30013>=0,", "<30017>=<50141>,", "<30018>=<50150>,", "<30019>=<50026>",
    };
    EXPECT_EQ(BuildCustomFileLabels(r, IdText, Media), expected);
}

// Values outside their tables (and a media the driver does not list) show an
// empty value; the last label still has no comma.
TEST(SampleLabels, ValuesOutsideTheirTablesAreEmpty) {
    CustomPaperSlot slot;
    slot.MediaId = 999;
    slot.Platen = 0;
    slot.PaperCut = 4;
    slot.Roller = -1;
    slot.Paperdraw = 1;
    const auto labels = BuildRegistrationLabels(slot, IdText, Media);
    EXPECT_EQ(labels[0], "<30003>=,");
    EXPECT_EQ(labels[2], "<30006>=,");
    EXPECT_EQ(labels[5], "<30017>=,");
    EXPECT_EQ(labels[6], "<30018>=,");
    EXPECT_EQ(labels[7], "<30019>=");

    CustomFileRecord r;
    r.Mode = 5;
    r.Paperdraw = -5;
    const auto fileLabels = BuildCustomFileLabels(r, IdText, Media);
    EXPECT_EQ(fileLabels[3], "<50010>=,");
    EXPECT_EQ(fileLabels[9], "<30019>=");
}
