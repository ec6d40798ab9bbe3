#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "comm/CStatusReply.h"
#include "comm/CommWaitProgress.h"
#include "comm/ReadyWaitProgress.h"
#include "comm/RemotePackets.h"
#include "platform/Clock.h"

#include "FakeBidi.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A loaded binding on the fake library, with a fake clock installed.
class LinkFixture : public ::testing::Test {
protected:
    void SetUp() override {
        lib.SetLibraryName(fake.Path());
        ASSERT_EQ(lib.Load("qz", 1), 1);
    }

    void UseChannels(std::initializer_list<std::pair<std::uint32_t, std::uint8_t>> entries) {
        Bytes list;
        for (const auto& [type, flags] : entries) FakeBidi::AddChannel(list, type, flags);
        fake.SetChannels(list);
    }

    FakeBidi fake;
    CBidiLibrary lib;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    CPrinterLink link{&lib};
};

std::string Text(const std::uint8_t* p) { return reinterpret_cast<const char*>(p); }

const std::uint32_t kLocal = CPrinterLink::kChannelLocal;
const std::uint32_t kNetwork = CPrinterLink::kChannelNetwork;

} // namespace

TEST_F(LinkFixture, ChannelSelection) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::uint32_t, std::uint8_t>> entries;
        int expected;
    } cases[] = {
        {"network 07 beats local 03", {{kNetwork, 0x07}, {kLocal, 0x03}}, CPrinterLink::kChannelNetwork},
        {"local first when both usable", {{kNetwork, 0x07}, {kLocal, 0x07}}, CPrinterLink::kChannelLocal},
        {"higher flag bits do not matter", {{kLocal, 0xFF}}, CPrinterLink::kChannelLocal},
        {"unknown types and partial flags", {{0x55, 0x07}, {kNetwork, 0x06}}, 0},
        {"empty list", {}, 0},
    };
    for (const auto& c : cases) {
        Bytes list;
        for (const auto& [type, flags] : c.entries) FakeBidi::AddChannel(list, type, flags);
        fake.SetChannels(list);
        CPrinterLink fresh(&lib);
        EXPECT_EQ(fresh.SelectChannelType("qz"), c.expected) << c.name;
    }
    // Library results other than the size request pass through unchanged.
    fake.SetChannels({}, -5);
    EXPECT_EQ(link.SelectChannelType("qz"), -5);
    Bytes one;
    FakeBidi::AddChannel(one, kLocal, 7);
    fake.SetChannels(one, -4, 0);
    EXPECT_EQ(link.SelectChannelType("qz"), 0);
    // A count beyond the list is read only as far as the list goes.
    fake.SetChannels(one, -4, 50);
    EXPECT_EQ(link.SelectChannelType("qz"), CPrinterLink::kChannelLocal);
}

TEST_F(LinkFixture, OpenChannelChoosesOnceAndRefusesWithoutAUsableType) {
    UseChannels({{kNetwork, 0x07}});
    EXPECT_EQ(link.OpenChannel("qz"), 7);
    EXPECT_EQ(fake.LastOpenType(), CPrinterLink::kChannelNetwork);
    EXPECT_EQ(fake.LastPrinter(), "qz");
    UseChannels({{kLocal, 0x07}});
    link.OpenChannel("qz"); // the type chosen first stays
    EXPECT_EQ(fake.LastOpenType(), CPrinterLink::kChannelNetwork);
    EXPECT_EQ(fake.Calls("TQGetAvailableChannel"), 2);

    CPrinterLink none(&lib);
    UseChannels({{kLocal, 0x03}});
    EXPECT_EQ(none.OpenChannel("qz"), -1);
    EXPECT_EQ(none.SendReceive("qz", nullptr, 0, nullptr, 0, 100), -1);
}

