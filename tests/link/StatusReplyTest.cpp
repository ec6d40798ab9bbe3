#include "comm/CStatusReply.h"

#include "LinkTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Field 0F with entries of `size` bytes whose third byte is the level.
Bytes InkField(int entrySize, std::initializer_list<int> levels) {
    Bytes data{static_cast<std::uint8_t>(entrySize)};
    for (int level : levels) {
        Bytes entry(static_cast<std::size_t>(entrySize), 0x00);
        if (entrySize > 2) entry[2] = static_cast<std::uint8_t>(level);
        data.insert(data.end(), entry.begin(), entry.end());
    }
    Bytes f{0x0F, static_cast<std::uint8_t>(data.size())};
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

CStatusReply Reply(const Bytes& fields, int length = -1) {
    CStatusReply r;
    const Bytes rec = StatusRecord(fields, length);
    r.Assign(rec.data(), rec.size());
    return r;
}

} // namespace

TEST(StatusReply, Predicates) {
    struct Case {
        const char* name;
        Bytes fields;
        bool ready, zero, below13, inkLow;
        int inkSlots;
    } cases[] = {
        {"ready", StateField(4), true, false, false, false, 4},
        {"state zero", StateField(0), false, true, false, false, 4},
        {"only the first field 01 counts", Cat({StateField(3), StateField(4)}), false, false, false, false, 4},
        {"field 01 without data", {0x01, 0x00, 0x0D, 0x01, 0x05}, false, false, true, false, 4},
        {"0D at 12", Cat({StateField(4), {0x0D, 0x01, 12}}), true, false, true, false, 4},
        {"0D at 13", {0x0D, 0x01, 13}, false, false, false, false, 4},
        {"ink at 25 is low", InkField(3, {80, 25}), false, false, false, true, 4},
        {"ink at 26 is not", InkField(3, {80, 26}), false, false, false, false, 4},
        {"entry size 0 means no entries", {0x0F, 0x04, 0x00, 0x00, 0x00, 0x00}, false, false, false, false, 4},
        {"no fields 0F and 0D", StateField(4), true, false, false, false, 4},
        // 8 entries of 3 bytes: data bytes 17, 20, 23 are the sixth to eighth
        // entries' first bytes.
        {"eight ink slots",
         [] {
             Bytes f = InkField(3, {90, 90, 90, 90, 90, 90, 90, 90});
             f[2 + 17] = 4, f[2 + 20] = 5, f[2 + 23] = 8;
             return f;
         }(),
         false, false, false, false, 8},
    };
    for (const auto& c : cases) {
        const CStatusReply r = Reply(c.fields);
        EXPECT_EQ(r.IsReady(), c.ready) << c.name;
        EXPECT_EQ(r.IsStatusCodeZero(), c.zero) << c.name;
        EXPECT_EQ(r.HasField0DBelow13(), c.below13) << c.name;
        EXPECT_EQ(r.IsInkLow(), c.inkLow) << c.name;
        EXPECT_EQ(r.InkSlotCount(), c.inkSlots) << c.name;
    }
    const CStatusReply empty;
    EXPECT_FALSE(empty.IsReady() || empty.IsStatusCodeZero() || empty.HasField0DBelow13() || empty.IsInkLow());
    EXPECT_EQ(empty.InkSlotCount(), 4);
}

TEST(StatusReply, ReadsStayWithinTheBytesHeldWhateverTheLengthsSay) {
    // Record length far beyond the bytes given: the copy is clipped.
    const Bytes fields = Cat({StateField(4), {0x0F, 0xF0, 0x03, 0, 0, 10}});
    CStatusReply r;
    const Bytes rec = StatusRecord(fields, 0xFFFF);
    EXPECT_EQ(r.Assign(rec.data(), rec.size()), rec.size());
    EXPECT_EQ(r.DeclaredLength(), 0xFFFF);
    EXPECT_TRUE(r.IsReady());
    // The ink field claims 240 bytes: the one entry that is held is examined,
    // the rest lies past the record.
    EXPECT_TRUE(r.IsInkLow());
    EXPECT_EQ(r.InkSlotCount(), 4);

    // An ink entry whose level byte lies past the declared record is skipped.
    const CStatusReply cut = Reply({0x0F, 0x06, 0x03, 0, 0, 10, 0, 0}, 5);
    EXPECT_FALSE(cut.IsInkLow());

    // A field id with no length byte left ends the scan.
    EXPECT_FALSE(Reply({0x0D}).HasField0DBelow13());

    // Length 0 (or no length at all) copies nothing and drops the old record.
    const Bytes zero = StatusRecord({}, 0);
    EXPECT_EQ(r.Assign(zero.data(), zero.size()), 0u);
    EXPECT_FALSE(r.HasRecord());
    EXPECT_EQ(r.Assign(zero.data(), 1), 0u);
}
