#include "custompaper/CCustomPaperTable.h"

#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "platform/Clock.h"

#include "FakeBidi.h"
#include "RecordingSpooler.h"
#include "SlotReplies.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kEnter = {0x1B, 0x40, 0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R', 'E', 'M', 'O', 'T', 'E', '1'};
const Bytes kSV = {'S', 'V', 0x00, 0x00};
const Bytes kExit = {0x1B, 0x00, 0x00, 0x00};

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
Bytes ListQuery(int k) { return {'E', 'X', 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x1D, static_cast<std::uint8_t>(k), 0x00}; }
Bytes SettingsQuery(int b) {
    return {'E', 'X', 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x1B, static_cast<std::uint8_t>(b), 0x00};
}

// The table against a scripted bidirectional library (local channel) and
// the spooler double.
struct TableFixture : ::testing::Test {
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    FakeBidi fake;
    CBidiLibrary lib;
    CPrinterLink link{&lib};
    RecordingSpooler spooler;
    CCustomPaperTable table{"(Not registered)"};

    void SetUp() override {
        lib.SetLibraryName(fake.Path());
        ASSERT_EQ(lib.Load("qz", 1), 1);
        UseChannel(CPrinterLink::kChannelLocal);
        spooler.AddPrinter("qz");
    }
    void UseChannel(std::uint32_t type) {
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, type, 0x07);
        fake.SetChannels(channels);
    }
    Bytes Job(std::size_t i = 0) const { return spooler.Documents().at(i).bytes; }
};

TEST_F(TableFixture, QueryNamesAsksFourTimesOnOneChannel) {
    table.SlotAt(9).Name = "stale";
    fake.PushReceive(NamesReply({NameEntry(1, 1, "Gloss"), NameEntry(0, 2, ""), NameEntry(1, 3, "Matte  ")}));
    fake.PushReceive(NamesReply({NameEntry(0, 4, ""), NameEntry(0, 5, ""), NameEntry(1, 6, "Film")}));
    fake.PushReceive(NamesReply({NameEntry(0, 7, ""), NameEntry(0, 8, ""), NameEntry(0, 9, "")}));
    const std::string last = NamesReply({NameEntry(1, 10, std::string(30, 'Z'))});
    fake.PushReceive(last);

    EXPECT_EQ(table.QueryNames(link, "qz"), static_cast<int>(last.size()));
    EXPECT_TRUE(table.LastQueryComplete());
    EXPECT_EQ(fake.Sent(), (std::vector<Bytes>{ListQuery(1), ListQuery(4), ListQuery(7), ListQuery(10)}));
    EXPECT_EQ(fake.Calls("TQOpenChannel"), 1);
    EXPECT_EQ(fake.OpenChannels(), 0);

    const std::vector<std::string> labels{"Gloss", "(Not registered)", "Matte", "(Not registered)",
                                          "(Not registered)", "Film", "(Not registered)", "(Not registered)",
                                          "(Not registered)", std::string(30, 'Z')};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(table.SlotLabel(i), labels[static_cast<std::size_t>(i)]) << i;
    EXPECT_TRUE(table.IsRegistered(9));
}

TEST_F(TableFixture, QueryNamesOverTheNetworkChannel) {
    UseChannel(CPrinterLink::kChannelNetwork);
    for (int k : {1, 4, 7})
        fake.PushReceive("@BDC PS\r\n" + NamesReply({NameEntry(1, k, "N" + std::to_string(k)),
                                                     NameEntry(1, k + 1, "N" + std::to_string(k + 1)),
                                                     NameEntry(1, k + 2, "N" + std::to_string(k + 2))}));
    fake.PushReceive("@BDC PS\r\n" + NamesReply({NameEntry(1, 10, "N10")}));
    EXPECT_GT(table.QueryNames(link, "qz"), 0);
    EXPECT_TRUE(table.LastQueryComplete());
    for (int i = 0; i < 10; ++i) EXPECT_EQ(table.SlotLabel(i), "N" + std::to_string(i + 1));
}

