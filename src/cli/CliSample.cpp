#include "cli/CliSample.h"

#include "app/CPlotcareApp.h"
#include "base/RegularFile.h"
#include "cli/CliContext.h"
#include "cli/CliCustomFile.h"
#include "cli/CliCustomSlots.h"
#include "cli/CliInterrupt.h"
#include "cli/CliMessage.h"
#include "cli/CliReadyProgress.h"
#include "cli/CliText.h"
#include "cli/JsonValue.h"
#include "cli/SlotJson.h"
#include "comm/CDriverMediaList.h"
#include "comm/CDriverSettingsLibrary.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CCustomFile.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/SlotRanges.h"
#include "sampleprint/CDriverSettingsAccess.h"
#include "sampleprint/CSampleProcedure.h"

#include <QString>
#include <charconv>
#include <ostream>
#include <set>

namespace cli {

namespace {

constexpr const char* kAction = "sample";
constexpr const char* kUsage =
    "sample PRINTER --from slot:N|FILE.ZMD:ENTRY|FILE.json\n"
    "         (--media ID,ID,... | --feed FROM..TO [--points N] | --density D | --modes M,M,...)\n"
    "         [--image FILE.BMP]";

// The dialogs' value ranges.
constexpr int kFeedLow = -70, kFeedHigh = 70;
constexpr int kDensityLow = -50, kDensityHigh = 50;

using Procedure = CSampleProcedure;
using Result = CSampleProcedure::Outcome;

// plotcare-cli's own texts of sample.
enum MessageId : int {
    kUsageLine = 115400,
    kWaitCancelled,
    kNotReady,
    kNoAnswer,
    kNameUnreadable,
    kSlotEmpty,
    kSettingsUnreadable,
    kPathProblem,
    kNoEntry,
    kTooLarge,
    kNotRegular,
    kUnreadable,
    kSlotNumber,
    kNoMediaList,
    kMediaNotOffered,
    kPrinted,
    kNoImage,
    kImageMissing,
    kImageUnreadable,
    kImageWrongSize,
    kDriverFailed,
    kCancelled,
    kNothing,
    kSheetTitle,
    kSheetSent,
    kSheetFailed,
    kQueueWait,
    kGroupingJob,
    kFromMissing,
    kOneKind,
    kPointsWithFeed,
    kMediaList,
    kModesList,
    kDensity,
    kFeed,
    kPoints,
    kPointsMismatch,
    kImageEmpty,
    kNoDriverSettings,
    kNeedsFileEntry,
    kModeNotOffered,
};

int UsageError(Context& c, const std::string& what) {
    c.err << "plotcare-cli: " << Escaped(what) << "\n"
          << Message(kUsageLine, {std::string("plotcare-cli ") + kUsage}) << "\n";
    return kExitUsage;
}

// A page text on one line; in English for JSON.
std::string Text(int id, bool neutral = false) {
    return (neutral ? App().GetBaseText(id) : App().GetText(id))
        .replace(QLatin1Char('\n'), QLatin1Char(' '))
        .toStdString();
}

// A whole signed number in [low, high], nothing around it.
bool ParseNumber(std::string_view text, int low, int high, int& value) {
    if (text.empty() || text.size() > 11) return false;
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last && value >= low && value <= high;
}

// "A,B,C": every item a number in [low, high]; no empty items.
bool ParseList(const std::string& text, int low, int high, std::vector<int>& values) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        int v = 0;
        if (!ParseNumber(std::string_view(text).substr(start, comma - start), low, high, v))
            return false;
        values.push_back(v);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

// The setting the sheets are printed from.
struct Setting {
    CustomPaperSlot slot;
    CustomFileRecord file;
    bool isFile = false;

