#include "PrinterReplies.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vprinter;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The record behind the header: 16-bit length, then id/length/data fields.
struct Record {
    Bytes bytes;
    const std::uint8_t* Field(std::uint8_t id, int* length = nullptr) const {
        const std::size_t total = bytes[0] | (bytes[1] << 8);
        std::size_t at = 2;
        while (at + 1 < 2 + total) {
            if (bytes[at] == id) {
                if (length) *length = bytes[at + 1];
                return &bytes[at + 2];
            }
            at += 2 + bytes[at + 1];
        }
        return nullptr;
    }
};

Record RecordOf(const std::vector<std::uint8_t>& reply) {
    const std::string text(reply.begin(), reply.end());
    const auto crlf = text.find("\r\n");
    EXPECT_NE(crlf, std::string::npos);
    Record r;
    r.bytes.assign(reply.begin() + static_cast<long>(crlf + 2), reply.end());
    EXPECT_EQ(r.bytes.size(), 2u + (r.bytes[0] | (r.bytes[1] << 8)));
    return r;
}

TEST(StatusReply, FieldsAsTheUtilityReadsThem) {
    StatusInfo info;
    info.state = kStateReady;
    info.maintenanceCapacity = 12;
    info.inkLevels[6] = 25;
    const Record eight = RecordOf(BuildStatusReply(info));
    EXPECT_EQ(eight.Field(0x01)[0], 4);
    EXPECT_EQ(eight.Field(0x0D)[0], 12);
    int length = 0;
    const std::uint8_t* inks = eight.Field(0x0F, &length);
    ASSERT_NE(inks, nullptr);
    const int entrySize = inks[0];
    EXPECT_EQ(entrySize, 3);
    EXPECT_EQ(length / entrySize, 8);
    // An eight-ink printer: colour codes 4, 5 and 8 at data bytes 17, 20, 23.
    EXPECT_EQ(inks[17], 4);
    EXPECT_EQ(inks[20], 5);
    EXPECT_EQ(inks[23], 8);
    // The level is the third byte of each entry.
    EXPECT_EQ(inks[1 + 6 * entrySize + 2], 25);
    EXPECT_EQ(inks[1 + 0 * entrySize + 2], 100);

    info.inkCount = 4;
    info.state = kStateBusy;
    const Record four = RecordOf(BuildStatusReply(info));
    EXPECT_EQ(four.Field(0x01)[0], 3);
    four.Field(0x0F, &length);
    EXPECT_EQ(length, 13);
}

TEST(DeviceId, NamesTheDriverOfEitherModel) {
    EXPECT_NE(BuildDeviceId(Model::CorvanMax7100, ModelDriverName(Model::CorvanMax7100)).find("DES:ORVEX Corvan Max 7100;"),
              std::string::npos);
    EXPECT_NE(BuildDeviceId(Model::QZ7100, ModelDriverName(Model::QZ7100)).find("DES:ORVEX QZ-7100;"),
              std::string::npos);
}

TEST(QueryReplies, TextFormats) {
    EXPECT_EQ(ReplyVersion("I02010"), "VI:00I02010;");
    EXPECT_EQ(ReplySN(0), "SN:010;");
    EXPECT_EQ(ReplySN(3), "SN:013;");
    const std::string settings = ReplySlotSettings(DefaultSlotData(4));
    ASSERT_EQ(settings.size(), 11u + 196u + 1u);
    EXPECT_EQ(settings.substr(11, 2), "04");      // slot number
    EXPECT_EQ(settings.substr(11 + 38, 2), "02"); // platen gap at hex offset 38
    EXPECT_EQ(settings.substr(11 + 44, 2), "65"); // paper feed 0 + 101
    EXPECT_EQ(settings.back(), ';');
}

TEST(QueryReplies, NameListHoldsThreeEntriesButNoneBeyondSlotTen) {
    PrinterState state;
    SlotData data = DefaultSlotData(8);
    std::memcpy(data.data() + 68, "Canvas", 6);
    state.slots[7] = {true, data};
    const std::string list = ReplyNameList(state, 7);
    ASSERT_EQ(list.size(), 11u + 3 * 68u + 1u);
    EXPECT_EQ(list.substr(11, 2), "00");          // slot 7: not registered
    EXPECT_EQ(list.substr(11 + 68, 2), "01");     // slot 8: registered
    // The name: 32 bytes, 00 00 then the characters and blanks.
    EXPECT_EQ(list.substr(11 + 68 + 4, 16), "000043616E766173");
    EXPECT_EQ(ReplyNameList(state, 10).size(), 11u + 68u + 1u);
}

TEST(QueryReplies, JobRecordPositions) {
    JobRecord job;
    job.number = 10;
    job.state = 1;
    job.secondState = 2;
    job.source = "Remote";
    job.name = "AB";
    job.lengthMm = 1234;
    job.pages = 3;
    job.printedPages = 1;
    job.durationS = 125;
    const std::string reply = ReplyJob(&job, 0);
    ASSERT_EQ(reply.substr(0, 3), "JI:");
    const std::string d = reply.substr(3);
    EXPECT_EQ(d.size(), 136u + 1u);
    EXPECT_EQ(d.substr(2, 2), "0A");
    EXPECT_EQ(d.substr(6, 2), "01");
    EXPECT_EQ(d.substr(8, 2), "02");
    EXPECT_EQ(d.substr(14, 12), "52656D6F7465");
    EXPECT_EQ(d.substr(46, 8), "41420000");
    EXPECT_EQ(d.substr(110, 4), "04D2");
    EXPECT_EQ(d.substr(114, 4), "0003"); // pages of the job
    EXPECT_EQ(d.substr(118, 4), "0001"); // pages printed
    EXPECT_EQ(d.substr(132, 4), "007D");
    EXPECT_EQ(ReplyJob(nullptr, 3).find("JI:"), std::string::npos);
}

} // namespace