// A channel list that could not be read, or offers nothing usable, leaves the
// link without a type: it asks again next time.
TEST_F(LinkFixture, AFailedChannelQueryIsNotKeptAsAType) {
    for (int failure : {-5, CBidiLibrary::kNotBound}) {
        fake.SetChannels({}, failure);
        EXPECT_EQ(link.OpenChannel("qz"), -1);
        EXPECT_EQ(link.ChannelType(), CPrinterLink::kChannelNone) << failure;
        std::uint8_t out[16];
        EXPECT_EQ(link.SendReceive("qz", out, 1, out, sizeof out, 10), -1);
        EXPECT_EQ(link.ChannelType(), CPrinterLink::kChannelNone) << failure;
    }
    UseChannels({{kLocal, 0x03}}); // none usable: 0
    EXPECT_EQ(link.OpenChannel("qz"), -1);
    EXPECT_EQ(link.ChannelType(), CPrinterLink::kChannelNone);
    UseChannels({{kLocal, 0x07}});
    EXPECT_EQ(link.OpenChannel("qz"), 7);
    EXPECT_EQ(link.ChannelType(), CPrinterLink::kChannelLocal);
}

TEST_F(LinkFixture, QueryStatus) {
    CStatusReply reply;
    fake.PushStatus(StatusReplyBytes(StateField(4)));
    const int n = link.QueryStatus(7, reply);
    EXPECT_EQ(n, static_cast<int>(StatusReplyBytes(StateField(4)).size()));
    EXPECT_TRUE(reply.IsReady());

    // No CR LF: the count comes back and the record stays as it was.
    fake.Reset();
    const std::string noBreak = "@BDC ST2 busy";
    fake.PushStatus(Bytes(noBreak.begin(), noBreak.end()));
    EXPECT_EQ(link.QueryStatus(7, reply), static_cast<int>(noBreak.size()));
    EXPECT_TRUE(reply.IsReady());
    CStatusReply fresh;
    fake.PushStatus(Bytes(noBreak.begin(), noBreak.end()));
    link.QueryStatus(7, fresh);
    EXPECT_FALSE(fresh.HasRecord());
    EXPECT_FALSE(fresh.IsReady());

    // Length 0 after the header: -1. A library failure passes through.
    fake.Reset();
    fake.PushStatus(StatusReplyBytes({}, 0));
    EXPECT_EQ(link.QueryStatus(7, reply), -1);
    fake.Reset();
    fake.PushStatus({}, -3);
    EXPECT_EQ(link.QueryStatus(7, reply), -3);
}

// The record is read from the bytes the library gave, not from the zero
// padding of the buffer behind them.
TEST_F(LinkFixture, StatusIsReadFromTheReceivedBytesOnly) {
    // The record claims 20 bytes of fields; only the state field came.
    fake.PushStatus(StatusReplyBytes(StateField(4), 20));
    CStatusReply reply;
    EXPECT_EQ(link.QueryStatus(7, reply), static_cast<int>(StatusReplyBytes(StateField(4), 20).size()));
    EXPECT_TRUE(reply.IsReady());
    EXPECT_EQ(reply.Bytes().size(), 2u + 3u);
    ASSERT_EQ(reply.Fields().size(), 1u);
    EXPECT_EQ(reply.Fields()[0].id, CStatusReply::kFieldState);
    EXPECT_EQ(reply.DeclaredLength(), 20);
}

TEST_F(LinkFixture, StatusWithAnOverlongLengthIsCopiedWithinTheBuffer) {
    // The record claims 65535 bytes and the library fills all 256 bytes.
    Bytes fields = StateField(4);
    fields.resize(300, 0x0D);
    Bytes bytes = StatusReplyBytes(fields, 0xFFFF);
    fake.PushStatus(bytes);
    CStatusReply reply;
    EXPECT_EQ(link.QueryStatus(7, reply), CPrinterLink::kStatusBufferSize);
    EXPECT_TRUE(reply.IsReady());
    EXPECT_EQ(reply.Bytes().size(), CPrinterLink::kStatusBufferSize - std::strlen("@BDC ST2\r\n"));
}

TEST_F(LinkFixture, SendWrappedOfTheVersionQueryIsByteExact) {
    UseChannels({{kNetwork, 7}});
    ASSERT_EQ(link.OpenChannel("qz"), 7);
    std::uint8_t query[8];
    ASSERT_EQ(BuildQueryVI(query, sizeof query), 6);
    EXPECT_EQ(link.SendWrapped(7, query, 6), 56);
    const Bytes expected = {
        0x30, 0x36, 0x02, 0x01, 0x00, 0x04, 0x06, 'g',  'r',  'a',  'v',  'e',  'l',  0xA0,
        0x29, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x1E, 0x30, 0x1C,
        0x06, 0x18, 0x2B, 0x06, 0x01, 0x04, 0x01, 0xB0, 0x0D, 0x01, 0x02, 0x02, 0x28, 0x01,
        0x01, 0x02, 0x09, 0x08, 0x00, 0x06, 'V',  'I',  0x02, 0x00, 0x01, 0x00, 0x05, 0x00,
    };
    EXPECT_EQ(fake.LastSent(), expected);
    EXPECT_EQ(MakerEnterpriseNumber(), 6157u); // encodes as B0 0D
}

