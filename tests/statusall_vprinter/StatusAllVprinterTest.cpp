// plotcare-cli status --all: every supported printer asked at once through
// the private CUPS server, the real libtqapi.so and virtual printers on both
// channel kinds, one printer silent (offline).
#include "CVPrinterClient.h"
#include "PrivateCups.h"
#include "RecordingSpooler.h"
#include "VprinterRig.h"
#include "cli/CliCommands.h"
#include "cli/CliLibraryShelf.h"
#include "cli/CliStatusAll.h"
#include "platform/Spooler.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

namespace {

// What each queue is: its printer, its channel kind, whether it answers.
enum Which { kCorvan, kQz, kSilent };
struct Queue {
    const char* name;
    Which printer;
    bool network;
};

// Named so that the spooler's order (by name) is neither the order the
// queues were added in nor the order the answers come in: the silent
// network printer, first by name, answers last.
const Queue kQueues[] = {
    {"BbCorvanNet", kCorvan, true}, {"CcQzLocal", kQz, false}, {"EeCorvanLocal", kCorvan, false},
    {"AaSilentNet", kSilent, true}, {"FfQzNet", kQz, true},    {"DdSilentLocal", kSilent, false},
};

// The shared rig's two printers (its queues the first two above), each also
// on its other channel kind, and a third printer that goes silent.
struct Rig {
    VprinterRig& rig = VprinterRig::Shared(kQueues[0].name, kQueues[1].name);
    VirtualPrinter silent{"corvan"};
    std::string error;

    Rig() {
        error = rig.Error();
        if (!silent.control) error += "silent printer: " + silent.error;
        if (!error.empty()) return;
        // Figures that tell the two answering printers apart.
        rig.local.control->Set("inks", "4");
        rig.local.control->Set("maintenance", "55");
        PrivateCups& cups = PrivateCups::Shared();
        for (const Queue& q : kQueues) {
            if (q.name == rig.NetworkQueue() || q.name == rig.LocalQueue()) continue;
            const CVPrinterProcess& p = Printer(q.printer).process;
            const std::string ppd =
                OutputDir() + (q.printer == kQz ? "/driver/ovqz7100.ppd" : "/driver/ovcm7100.ppd");
            cups.AddQueue(q.name, q.network ? p.NetworkUri() : p.LocalUri(), ppd);
        }
        // A queue of another maker's printer: not asked.
        cups.AddQueue("GgOtherMaker", "socket://127.0.0.1:9");
    }
    VirtualPrinter& Printer(Which w) {
        return w == kCorvan ? rig.network : w == kQz ? rig.local : silent;
    }
    static Rig& Shared() {
        static Rig shared;
        return shared;
    }
};

struct Result {
    int code;
    std::string out;
    std::string err;
};

class StatusAllVprinterTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig = &Rig::Shared();
        ASSERT_TRUE(rig->error.empty()) << rig->error;
        PrivateCups::Shared().Activate();
        for (Which w : {kCorvan, kQz, kSilent})
            ASSERT_TRUE(Idle(rig->Printer(w)));
        ASSERT_TRUE(rig->silent.control->Fault("offline"));
    }

    static Result Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--settings", OutputDir()});
        std::ostringstream out, err;
        const int code = cli::Run(args, out, err);
        return {code, out.str(), err.str()};
    }

    // The supported queues in the spooler's order.
    static std::vector<std::string> SpoolerOrder() {
        std::vector<SpoolerPrinter> all;
        EXPECT_TRUE(Spooler::Current().EnumPrinters(all));
        std::vector<std::string> names;
        for (const auto& p : all)
            if (p.name != "GgOtherMaker") names.push_back(p.name);
        return names;
    }

    static const Queue& QueueNamed(const std::string& name) {
        for (const Queue& q : kQueues)
            if (name == q.name) return q;
        throw std::runtime_error("no queue " + name);
    }

    Rig* rig = nullptr;
};

} // namespace

