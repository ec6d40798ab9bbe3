// The status page's logic without its window: the job record decoder and
// the job report, the sheet jobs, and Display Job and the print actions
// against the fake bidirectional library and the recording spooler.
#include "FakeBidi.h"
#include "JobRecordBytes.h"
#include "LinkTestSupport.h"
#include "RecordingSpooler.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "maintenance/BusyIndicator.h"
#include "platform/Clock.h"
#include "status/CPrinterStatus.h"
#include "status/JobInfoRecord.h"
#include "status/JobReport.h"

#include <QString>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Outcome = CPrinterStatus::Outcome;
using Sheet = CPrinterStatus::Sheet;

Bytes Ascii(const char* s) {
    return Bytes(s, s + std::char_traits<char>::length(s));
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

bool ValidUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).toUtf8() ==
           QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

JobInfoRecord Decode(const std::string& digits) {
    return DecodeJobInfo(digits.data(), digits.size());
}

TEST(JobInfoDecoder, ReadsEveryFieldAtItsPosition) {
    JobBytes j;
    j.number = 0x0A;
    j.state = 5;
    j.result = 3;
    j.user = JobBytes::Text("operator");
    j.name = JobBytes::Text("Poster A0 final.pdf");
    j.used = 1234;
    j.pages = 0x0102;
    j.printed = 7;
    j.received = {26, 12, 9, 23, 5};
    j.seconds = 3599;
    const std::string digits = j.Digits();
    ASSERT_EQ(digits.size(), JobInfoLayout::kDigits);
    const JobInfoRecord r = Decode(digits);
    EXPECT_EQ(r.number, 10);
    EXPECT_EQ(r.state, 5);
    EXPECT_EQ(r.result, 3);
    EXPECT_EQ(r.user, "operator");
    EXPECT_EQ(r.name, "Poster A0 final.pdf");
    EXPECT_EQ(r.usedThousandths, 1234);
    EXPECT_EQ(r.pages, 258);
    EXPECT_EQ(r.printedPages, 7);
    EXPECT_EQ(r.received, (std::array<int, 5>{26, 12, 9, 23, 5}));
    EXPECT_EQ(r.printSeconds, 3599);
    // Lower-case digits read the same.
    std::string lower = digits;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const JobInfoRecord l = Decode(lower);
    EXPECT_EQ(l.name, r.name);
    EXPECT_EQ(l.pages, 258);
}