TEST_F(LinkFixture, SendWrappedEscapesHighBytesAndRefusesOverlongCommands) {
    const std::uint8_t command[] = {'E', 'X', 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x1B, 0x9C, 0x00};
    EXPECT_EQ(link.SendWrapped(7, command, sizeof command), 46 + 16);
    const Bytes sent = fake.LastSent();
    ASSERT_EQ(sent.size(), 62u);
    EXPECT_EQ(sent[1], 16 + 44);
    // ... 1B, then 9C escaped as 81 1C, then 00, then the null value.
    EXPECT_EQ(Bytes(sent.end() - 6, sent.end()), (Bytes{0x1B, 0x81, 0x1C, 0x00, 0x05, 0x00}));

    const Bytes tooLong(90, 'A');
    const int sends = fake.Calls("TQSend");
    EXPECT_EQ(link.SendWrapped(7, tooLong.data(), static_cast<int>(tooLong.size())), -1);
    EXPECT_EQ(fake.Calls("TQSend"), sends);
}

TEST_F(LinkFixture, ReceiveWrapped) {
    const std::string reply = "@BDC PS\r\nVI:00V1.20;";
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, int>> receives; // bytes, result
        int replySize;
        int expectedResult;
        std::string expectedText;
    } cases[] = {
        {"marker at once", {{reply, -1000}}, 512, static_cast<int>(reply.size()), reply},
        {"marker after a header", {{"\x30\x2a junk" + reply, -1000}}, 512, 7 + static_cast<int>(reply.size()), reply},
        {"nothing yet, then garbage, then the reply", {{"", 0}, {"garbage", -1000}, {reply, -1000}}, 512,
         static_cast<int>(reply.size()), reply},
        {"longer than the reply size: a failure, nothing copied", {{reply, -1000}}, 10, CPrinterLink::kReplyTooLong,
         ""},
        {"exactly the reply size: no room for the end", {{reply, -1000}}, static_cast<int>(reply.size()),
         CPrinterLink::kReplyTooLong, ""},
        {"error passes through", {{"", 0}, {"", -6}}, 512, -6, ""},
    };
    for (const auto& c : cases) {
        fake.Reset();
        for (const auto& [bytes, result] : c.receives) fake.PushReceive(bytes, result);
        std::uint8_t out[600] = {};
        EXPECT_EQ(link.ReceiveWrapped(7, out, c.replySize, 10000), c.expectedResult) << c.name;
        EXPECT_EQ(Text(out), c.expectedText) << c.name;
    }
}

namespace {

FakeClock* g_libraryClock = nullptr;

// A library that waits up to 6 s of its time-out before it says "nothing
// yet" (or hands over bytes without the reply marker).
void TakeUpTo6Seconds(int timeoutMs, int result) {
    if (result >= 0) g_libraryClock->Advance(std::min(timeoutMs, 6000));
}

} // namespace

// However many calls it takes, a receive ends within its one time-out: each
// call is offered only what is left of it.
TEST_F(LinkFixture, ReceiveIsBoundedByOneTimeOutInAll) {
    g_libraryClock = &clock;
    for (bool wrapped : {false, true}) {
        SCOPED_TRACE(wrapped ? "wrapped" : "plain");
        fake.Reset();
        fake.SetReceiveHook(TakeUpTo6Seconds);
        if (wrapped) {
            fake.SetReceiveDefault(7);
            for (int i = 0; i < 4; ++i) fake.PushReceive("garbage"); // data, but never the marker
        } else {
            fake.SetReceiveDefault(0);
        }
        std::uint8_t out[512] = {};
        const auto t0 = clock.TickMs();
        const int r = wrapped ? link.ReceiveWrapped(7, out, 512, 10000) : link.ReceivePlain(7, out, 512, 10000);
        EXPECT_EQ(r, CPrinterLink::kReceiveTimedOut);
        EXPECT_EQ(clock.TickMs() - t0, 10000);
        const std::vector<int> timeouts = fake.ReceiveTimeouts();
        ASSERT_EQ(timeouts.size(), 2u);
        EXPECT_EQ(timeouts[0], 10000);
        EXPECT_EQ(timeouts[1], 10000 - 6000 - CPrinterLink::kNothingYetPauseMs);
    }
}