TEST_F(TableFixture, QueryNamesEndsAtAReplyWithoutMarkerOrAFailedExchange) {
    for (int i = 0; i < 10; ++i) table.SlotAt(i).Name = "old";
    fake.PushReceive(NamesReply({NameEntry(1, 1, "A"), NameEntry(1, 2, "B"), NameEntry(1, 3, "C")}));
    fake.PushReceive("XX:NA;");
    EXPECT_EQ(table.QueryNames(link, "qz"), 6) << "the marker-less reply's byte count";
    EXPECT_FALSE(table.LastQueryComplete());
    EXPECT_EQ(fake.Sent().size(), 2u);
    EXPECT_EQ(fake.OpenChannels(), 0);
    EXPECT_EQ(table.SlotAt(2).Name, "C");
    EXPECT_EQ(table.SlotAt(3).Name, "old");

    fake.Reset();
    UseChannel(CPrinterLink::kChannelLocal);
    fake.PushReceive(NamesReply({NameEntry(1, 1, "A"), NameEntry(1, 2, "B"), NameEntry(1, 3, "C")}));
    // then the library's time-out
    EXPECT_LT(table.QueryNames(link, "qz"), 0);
    EXPECT_FALSE(table.LastQueryComplete());
    EXPECT_EQ(fake.Sent().size(), 2u);
    EXPECT_EQ(fake.OpenChannels(), 0);

    fake.SetOpenResult(0);
    EXPECT_EQ(table.QueryNames(link, "qz"), -1) << "no channel";
}

TEST_F(TableFixture, QueryNameReadsOnlyTheFirstEntry) {
    fake.PushReceive(NamesReply({NameEntry(1, 5, "Five"), NameEntry(1, 6, "Six")}));
    EXPECT_GT(table.QueryName(link, "qz", 4), 0);
    EXPECT_EQ(fake.Sent(), std::vector<Bytes>{ListQuery(5)});
    EXPECT_EQ(table.SlotLabel(4), "Five");
    EXPECT_FALSE(table.IsRegistered(5));
    EXPECT_EQ(fake.OpenChannels(), 0);

    for (int bad : {-1, 10}) EXPECT_EQ(table.QueryName(link, "qz", bad), -1);
    EXPECT_EQ(fake.Sent().size(), 1u) << "nothing sent for an index outside 0..9";
}

TEST_F(TableFixture, QuerySettingsFillsTheSlotOfTheIndexOrTheCurrentOne) {
    CustomPaperSlot w;
    w.Platen = 3, w.Forward = -12, w.Drytime = 25, w.MediaCode = 9;
    fake.PushReceive(SettingsReply(SettingBytes(w, "Coated")));
    table.SetCurrentIndex(6);
    table.SlotAt(6).Registered = 1;
    EXPECT_GT(table.QuerySettings(link, "qz", -1), 0);
    EXPECT_TRUE(table.LastQueryComplete());
    EXPECT_EQ(fake.Sent(), std::vector<Bytes>{SettingsQuery(0x86)});
    const CustomPaperSlot& s = table.SlotAt(6);
    EXPECT_EQ(s.Platen, 3);
    EXPECT_EQ(s.Forward, -12);
    EXPECT_EQ(s.Drytime, 25);
    EXPECT_EQ(s.MediaCode, 9);
    EXPECT_EQ(s.Name, "Coated" + std::string(24, ' '));
    EXPECT_EQ(s.Registered, 1);

    // No answer, or an answer without the marker: the slot stays.
    const CustomPaperSlot before = table.SlotAt(2);
    EXPECT_LT(table.QuerySettings(link, "qz", 2), 0);
    fake.PushReceive("XX:NA;");
    EXPECT_EQ(table.QuerySettings(link, "qz", 2), 6);
    EXPECT_FALSE(table.LastQueryComplete());
    EXPECT_EQ(table.SlotAt(2), before);
    EXPECT_EQ(fake.Sent().back(), SettingsQuery(0x82));

    const std::size_t sent = fake.Sent().size();
    EXPECT_EQ(table.QuerySettings(link, "qz", 10), -1);
    EXPECT_EQ(fake.Sent().size(), sent);
}

