// libtqapi.so against a running vprinter, through queues of the private
// CUPS server: one network printer and one with a local channel.
#include "tqapi.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "CVPrinterClient.h"
#include "CVPrinterProcess.h"
#include "JobBytes.h"
#include "PrivateCups.h"
#include "TestFiles.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class Tqapi : public ::testing::Test {
protected:
    static inline TempDir* s_dir = nullptr;
    static inline CVPrinterProcess* s_printer = nullptr;

    static void SetUpTestSuite() {
        s_dir = new TempDir;
        s_printer = new CVPrinterProcess;
        CVPrinterProcess::Config config;
        config.stateDir = s_dir->file("printer");
        std::string error;
        ASSERT_TRUE(s_printer->Start(config, error)) << error;
        PrivateCups& cups = PrivateCups::Shared();
        cups.AddQueue("VpNetwork", s_printer->NetworkUri());
        cups.AddQueue("VpLocal", s_printer->LocalUri());
        ASSERT_EQ(TQInitialize(), TQ_OK);
    }
    static void TearDownTestSuite() {
        TQRelease();
        PrivateCups::Shared().RemoveQueue("VpNetwork");
        PrivateCups::Shared().RemoveQueue("VpLocal");
        delete s_printer;
        delete s_dir;
    }
    void SetUp() override {
        // A failed suite set-up would only skip the tests.
        ASSERT_TRUE(s_printer && s_printer->Running()) << "vprinter did not start";
        PrivateCups::Shared().Activate();
        ASSERT_TRUE(Control().Ok("FAULT clear"));
        ASSERT_TRUE(Control().Ok("FINISH"));
    }

    static CVPrinterClient Control() { return CVPrinterClient(s_printer->Ports().control); }

    struct Queue {
        const char* name;
        std::int32_t type;
    };
    static std::vector<Queue> Queues() { return {{"VpNetwork", TQ_CHANNEL_NETWORK}, {"VpLocal", TQ_CHANNEL_LOCAL}}; }

    // Sends a query the way the utility does on that channel kind.
    static std::int32_t SendQuery(std::int32_t handle, std::int32_t type, const Bytes& query) {
        const Bytes message = type == TQ_CHANNEL_NETWORK ? WrappedRequest(query) : query;
        return TQSend(handle, message.data(), static_cast<std::int32_t>(message.size()));
    }
    static std::string Receive(std::int32_t handle, std::int32_t timeoutMs, std::int32_t& result) {
        char buffer[512];
        std::int32_t size = sizeof buffer;
        result = TQReceive(handle, buffer, &size, timeoutMs);
        return result > 0 ? std::string(buffer, static_cast<std::size_t>(size)) : std::string();
    }
    static Bytes StatusRecord(std::int32_t handle, std::int32_t& result) {
        std::uint8_t buffer[256] = {};
        std::int32_t size = sizeof buffer;
        result = TQGetStatus(handle, buffer, &size);
        if (result <= 0) return {};
        const std::string text(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(result));
        const auto crlf = text.find("\r\n");
        if (crlf == std::string::npos) return {};
        return Bytes(buffer + crlf + 2, buffer + result);
    }
    static std::string DeviceId(const char* queue, std::int32_t& result) {
        char buffer[256] = {};
        std::int32_t size = sizeof buffer;
        result = TQGetDeviceID(TQ_PRINTER_BY_QUEUE, queue, buffer, &size);
        return buffer;
    }
    // Sends a raw job through CUPS and waits until the printer has run it.
    static void PrintRaw(const char* queue, const Bytes& job) {
        const int before = std::atoi(Control().Get("jobs-received").c_str());
        const std::string file = s_dir->file("job.bin");
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(job.data()),
                                                    static_cast<std::streamsize>(job.size()));
        ASSERT_EQ(PrivateCups::Shared().Run("lp -d " + std::string(queue) + " -o raw " + file + " >/dev/null"), 0);
        const auto start = Clock::now();
        while (std::atoi(Control().Get("jobs-received").c_str()) <= before && MsSince(start) < 30000)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_GT(std::atoi(Control().Get("jobs-received").c_str()), before);
    }
};