// A library that answers at once, with nothing or with bytes that are no
// reply, is asked again only after a pause: the loops never spin.
TEST_F(LinkFixture, ReceivePausesAfterEveryNonAnswer) {
    fake.PushReceive("", 0);
    fake.PushReceive("garbage");
    fake.PushReceive("more garbage");
    fake.PushReceive("", 0);
    fake.PushReceive("@BDC PS\r\nVI:00V1;");
    std::uint8_t out[512] = {};
    EXPECT_GT(link.ReceiveWrapped(7, out, 512, 10000), 0);
    EXPECT_EQ(clock.Sleeps(), std::vector<int>(4, CPrinterLink::kNothingYetPauseMs));

    fake.Reset();
    fake.SetReceiveDefault(0);
    EXPECT_EQ(link.ReceiveWrapped(7, out, 512, 1000), CPrinterLink::kReceiveTimedOut);
    EXPECT_EQ(fake.Calls("TQReceive"), 1000 / CPrinterLink::kNothingYetPauseMs);
}

TEST_F(LinkFixture, ReceiveLoopsEndAtTheTimeOutWhenTheLibraryNeverAnswers) {
    fake.SetReceiveDefault(0); // "nothing yet", forever
    std::uint8_t out[512] = {};
    const auto t0 = clock.TickMs();
    EXPECT_EQ(link.ReceivePlain(7, out, 512, 10000), CPrinterLink::kReceiveTimedOut);
    EXPECT_GE(clock.TickMs() - t0, 10000);
    EXPECT_EQ(link.ReceiveWrapped(7, out, 512, 10000), CPrinterLink::kReceiveTimedOut);

    fake.Reset();
    fake.PushReceive("", 0);
    fake.PushReceive("VI:00V1;");
    EXPECT_EQ(link.ReceivePlain(7, out, 512, 10000), 8);
    EXPECT_EQ(Text(out), "VI:00V1;");
}

TEST_F(LinkFixture, WrappedReceiveNeverOffersTheLibraryMoreThanItsWorkBuffer) {
    fake.PushReceive("@BDC PS\r\nok;");
    std::uint8_t out[2048] = {};
    link.ReceiveWrapped(7, out, sizeof out, 1000);
    EXPECT_EQ(fake.LastReceiveSize(), 512);
}

TEST_F(LinkFixture, SendReceiveOnEachChannelKindClosesItsChannel) {
    for (std::uint32_t type : {kLocal, kNetwork}) {
        fake.Reset();
        UseChannels({{type, 7}});
        fake.PushReceive(type == kNetwork ? "@BDC PS\r\nSN:012;" : "SN:012;");
        CPrinterLink fresh(&lib);
        EXPECT_EQ(QuerySN01Level(fresh, "qz"), 3);
        EXPECT_EQ(fake.OpenChannels(), 0);
        std::uint8_t query[8];
        BuildQuerySN(query, sizeof query);
        const Bytes sent = fake.LastSent();
        if (type == kLocal)
            EXPECT_EQ(sent, Bytes(query, query + 6));
        else
            EXPECT_EQ(sent.size(), 56u);
    }
    fake.SetOpenResult(0);
    std::uint8_t out[512];
    EXPECT_EQ(link.SendReceive("qz", out, 1, out, 512, 10), -1);
    // Exchange on a link without a type.
    CPrinterLink untyped(&lib);
    EXPECT_EQ(untyped.Exchange(7, out, 1, out, 512, 10), -1);
}