    SampleRecord Record() const {
        return isFile ? SampleRecord{nullptr, &file} : SampleRecord{&slot, nullptr};
    }
};

// What went wrong before anything was printed: 0, or the exit code reported.
struct Refusal {
    int exitCode = kExitOk;
    std::string word;
    Sentence message;
};

Refusal Refuse(const std::string& word, const Sentence& message) {
    return {kExitRefused, word, message};
}

Refusal ReadyRefusal(CPrinterLink::ReadyOutcome outcome) {
    switch (outcome) {
    case CPrinterLink::ReadyOutcome::Ready:
        return {};
    case CPrinterLink::ReadyOutcome::Cancelled:
        return {kExitCancelled, "cancelled", Say(kWaitCancelled)};
    case CPrinterLink::ReadyOutcome::NotReady:
        return {kExitNotReady, "not-ready", Say(kNotReady)};
    default:
        return {kExitNoAnswer, "no-answer", Say(kNoAnswer)};
    }
}

// A slot of the printer, read as the registration page reads it.
Refusal ReadSlot(Context& c, ActionSession& s, int index, Setting& setting) {
    CPrinterLink link(&s.Bidi());
    {
        CliReadyProgress progress(c.err, c.options.terminal);
        if (Refusal r = ReadyRefusal(link.WaitForReady(s.Name(), &progress)); r.exitCode) return r;
    }
    CCustomPaperTable& table = *s.Shared().customPaperTable;
    const std::string slot = std::to_string(index + 1);
    int r = table.QueryName(link, s.Name(), index);
    if (r <= 0 || !table.LastQueryComplete())
        return {kExitNoAnswer, "no-answer", Say(kNameUnreadable, {slot})};
    if (!table.IsRegistered(index)) return Refuse("not-registered", Say(kSlotEmpty, {slot}));
    r = table.QuerySettings(link, s.Name(), index);
    if (r <= 0 || !table.LastQueryComplete())
        return {kExitNoAnswer, "no-answer", Say(kSettingsUnreadable, {slot})};
    setting.slot = table.SlotAt(index);
    setting.slot.MediaId = s.Shared().mediaTable->IdFromMediaCode(setting.slot.MediaCode);
    return {};
}

Refusal ReadCustomFileEntry(ActionSession& s, const std::string& path, const std::string& which,
                            Setting& setting) {
    CCustomFile file(s.Printer().driver);
    if (file.Attach(path) != 0)
        return Refuse("bad-settings",
                      Say(kPathProblem, {path, DescribeCustomFileProblem(file.LastProblem())}));
    const int entry = FindCustomFileEntry(file, which);
    if (entry < 1 || file.ReadEntry(entry, setting.file) != 0)
        return Refuse("bad-settings", Say(kNoEntry, {path, which}));
    setting.isFile = true;
    return {};
}

// The JSON of "zmd show --json" (a custom file entry: it has "ID") or of
// "slot --json".
Refusal ReadJson(ActionSession& s, const std::string& path, Setting& setting) {
    std::string text;
    switch (RegularFile::Read(path, kSlotJsonMaxBytes, text)) {
    case RegularFile::Result::Ok:
        break;
    case RegularFile::Result::TooLarge:
        return Refuse("bad-settings", Say(kTooLarge, {path, std::to_string(kSlotJsonMaxBytes)}));
    case RegularFile::Result::NotRegular:
        return Refuse("bad-settings", Say(kNotRegular, {path}));
    default:
        return Refuse("bad-settings", Say(kUnreadable, {path}));
    }
    JsonValue json;
    Sentence error;
    if (!JsonValue::Parse(text, json, error))
        return Refuse("bad-settings", Say(kPathProblem, {path, error}));
    if (json.IsObject() && json.Member("ID")) {
        if (!CustomFileRecordFromJson(text, setting.file, error))
            return Refuse("bad-settings", Say(kPathProblem, {path, error}));
        setting.isFile = true;
        return {};
    }
    std::string name;
    if (!ReadSlotJson(text, *s.Shared().mediaTable, setting.slot, name, error))
        return Refuse("bad-settings", Say(kPathProblem, {path, error}));
    if (const auto issue = SlotRanges::Check(setting.slot); !issue.field.empty())
        return Refuse("out-of-range", Say(kPathProblem, {path, DescribeSlotIssue(issue)}));
    return {};
}

Refusal ReadSetting(Context& c, ActionSession& s, const std::string& from, Setting& setting) {
    Refusal r;
    std::string file, entry;
    if (from.rfind("slot:", 0) == 0) {
        const int index = SlotIndexArgument(from.substr(5));
        if (index < 0) return {kExitUsage, "usage", Say(kSlotNumber)};
        r = ReadSlot(c, s, index, setting);
    } else if (CustomFileSource(from, file, entry)) {
        r = ReadCustomFileEntry(s, file, entry, setting);
    } else {
        r = ReadJson(s, from, setting);
    }
    if (r.exitCode == kExitOk && setting.isFile) {
        // Entries keep the media table's ids, not the media itself.
        setting.file.MediaId =
            s.Shared().mediaTable->IdFromFileIds(setting.file.ID, setting.file.SID);
        if (setting.file.MediaId == 0)
            return Refuse(
                "bad-settings",
                Say(kPathProblem, {from, NoMediaOfFileIds(setting.file.ID, setting.file.SID)}));
    }
    return r;
}

// The media type dialog's list: the driver's media in display order, those
// without custom paper left out, those kind 2 drivers exclude unavailable.
// The ticked ids come back in that order.
Refusal MediaChoices(ActionSession& s, const std::vector<int>& ids,
                     std::vector<SampleMediaChoice>& ticked) {
    CDriverSettingsLibrary* library = s.Shared().driverSettingsLibrary.get();
    const CMediaTable& table = *s.Shared().mediaTable;
    CDriverMediaList list(library, s.Name(), s.Printer().port);
    std::vector<std::uint16_t> listed(static_cast<std::size_t>(std::max(list.Count(), 0)));
    if (listed.empty() || list.CopyIds(listed.data(), static_cast<int>(listed.size())) != 1)
        return {kExitNotSupported, "no-media-list", Say(kNoMediaList, {s.Name()})};
    table.SortByDisplayOrder(listed.data(), static_cast<int>(listed.size()));
    const bool kind2 =
        CDriverSettingsAccess(library, s.Name(), s.Printer().port, nullptr, &table).DriverKind() ==
        2;

    const std::set<int> wanted(ids.begin(), ids.end());
    std::set<int> offered;
    for (std::uint16_t id : listed) {
        if (table.FileId(id) == -1 || (kind2 && table.IsKind2Excluded(id)) || !wanted.count(id))
            continue;
        if (!offered.insert(id).second) continue;
        ticked.push_back({id, list.GetNameById(id)});
    }
    for (int id : ids) {
        if (!offered.count(id))
            return Refuse("media-not-offered",
                          Say(kMediaNotOffered, {std::to_string(id), s.Name()}));
    }
    return {};
}

struct OutcomeRow {
    Result result;
    int exitCode;
    const char* word;
    int fallback; // said when the settings give no text
};

const OutcomeRow kRows[] = {
    {Result::Printed, kExitOk, "printed", kPrinted},
    {Result::NotReady, kExitNotReady, "not-ready", kNotReady},
    {Result::NoImage, kExitRefused, "no-image", kNoImage},
    {Result::ImageMissing, kExitRefused, "image-missing", kImageMissing},
    {Result::ImageUnreadable, kExitRefused, "image-unreadable", kImageUnreadable},
    {Result::ImageWrongSize, kExitRefused, "image-wrong-size", kImageWrongSize},
    {Result::DriverFailed, kExitFailed, "failed", kDriverFailed},
    {Result::Cancelled, kExitCancelled, "cancelled", kCancelled},
    {Result::Nothing, kExitFailed, "nothing", kNothing},
};

void ShowProgress(std::ostream& err, const Procedure::Event& e) {
    using Kind = Procedure::Event::Kind;
    const std::string number = std::to_string(e.number), count = std::to_string(e.count);
    switch (e.kind) {
    case Kind::Sheet:
        err << Message(kSheetTitle, {number, count, Escaped(e.sheet->Title())}) << "\n";
        break;
    case Kind::Printed:
        err << Message(kSheetSent, {number, count}) << "\n";
        break;
    case Kind::Failed:
        err << Message(kSheetFailed, {number, count, std::to_string(e.value)}) << "\n";
        break;
    case Kind::QueueWait:
        err << Message(kQueueWait, {Escaped(e.sheet->Title())}) << "\n";
        break;
    case Kind::EscBar:
        err << Message(kGroupingJob, {std::to_string(e.value)}) << "\n";
        break;
    }
    err.flush();
}

std::string TitlesJson(const SamplePlan& plan) {
    std::string out = "[";
    for (std::size_t i = 0; i < plan.sheets.size(); ++i)
        out += (i ? "," : "") + JsonString(plan.sheets[i].Title());
    return out + "]";
}

} // namespace

int Sample(Context& c) {
    if (!c.Has("--from")) return UsageError(c, Message(kFromMissing));
    const char* kinds[] = {"--media", "--feed", "--density", "--modes"};
    int given = 0;
    for (const char* k : kinds)
        given += c.Has(k) ? 1 : 0;
    if (given != 1) return UsageError(c, Message(kOneKind));
    if (c.Has("--points") && !c.Has("--feed")) return UsageError(c, Message(kPointsWithFeed));

    // The choices, checked before the printer is asked anything.
    std::vector<int> values;
    int a = 0, b = 0;
    if (c.Has("--media") && !ParseList(c.Value("--media"), 1, 65535, values))
        return UsageError(c, Message(kMediaList));
    if (c.Has("--modes") && !ParseList(c.Value("--modes"), 1, 4, values))
        return UsageError(c, Message(kModesList));
    if (c.Has("--density") && !ParseNumber(c.Value("--density"), kDensityLow, kDensityHigh, a))
        return UsageError(c, Message(kDensity));
    if (c.Has("--feed")) {
        const std::string range = c.Value("--feed");
        const std::size_t dots = range.find("..");
        if (dots == std::string::npos ||
            !ParseNumber(std::string_view(range).substr(0, dots), kFeedLow, kFeedHigh, a) ||
            !ParseNumber(std::string_view(range).substr(dots + 2), kFeedLow, kFeedHigh, b))
            return UsageError(c, Message(kFeed));
        if (c.Has("--points")) {
            const std::vector<int> points = FeedSamplePoints(a, b);
            int wanted = 0;
            if (!ParseNumber(c.Value("--points"), 1, 5, wanted))
                return UsageError(c, Message(kPoints));
            if (wanted != static_cast<int>(points.size()))
                return UsageError(
                    c, Message(kPointsMismatch, {range, std::to_string(points.size()),
                                                 FeedPointsText(points), std::to_string(wanted)}));
        }
    }
    if (c.Has("--image") && c.Value("--image").empty()) return UsageError(c, Message(kImageEmpty));

    ActionSession s;
    if (int r = s.Open(c)) return r;
    const auto report = [&](const Refusal& r) {
        return Report(c, s.Name(), kAction, {r.exitCode, r.word, r.message.In(c.options.json), {}});
    };
    CDriverSettingsLibrary* library = s.Shared().driverSettingsLibrary.get();
    if (!library || !library->IsLoaded())
        return report(
            {kExitNotSupported, "no-driver-settings", Say(kNoDriverSettings, {s.Name()})});

    Setting setting;
    if (Refusal r = ReadSetting(c, s, c.Value("--from"), setting); r.exitCode) {
        if (r.word == "usage") return UsageError(c, r.message.Text());
        return report(r);
    }
    const bool needsFile = c.Has("--density") || c.Has("--modes");
    if (needsFile && !setting.isFile)
        return UsageError(c,
                          Message(kNeedsFileEntry, {c.Has("--density") ? "--density" : "--modes"}));

    const CMediaTable& table = *s.Shared().mediaTable;
    CDriverMediaList mediaList(library, s.Name(), s.Printer().port);
    const MediaNameLookup mediaName = [&](int id) { return mediaList.GetNameById(id); };
    std::vector<SampleMediaChoice> ticked;
    if (c.Has("--media")) {
        if (Refusal r = MediaChoices(s, values, ticked); r.exitCode) return report(r);
    } else if (c.Has("--modes")) {
        for (int m : values) {
            if (table.ModeMw(setting.file.MediaId, m) == -1)
                return report(
                    Refuse("mode-not-offered", Say(kModeNotOffered, {std::to_string(m)})));
        }
    }
    // The sheets carry the chosen language's titles; JSON lists the English ones.
    const auto makePlan = [&](bool neutral) {
        const TextLookup text = [neutral](int id) { return Text(id, neutral); };
        if (c.Has("--media")) return MediaTypePlan(setting.Record(), ticked, text, mediaName);
        if (c.Has("--feed")) return PaperFeedPlan(setting.Record(), a, b, text, mediaName);
        if (c.Has("--density")) return ColorDensityPlan(&setting.file, a, text, mediaName);
        return PrintQualityPlan(&setting.file, values, text, mediaName);
    };
    const SamplePlan plan = makePlan(false);

    CPrinterLink link(&s.Bidi());
    CliReadyProgress readyProgress(c.err, c.options.terminal);
    CliInterrupt interrupt;
    interrupt.Catch();
    Procedure::Setup setup;
    setup.library = library;
    setup.printerName = s.Name();
    setup.portName = s.Printer().port;
    setup.driverName = s.Printer().driver;
    const QByteArray* devMode = App().GetDriverSettings();
    setup.devMode = devMode ? devMode->constData() : nullptr;
    setup.modelName = App().ModelName().toStdString();
    // A script's image must not change what the dialogs offer next time.
    setup.rememberImageChoice = false;
    if (App().GetMode() != 2)
        setup.readyCheck = [&] { return link.WaitUntilReady(s.Name(), &readyProgress); };
    setup.progress = [&](const Procedure::Event& e) { ShowProgress(c.err, e); };
    setup.stop = [&] { return interrupt.Interrupted(); };

    const ImageChoice image = c.Has("--image")
                                  ? ImageChoice{ImageChoice::kUserDefined, c.Value("--image")}
                                  : ImageChoice{ImageChoice::kStandard, ""};
    Procedure procedure(setup);
    Result result = procedure.Run(plan, image);
    interrupt.Release();
    if (result == Result::NotReady && readyProgress.Cancelled()) result = Result::Cancelled;

    const bool json = c.options.json;
    Outcome outcome{kExitFailed, "failed", "", {}};
    for (const OutcomeRow& row : kRows) {
        if (row.result != result) continue;
        const int id = Procedure::MessageText(result);
        const std::string message = id ? Text(id, json) : std::string();
        outcome = {
            row.exitCode, row.word, message.empty() ? Say(row.fallback).In(json) : message, {}};
    }
    outcome.fields = {{"sheets", std::to_string(plan.sheets.size())},
                      {"printed", std::to_string(procedure.SheetsPrinted())},
                      {"image", JsonString(procedure.ImagePath())},
                      {"titles", TitlesJson(json ? makePlan(true) : plan)}};
    return Report(c, s.Name(), kAction, outcome);
}

} // namespace cli
