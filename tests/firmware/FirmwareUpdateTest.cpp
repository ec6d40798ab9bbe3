// The firmware update without its page: the image checked again on the bytes
// that go out (a file changed since it was chosen never reaches the
// spooler), the job's bytes, and the restart wait on the clock (the grace
// without a single status read, the waits between attempts, the time-out
// and the readiness wait after it). The printer is the fake bidirectional
// library, the spooler the recording one, the clock the fake one.
#include "FakeBidi.h"
#include "RecordingSpooler.h"
#include "TestFiles.h"
#include "UpgImages.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "firmware/CFirmwareUpdate.h"
#include "maintenance/BusyIndicator.h"
#include "platform/Clock.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Outcome = CFirmwareUpdate::Outcome;

const Bytes kReady{0x01, 0x01, 0x04};
const Bytes kBusy{0x01, 0x01, 0x03};

// The busy indicator as the busy dialog behaves: its time-out runs on the
// clock; it records what it was begun with and when it was polled.
class ClockBusy final : public BusyIndicator {
public:
    bool Begin(int caption, int timeoutMs, bool cancellable) override {
        begun.push_back({caption, timeoutMs, cancellable});
        m_start = Clock::Current().TickMs();
        m_timeout = timeoutMs;
        m_state = kRunning;
        return true;
    }
    int Poll() override {
        ++polls;
        m_state = State();
        return m_state;
    }
    int State() const override {
        if (m_state == kRunning && Clock::Current().TickMs() - m_start >= m_timeout)
            return kTimedOut;
        return m_state;
    }
    void End() override { ++ended; }
    void Cancel() { m_state = kCancelled; }

    struct Begun {
        int caption;
        int timeout;
        bool cancellable;
    };
    std::vector<Begun> begun;
    int polls = 0;
    int ended = 0;

private:
    std::int64_t m_start = 0;
    int m_timeout = 0;
    int m_state = kRunning;
};

class FirmwareUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        lib.SetLibraryName(fake.Path());
        ASSERT_EQ(lib.Load("QZ", 1), 1);
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        fake.SetOpenResult(5);
        spooler.AddPrinter("QZ", "socket://qz:9100", "ORVEX QZ-7100");
        image = upg::Make("I03010", 3000);
        path = dir.write("fw/NEW.UPG", image);
        ASSERT_EQ(logic.ChooseFile(path), kUpgValid);
        logic.SetPrinterVersion("I02010");
        waits.busy = &busy;
        waits.restartTimedOut = [this] {
            events.push_back("timed out at " + std::to_string(Elapsed()));
        };
        start = clock.TickMs();
    }

    void Status(const Bytes& fields, int result = 0) {
        fake.PushStatus(FakeBidi::StatusRecord(fields), result);
    }
    void Version(const std::string& v) { fake.PushReceive("VI:00" + v + ";"); }
    std::int64_t Elapsed() { return clock.TickMs() - start; }
    Outcome Update(bool checks = true) {
        CPrinterLink link(&lib);
        return logic.Update(link, "QZ", checks, waits);
    }
    Bytes Job(const std::string& head) const {
        Bytes job(head.begin(), head.end());
        job.insert(job.end(), image.begin(), image.end());
        return job;
    }
    static std::string FillAndHeader() {
        return std::string(16384, '\x11') +
               std::string("\x1B\x7D\x01\x05\x00\x61\x02\x70\x8F\x38", 10);
    }

    FakeClock clock;
    FakeClock::Scope scope{clock};
    FakeBidi fake;
    CBidiLibrary lib;
    RecordingSpooler spooler;
    TempDir dir;
    std::string image;
    std::string path;
    CFirmwareUpdate logic;
    ClockBusy busy;
    CFirmwareUpdate::UpdateWaits waits;
    std::vector<std::string> events;
    std::int64_t start = 0;
};