TEST_F(Tqapi, ChannelListFollowsTheDeviceUri) {
    for (const Queue& q : Queues()) {
        SCOPED_TRACE(q.name);
        std::int32_t size = 0;
        ASSERT_EQ(TQGetAvailableChannel(TQ_PRINTER_BY_QUEUE, q.name, nullptr, &size), TQ_BUFFER_TOO_SMALL);
        ASSERT_EQ(size, TQ_CHANNEL_ENTRY_SIZE);
        std::uint8_t list[TQ_CHANNEL_ENTRY_SIZE + 1] = {};
        ASSERT_EQ(TQGetAvailableChannel(TQ_PRINTER_BY_QUEUE, q.name, list, &size), 1);
        const std::uint32_t type = list[0] | (list[1] << 8) | (list[2] << 16) | (static_cast<std::uint32_t>(list[3]) << 24);
        EXPECT_EQ(type, static_cast<std::uint32_t>(q.type));
        EXPECT_EQ(list[4] & 0x07, 0x07);
    }
    std::int32_t size = 0;
    EXPECT_EQ(TQGetAvailableChannel(TQ_PRINTER_BY_QUEUE, "NoSuchQueue", nullptr, &size), TQ_NO_PRINTER);
    EXPECT_EQ(TQOpenChannel(TQ_PRINTER_BY_QUEUE, "VpNetwork", TQ_CHANNEL_LOCAL), TQ_ERROR);
}

TEST_F(Tqapi, DeviceIdAndStatusOnBothChannels) {
    for (const Queue& q : Queues()) {
        SCOPED_TRACE(q.name);
        std::int32_t result = 0;
        EXPECT_NE(DeviceId(q.name, result).find("DES:ORVEX Corvan Max 7100;"), std::string::npos);
        EXPECT_EQ(result, TQ_OK);
        ASSERT_TRUE(Control().Set("model", "qz"));
        EXPECT_NE(DeviceId(q.name, result).find("DES:ORVEX QZ-7100;"), std::string::npos);
        ASSERT_TRUE(Control().Set("model", "corvan"));

        const std::int32_t handle = TQOpenChannel(TQ_PRINTER_BY_QUEUE, q.name, q.type);
        ASSERT_GT(handle, 0);
        const Bytes record = StatusRecord(handle, result);
        ASSERT_GE(record.size(), 5u);
        EXPECT_EQ(record.size(), 2u + (record[0] | (record[1] << 8)));
        EXPECT_EQ(record[2], 0x01);
        EXPECT_EQ(record[4], 4); // ready
        ASSERT_TRUE(Control().Set("busy-ms", "60000"));
        const Bytes busy = StatusRecord(handle, result);
        ASSERT_GE(busy.size(), 5u) << result;
        EXPECT_EQ(busy[4], 3);
        ASSERT_TRUE(Control().Ok("FINISH"));
        EXPECT_EQ(TQCloseChannel(handle), TQ_OK);
        EXPECT_EQ(TQCloseChannel(handle), TQ_BAD_HANDLE);
    }
}

TEST_F(Tqapi, QueriesAreAnsweredOnBothChannels) {
    for (const Queue& q : Queues()) {
        SCOPED_TRACE(q.name);
        const std::int32_t handle = TQOpenChannel(TQ_PRINTER_BY_QUEUE, q.name, q.type);
        ASSERT_GT(handle, 0);
        ASSERT_GT(SendQuery(handle, q.type, Packet(BuildQueryVI)), 0);
        std::int32_t result = 0;
        const std::string reply = Receive(handle, 5000, result);
        ASSERT_GT(result, 0);
        const std::string expected = q.type == TQ_CHANNEL_NETWORK ? "@BDC PS\r\nVI:00I02010;" : "VI:00I02010;";
        EXPECT_NE(reply.find(expected), std::string::npos) << reply;
        ASSERT_GT(SendQuery(handle, q.type, Packet([](auto o, auto r) { return BuildQueryEXList(o, r, 10); })), 0);
        EXPECT_NE(Receive(handle, 5000, result).find("EX:0000001D"), std::string::npos);
        TQCloseChannel(handle);
    }
}

TEST_F(Tqapi, RawJobsThroughCupsReachThePrinter) {
    ASSERT_TRUE(Control().Ok("LOG clear"));
    PrintRaw("VpLocal", RemoteJob({Packet([](auto o, auto r) { return BuildCmdCH(o, r, 0x10); })}, false));
    const std::vector<std::string> log = Control().Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "CH 00 10"), log.end());
    const std::string pdf = "%PDF-1.4\n<< /Title (Sample) /Type /Page /MediaBox [0 0 595 842] >>\n%%EOF\n";
    PrintRaw("VpNetwork", Text(pdf));
    // The sheet comes out when the cleaning and the sheet's printing are over.
    const auto start = Clock::now();
    while (Control().Get("state") != "ready" && MsSince(start) < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::string sheets = Control().Get("sheets");
    char name[32];
    std::snprintf(name, sizeof name, "/%04d-sheet.pdf", std::atoi(sheets.c_str()));
    std::ifstream in(Control().Get("output") + name, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), pdf);
}