// Every supported printer is reported once, in the spooler's order, the
// silent one as no answer on each channel kind; the others with the status
// of their own printer.
TEST_F(StatusAllVprinterTest, ReportsEveryPrinterInSpoolerOrderAndTheSilentOneAsNoAnswer) {
    const std::vector<std::string> order = SpoolerOrder();
    ASSERT_EQ(order.size(), std::size(kQueues));
    ASSERT_NE(order.front(), kQueues[0].name)
        << "the spooler's order must differ from the order of adding";

    const Result json = Cli({"--json", "status", "--all"});
    EXPECT_EQ(json.code, cli::kExitNoAnswer) << json.err;
    QJsonParseError error{};
    const QJsonObject doc =
        QJsonDocument::fromJson(QByteArray::fromStdString(json.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out;
    EXPECT_EQ(doc["total"].toInt(), 6);
    EXPECT_EQ(doc["answered"].toInt(), 4);
    EXPECT_EQ(doc["exitCode"].toInt(), cli::kExitNoAnswer);
    const QJsonArray printers = doc["printers"].toArray();
    ASSERT_EQ(printers.size(), 6);
    for (int i = 0; i < printers.size(); ++i) {
        const QJsonObject p = printers[i].toObject();
        const std::string name = p["printer"].toString().toStdString();
        SCOPED_TRACE(name);
        EXPECT_EQ(name, order[static_cast<std::size_t>(i)]);
        const Queue& q = QueueNamed(name);
        if (q.printer == kSilent) {
            EXPECT_FALSE(p["answered"].toBool());
            EXPECT_EQ(p["exitCode"].toInt(), cli::kExitNoAnswer);
            EXPECT_EQ(p["message"].toString(), "gave no status record");
            EXPECT_FALSE(p.contains("inks"));
        } else {
            EXPECT_TRUE(p["answered"].toBool());
            EXPECT_EQ(p["channel"].toString(), q.network ? "network" : "local");
            EXPECT_TRUE(p["ready"].toBool());
            // Each printer's own figures, not another's.
            const VirtualPrinter& printer = rig->Printer(q.printer);
            EXPECT_EQ(p["inkSlots"].toInt(), std::stoi(printer.control->Get("inks")));
            EXPECT_EQ(p["maintenanceTankFree"].toInt(),
                      std::stoi(printer.control->Get("maintenance")));
        }
    }

    // The text: one block per printer in the same order, each as `status
    // PRINTER` shows it; the silent ones named on standard error too.
    const Result text = Cli({"status", "--all"});
    EXPECT_EQ(text.code, cli::kExitNoAnswer);
    std::size_t at = 0;
    for (const std::string& name : order) {
        const std::size_t block = text.out.find("printer:          " + name + "\n", at);
        ASSERT_NE(block, std::string::npos) << name << " missing or out of order:\n" << text.out;
        at = block + 1;
        const std::size_t end = text.out.find("\n\n", block);
        const std::string body =
            text.out.substr(block, end == std::string::npos ? std::string::npos : end + 1 - block);
        if (QueueNamed(name).printer == kSilent) {
            EXPECT_NE(body.find("no answer:        gave no status record"), std::string::npos)
                << body;
            EXPECT_NE(text.err.find("\"" + name + "\": gave no status record"), std::string::npos)
                << text.err;
        } else {
            const Result single = Cli({"status", name});
            ASSERT_EQ(single.code, cli::kExitOk) << single.err;
            EXPECT_EQ(body, single.out);
        }
    }
}

// Whole exit codes: every printer answering, and none installed.
TEST_F(StatusAllVprinterTest, ExitCodes) {
    ASSERT_TRUE(rig->silent.control->ClearFaults());
    const Result all = Cli({"status", "--all", "--json"});
    EXPECT_EQ(all.code, cli::kExitOk) << all.err;
    EXPECT_NE(all.out.find("\"total\":6,\"answered\":6,\"exitCode\":0}"), std::string::npos)
        << all.out;

    RecordingSpooler none; // installs itself: a spooler without printers
    const Result empty = Cli({"status", "--all"});
    EXPECT_EQ(empty.code, cli::kExitNotSupported);
    EXPECT_EQ(empty.out, "");
    EXPECT_NE(empty.err.find("no supported printer is installed"), std::string::npos) << empty.err;

    EXPECT_EQ(Cli({"status"}).code, cli::kExitUsage);
}

namespace {

// Holds every query at its start until all of them have started, and
// notes the order in which they end. Asked one after another, the first
// query would wait in vain: all of them in flight at once is what proves
// that they run side by side, with no clock involved.
class AllAtOnce : public cli::StatusQueryObserver {
public:
    explicit AllAtOnce(std::size_t count) : m_count(count) {}

    void QueryBegins(std::size_t) override {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_begun;
        ++m_inFlight;
        m_maxInFlight = std::max(m_maxInFlight, m_inFlight);
        m_changed.notify_all();
        // Generous: only a query that never comes makes this wait run out.
        if (!m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_begun == m_count; }))
            m_gaveUp = true;
    }
    void QueryEnds(std::size_t index) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_inFlight;
        m_ended.push_back(index);
    }

    std::size_t m_count;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_begun = 0, m_inFlight = 0, m_maxInFlight = 0;
    bool m_gaveUp = false;
    std::vector<std::size_t> m_ended;
};

} // namespace

// All printers are asked at once on their own channels through one shared
// library binding: every query is in flight together, and the answering
// printers all end while the silent network printer is still waiting out
// its time-out (so no call of one channel waits for another's).
TEST_F(StatusAllVprinterTest, AsksAllPrintersAtOnceAndTheSilentOneHoldsUpOnlyItself) {
    std::vector<SpoolerPrinter> all, printers;
    ASSERT_TRUE(Spooler::Current().EnumPrinters(all));
    for (auto& p : all)
        if (p.name != "GgOtherMaker") printers.push_back(p);
    ASSERT_EQ(printers.size(), std::size(kQueues));

    cli::CliLibraryShelf shelf;
    shelf.LoadPlain(); // not on the search path here: the driver folder's serves
    AllAtOnce observer(printers.size());
    const std::vector<cli::PrinterStatus> answers =
        cli::AskAllPrinterStatus(printers, shelf, cli::kMaxStatusQueries, &observer);

    EXPECT_FALSE(observer.m_gaveUp) << "the queries did not all start before one ended";
    EXPECT_EQ(observer.m_maxInFlight, printers.size());
    ASSERT_EQ(answers.size(), printers.size());
    std::size_t silentNet = printers.size();
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const Queue& q = QueueNamed(printers[i].name);
        SCOPED_TRACE(q.name);
        EXPECT_EQ(answers[i].printer.name, printers[i].name);
        EXPECT_EQ(answers[i].exitCode, q.printer == kSilent ? cli::kExitNoAnswer : cli::kExitOk)
            << answers[i].problem;
        if (q.printer == kSilent && q.network) silentNet = i;
    }
    ASSERT_EQ(observer.m_ended.size(), printers.size());
    EXPECT_EQ(observer.m_ended.back(), silentNet);
}
