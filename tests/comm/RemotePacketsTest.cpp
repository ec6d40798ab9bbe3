#include "comm/RemotePackets.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Builder = std::function<int(std::uint8_t*, std::size_t)>;

Bytes Text(const char* s) { return Bytes(s, s + std::char_traits<char>::length(s)); }
Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct PacketCase {
    const char* name;
    Builder build;
    Bytes expected;
};

const std::vector<PacketCase>& Cases() {
    static const std::vector<PacketCase> cases = {
        {"EnterRemote", BuildEnterRemote,
         Cat({0x1B, 0x40, 0x1B, 0x28, 0x52, 0x08, 0x00, 0x00}, Text("REMOTE1"))},
        {"ExitRemote", BuildExitRemote, {0x1B, 0x00, 0x00, 0x00}},
        {"JobEnd", BuildJobEnd, {0x0D, 0x0A, 0x0C, 0x1B, 0x40}},
        {"SV", BuildCmdSV, {'S', 'V', 0, 0}},
        {"LD", BuildCmdLD, {'L', 'D', 0, 0}},
        {"SS", BuildCmdSS, {'S', 'S', 2, 0, 0, 3}},
        {"VI", BuildCmdVI, {'V', 'I', 2, 0, 0, 1}},
        {"NCon", [](auto o, auto r) { return BuildCmdNC(o, r, 5); }, {'N', 'C', 2, 0, 0, 1}},
        {"NCoff", [](auto o, auto r) { return BuildCmdNC(o, r, 0); }, {'N', 'C', 2, 0, 0, 0}},
        {"PH", [](auto o, auto r) { return BuildCmdPH(o, r, 0x42); }, {'P', 'H', 2, 0, 0, 0x42}},
        {"SN", [](auto o, auto r) { return BuildCmdSN(o, r, 3); }, {'S', 'N', 3, 0, 0, 1, 3}},
        {"EXWrite", [](auto o, auto r) { return BuildCmdEXWrite(o, r, 7); },
         {'E', 'X', 7, 0, 0, 0, 0, 0, 0x1C, 7, 0}},
        {"CH", [](auto o, auto r) { return BuildCmdCH(o, r, 0x10); }, {'C', 'H', 2, 0, 0, 0x10}},
        {"DTfullFlag", [](auto o, auto r) { return BuildCmdDT(o, r, 1, 3, 1); },
         {'D', 'T', 3, 0, 0, 0x00, 0x03}},
        {"DTfullNoFlag", [](auto o, auto r) { return BuildCmdDT(o, r, 1, 3, 0); },
         {'D', 'T', 3, 0, 0, 0x00, 0x83}},
        {"DTpartNoFlag", [](auto o, auto r) { return BuildCmdDT(o, r, 0, 3, 0); },
         {'D', 'T', 3, 0, 0, 0x10, 0x13}},
        {"DTClearFull", [](auto o, auto r) { return BuildCmdDTClear(o, r, 2); },
         {'D', 'T', 3, 0, 0, 0x00, 0x00}},
        {"DTClearPart", [](auto o, auto r) { return BuildCmdDTClear(o, r, 0); },
         {'D', 'T', 3, 0, 0, 0x10, 0x00}},
        {"EscBarOn", [](auto o, auto r) { return BuildEscBarPacket(o, r, 9); },
         {0x1B, 0x7C, 0x01, 0x06, 0x00, 0x61, 0x02, 0xE8, 0x17, 0x74, 0x01}},
        {"EscBarOff", [](auto o, auto r) { return BuildEscBarPacket(o, r, 0); },
         {0x1B, 0x7C, 0x01, 0x06, 0x00, 0x61, 0x02, 0xE8, 0x17, 0x74, 0x00}},
        {"EscBarTwo", [](auto o, auto r) { return BuildEscBarPacket(o, r); },
         {0x1B, 0x7C, 0x01, 0x06, 0x00, 0x61, 0x02, 0xE8, 0x17, 0x74, 0x02}},
        {"QueryVI", BuildQueryVI, {'V', 'I', 2, 0, 1, 0}},
        {"QuerySN", BuildQuerySN, {'S', 'N', 2, 0, 1, 1}},
        {"QueryEXRead", [](auto o, auto r) { return BuildQueryEXRead(o, r, 4); },
         {'E', 'X', 7, 0, 1, 0, 0, 0, 0x1B, 4, 0}},
        {"QueryEXList", [](auto o, auto r) { return BuildQueryEXList(o, r, 2); },
         {'E', 'X', 7, 0, 1, 0, 0, 0, 0x1D, 2, 0}},
    };
    return cases;
}