TEST_F(FirmwareUpdate, TheImageGoesOutBehindFillAndHeaderAndThePrinterIsAskedOnlyAfterTheGrace) {
    Status(kReady); // the readiness wait
    Status(kBusy);  // restarting
    Status(kBusy);
    Status(kReady);
    Version("I03010");
    int statusReadsInGrace = -1;
    std::int64_t sentAt = -1;
    waits.sent = [&](std::size_t bytes) {
        sentAt = Elapsed();
        EXPECT_EQ(bytes, 16394u + image.size());
    };
    clock.SetOnAdvance([&](std::int64_t) {
        if (sentAt >= 0 && Elapsed() - sentAt <= CFirmwareUpdate::kRestartGraceMs)
            statusReadsInGrace = fake.Calls("TQGetStatus");
    });
    EXPECT_EQ(Update(), Outcome::Updated);
    clock.SetOnAdvance(nullptr);

    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes, Job(FillAndHeader()));
    EXPECT_EQ(logic.LastJobBytes(), 16394u + image.size());
    EXPECT_EQ(logic.PrinterVersion(), "I03010");
    EXPECT_FALSE(logic.RestartTimedOut());
    EXPECT_TRUE(events.empty());
    // Only the readiness wait's read before the 70 s are over; then one read
    // every 2 s until ready.
    EXPECT_EQ(statusReadsInGrace, 1);
    EXPECT_EQ(fake.Calls("TQGetStatus"), 4);
    EXPECT_EQ(Elapsed(), 70000 + 2 * 2000);
    // Waits on the event queue, never sleeps and no 1 ms passes.
    EXPECT_TRUE(clock.Sleeps().empty());
    EXPECT_EQ(clock.Waits(), (std::vector<int>{70000, 2000, 2000}));
    ASSERT_EQ(busy.begun.size(), 1u);
    EXPECT_EQ(busy.begun[0].caption, 70110);
    EXPECT_EQ(busy.begun[0].timeout, 150000);
    EXPECT_FALSE(busy.begun[0].cancellable);
    EXPECT_EQ(busy.ended, 1);
    EXPECT_EQ(fake.OpenChannels(), 0);
}

TEST_F(FirmwareUpdate, APrinterSayingI00000GetsTheImageWithoutTheFillBlock) {
    logic.SetPrinterVersion("I00000");
    Status(kReady);
    Version("I03010");
    EXPECT_EQ(Update(), Outcome::Updated);
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes, Job(FillAndHeader().substr(16384)));
}

TEST_F(FirmwareUpdate, AnotherVersionAfterTheRestartIsReported) {
    Status(kReady);
    Version("I02010");
    EXPECT_EQ(Update(), Outcome::VersionDiffers);
    EXPECT_EQ(logic.PrinterVersion(), "I02010");
    EXPECT_EQ(CFirmwareUpdate::MessageFor(Outcome::VersionDiffers).text, 70905);
    // No answer at all: an empty version differs too.
    Status(kReady);
    EXPECT_EQ(Update(), Outcome::VersionDiffers);
    EXPECT_EQ(logic.PrinterVersion(), "");
}

TEST_F(FirmwareUpdate, AFailedStatusReadOpensANewChannel) {
    Status(kReady);
    Status(kBusy, TQ_ERROR);
    Status(kReady);
    Version("I03010");
    EXPECT_EQ(Update(), Outcome::Updated);
    // The readiness wait's channel, the first one after the grace, a new one
    // after the failed read, and the version query's.
    EXPECT_EQ(fake.Calls("TQOpenChannel"), 4);
    EXPECT_EQ(fake.OpenChannels(), 0);
}

TEST_F(FirmwareUpdate, WithoutAChannelEachAttemptWaitsFiveSeconds) {
    Status(kReady);
    Version("I03010");
    int opens = 0;
    // The channel opens for the readiness wait, then not for two attempts.
    clock.SetOnAdvance([&](std::int64_t) {
        const int now = fake.Calls("TQOpenChannel");
        if (now == 1 && opens == 0) fake.SetOpenResult(-1);
        if (now == 3) fake.SetOpenResult(5);
        opens = now;
    });
    EXPECT_EQ(Update(), Outcome::Updated);
    clock.SetOnAdvance(nullptr);
    EXPECT_EQ(fake.Calls("TQOpenChannel"), 5); // the last one for the version query
    EXPECT_EQ(clock.Waits(), (std::vector<int>{70000, 5000, 5000}));
    EXPECT_TRUE(clock.Sleeps().empty());
}

