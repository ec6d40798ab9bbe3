#include "DriverSettingsFixture.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/DeviceMode.h"
#include "platform/DocumentProperties.h"
#include "sampleprint/CDriverSettingsAccess.h"

namespace {

class DriverSettingsAccessTest : public DriverSettingsTest {
protected:
    std::string Open(const char* model) {
        const std::string q = AddQueue(model);
        EXPECT_EQ(m_library.Load(q), 1);
        return q;
    }
    std::unique_ptr<CDriverSettingsAccess> Access(const std::string& q, const void* devMode = nullptr) {
        return std::make_unique<CDriverSettingsAccess>(&m_library, q, "", devMode, &Table());
    }
    // The flags of item 204 or 205 as the driver reports them.
    std::uint32_t RawFlags(const std::string& q, int item) {
        KRDM_HANDLE h = 0;
        EXPECT_EQ(m_library.Open(q, "", nullptr, &h), 0);
        std::uint32_t record[3] = {1, 12, 0xDEAD};
        EXPECT_EQ(m_library.GetData(h, item, record), 0);
        m_library.Close(h);
        return record[2];
    }
};

TEST_F(DriverSettingsAccessTest, KindAndInkArrangementFollowTheModel) {
    struct Case {
        const char* model;
        int kind;
        const char* inks;
    };
    const Case cases[] = {
        {kCorvan, 1, CDriverSettingsAccess::kInkPatternEightColour},
        {kQz, 2, CDriverSettingsAccess::kInkPatternDoubled},
    };
    for (const Case& c : cases) {
        const auto a = Access(Open(c.model));
        ASSERT_TRUE(a->HasHandle()) << c.model;
        EXPECT_EQ(a->DriverKind(), c.kind) << c.model;
        EXPECT_EQ(a->InkPatternText(), c.inks) << c.model;
        EXPECT_EQ(a->CurrentMediaValue(), 101) << c.model;
    }
}

TEST_F(DriverSettingsAccessTest, MediaValueByModeStaysForTheNextObject) {
    struct Case {
        int media;
        int mode;
        const char* keyword;
    };
    const Case cases[] = {
        {101, 1, "PremiumGlossy260"},
        {502, 2, "BacklightFilm"},
        {601, 3, "CanvasSatin"},
        {903, 4, "OtherMedia"},
    };
    const std::string q = Open(kQz);
    for (const Case& c : cases) {
        {
            const auto a = Access(q);
            ASSERT_EQ(a->SetMediaValue(c.media, c.mode), 0) << c.mode;
            EXPECT_EQ(a->CurrentMediaValue(), c.media);
        }
        EXPECT_EQ(Access(q)->CurrentMediaValue(), c.media) << c.mode;
        EXPECT_EQ(SavedOption(q, "MediaType"), c.keyword);
        EXPECT_EQ(SavedOption(q, "OVPrintQuality"), "Mode" + std::to_string(c.mode));
    }
}

TEST_F(DriverSettingsAccessTest, RefusedMediaValueChangesNothing) {
    const std::string q = Open(kCorvan);
    const auto a = Access(q);
    ASSERT_EQ(a->SetMediaValue(502, 2), 0);
    EXPECT_EQ(a->SetMediaValue(601, 5), -1);
    EXPECT_LT(a->SetMediaValue(4242, 1), 0);
    EXPECT_EQ(a->CurrentMediaValue(), 502);
    EXPECT_EQ(Access(q)->CurrentMediaValue(), 502);
}

TEST_F(DriverSettingsAccessTest, ThicknessComesFromTheMediaTableRowOfTheKind) {
    struct Case {
        const char* model;
        int media;
        int thickness;
    };
    const Case cases[] = {
        {kCorvan, 601, 5},  // kind 1: variant 0 row
        {kQz, 601, 6},      // kind 2: variant 1 row
        {kQz, 802, -1},     // no default thickness
        {kQz, 903, -1},     // driver media without a row
    };
    for (const Case& c : cases) {
        const auto a = Access(Open(c.model));
        ASSERT_EQ(a->SetMediaValue(c.media, 2), 0);
        EXPECT_EQ(a->CurrentMediaThickness(), c.thickness) << c.model << " " << c.media;
    }
}

TEST_F(DriverSettingsAccessTest, KindModeIsSelectedAndKept) {
    const std::string q = Open(kCorvan);
    const std::pair<int, const char*> cases[] = {{3, "Proof"}, {2, "Graphics"}, {1, "Photo"}};
    for (const auto& [kind, choice] : cases) {
        ASSERT_EQ(Access(q)->SelectKindMode(kind), 0);
        EXPECT_EQ(Access(q)->DriverKind(), kind);
        EXPECT_EQ(SavedOption(q, "OVColorMode"), choice);
    }
    EXPECT_EQ(Access(q)->SelectKindMode(4), -1);
}

TEST_F(DriverSettingsAccessTest, FlagItemsChangeOnlyTheirBits) {
    const std::string q = Open(kQz);
    EXPECT_EQ(Access(q)->Item205Bit3(), 1);
    ASSERT_EQ(Access(q)->SetItem205Flags(0), 0);
    EXPECT_EQ(Access(q)->Item205Bit3(), 0);
    EXPECT_EQ(RawFlags(q, KRDM_ITEM_PRINT_FLAGS), 0x01u);
    ASSERT_EQ(Access(q)->SetItem205Flags(1), 0);
    EXPECT_EQ(RawFlags(q, KRDM_ITEM_PRINT_FLAGS), 0x09u);

    EXPECT_EQ(RawFlags(q, KRDM_ITEM_OUTPUT_FLAGS), 0x07u);
    ASSERT_EQ(Access(q)->ClearItem204Bit1(), 0);
    EXPECT_EQ(RawFlags(q, KRDM_ITEM_OUTPUT_FLAGS), 0x05u);
}

TEST_F(DriverSettingsAccessTest, PaperSizeItemGivesTheGroupSizeAndTakesTheSampleLength) {
    const std::string q = Open(kQz);
    {
        const auto a = Access(q);
        EXPECT_EQ(a->Item30First(), 6096);   // 24 in roll
        EXPECT_EQ(a->Item30Second(), 9144);  // 36 in: seven samples of 130 mm per group
        EXPECT_EQ(a->Item30Second() / 1300, 7);
        EXPECT_EQ(a->SampleItem30Second(), 1600);
        ASSERT_EQ(a->SetItem30(a->Item30First(), a->SampleItem30Second()), 0);
    }
    const auto b = Access(q);
    EXPECT_EQ(b->Item30First(), 6096);
    EXPECT_EQ(b->Item30Second(), 1600);
    EXPECT_EQ(SavedOption(q, "PageSize"), "Custom.609.6x160.0mm");
    // A roll size of the PPD is taken by its name.
    ASSERT_EQ(b->SetItem30(4200, 5940), 0);
    EXPECT_EQ(SavedOption(q, "PageSize"), "RollA2");
}

TEST_F(DriverSettingsAccessTest, PaperRecordBytesRoundTrip) {
    const std::string q = Open(kCorvan);
    SamplePaperRecord record;
    {
        const auto a = Access(q);
        ASSERT_GE(a->GetPaperRecord(record), 0);
        EXPECT_EQ(record.version, 1u);
        EXPECT_EQ(record.size, 20u);
        EXPECT_EQ(record.Byte(11), 3);    // thickness
        EXPECT_EQ(record.Byte(12), 100);  // suction %
        EXPECT_EQ(record.Byte(15), 2);    // platen gap
        record.Byte(8) = 0xCE;            // density -50
        record.Byte(9) = 5;
        record.Byte(13) = 2;
        record.Byte(19) = 0x7F;
        ASSERT_EQ(a->SetPaperRecord(record), 0);
        ASSERT_EQ(a->SetItem20(), 0);
    }
    SamplePaperRecord again;
    ASSERT_GE(Access(q)->GetPaperRecord(again), 0);
    EXPECT_EQ(std::memcmp(&again, &record, sizeof record), 0);
}

TEST_F(DriverSettingsAccessTest, FailedDriverCallsAreReported) {
    const std::string q = Open(kQz);
    const auto a = Access(q);
    // A folder where the driver keeps this user's values: reading finds
    // nothing, saving fails.
    const std::filesystem::path values =
        std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "ORVEX/krset32" / (q + ".conf");
    std::filesystem::create_directories(values / "blocked");
    EXPECT_LT(a->ClearItem204Bit1(), 0);

    // A failed read leaves zeros, not what the record held before.
    SamplePaperRecord record;
    std::memset(record.data, 0xEE, sizeof record.data);
    m_library.Unload();
    EXPECT_LT(a->GetPaperRecord(record), 0);
    const SamplePaperRecord zeroed;
    EXPECT_EQ(std::memcmp(&record, &zeroed, sizeof record), 0);
}

TEST_F(DriverSettingsAccessTest, WrittenValuesStayForANewProcess) {
    const std::string q = Open(kQz);
    ASSERT_EQ(Access(q)->SetMediaValue(502, 3), 0);
    ASSERT_EQ(Access(q)->SetItem205Flags(0), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CDriverSettingsLibrary library;
        int code = library.Load(q) == 1 ? 0 : 10;
        if (code == 0) {
            CDriverSettingsAccess a(&library, q, "", nullptr, &Table());
            code = a.CurrentMediaValue() == 502 && a.Item205Bit3() == 0 ? 0 : 11;
        }
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(DriverSettingsAccessTest, OpensWithTheApplicationsBlockButKeepsWhatWasSaved) {
    const std::string q = Open(kQz);
    auto block = DocumentProperties::CurrentSettings(q);
    ASSERT_TRUE(block);
    ASSERT_EQ(Access(q, block->constData())->SetMediaValue(601, 2), 0);
    // The block still says glossy paper; the saved canvas wins.
    const auto a = Access(q, block->constData());
    ASSERT_TRUE(a->HasHandle());
    EXPECT_EQ(a->CurrentMediaValue(), 601);

    // What the driver hands out for a sample sheet carries the change.
    KRDM_HANDLE h = 0;
    ASSERT_EQ(m_library.Open(q, "", block->constData(), &h), 0);
    std::vector<std::uint8_t> mode(static_cast<std::size_t>(m_library.GetDevMode(h, nullptr)));
    ASSERT_EQ(m_library.GetDevMode(h, mode.data()), static_cast<int>(mode.size()));
    m_library.Close(h);
    const auto decoded = DeviceModeBlock::Decode(mode.data(), mode.size());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Option("MediaType"), "CanvasSatin");

    // A block whose entries do not fill the size it states.
    QByteArray broken(64, '\0');
    broken.replace(0, 6, QByteArray("ODM1\x40\0", 6));
    broken[8] = 5;
    EXPECT_FALSE(Access(q, broken.constData())->HasHandle());
}

}  // namespace