TEST(ReplyParsing, SN01Level) {
    struct Case {
        int result;
        const char* reply;
        int expected;
    } cases[] = {
        {10, "@BDC PS\r\nSN:010;", 2}, {10, "SN:011;", 1},  {10, "SN:012;", 3}, {10, "SN:013;", 4},
        {10, "SN:014;", -1},           {10, "SN:01-1;", -1}, {10, "SN:01;", 2},  {10, "XX:011;", 2},
        {-6, "SN:013;", 2},            {10, "SN:01x3", 2},   {10, "SN:0199999999999999999999;", -1},
        {10, "VI:00;SN:013", 2}, // the text ends at the first ';'
    };
    for (const auto& c : cases) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(c.reply);
        EXPECT_EQ(SN01LevelFromReply(c.result, p, static_cast<int>(std::strlen(c.reply))), c.expected) << c.reply;
    }
}

TEST(ReplyParsing, EX1BLevel) {
    const std::string pad(38, '0');
    struct Case {
        int result;
        std::string reply;
        int expected;
    } cases[] = {
        {10, "EX:0000001B" + pad + "00;", 0}, {10, "EX:0000001B" + pad + "01", 4},
        {10, "EX:0000001B" + pad + "02", 3},  {10, "EX:0000001B" + pad + "03", 2},
        {10, "EX:0000001B" + pad + "04", 1},  {10, "EX:0000001B" + pad + "05", -1},
        {10, "EX:0000001B" + pad + "FF", -1}, {10, "EX:0000001B" + pad + "zz", 0},
        {10, "EX:0000001B" + pad + "3", 2},   {10, "EX:0000001B00;" + pad + "04", 0},
        {10, "EX:0000001D" + pad + "01", -1}, {0, "EX:0000001B" + pad + "01", -1},
    };
    for (const auto& c : cases) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(c.reply.data());
        EXPECT_EQ(EX1BLevelFromReply(c.result, p, static_cast<int>(c.reply.size())), c.expected) << c.reply;
    }
}

TEST_F(LinkFixture, DeviceIdMatches) {
    struct Case {
        std::string id;
        int result;
        int expected;
    } cases[] = {
        {"MFG:ORVEX;MDL:QZ;DES:ORVEX QZ-7100;", 0, 1},
        {"DES:ORVEX QZ-7100;CLS:PRINTER;", 0, 1},
        {"MFG:ORVEX;DES:ORVEX QZ-7100X;", 0, 0},
        {"MFG:ORVEX;DES:ORVEX Corvan Max 7100;", 0, 0},
        {"MFG:ORVEX;DES:;", 0, 0},
        {"MFG:ORVEX;DES:ORVEX QZ-7100", 0, 0},
        {"MFG:ORVEX;MDL:QZ-7100;", 0, 0},
        {"MFG:ORVEX;DES:ORVEX QZ-7100;", -1, 0},
        // Fills the whole buffer, no end byte: read no further than it.
        {std::string(250, 'x') + "DES:ORVEX QZ-7100;", 0, 0},
    };
    for (const auto& c : cases) {
        fake.SetDeviceId(c.id, c.result);
        EXPECT_EQ(link.DeviceIdMatches("qz", "ORVEX QZ-7100"), c.expected) << c.id;
    }
}

TEST(NullLibrary, EveryOperationFailsWithoutCalling) {
    CPrinterLink link(nullptr);
    CStatusReply reply;
    std::uint8_t buf[16] = {};
    EXPECT_EQ(link.SelectChannelType("qz"), -1);
    EXPECT_EQ(link.OpenChannel("qz"), -1);
    EXPECT_EQ(link.QueryStatus(1, reply), -1);
    EXPECT_EQ(link.WaitUntilReady("qz", nullptr), -1);
    EXPECT_EQ(link.Exchange(1, buf, 1, buf, 16, 10), -1);
    EXPECT_EQ(link.SendReceive("qz", buf, 1, buf, 16, 10), -1);
    EXPECT_EQ(link.DeviceIdMatches("qz", "x"), 0);
    link.CloseChannel(1);
    // An unloaded binding: every wrapper answers -100, the link passes it on.
    CBidiLibrary empty;
    CPrinterLink unloaded(&empty);
    EXPECT_EQ(unloaded.SelectChannelType("qz"), CBidiLibrary::kNotBound);
    EXPECT_EQ(unloaded.OpenChannel("qz"), -1);
    EXPECT_EQ(unloaded.WaitUntilReady("qz", nullptr), 0);
    EXPECT_EQ(QuerySN01Level(unloaded, "qz"), 2);
    EXPECT_EQ(QueryEX1BLevel(unloaded, "qz", 3), -1);
}