TEST_F(Tqapi, FirmwareUpdateRestartsThePrinterWithTheNewVersion) {
    ASSERT_TRUE(Control().Set("time-scale", "0.02")); // a 1.8 s restart
    PrintRaw("VpLocal", FirmwareJob(UpgImage("I04000", 4096)));
    EXPECT_EQ(Control().Get("state"), "offline");
    std::int32_t result = 0;
    const std::int32_t during = TQOpenChannel(TQ_PRINTER_BY_QUEUE, "VpLocal", TQ_CHANNEL_LOCAL);
    if (during > 0) {
        StatusRecord(during, result);
        EXPECT_LT(result, 0);
        TQCloseChannel(during);
    }
    // A job sent meanwhile waits until the printer is back.
    ASSERT_TRUE(Control().Ok("LOG clear"));
    PrintRaw("VpLocal", RemoteJob({Packet(BuildCmdLD)}, false));
    EXPECT_EQ(Control().Get("state"), "ready");
    const std::vector<std::string> log = Control().Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "LD"), log.end());
    const std::int32_t handle = TQOpenChannel(TQ_PRINTER_BY_QUEUE, "VpNetwork", TQ_CHANNEL_NETWORK);
    ASSERT_GT(handle, 0);
    ASSERT_GT(SendQuery(handle, TQ_CHANNEL_NETWORK, Packet(BuildQueryVI)), 0);
    EXPECT_NE(Receive(handle, 5000, result).find("VI:00I04000;"), std::string::npos);
    TQCloseChannel(handle);
    ASSERT_TRUE(Control().Set("time-scale", "0.001"));
}

TEST_F(Tqapi, FaultsEndInNegativeResultsWithinTheirTimeouts) {
    for (const Queue& q : Queues()) {
        SCOPED_TRACE(q.name);
        const std::int32_t handle = TQOpenChannel(TQ_PRINTER_BY_QUEUE, q.name, q.type);
        ASSERT_GT(handle, 0);
        std::int32_t result = 0;

        for (const char* fault : {"no-reply", "late-reply 2000"}) {
            SCOPED_TRACE(fault);
            ASSERT_TRUE(Control().Ok(std::string("FAULT ") + fault));
            ASSERT_GT(SendQuery(handle, q.type, Packet(BuildQueryVI)), 0);
            const auto start = Clock::now();
            Receive(handle, 500, result);
            EXPECT_EQ(result, TQ_TIMEOUT);
            EXPECT_GE(MsSince(start), 450);
            EXPECT_LT(MsSince(start), 1500);
            ASSERT_TRUE(Control().ClearFaults());
        }
        // The late answer is not taken for the status.
        std::this_thread::sleep_for(std::chrono::milliseconds(1600));
        const Bytes ready = StatusRecord(handle, result);
        ASSERT_GE(ready.size(), 5u) << result;
        EXPECT_EQ(ready[4], 4);

        ASSERT_TRUE(Control().Fault("garbled-reply"));
        ASSERT_GT(SendQuery(handle, q.type, Packet(BuildQueryVI)), 0);
        const std::string garbled = Receive(handle, 5000, result);
        EXPECT_GT(result, 0);
        EXPECT_EQ(garbled.find("VI:00"), std::string::npos);
        ASSERT_TRUE(Control().ClearFaults());

        ASSERT_TRUE(Control().Fault("never-ready"));
        const Bytes busy = StatusRecord(handle, result);
        ASSERT_GE(busy.size(), 5u) << result;
        EXPECT_EQ(busy[4], 3);
        ASSERT_TRUE(Control().Fault("wrong-device-id"));
        EXPECT_EQ(DeviceId(q.name, result).find("DES:ORVEX Corvan Max 7100;"), std::string::npos);
        ASSERT_TRUE(Control().ClearFaults());

        ASSERT_TRUE(Control().Fault("offline"));
        auto start = Clock::now();
        std::uint8_t buffer[256];
        std::int32_t size = sizeof buffer;
        EXPECT_LT(TQGetStatus(handle, buffer, &size), 0);
        EXPECT_LT(MsSince(start), 4500);
        start = Clock::now();
        EXPECT_TRUE(DeviceId(q.name, result).empty());
        EXPECT_LT(result, 0);
        EXPECT_LT(MsSince(start), 4500);
        ASSERT_TRUE(Control().ClearFaults());
        TQCloseChannel(handle);
    }
}