// The 32-byte text field, whatever bytes it holds: the result is valid
// UTF-8, zero bytes add nothing, a character cut off by the field's end is
// dropped.
TEST(JobInfoDecoder, TextFieldsBecomeValidText) {
    struct Case {
        const char* name;
        Bytes field;
        std::string want;
    };
    const Bytes full30 = Bytes(30, 'x');
    const Case cases[] = {
        {"AB then thirty zeros", Cat({Ascii("AB"), Bytes(30, 0)}), "AB"},
        {"zeros inside", Bytes{'A', 0, 0, 'B', 0, 'C'}, "ABC"},
        {"all zeros", Bytes(32, 0), ""},
        {"two-byte character complete", Cat({Ascii("caf"), {0xC3, 0xA9}}), "caf\xC3\xA9"},
        {"first byte of a two-byte character last", Cat({Bytes(31, 'x'), {0xC3}}),
         std::string(31, 'x')},
        {"three-byte character cut after two", Cat({full30, {0xE3, 0x81}}), std::string(30, 'x')},
        {"three-byte character complete at the end", Cat({Bytes(29, 'x'), {0xE3, 0x81, 0x82}}),
         std::string(29, 'x') + "\xE3\x81\x82"},
        {"cut character followed by zeros", Cat({Ascii("Ab"), {0xE3, 0x81}, Bytes(28, 0)}), "Ab"},
        {"stray continuation byte", Bytes{'a', 0x80, 'b'},
         "a\xEF\xBF\xBD"
         "b"},
        {"byte that is never UTF-8", Bytes{0xFF, 'z'}, "\xEF\xBF\xBDz"},
        {"overlong form", Bytes{0xC0, 0xAF}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"surrogate", Bytes{0xED, 0xA0, 0x80}, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"lead byte followed by ASCII", Bytes{0xC3, 'A'},
         "\xEF\xBF\xBD"
         "A"},
        {"control characters kept", Bytes{'a', '\t', 'b'}, "a\tb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JobBytes j;
        j.name = c.field;
        const JobInfoRecord r = Decode(j.Digits());
        EXPECT_EQ(r.name, c.want);
        EXPECT_TRUE(ValidUtf8(r.name));
        // The same rule holds for the 16-character field.
        JobBytes u;
        u.user =
            Bytes(c.field.begin(), c.field.begin() + std::min<std::size_t>(16, c.field.size()));
        EXPECT_TRUE(ValidUtf8(Decode(u.Digits()).user));
    }
}

TEST(JobInfoDecoder, ShortOrDamagedDigitsReadAsZeroAndNothing) {
    JobBytes j;
    j.number = 9;
    j.name = JobBytes::Text("Banner");
    j.seconds = 600;
    const std::string full = j.Digits();
    struct Case {
        const char* name;
        std::string digits;
        int number;
        std::string jobName;
        int seconds;
    };
    std::string badNumber = full;
    badNumber[2] = 'z';
    std::string badName = full;
    badName[46 + 2] = 'G'; // the second character's pair
    const Case cases[] = {
        {"empty", "", 0, "", 0},
        {"number only", full.substr(0, 4), 9, "", 0},
        {"odd length ends inside a pair", full.substr(0, 3), 0, "", 0},
        {"name cut after three characters", full.substr(0, 46 + 6), 9, "Ban", 0},
        {"last field cut inside", full.substr(0, 135), 9, "Banner", 512},
        {"pair that is not hexadecimal", badNumber, 0, "Banner", 600},
        {"text pair that is not hexadecimal", badName, 9, "Bnner", 600},
        {"longer than a record", full + "FFFFFFFF", 9, "Banner", 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const JobInfoRecord r = Decode(c.digits);
        EXPECT_EQ(r.number, c.number);
        EXPECT_EQ(r.name, c.jobName);
        EXPECT_EQ(r.printSeconds, c.seconds);
    }
    EXPECT_EQ(DecodeJobInfo(nullptr, 136).number, 0);
}

TEST(JobInfoDecoder, FindsTheRecordInAReplyUpToItsFirstSemicolon) {
    JobBytes j;
    j.number = 42;
    struct Case {
        const char* name;
        std::string reply;
        bool found;
    };
    const Case cases[] = {
        {"reply", j.Reply(), true},
        {"after other text", "@BDC PS\r\n" + j.Reply(), true},
        {"text after the semicolon", j.Reply() + "JI:0000;", true},
        {"no job", "JI;", false},
        {"other reply", "XX:NA;", false},
        {"record after the first semicolon", "VI:00I02010;" + j.Reply(), false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes reply(CPrinterLink::kReplySize, 0);
        std::copy(c.reply.begin(), c.reply.end(), reply.begin());
        JobInfoRecord r;
        EXPECT_EQ(JobInfoFromReply(reply.data(), static_cast<int>(reply.size()), r), c.found);
        if (c.found) {
            EXPECT_EQ(r.number, 42);
        }
    }
    // A buffer full of digits with no end is read within its size.
    Bytes full(CPrinterLink::kReplySize, 'F');
    std::copy_n("JI:", 3, full.begin());
    JobInfoRecord r;
    EXPECT_TRUE(JobInfoFromReply(full.data(), static_cast<int>(full.size()), r));
    EXPECT_EQ(r.number, 255);
}

TEST(JobReportText, FiveLinesInTheirFormats) {
    JobBytes j;
    j.number = 0x0A;
    j.state = 3;
    j.result = 1;
    j.user = JobBytes::Text("anna");
    j.name = Cat({Ascii("AB"), Bytes(30, 0)});
    j.used = 1234;
    j.pages = 5;
    j.printed = 4;
    j.received = {26, 1, 2, 3, 4};
    j.seconds = 119;
    const auto label = [](int id) { return "<" + std::to_string(id) + ">"; };
    EXPECT_EQ(JobReport::Format(Decode(j.Digits()), label),
              "<60202> 10 :\r\n"
              " <60203> : AB\r\n"
              " <60204> : anna\t<60205> : <60232>\t<60206> : <60240>\r\n"
              "  <60207> : <60208> : 1.234 <60209>\t<60210> : 4 <60211> <60212> 5 <60211>\r\n"
              " <60213> : 26/01/02 03:04\t<60214> : 1 <60215>");
}

TEST(JobReportText, AmountsAndStateTexts) {
    const std::pair<int, const char*> amounts[] = {
        {1234, "1.234"}, {5, "0.005"}, {0, "0.000"}, {1000, "1.000"}, {65535, "65.535"}};
    for (const auto& [value, text] : amounts)
        EXPECT_EQ(JobReport::Thousandths(value), text) << value;

    const std::pair<int, int> states[] = {{1, 60230}, {2, 60231}, {3, 60232},
                                          {4, 60233}, {5, 60234}, {255, 60235},
                                          {0, 60236}, {6, 60236}, {254, 60236}};
    for (const auto& [state, id] : states)
        EXPECT_EQ(JobReport::StateTextId(state), id) << state;
    const std::pair<int, int> results[] = {
        {1, 60240}, {2, 60241}, {3, 60242}, {0, 60236}, {4, 60236}};
    for (const auto& [result, id] : results)
        EXPECT_EQ(JobReport::ResultTextId(result), id) << result;
}

TEST(PrinterStatusJobs, SheetJobsAndQueryAreExact) {
    const Bytes head = Cat({{0x1B, 0x40, 0x1B, 0x28, 0x52, 0x08, 0x00, 0x00}, Ascii("REMOTE1")});
    const Bytes tail = {0x1B, 0x00, 0x00, 0x00, 0x0D, 0x0A, 0x0C, 0x1B, 0x40};
    const std::pair<Sheet, std::uint8_t> sheets[] = {
        {Sheet::Status, 0x01}, {Sheet::Jobs, 0x02}, {Sheet::CustomConfig, 0x04}};
    for (const auto& [sheet, p] : sheets) {
        SCOPED_TRACE(p);
        Bytes out(CPrinterStatus::kJobRoom, 0xEE);
        const int n = CPrinterStatus::BuildSheetJob(out.data(), out.size(), sheet);
        ASSERT_EQ(n, 30);
        EXPECT_EQ(Bytes(out.begin(), out.begin() + n),
                  Cat({head, Ascii("SS"), {0x02, 0x00, 0x00, p}, tail}));
        EXPECT_EQ(out[30], 0xEE);
        Bytes small(29, 0xEE);
        EXPECT_EQ(CPrinterStatus::BuildSheetJob(small.data(), small.size(), sheet), 0);
        EXPECT_EQ(small, Bytes(29, 0xEE));
    }
    Bytes query(6);
    EXPECT_EQ(CPrinterStatus::BuildJobQuery(query.data(), query.size(), 7), 6);
    EXPECT_EQ(query, (Bytes{'J', 'I', 0x02, 0x00, 0x01, 0x07}));
}

// A busy indicator whose Poll answers from a script (running once the
// script is used up).
class ScriptedBusy final : public BusyIndicator {
public:
    std::vector<int> script;
    int begun = 0, ended = 0, polls = 0;
    int caption = 0, timeoutMs = 0;
    bool cancellable = false;

    bool Begin(int c, int t, bool cancel) override {
        ++begun;
        caption = c;
        timeoutMs = t;
        cancellable = cancel;
        return true;
    }
    int Poll() override {
        m_state = polls < static_cast<int>(script.size()) ? script[static_cast<std::size_t>(polls)]
                                                          : kRunning;
        ++polls;
        return m_state;
    }
    int State() const override { return m_state; }
    void End() override { ++ended; }

private:
    int m_state = kRunning;
};

class PrinterStatusActions : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        lib.SetLibraryName(fake.Path());
        ASSERT_EQ(lib.Load("QZ", 1), 1);
        Prepare();
        spooler.AddPrinter("QZ", "socket://qz:9100", "ORVEX QZ-7100");
    }
    // The printer's side afresh: a local channel, nothing scripted yet.
    void Prepare() {
        fake.Reset();
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
    }
    static std::string Job(int number) {
        JobBytes j;
        j.index = static_cast<std::uint8_t>(number);
        j.number = static_cast<std::uint8_t>(number);
        return j.Reply();
    }
    std::vector<int> Numbers(const CPrinterStatus& status) const {
        std::vector<int> out;
        for (const JobInfoRecord& r : status.Jobs())
            out.push_back(r.number);
        return out;
    }

    FakeBidi fake;
    CBidiLibrary lib;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    RecordingSpooler spooler;
};

TEST_F(PrinterStatusActions, DisplayJobAsksTenQueriesOnOneChannel) {
    fake.PushStatus(StatusReplyBytes(StateField(4)));
    for (int k = 0; k < 10; ++k)
        fake.PushReceive(k == 4 || k == 9 ? std::string("JI;") : Job(k + 1));
    CPrinterLink link(&lib);
    CPrinterStatus status(link, "QZ", true);
    ScriptedBusy busy;
    EXPECT_EQ(status.DisplayJob(nullptr, busy), Outcome::Read);
    EXPECT_EQ(Numbers(status), (std::vector<int>{1, 2, 3, 4, 6, 7, 8, 9}));
    EXPECT_EQ(busy.begun, 1);
    EXPECT_EQ(busy.ended, 1);
    EXPECT_EQ(busy.polls, 10);
    EXPECT_EQ(busy.caption, 60300);
    EXPECT_EQ(busy.timeoutMs, 1000000);
    EXPECT_TRUE(busy.cancellable);
    EXPECT_EQ(fake.Calls("TQSend"), 10);
    EXPECT_EQ(fake.LastSent(), (Bytes{'J', 'I', 0x02, 0x00, 0x01, 0x09}));
    EXPECT_EQ(fake.ReceiveTimeouts().back(), 10000);
    // 512 bytes of room: the library may fill all but the one that ends the text.
    EXPECT_EQ(fake.LastReceiveSize(), 511);
    // One channel for the readiness wait, one for the ten queries.
    EXPECT_EQ(fake.Calls("TQOpenChannel"), 2);
    EXPECT_EQ(fake.OpenChannels(), 0);
    const std::string report = status.Report([](int) { return std::string("t"); });
    EXPECT_EQ(report.find("t 1 :\r\n"), 0u);
    EXPECT_EQ(report.size() - report.rfind("\r\n"), 2u) << "every report ends with CR LF";
    EXPECT_NE(report.find("t 9 :"), std::string::npos);
}

TEST_F(PrinterStatusActions, EachWayDisplayJobEnds) {
    struct Case {
        const char* name;
        std::vector<int> busyScript; // Poll answers, one per query
        int failingQuery;            // -1 none
        bool channelOpens;           // off: review mode, where no readiness wait opens one first
        bool ready;
        Outcome outcome;
        std::vector<int> jobs;
        int queries;
    };
    const Case cases[] = {
        {"all done", {}, -1, true, true, Outcome::Read, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 10},
        {"cancel during the third query shows nothing",
         {0, 0, 1},
         -1,
         true,
         true,
         Outcome::Cancelled,
         {},
         3},
        {"the time-out keeps what came",
         {0, 0, 0, 2},
         -1,
         true,
         true,
         Outcome::TimedOut,
         {1, 2, 3},
         4},
        {"a failed query throws all away", {}, 5, true, true, Outcome::QueryFailed, {}, 6},
        {"the first query fails", {}, 0, true, true, Outcome::QueryFailed, {}, 1},
        {"no channel", {}, -1, false, true, Outcome::NoChannel, {}, 0},
        {"not ready", {}, -1, true, false, Outcome::NotReady, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare();
        fake.PushStatus(StatusReplyBytes(StateField(c.ready ? 4 : 3)));
        for (int k = 0; k < 10; ++k) {
            if (k == c.failingQuery)
                fake.PushReceive("", TQ_CANCELLED);
            else
                fake.PushReceive(Job(k + 1));
        }
        if (!c.channelOpens) fake.SetOpenResult(0);
        CPrinterLink link(&lib);
        CPrinterStatus status(link, "QZ", c.channelOpens);
        ScriptedBusy busy;
        busy.script = c.busyScript;
        EXPECT_EQ(status.DisplayJob(nullptr, busy), c.outcome);
        EXPECT_EQ(Numbers(status), c.jobs);
        EXPECT_EQ(fake.Calls("TQSend"), c.queries);
        EXPECT_EQ(busy.begun, c.ready ? 1 : 0);
        EXPECT_EQ(busy.ended, busy.begun);
        EXPECT_EQ(fake.OpenChannels(), 0);
    }
}

TEST(PrinterStatusOutcomes, MessagesAndWhenTheReportIsShown) {
    struct Case {
        Outcome outcome;
        int text;
        bool warning;
        bool shown;
        bool shownInReview;
    };
    const Case cases[] = {
        {Outcome::Read, -1, false, true, true},
        {Outcome::TimedOut, -1, false, true, true},
        {Outcome::Cancelled, -1, false, false, false},
        {Outcome::NoChannel, 60900, true, false, true},
        {Outcome::QueryFailed, 60900, true, false, true},
        {Outcome::NotReady, 901, true, false, false},
        {Outcome::Sent, 60901, false, false, false},
        {Outcome::NotSent, -1, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.outcome));
        const CPrinterStatus::Message m = CPrinterStatus::MessageFor(c.outcome);
        EXPECT_EQ(m.text, c.text);
        if (c.text >= 0) {
            EXPECT_EQ(m.warning, c.warning);
        }
        EXPECT_EQ(CPrinterStatus::ShowsReport(c.outcome, false), c.shown);
        EXPECT_EQ(CPrinterStatus::ShowsReport(c.outcome, true), c.shownInReview);
    }
}

TEST_F(PrinterStatusActions, PrintSheetSendsItsJobThenPauses) {
    struct Case {
        const char* name;
        bool ready;
        bool spoolerFails;
        Outcome outcome;
    };
    const Case cases[] = {
        {"sent", true, false, Outcome::Sent},
        {"not ready", false, false, Outcome::NotReady},
        {"not sent", true, true, Outcome::NotSent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spooler.Clear();
        if (c.spoolerFails)
            spooler.Fail(RecordingSpooler::Step::StartDocument);
        else
            spooler.Succeed(RecordingSpooler::Step::StartDocument);
        Prepare();
        fake.PushStatus(StatusReplyBytes(StateField(c.ready ? 4 : 3)));
        CPrinterLink link(&lib);
        CPrinterStatus status(link, "QZ", true);
        std::vector<bool> blocking;
        const std::size_t waitsBefore = clock.Waits().size();
        EXPECT_EQ(status.PrintSheet(Sheet::Jobs, nullptr, [&](bool b) { blocking.push_back(b); }),
                  c.outcome);
        if (!c.ready) {
            EXPECT_TRUE(blocking.empty());
            EXPECT_TRUE(spooler.Documents().empty());
            continue;
        }
        EXPECT_EQ(blocking, (std::vector<bool>{true, false}));
        EXPECT_EQ(clock.Waits().back(), 3000);
        EXPECT_GT(clock.Waits().size(), waitsBefore);
        if (!c.spoolerFails) {
            ASSERT_EQ(spooler.Documents().size(), 1u);
            EXPECT_EQ(spooler.Documents()[0].name, "ZAMU Command");
            EXPECT_EQ(spooler.Documents()[0].bytes.size(), 30u);
            EXPECT_EQ(spooler.Documents()[0].bytes[20], 0x02);
        }
    }
    // Review mode: no readiness wait, the job goes out at once.
    spooler.Clear();
    spooler.Succeed(RecordingSpooler::Step::StartDocument);
    Prepare();
    fake.PushStatus(StatusReplyBytes(StateField(3)));
    const int statusReads = fake.Calls("TQGetStatus");
    CPrinterLink link(&lib);
    EXPECT_EQ(CPrinterStatus(link, "QZ", false).PrintSheet(Sheet::Status, nullptr), Outcome::Sent);
    EXPECT_EQ(fake.Calls("TQGetStatus"), statusReads);
    ASSERT_EQ(spooler.Documents().size(), 1u);
}

} // namespace