namespace {

// Records what the readiness wait tells its progress, with what the library
// had seen by then, and cancels once asked at or after `cancelAtMs`.
class RecordingProgress : public ReadyWaitProgress {
public:
    explicit RecordingProgress(FakeBidi& fake, std::int64_t cancelAtMs = -1) : m_fake(fake), m_cancelAt(cancelAtMs) {}

    void ReadyWaitBegin(const std::string& printer, int timeoutMs) override {
        events.push_back("begin " + printer + " " + std::to_string(timeoutMs) + Seen());
    }
    bool ReadyWaitPoll(std::int64_t elapsedMs) override {
        ++polls;
        lastElapsed = elapsedMs;
        return m_cancelAt >= 0 && elapsedMs >= m_cancelAt;
    }
    void ReadyWaitEnd(bool ready) override { events.push_back(std::string("end ") + (ready ? "ready" : "not ready") + Seen()); }

    std::vector<std::string> events;
    int polls = 0;
    std::int64_t lastElapsed = -1;

private:
    // Status reads so far and channels open.
    std::string Seen() {
        return " reads=" + std::to_string(m_fake.Calls("TQGetStatus")) + " open=" + std::to_string(m_fake.OpenChannels());
    }
    FakeBidi& m_fake;
    std::int64_t m_cancelAt;
};

} // namespace

TEST_F(LinkFixture, WaitUntilReadyAtOnceNeedsNoWaitAndNoProgress) {
    UseChannels({{kLocal, 7}});
    fake.PushStatus(StatusReplyBytes(StateField(4)));
    RecordingProgress progress(fake);
    EXPECT_EQ(link.WaitUntilReady("qz", &progress), 1);
    EXPECT_TRUE(clock.Waits().empty());
    EXPECT_TRUE(clock.Sleeps().empty());
    EXPECT_TRUE(progress.events.empty());
    EXPECT_EQ(progress.polls, 0);
    EXPECT_EQ(fake.Calls("TQGetStatus"), 1);
    EXPECT_EQ(fake.OpenChannels(), 0);
}

// Channel, first read, progress up and asked once, two waits of 5 s through
// the clock with the progress asked throughout, a read after each, progress
// down while the channel is still open, channel closed.
TEST_F(LinkFixture, WaitUntilReadyOnAPrinterThatNeverIsReady) {
    UseChannels({{kLocal, 7}});
    fake.PushStatus(StatusReplyBytes(StateField(2)));
    RecordingProgress progress(fake);
    const auto t0 = clock.TickMs();
    EXPECT_EQ(link.WaitUntilReady("qz", &progress), 0);
    EXPECT_EQ(progress.events, (std::vector<std::string>{"begin qz 10000 reads=1 open=1", "end not ready reads=3 open=1"}));
    EXPECT_EQ(fake.Calls("TQGetStatus"), 3);
    EXPECT_EQ(clock.Waits(), (std::vector<int>{5000, 5000}));
    EXPECT_EQ(clock.TickMs() - t0, 10000);
    EXPECT_GE(progress.polls, 3);
    EXPECT_EQ(progress.lastElapsed, 10000);
    EXPECT_EQ(fake.OpenChannels(), 0);
}

TEST_F(LinkFixture, WaitUntilReadyBecomesReadyAtTheSecondRead) {
    UseChannels({{kLocal, 7}});
    fake.PushStatus(StatusReplyBytes(StateField(2)));
    fake.PushStatus(StatusReplyBytes(StateField(4)));
    RecordingProgress progress(fake);
    EXPECT_EQ(link.WaitUntilReady("qz", &progress), 1);
    EXPECT_EQ(progress.events, (std::vector<std::string>{"begin qz 10000 reads=1 open=1", "end ready reads=2 open=1"}));
    EXPECT_EQ(clock.Waits(), std::vector<int>{5000});

    // Without a progress the waits are plain sleeps.
    fake.Reset();
    UseChannels({{kLocal, 7}});
    fake.PushStatus(StatusReplyBytes(StateField(2)));
    fake.PushStatus(StatusReplyBytes(StateField(4)));
    CPrinterLink plain(&lib);
    EXPECT_EQ(plain.WaitUntilReady("qz", nullptr), 1);
    EXPECT_EQ(clock.Sleeps(), std::vector<int>{5000});
    EXPECT_EQ(clock.Waits(), std::vector<int>{5000});
}