TEST_F(FirmwareUpdate, TheRestartWaitTimesOutThenTheReadinessWaitDecides) {
    struct Case {
        const char* name;
        bool readyAfterwards;
        Outcome outcome;
    };
    for (const Case c : {Case{"still_not_ready", false, Outcome::StillNotReady},
                         Case{"ready_afterwards", true, Outcome::Updated}}) {
        SCOPED_TRACE(c.name);
        fake.Reset();
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        fake.SetOpenResult(5);
        events.clear();
        start = clock.TickMs();
        Status(kReady);
        Status(kBusy);
        waits.restartTimedOut = [&] {
            events.push_back("timed out at " + std::to_string(Elapsed()));
            if (c.readyAfterwards) {
                Status(kReady);
                Version("I03010");
            }
        };
        EXPECT_EQ(Update(), c.outcome);
        EXPECT_TRUE(logic.RestartTimedOut());
        ASSERT_EQ(events.size(), 1u);
        // 150 s after the job (sent at once on the fake clock), to the wait
        // step that passed it.
        EXPECT_EQ(events[0], "timed out at 150000");
        EXPECT_EQ(busy.ended, 1);
        busy.ended = 0;
        EXPECT_EQ(fake.OpenChannels(), 0);
    }
    EXPECT_EQ(CFirmwareUpdate::MessageFor(Outcome::StillNotReady).text, 70906);
}

TEST_F(FirmwareUpdate, CancellingTheRestartWaitEndsIt) {
    waits.cancellable = true;
    Status(kReady);
    Status(kBusy);
    clock.SetOnAdvance([&](std::int64_t) {
        if (Elapsed() >= 80000) busy.Cancel();
    });
    EXPECT_EQ(Update(), Outcome::Cancelled);
    clock.SetOnAdvance(nullptr);
    EXPECT_TRUE(busy.begun[0].cancellable);
    EXPECT_LT(Elapsed(), 85000);
    EXPECT_FALSE(logic.RestartTimedOut());
}

struct ChangeCase {
    const char* name;
    std::function<void(const std::string& path, const std::string& image)> change;
    Outcome outcome;
    int text;
};

TEST_F(FirmwareUpdate, AFileChangedAfterItWasChosenNeverReachesTheSpooler) {
    const ChangeCase cases[] = {
        // Two data bytes swapped: header, length and checksum still match.
        {"same_checks_other_bytes",
         [](const std::string& p, std::string img) {
             std::swap(img[40], img[41]);
             ASSERT_NE(img[40], img[41]);
             std::ofstream(p, std::ios::binary) << img;
         },
         Outcome::ImageChanged, 70902},
        {"other_valid_image_same_version",
         [](const std::string& p, const std::string&) {
             std::ofstream(p, std::ios::binary) << upg::Make("I03010", 3000, 7);
         },
         Outcome::ImageChanged, 70902},
        {"other_version",
         [](const std::string& p, const std::string&) {
             std::ofstream(p, std::ios::binary) << upg::Make("I03001", 3000);
         },
         Outcome::ImageChanged, 70902},
        {"still_being_written",
         [](const std::string& p, const std::string& img) {
             std::ofstream(p, std::ios::binary) << img.substr(0, img.size() / 2);
         },
         Outcome::BadImage, 70902},
        {"version_mark_spoiled",
         [](const std::string& p, std::string img) {
             img[16] = 'X';
             std::ofstream(p, std::ios::binary) << img;
         },
         Outcome::BadVersionMark, 70901},
        {"removed", [](const std::string& p, const std::string&) { std::filesystem::remove(p); },
         Outcome::CannotOpen, 901},
        {"now_a_folder",
         [](const std::string& p, const std::string&) {
             std::filesystem::remove(p);
             std::filesystem::create_directory(p);
         },
         Outcome::CannotOpen, 901},
    };
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(path);
        dir.write("fw/NEW.UPG", image);
        ASSERT_EQ(logic.ChooseFile(path), kUpgValid);
        c.change(path, image);
        Status(kReady);
        EXPECT_EQ(Update(), c.outcome);
        EXPECT_EQ(CFirmwareUpdate::MessageFor(c.outcome).text, c.text);
        EXPECT_TRUE(spooler.Documents().empty());
        EXPECT_TRUE(busy.begun.empty());
        EXPECT_EQ(logic.LastJobBytes(), 0u);
    }
}