TEST_F(TableFixture, WriteSlotSendsOneJobOf130Bytes) {
    CustomPaperSlot source;
    source.Name = "ignored", source.Forward = 5, source.Registered = 0;
    table.SetCurrentIndex(3);
    ASSERT_EQ(table.WriteSlot("qz", 9, "Banner", source), 0);
    ASSERT_EQ(table.WriteSlot("qz", -1, "Current", source), 0);
    ASSERT_EQ(spooler.Documents().size(), 2u);
    std::uint8_t packet[SlotCodec::kWritePacketLength];
    SlotCodec::BuildSlotWritePacket(packet, sizeof packet, 10, "Banner", source);
    EXPECT_EQ(Job(0), Cat({kEnter, Bytes(packet, packet + sizeof packet), kSV, kExit}));
    EXPECT_EQ(Job(0).size(), 130u);
    EXPECT_EQ(Job(0)[15 + 9], 10) << "slot number";
    EXPECT_EQ(Job(1)[15 + 9], 4) << "the current slot";
    EXPECT_EQ(spooler.Documents()[0].name, "ZAMU Command");
    EXPECT_EQ(table.SlotAt(9), CustomPaperSlot{}) << "the table is not changed";

    EXPECT_EQ(table.WriteSlot("qz", 10, "x", source), -1);
    EXPECT_EQ(spooler.Documents().size(), 2u);
    spooler.Fail(RecordingSpooler::Step::Write);
    EXPECT_EQ(table.WriteSlot("qz", 0, "x", source), -1);
}

TEST_F(TableFixture, CallSendsTheSlotNumberOrZero) {
    ASSERT_EQ(table.CallSlot("qz", 3), 0);
    ASSERT_EQ(table.CallStandard("qz"), 0);
    table.SetCurrentIndex(9);
    ASSERT_EQ(table.CallSlot("qz", -1), 0);
    const auto call = [](int n) {
        return Cat({kEnter, Bytes{'E', 'X', 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1C, static_cast<std::uint8_t>(n), 0x00},
                    kSV, kExit});
    };
    ASSERT_EQ(spooler.Documents().size(), 3u);
    EXPECT_EQ(Job(0), call(4));
    EXPECT_EQ(Job(0).size(), 34u);
    EXPECT_EQ(Job(1), call(0));
    EXPECT_EQ(Job(2), call(10));
    EXPECT_EQ(table.CallSlot("qz", 10), -1);
    EXPECT_EQ(spooler.Documents().size(), 3u);
    spooler.Fail(RecordingSpooler::Step::Open);
    EXPECT_EQ(table.CallStandard("qz"), -1);
}

TEST(CustomPaperTable, IndexRules) {
    CCustomPaperTable table("(none)");
    table.SlotAt(2).Registered = 1;
    table.SlotAt(2).Name = "Two";
    table.SetCurrentIndex(2);
    table.SetCurrentIndex(10); // ignored
    table.SetCurrentIndex(-3); // ignored
    EXPECT_EQ(table.CurrentIndex(), 2);
    EXPECT_EQ(&table.SlotAt(-1), &table.SlotAt(2));
    EXPECT_EQ(&table.SlotAt(10), &table.SlotAt(2)) << "10 or more gives the current slot";
    EXPECT_EQ(&table.SlotAt(5), &table.SlotAt(5));
    EXPECT_NE(&table.SlotAt(5), &table.SlotAt(2));
    EXPECT_TRUE(table.IsRegistered(-1));
    EXPECT_FALSE(table.IsRegistered(10)) << "even when the current slot is registered";
    EXPECT_EQ(table.SlotLabel(-1), "Two");
    EXPECT_EQ(table.SlotLabel(10), "(none)");
    EXPECT_EQ(table.SlotLabel(0), "(none)");
    table.SlotAt(0).Name = "hidden"; // a name without the flag is not shown
    EXPECT_EQ(table.SlotLabel(0), "(none)");
}

} // namespace