TEST_F(LinkFixture, WaitUntilReadyEndsWhenTheProgressCancels) {
    UseChannels({{kLocal, 7}});
    fake.PushStatus(StatusReplyBytes(StateField(2)));
    RecordingProgress progress(fake, 3000);
    // A timer of a window that is up: the wait wakes each second.
    clock.StartTimer(1000, [] {});
    const auto t0 = clock.TickMs();
    EXPECT_EQ(link.WaitUntilReady("qz", &progress), 0);
    EXPECT_EQ(clock.TickMs() - t0, 3000);
    EXPECT_EQ(fake.Calls("TQGetStatus"), 1); // no read after the cancel
    EXPECT_EQ(progress.events, (std::vector<std::string>{"begin qz 10000 reads=1 open=1", "end not ready reads=1 open=1"}));
    EXPECT_EQ(fake.OpenChannels(), 0);

    // Cancelled at the first question: no wait at all.
    fake.Reset();
    UseChannels({{kLocal, 7}});
    fake.PushStatus(StatusReplyBytes(StateField(2)));
    RecordingProgress atOnce(fake, 0);
    CPrinterLink other(&lib);
    const auto waits = clock.Waits().size();
    EXPECT_EQ(other.WaitUntilReady("qz", &atOnce), 0);
    EXPECT_EQ(clock.Waits().size(), waits);
    EXPECT_EQ(fake.OpenChannels(), 0);
}

TEST_F(LinkFixture, WaitUntilReadyWithoutAChannelShowsNothing) {
    UseChannels({{kLocal, 7}});
    fake.SetOpenResult(-1);
    RecordingProgress progress(fake);
    EXPECT_EQ(link.WaitUntilReady("qz", &progress), 0);
    EXPECT_TRUE(progress.events.empty());
    EXPECT_TRUE(clock.Waits().empty());
    EXPECT_EQ(fake.Calls("TQGetStatus"), 0);
}

// A plain reply that comes in pieces is gathered up to its ';'; one that
// stops coming before it is taken as it stands once it has been quiet.
TEST_F(LinkFixture, PlainRepliesInPiecesAreGatheredToTheirEnd) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, int>> receives; // bytes, result (-1000: their length)
        int defaultResult;
        int result;
        std::string reply;
    } cases[] = {
        {"three pieces", {{"VI:0", -1000}, {"0V1", -1000}, {";", -1000}}, 0, 8, "VI:00V1;"},
        {"nothing yet between the pieces",
         {{"VI:00", -1000}, {"", 0}, {"", 0}, {"V1;", -1000}},
         0,
         8,
         "VI:00V1;"},
        {"the end and more in one piece", {{"SN:0", -1000}, {"12;junk", -1000}}, 0, 7, "SN:012;"},
        {"no end, then quiet", {{"VI:00V", -1000}}, 0, 6, "VI:00V"},
        {"no end, then the library's time-out", {{"VI:00V", -1000}}, TQ_TIMEOUT, 6, "VI:00V"},
        {"no end, then the channel breaks", {{"VI:00V", -1000}}, TQ_ERROR, 6, "VI:00V"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake.Reset();
        fake.SetReceiveDefault(c.defaultResult);
        for (const auto& [bytes, result] : c.receives)
            fake.PushReceive(bytes, result);
        std::uint8_t out[512];
        std::memset(out, 0xEE, sizeof out);
        const auto t0 = clock.TickMs();
        EXPECT_EQ(link.ReceivePlain(7, out, 512, 10000), c.result);
        EXPECT_EQ(
            std::string(reinterpret_cast<const char*>(out), static_cast<std::size_t>(c.result)),
            c.reply);
        EXPECT_EQ(out[c.result], 0); // the text ends
        EXPECT_LE(clock.TickMs() - t0,
                  CPrinterLink::kReplyQuietMs + CPrinterLink::kNothingYetPauseMs);
    }
}

