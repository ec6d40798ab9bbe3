#include "custompaper/SlotCodec.h"

#include "SlotReplies.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Packet(const CustomPaperSlot& slot, const std::string& name, int slotNumber = 1) {
    std::uint8_t p[SlotCodec::kWritePacketLength + 8];
    const int n = SlotCodec::BuildSlotWritePacket(p, sizeof p, slotNumber, name, slot);
    return Bytes(p, p + n);
}

const std::uint8_t* Bytes_(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

// ---------------------------------------------------------------------------
// The write packet, byte by byte.

TEST(SlotWritePacket, EveryByteOfADefaultSlotAndAShortName) {
    CustomPaperSlot slot; // Platen 2, Paperthick 1, all else 0
    const Bytes p = Packet(slot, "Matte", 7);
    ASSERT_EQ(p.size(), 107u);
    Bytes want(107, 0x00);
    const std::uint8_t head[] = {'E', 'X', 0x67, 0x00, 0, 0, 0, 0, 0x1B, 7, 0};
    std::memcpy(want.data(), head, sizeof head);
    for (int i = 11; i <= 74; ++i) want[static_cast<std::size_t>(i)] = 0xFF;
    want[28] = 2;                  // Platen
    want[31] = want[32] = 101;     // Forward 0 + 101
    want[34] = 51;                 // suction 100 %
    want[36] = 3, want[37] = 0x65; // cut 0
    want[39] = 0;                  // Roller
    want[40] = 1;                  // Paperthick
    want[45] = 0, want[46] = 0;    // Drytime
    want[50] = 0x00;               // ThreeWay
    want[53] = 0;                  // MediaCode
    want[74] = 0x01;
    want[75] = want[76] = 0x00;
    const char* name = "Matte";
    for (int i = 0; i < 30; ++i) want[static_cast<std::size_t>(77 + i)] = i < 5 ? name[i] : ' ';
    EXPECT_EQ(p, want);
}

struct FieldCase {
    const char* what;
    std::function<void(CustomPaperSlot&)> set;
    std::vector<std::pair<int, std::uint8_t>> bytes; // position, value
};

class SlotWriteField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(SlotWriteField, LandsInItsBytes) {
    const FieldCase& c = GetParam();
    CustomPaperSlot slot;
    c.set(slot);
    const Bytes p = Packet(slot, "x");
    for (const auto& [at, value] : c.bytes) EXPECT_EQ(p[static_cast<std::size_t>(at)], value) << "byte " << at;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SlotWriteField,
    ::testing::Values(
        FieldCase{"forward_min", [](auto& s) { s.Forward = -70; }, {{31, 0x1F}, {32, 0x1F}}},
        FieldCase{"forward_max", [](auto& s) { s.Forward = 70; }, {{31, 171}, {32, 171}}},
        FieldCase{"drytime_max", [](auto& s) { s.Drytime = 50; }, {{45, 0x13}, {46, 0x88}}},
        FieldCase{"drytime_min", [](auto& s) { s.Drytime = 0; }, {{45, 0x00}, {46, 0x00}}},
        FieldCase{"suction_0", [](auto& s) { s.Paperdraw = 0; }, {{34, 51}}},
        FieldCase{"suction_1", [](auto& s) { s.Paperdraw = -1; }, {{34, 26}}},
        FieldCase{"suction_2", [](auto& s) { s.Paperdraw = -2; }, {{34, 16}}},
        FieldCase{"suction_3", [](auto& s) { s.Paperdraw = -3; }, {{34, 6}}},
        FieldCase{"suction_4", [](auto& s) { s.Paperdraw = -4; }, {{34, 4}}},
        FieldCase{"suction_other", [](auto& s) { s.Paperdraw = -9; }, {{34, 51}}},
        FieldCase{"cut_0", [](auto& s) { s.PaperCut = 0; }, {{36, 3}, {37, 0x65}}},
        FieldCase{"cut_1", [](auto& s) { s.PaperCut = 1; }, {{36, 2}, {37, 0x49}}},
        FieldCase{"cut_2", [](auto& s) { s.PaperCut = 2; }, {{36, 1}, {37, 0x7E}}},
        FieldCase{"cut_3", [](auto& s) { s.PaperCut = 3; }, {{36, 6}, {37, 0x65}}},
        FieldCase{"cut_other", [](auto& s) { s.PaperCut = 4; }, {{36, 0xFF}, {37, 0xFF}}},
        FieldCase{"threeway_1", [](auto& s) { s.ThreeWay = 1; }, {{50, 0x20}}},
        FieldCase{"threeway_2", [](auto& s) { s.ThreeWay = 2; }, {{50, 0x30}}},
        FieldCase{"threeway_3", [](auto& s) { s.ThreeWay = 3; }, {{50, 0x00}}},
        FieldCase{"platen_roller_thick", [](auto& s) { s.Platen = 4, s.Roller = 3, s.Paperthick = 16; },
                  {{28, 4}, {39, 3}, {40, 16}}},
        FieldCase{"low_bytes", [](auto& s) { s.MediaCode = 0x1FE, s.Paperthick = -1; }, {{53, 0xFE}, {40, 0xFF}}}),
    [](const auto& info) { return std::string(info.param.what); });

struct NameCase {
    const char* what;
    std::string name;
    std::string field; // the 30 bytes 77..106
};

class SlotWriteName : public ::testing::TestWithParam<NameCase> {};

TEST_P(SlotWriteName, FillsThirtyBytes) {
    const NameCase& c = GetParam();
    CustomPaperSlot source;
    source.Name = "not this one";
    const Bytes p = Packet(source, c.name);
    EXPECT_EQ(std::string(p.begin() + 77, p.end()), c.field);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SlotWriteName,
    ::testing::Values(
        NameCase{"thirty", std::string(30, 'N'), std::string(30, 'N')},
        NameCase{"five", "Gloss", "Gloss" + std::string(25, ' ')},
        NameCase{"empty", "", std::string(30, ' ')},
        NameCase{"longer_is_cut", std::string(29, 'a') + "bc", std::string(29, 'a') + "b"},
        // 29 bytes, then a two-byte character that does not fit: left out whole.
        NameCase{"utf8_not_split", std::string(29, 'a') + "\xC3\xA4", std::string(29, 'a') + " "},
        NameCase{"utf8_fits", "Papier \xC3\xA4", "Papier \xC3\xA4" + std::string(21, ' ')},
        NameCase{"ends_at_zero", std::string("ab\0cd", 5), "ab" + std::string(28, ' ')}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(SlotWritePacket, NeedsRoomForAllOfIt) {
    std::uint8_t p[200];
    std::memset(p, 0xAA, sizeof p);
    EXPECT_EQ(SlotCodec::BuildSlotWritePacket(p, 106, 1, "x", CustomPaperSlot{}), 0);
    EXPECT_EQ(p[0], 0xAA);
    EXPECT_EQ(SlotCodec::BuildSlotWritePacket(p, 107, 1, "x", CustomPaperSlot{}), 107);
    EXPECT_EQ(SlotCodec::BuildSlotWritePacket(nullptr, 200, 1, "x", CustomPaperSlot{}), 0);
}

// ---------------------------------------------------------------------------
// Settings reply: reading back what was written, and the decoding rules.

// Every field at both ends of its range: written and read back, equal.
TEST(SlotSettingsReply, GivesBackWhatWasWritten) {
    CustomPaperSlot low, high;
    low.MediaCode = 0, low.ThreeWay = 0, low.Forward = -70, low.Drytime = 0, low.Paperthick = 1;
    low.Paperdraw = -4, low.PaperCut = 0, low.Platen = 1, low.Roller = 0;
    high.MediaCode = 255, high.ThreeWay = 2, high.Forward = 70, high.Drytime = 50, high.Paperthick = 16;
    high.Paperdraw = 0, high.PaperCut = 3, high.Platen = 4, high.Roller = 3;
    for (const CustomPaperSlot* written : {&low, &high}) {
        for (int cut = 0; cut <= 3; ++cut) {
            for (int draw = 0; draw >= -4; --draw) {
                CustomPaperSlot w = *written;
                w.PaperCut = cut, w.Paperdraw = draw;
                const std::string name = written == &low ? "L" : std::string(30, 'H');
                const std::string reply = SettingsReply(SettingBytes(w, name));
                CustomPaperSlot read;
                read.Registered = 7, read.MediaId = 99; // not touched
                ASSERT_TRUE(SlotCodec::DecodeSettings(Bytes_(reply), static_cast<int>(reply.size()), read));
                CustomPaperSlot want = w;
                want.Registered = 7, want.MediaId = 99;
                // The name comes back with its blanks (the settings reply keeps them).
                want.Name = name + std::string(30 - name.size(), ' ');
                EXPECT_EQ(read, want) << "cut " << cut << " suction " << draw;
            }
        }
    }
}

// The 98 setting bytes with every byte set apart from those a case names.
Bytes RawSettings(std::initializer_list<std::pair<int, std::uint8_t>> packetBytes) {
    Bytes b(98, 0xFF);
    for (const auto& [packetAt, v] : packetBytes) b[static_cast<std::size_t>(packetAt - 9)] = v;
    return b;
}

struct DecodeCase {
    const char* what;
    Bytes bytes;
    std::function<void(CustomPaperSlot&)> want; // applied to the slot before decoding
};

class SlotSettingsDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(SlotSettingsDecode, Field) {
    const DecodeCase& c = GetParam();
    const std::string reply = SettingsReply(c.bytes);
    CustomPaperSlot slot;
    slot.Paperdraw = -2;
    CustomPaperSlot want;
    ASSERT_TRUE(SlotCodec::DecodeSettings(Bytes_(reply), static_cast<int>(reply.size()), slot));
    want = slot; // then compare the one field through the case
    c.want(want);
    EXPECT_EQ(slot, want);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SlotSettingsDecode,
    ::testing::Values(
        DecodeCase{"suction_26", RawSettings({{34, 26}}), [](auto& s) { s.Paperdraw = -1; }},
        DecodeCase{"suction_200_keeps", RawSettings({{34, 200}}), [](auto& s) { s.Paperdraw = -2; }},
        DecodeCase{"suction_128", RawSettings({{34, 128}}), [](auto& s) { s.Paperdraw = 0; }},
        DecodeCase{"suction_0", RawSettings({{34, 0}}), [](auto& s) { s.Paperdraw = -4; }},
        DecodeCase{"suction_5", RawSettings({{34, 5}}), [](auto& s) { s.Paperdraw = -3; }},
        DecodeCase{"cut_3_65_is_0", RawSettings({{36, 3}, {37, 0x65}}), [](auto& s) { s.PaperCut = 0; }},
        DecodeCase{"cut_6_49_is_0", RawSettings({{36, 6}, {37, 0x49}}), [](auto& s) { s.PaperCut = 0; }},
        DecodeCase{"cut_2_49", RawSettings({{36, 2}, {37, 0x49}}), [](auto& s) { s.PaperCut = 1; }},
        DecodeCase{"threeway_other", RawSettings({{50, 0x10}}), [](auto& s) { s.ThreeWay = 0; }},
        DecodeCase{"drytime_truncates", RawSettings({{45, 0x13}, {46, 0x87}}), [](auto& s) { s.Drytime = 49; }},
        DecodeCase{"forward_raw", RawSettings({{31, 0}}), [](auto& s) { s.Forward = -101; }},
        DecodeCase{"zero_in_name_closes_up",
                   RawSettings({{75, 0}, {76, 0}, {77, 'A'}, {78, 0}, {79, 'B'}}),
                   [](auto& s) { s.Name = "AB" + std::string(27, '\xFF'); }},
        DecodeCase{"name_of_32_keeps_30", RawSettings({{75, 'x'}, {76, 'y'}}),
                   [](auto& s) { s.Name = "xy" + std::string(28, '\xFF'); }}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(SlotSettingsReply, TakesItsTextUpToTheFirstSemicolonAfterAnyMarker) {
    CustomPaperSlot before;
    before.Platen = 3, before.Roller = 2, before.Name = "old";
    // Wrapped reply marker and noise in front; the text ends after the
    // forward field, so the later fields keep their values.
    const Bytes bytes = RawSettings({{28, 4}, {31, 111}});
    const std::string hex = Hex(bytes);
    const std::string reply = "@BDC PS\r\nxxEX:0000001B" + hex.substr(0, 46) + ";" + hex.substr(46);
    CustomPaperSlot slot = before;
    ASSERT_TRUE(SlotCodec::DecodeSettings(Bytes_(reply), static_cast<int>(reply.size()), slot));
    EXPECT_EQ(slot.Platen, 4);
    EXPECT_EQ(slot.Forward, 10);
    EXPECT_EQ(slot.Roller, 2);
    EXPECT_EQ(slot.Name, "old");

    // No marker before the ';': nothing read.
    const std::string late = "VI:00;EX:0000001B" + hex + ";";
    slot = before;
    EXPECT_FALSE(SlotCodec::DecodeSettings(Bytes_(late), static_cast<int>(late.size()), slot));
    EXPECT_EQ(slot, before);
    EXPECT_FALSE(SlotCodec::DecodeSettings(nullptr, 0, slot));
}

TEST(SlotHexFields, ReadAsScanfReadsAPair) {
    struct {
        char a, b;
        int want;
    } pairs[] = {{'1', 'f', 31}, {'F', 'F', 255}, {' ', '5', 5}, {'-', '1', -1}, {'z', 'z', 0}, {'5', 'z', 5},
                 {'+', 'A', 10}};
    for (const auto& p : pairs) EXPECT_EQ(SlotCodec::HexPair(p.a, p.b), p.want) << p.a << p.b;

    std::int32_t v = -5;
    EXPECT_TRUE(SlotCodec::HexNumber("12345678", 0, 4, v));
    EXPECT_EQ(v, 0x12345678);
    EXPECT_TRUE(SlotCodec::HexNumber("1234567890", 0, 5, v));
    EXPECT_EQ(v, 0) << "more than four bytes reads 0";
    v = -5;
    EXPECT_FALSE(SlotCodec::HexNumber("123", 2, 1, v)) << "a field beyond the text is not read";
    EXPECT_EQ(v, -5);
}

// ---------------------------------------------------------------------------
// Name list reply.

TEST(SlotNamesReply, ReadsFlagsAndNamesOfThreeSlots) {
    std::array<CustomPaperSlot, 10> slots{};
    slots[6].Name = "untouched";
    const std::string reply = NamesReply({NameEntry(1, 4, "Canvas 1"), NameEntry(0, 5, ""),
                                          NameEntry(1, 6, std::string("Fi\0lm", 5)), NameEntry(1, 7, "extra")});
    EXPECT_EQ(SlotCodec::DecodeNames(Bytes_(reply), static_cast<int>(reply.size()), 4, 3, slots), 3);
    EXPECT_EQ(slots[3].Registered, 1);
    EXPECT_EQ(slots[3].Name, "Canvas 1") << "trailing blanks removed";
    EXPECT_EQ(slots[4].Registered, 0);
    EXPECT_EQ(slots[4].Name, "");
    EXPECT_EQ(slots[5].Name, "Film") << "a zero byte is dropped and the rest closes up";
    EXPECT_EQ(slots[6].Name, "untouched") << "only three entries per reply";
}

TEST(SlotNamesReply, NeverReadsBeyondSlotTenOrAnEntryCutShort) {
    std::array<CustomPaperSlot, 10> slots{};
    const std::string reply = NamesReply({NameEntry(1, 10, "Last"), NameEntry(1, 11, "none")});
    EXPECT_EQ(SlotCodec::DecodeNames(Bytes_(reply), static_cast<int>(reply.size()), 10, 3, slots), 1);
    EXPECT_EQ(slots[9].Name, "Last");

    // The second entry stops 2 digits short: only the first is read.
    std::string cut = NamesReply({NameEntry(1, 1, "One"), NameEntry(1, 2, "Two")});
    cut.erase(cut.size() - 3, 2);
    slots = {};
    EXPECT_EQ(SlotCodec::DecodeNames(Bytes_(cut), static_cast<int>(cut.size()), 1, 3, slots), 1);
    EXPECT_EQ(slots[1].Registered, 0);
    EXPECT_EQ(slots[1].Name, "");

    const std::string none = "EX:0000001B" + Hex(NameEntry(1, 1, "x")) + ";";
    EXPECT_EQ(SlotCodec::DecodeNames(Bytes_(none), static_cast<int>(none.size()), 1, 3, slots), -1);
}

} // namespace