TEST_F(FirmwareUpdate, AFileChangedWhileItIsSentIsDroppedBeforeThePrinter) {
    struct Case {
        const char* name;
        std::string during;
        Outcome outcome;
    };
    std::string swapped = image;
    std::swap(swapped[40], swapped[41]);
    const Case cases[] = {
        {"same_checks_other_bytes", swapped, Outcome::ImageChanged},
        {"grown", image + std::string(5000, 'x'), Outcome::ImageChanged},
        {"cut_short", image.substr(0, 1000), Outcome::BadImage},
        {"mark_spoiled", std::string(image).replace(16, 1, "X"), Outcome::BadVersionMark},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spooler.Clear();
        dir.write("fw/NEW.UPG", image);
        Status(kReady);
        // Checked again just now; it changes as the job starts.
        waits.sending = [&](std::uint64_t) { dir.write("fw/NEW.UPG", c.during); };
        EXPECT_EQ(Update(), c.outcome);
        ASSERT_EQ(spooler.Documents().size(), 1u);
        EXPECT_TRUE(spooler.Documents()[0].cancelled);
        EXPECT_FALSE(spooler.Documents()[0].ended);
        EXPECT_TRUE(busy.begun.empty());
        EXPECT_EQ(logic.LastJobBytes(), 0u);
        EXPECT_EQ(spooler.OpenHandles(), 0u);
    }
}

TEST_F(FirmwareUpdate, RefusalsBeforeTheJob) {
    // Not ready: nothing read, nothing sent.
    Status(kBusy);
    EXPECT_EQ(Update(), Outcome::NotReady);
    EXPECT_TRUE(spooler.Documents().empty());
    // The spooler refuses the job: no restart wait.
    Status(kReady);
    spooler.Fail(RecordingSpooler::Step::StartDocument);
    EXPECT_EQ(Update(), Outcome::NotSent);
    EXPECT_TRUE(busy.begun.empty());
    spooler.Succeed(RecordingSpooler::Step::StartDocument);
    // It takes part of the job only: dropped.
    Status(kReady);
    spooler.AcceptAtMost(1000);
    EXPECT_EQ(Update(), Outcome::NotSent);
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_TRUE(spooler.Documents()[0].cancelled);
    EXPECT_FALSE(spooler.Documents()[0].ended);
    EXPECT_TRUE(busy.begun.empty());
    spooler.Clear();
    spooler.AcceptAtMost(SIZE_MAX);
    // The printer's firmware is newer, or unknown: no update offered.
    for (const char* version : {"I09090", ""}) {
        logic.SetPrinterVersion(version);
        EXPECT_EQ(Update(), Outcome::NotOffered);
    }
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(CFirmwareUpdate::MessageFor(Outcome::NotReady).text, 901);
    EXPECT_EQ(CFirmwareUpdate::MessageFor(Outcome::NotSent).text, 901);
    EXPECT_EQ(CFirmwareUpdate::MessageFor(Outcome::NoMemory).text, 902);
}

TEST_F(FirmwareUpdate, ABadFileLeavesTheEarlierChoiceInPlace) {
    std::string off = image;
    upg::PutLe32(off, 12, upg::Sum(off) + 1);
    EXPECT_EQ(logic.ChooseFile(dir.write("fw/OFF.UPG", off)), kUpgCorrupt);
    EXPECT_EQ(logic.ChooseFile(dir.write("fw/MARK.UPG", upg::Make("Z03000", 5))),
              kUpgBadVersionMark);
    EXPECT_EQ(logic.FilePath(), path);
    EXPECT_EQ(logic.FileVersion(), "I03010");
    EXPECT_EQ(CFirmwareUpdate::MessageForCheck(kUpgCorrupt).text, 70902);
    EXPECT_EQ(CFirmwareUpdate::MessageForCheck(kUpgNoMemory).text, 70902);
    EXPECT_EQ(CFirmwareUpdate::MessageForCheck(kUpgBadVersionMark).text, 70901);
}

TEST_F(FirmwareUpdate, ReviewModeSendsWithoutTheReadinessWait) {
    Status(kBusy);
    Status(kReady);
    Version("I03010");
    EXPECT_EQ(Update(false), Outcome::Updated);
    EXPECT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(Elapsed(), 70000 + 2000);
}

} // namespace