// A late answer to an earlier command (on a channel that stays open) is
// passed over, on both channel kinds, whether it comes alone or together
// with the answer; with only late answers the exchange times out.
TEST_F(LinkFixture, ExchangePassesOverAnswersToOtherCommands) {
    std::uint8_t vi[16];
    const int viLength = BuildQueryVI(vi, sizeof vi);
    const std::string stale = "EX:0000001D0001" + std::string(64, '2') + ";";
    struct Case {
        std::uint32_t type;
        std::vector<std::string> receives;
        int result; // > 0: the reply is "VI:00V1;" (after the marker when wrapped)
    } cases[] = {
        {kLocal, {stale, "VI:00V1;"}, 8},
        {kLocal, {stale + "VI:00V1;"}, 8},
        {kLocal, {stale.substr(0, 20), stale.substr(20) + "VI:0", "0V1;"}, 8},
        {kLocal, {stale}, CPrinterLink::kReceiveTimedOut},
        {kNetwork, {"@BDC PS\r\n" + stale, "@BDC PS\r\nVI:00V1;"}, 17},
        {kNetwork, {"@BDC PS\r\n" + stale}, CPrinterLink::kReceiveTimedOut},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.receives.front() + (c.type == kLocal ? " local" : " network"));
        fake.Reset();
        fake.SetReceiveDefault(0);
        UseChannels({{c.type, 7}});
        CPrinterLink fresh(&lib);
        const int handle = fresh.OpenChannel("qz");
        ASSERT_GT(handle, 0);
        for (const std::string& r : c.receives)
            fake.PushReceive(r);
        std::uint8_t out[512] = {};
        EXPECT_EQ(fresh.Exchange(handle, vi, viLength, out, 512, 2000), c.result);
        if (c.result > 0) {
            EXPECT_EQ(Text(out), c.type == kLocal ? "VI:00V1;" : "@BDC PS\r\nVI:00V1;");
        }
        fresh.CloseChannel(handle);
    }
}

namespace {

class RecordingLinkProgress : public CommWaitProgress {
public:
    void WaitBegin(const std::string& what, int timeoutMs) override {
        events.push_back("begin " + what + " " + std::to_string(timeoutMs));
    }
    bool WaitPoll(std::int64_t elapsedMs) override {
        lastElapsed = elapsedMs;
        return elapsedMs >= cancelAfterMs;
    }
    void WaitEnd() override { events.push_back("end"); }
    std::vector<std::string> events;
    std::int64_t lastElapsed = -1;
    std::int64_t cancelAfterMs = 1 << 30;
};

} // namespace

// With a progress installed, a slow reply is asked for in steps, the wait
// shows once it lasts, and the operator ends it: the receive gives
// TQ_CANCELLED well before its time-out.
TEST_F(LinkFixture, ALongReplyWaitShowsAndCanBeEnded) {
    g_libraryClock = &clock;
    for (bool wrapped : {false, true}) {
        SCOPED_TRACE(wrapped ? "wrapped" : "plain");
        fake.Reset();
        fake.SetReceiveHook(TakeUpTo6Seconds);
        fake.SetReceiveDefault(TQ_TIMEOUT); // each step waits its whole time
        RecordingLinkProgress progress;
        progress.cancelAfterMs = 2000;
        CommWaitProgress::Scope installed(&progress);
        std::uint8_t out[512] = {};
        const auto t0 = clock.TickMs();
        const int r = wrapped ? link.ReceiveWrapped(7, out, 512, 10000)
                              : link.ReceivePlain(7, out, 512, 10000);
        EXPECT_EQ(r, TQ_CANCELLED);
        EXPECT_LT(clock.TickMs() - t0, 2500);
        EXPECT_EQ(progress.events,
                  (std::vector<std::string>{"begin the printer's reply 10000", "end"}));
        for (int timeout : fake.ReceiveTimeouts())
            EXPECT_LE(timeout, CommWaitProgress::kPollMs);
    }
    // Without the operator's cancel the same wait runs to its time-out.
    fake.Reset();
    fake.SetReceiveHook(TakeUpTo6Seconds);
    fake.SetReceiveDefault(TQ_TIMEOUT);
    RecordingLinkProgress progress;
    CommWaitProgress::Scope installed(&progress);
    std::uint8_t out[512] = {};
    EXPECT_EQ(link.ReceivePlain(7, out, 512, 3000), CPrinterLink::kReceiveTimedOut);
    EXPECT_GE(progress.lastElapsed, 2500);
}