TEST_F(Tqapi, CancelEndsAWaitingReceive) {
    const std::int32_t handle = TQOpenChannel(TQ_PRINTER_BY_QUEUE, "VpLocal", TQ_CHANNEL_LOCAL);
    ASSERT_GT(handle, 0);
    std::thread canceller([handle] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        TQReceiveCancel(handle);
    });
    const auto start = Clock::now();
    std::int32_t result = 0;
    Receive(handle, 10000, result);
    canceller.join();
    EXPECT_EQ(result, TQ_CANCELLED);
    EXPECT_LT(MsSince(start), 3000);

    // A negative time-out means the channel's own.
    const std::int32_t shortWait = 300;
    ASSERT_EQ(TQSetOption(handle, TQ_OPTION_TIMEOUT, &shortWait, sizeof shortWait), TQ_OK);
    std::int32_t value = 0, size = sizeof value;
    ASSERT_EQ(TQGetOption(handle, TQ_OPTION_TIMEOUT, &value, &size), TQ_OK);
    EXPECT_EQ(value, 300);
    const auto again = Clock::now();
    Receive(handle, -1, result);
    EXPECT_EQ(result, TQ_TIMEOUT);
    EXPECT_LT(MsSince(again), 1500);
    TQCloseChannel(handle);
}

// Two bindings of the library in one process: the one that goes first ends
// its own use only; the channels of the other stay open and answer.
TEST_F(Tqapi, OneUsersReleaseLeavesAnothersChannelsOpen) {
    for (const Queue& q : Queues()) {
        SCOPED_TRACE(q.name);
        const std::int32_t handle = TQOpenChannel(TQ_PRINTER_BY_QUEUE, q.name, q.type);
        ASSERT_GT(handle, 0);
        ASSERT_EQ(TQInitialize(), TQ_OK); // a second binding comes and goes
        ASSERT_EQ(TQRelease(), TQ_OK);
        std::int32_t result = 0;
        EXPECT_FALSE(StatusRecord(handle, result).empty()) << result;
        EXPECT_EQ(TQCloseChannel(handle), TQ_OK);
        std::int32_t size = 0;
        EXPECT_EQ(TQGetAvailableChannel(TQ_PRINTER_BY_QUEUE, q.name, nullptr, &size), TQ_BUFFER_TOO_SMALL);
    }
}

TEST_F(Tqapi, NothingWorksBeforeInitialize) {
    ASSERT_EQ(TQRelease(), TQ_OK);
    std::int32_t size = 0;
    EXPECT_EQ(TQGetAvailableChannel(TQ_PRINTER_BY_QUEUE, "VpLocal", nullptr, &size), TQ_NOT_INITIALIZED);
    EXPECT_EQ(TQOpenChannel(TQ_PRINTER_BY_QUEUE, "VpLocal", TQ_CHANNEL_LOCAL), TQ_NOT_INITIALIZED);
    ASSERT_EQ(TQInitialize(), TQ_OK);
}

} // namespace

// "Nothing yet" from the printer is a receive that returns 0 (not a
// time-out), once per "nothing yet" it sent, then the reply follows; status
// and device id, which the library reads itself, wait through it.
TEST_F(Tqapi, NothingYetIsReportedOncePerReceiveThenTheReplyComes) {
    ASSERT_TRUE(Control().Fault("nothing-yet", "3"));
    for (const Queue& q : Queues()) {
        SCOPED_TRACE(q.name);
        const std::int32_t handle = TQOpenChannel(TQ_PRINTER_BY_QUEUE, q.name, q.type);
        ASSERT_GT(handle, 0);
        ASSERT_GT(SendQuery(handle, q.type, Packet(BuildQueryVI)), 0);
        std::vector<std::int32_t> results;
        std::string reply;
        for (int i = 0; i < 10 && reply.empty(); ++i) {
            std::int32_t result = 0;
            reply = Receive(handle, 5000, result);
            results.push_back(result);
        }
        EXPECT_EQ(results.size(), 4u);
        EXPECT_EQ(std::vector<std::int32_t>(results.begin(), results.end() - 1),
                  std::vector<std::int32_t>(3, 0));
        EXPECT_NE(reply.find("VI:00" + Control().Get("firmware") + ";"), std::string::npos) << reply;
        std::int32_t result = 0;
        EXPECT_FALSE(StatusRecord(handle, result).empty());
        EXPECT_FALSE(DeviceId(q.name, result).empty());
        TQCloseChannel(handle);
    }
}

// A local channel the printer drops is broken: every receive on it says so
// at once, not after its time-out.
TEST_F(Tqapi, ABrokenLocalChannelGivesAnErrorAtOnce) {
    const std::int32_t handle = TQOpenChannel(TQ_PRINTER_BY_QUEUE, "VpLocal", TQ_CHANNEL_LOCAL);
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(Control().Fault("offline"));
    for (int i = 0; i < 2; ++i) {
        std::int32_t result = 0;
        const auto start = Clock::now();
        Receive(handle, 5000, result);
        EXPECT_EQ(result, TQ_ERROR);
        EXPECT_LT(MsSince(start), 2000);
    }
    TQCloseChannel(handle);
}