TEST(RemotePackets, ExactBytesWithExactRoomAndNothingWithOneByteLess) {
    for (const auto& c : Cases()) {
        SCOPED_TRACE(c.name);
        Bytes buf(c.expected.size() + 4, 0xEE);
        ASSERT_EQ(c.build(buf.data(), c.expected.size()), static_cast<int>(c.expected.size()));
        EXPECT_EQ(Bytes(buf.begin(), buf.begin() + c.expected.size()), c.expected);
        EXPECT_EQ(buf[c.expected.size()], 0xEE) << "wrote past its packet";

        Bytes small(c.expected.size(), 0xEE);
        EXPECT_EQ(c.build(small.data(), c.expected.size() - 1), 0);
        EXPECT_EQ(small, Bytes(c.expected.size(), 0xEE)) << "wrote without room";
    }
}

TEST(RemotePackets, ChainedJobIsTheCleaningJob) {
    std::uint8_t buf[25];
    int n = BuildEnterRemote(buf, sizeof buf);
    n += BuildCmdCH(buf + n, sizeof buf - n, 0x10);
    n += BuildExitRemote(buf + n, sizeof buf - n);
    ASSERT_EQ(n, 25);
    const Bytes expected = Cat(Cat(Cat({0x1B, 0x40, 0x1B, 0x28, 0x52, 0x08, 0x00, 0x00},
                                       Text("REMOTE1")),
                                   {'C', 'H', 2, 0, 0, 0x10}),
                               {0x1B, 0, 0, 0});
    EXPECT_EQ(Bytes(buf, buf + n), expected);
    // The trailer no longer fits: it adds nothing.
    EXPECT_EQ(BuildJobEnd(buf + n, sizeof buf - n), 0);
}

TEST(RemotePackets, DARunsForFullAndPartialSets) {
    const int values[8] = {10, 11, 12, 13, 14, 15, 16, 0x1FF};
    std::uint8_t buf[64] = {};
    int n = 0;
    ASSERT_EQ(BuildCmdDA(buf, sizeof buf, 1, 2, values, 8, &n), 64);
    EXPECT_EQ(n, 8);
    for (int i = 0; i < 8; ++i) {
        const std::uint8_t* cmd = buf + 8 * i;
        EXPECT_EQ(Bytes(cmd, cmd + 6), (Bytes{'D', 'A', 4, 0, 0, 0x00}));
        EXPECT_EQ(cmd[6], 0x20 + i);
        EXPECT_EQ(cmd[7], values[i] & 0xFF);
    }

    std::uint8_t part[56] = {};
    EXPECT_EQ(BuildCmdDA(part, sizeof part, 0, 1, values, 7, &n), 56);
    EXPECT_EQ(n, 7);
    EXPECT_EQ(part[5], 0x10);
    EXPECT_EQ(part[6], 0x11);       // head 1, not a full set: 16 + 1 + 0
    EXPECT_EQ(part[8 * 6 + 6], 0x17);

    struct {
        int fullSet, count;
        std::size_t room;
    } refused[] = {{0, 8, 64}, {1, 7, 64}, {1, 8, 63}, {0, 7, 55}};
    for (const auto& r : refused) {
        std::uint8_t b[64] = {};
        EXPECT_EQ(BuildCmdDA(b, r.room, r.fullSet, 2, values, r.count), 0);
        EXPECT_EQ(b[0], 0);
    }
}

} // namespace
