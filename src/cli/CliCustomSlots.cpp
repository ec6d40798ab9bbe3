#include "cli/CliCustomSlots.h"

#include "app/CPlotcareApp.h"
#include "base/RegularFile.h"
#include "cli/CliContext.h"
#include "cli/CliCustomFile.h"
#include "cli/CliMessage.h"
#include "cli/CliReadyProgress.h"
#include "cli/CliText.h"
#include "cli/SlotJson.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CCustomFile.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/FileEntrySlot.h"
#include "custompaper/SlotRanges.h"

#include <QString>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>

namespace cli {

namespace {

// Page texts said by the actions.
constexpr int kTextNotReadable = 40900;
constexpr int kTextCalledSlot = 40902;
constexpr int kTextCalledStandard = 40903;
constexpr int kTextCallFailed = 40904;
constexpr int kTextRegistered = 30903;
constexpr int kTextRegisterFailed = 30904;

// plotcare-cli's own texts of these commands.
enum Text : int {
    kUsage = 115200,
    kWaitCancelled,
    kNotReady,
    kNoAnswer,
    kPathProblem,
    kNoEntry,
    kMediaNotInTable,
    kSlotsRead,
    kSlotNumber,
    kSlotEmpty,
    kSlotLabel,
    kSlotRead,
    kNotRegistered,
    kFromMissing,
    kTooLarge,
    kNotRegular,
    kUnreadable,
    // Said when the settings give no text for the page's message.
    kFallbackNotReadable,
    kFallbackCallFailed,
    kFallbackCalledStandard,
    kFallbackCalledSlot,
    kFallbackRegisterFailed,
    kFallbackRegistered,
};

// The page's message on one line, in English for JSON; `fallback` when the
// settings give none.
std::string PageText(const Context& c, int id, int fallback) {
    const QString page = c.options.json ? App().GetBaseText(id) : App().GetText(id);
    std::string text = QString(page).replace(QLatin1Char('\n'), QLatin1Char(' ')).toStdString();
    return text.empty() ? Say(fallback).In(c.options.json) : text;
}

// A sentence in the form the output takes: English for JSON.
std::string Said(const Context& c, const Sentence& s) {
    return s.In(c.options.json);
}

std::string Bool(bool b) {
    return b ? "true" : "false";
}

int UsageError(Context& c, const std::string& usage, const std::string& what) {
    c.err << "plotcare-cli: " << Escaped(what) << "\n"
          << Message(kUsage, {"plotcare-cli " + usage}) << "\n";
    return kExitUsage;
}

// The readiness wait the pages make before they read or send: 0 when ready,
// otherwise the outcome is reported and its exit code returned.
int WaitReady(Context& c, ActionSession& s, CPrinterLink& link, const std::string& action) {
    CliReadyProgress progress(c.err, c.options.terminal);
    switch (link.WaitForReady(s.Name(), &progress)) {
    case CPrinterLink::ReadyOutcome::Ready:
        return kExitOk;
    case CPrinterLink::ReadyOutcome::Cancelled:
        return Report(c, s.Name(), action,
                      {kExitCancelled, "cancelled", Said(c, Say(kWaitCancelled)), {}});
    case CPrinterLink::ReadyOutcome::NotReady:
        return Report(c, s.Name(), action,
                      {kExitNotReady, "not-ready", Said(c, Say(kNotReady)), {}});
    default:
        return Report(c, s.Name(), action,
                      {kExitNoAnswer, "no-answer", Said(c, Say(kNoAnswer)), {}});
    }
}

// A query's failure: no answer at all, or an answer that could not be read.
int QueryFailed(Context& c, ActionSession& s, const std::string& action, int result) {
    const std::string text = PageText(c, kTextNotReadable, kFallbackNotReadable);
    return Report(c, s.Name(), action,
                  {kExitNoAnswer, result < 0 ? "no-answer" : "unreadable-reply", text, {}});
}

// Reads name and registration of one slot; 0, or the exit code reported.
int ReadName(Context& c, ActionSession& s, CPrinterLink& link, CCustomPaperTable& table, int index,
             const std::string& action) {
    const int r = table.QueryName(link, s.Name(), index);
    if (r <= 0 || !table.LastQueryComplete()) return QueryFailed(c, s, action, r);
    return kExitOk;
}

std::string TrimmedName(const CustomPaperSlot& slot) {
    std::string name = slot.Name;
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

// The settings of entry `which` (its number, or its name) of a custom file
// of the printer's model; false with a refusal's word and reason.
bool SettingsFromCustomFile(const std::string& driver, const CMediaTable& media,
                            const std::string& path, const std::string& which,
                            CustomPaperSlot& slot, std::string& name, std::string& word,
                            Sentence& why) {
    CCustomFile file(driver);
    if (file.Attach(path) != 0) {
        word = "bad-settings";
        why = Say(kPathProblem, {path, DescribeCustomFileProblem(file.LastProblem())});
        return false;
    }
    const int entry = FindCustomFileEntry(file, which);
    CustomFileRecord record;
    if (entry < 1 || file.ReadEntry(entry, record) != 0) {
        word = "bad-settings";
        why = Say(kNoEntry, {path, which});
        return false;
    }
    if (!SlotFromFileEntry(record, media, slot)) {
        word = "bad-settings";
        why = Say(kMediaNotInTable,
                  {path, which, std::to_string(record.ID), std::to_string(record.SID)});
        return false;
    }
    name = record.CustomName;
    return true;
}

} // namespace

int SlotIndexArgument(const std::string& text) {
    for (int n = 1; n <= CCustomPaperTable::kSlotCount; ++n)
        if (text == std::to_string(n)) return n - 1;
    return -1;
}

int Slots(Context& c) {
    ActionSession s;
    if (int r = s.Open(c)) return r;
    CCustomPaperTable& table = *s.Shared().customPaperTable;
    CPrinterLink link(&s.Bidi());
    if (int r = WaitReady(c, s, link, "slots")) return r;
    const int r = table.QueryNames(link, s.Name());
    if (r <= 0 || !table.LastQueryComplete()) return QueryFailed(c, s, "slots", r);

    if (c.options.json) {
        std::string list = "[";
        for (int i = 0; i < CCustomPaperTable::kSlotCount; ++i) {
            list +=
                (i ? ",{\"slot\":" : "{\"slot\":") + std::to_string(i + 1) +
                ",\"registered\":" + Bool(table.IsRegistered(i)) + ",\"name\":" +
                JsonString(table.IsRegistered(i) ? TrimmedName(table.SlotAt(i)) : std::string()) +
                "}";
        }
        list += "]";
        return Report(c, s.Name(), "slots",
                      {kExitOk, "read", Said(c, Say(kSlotsRead)), {{"slots", list}}});
    }
    for (int i = 0; i < CCustomPaperTable::kSlotCount; ++i)
        c.out << "#" << (i + 1) << (i < 9 ? "  " : " ") << Escaped(table.SlotLabel(i)) << "\n";
    return kExitOk;
}

int Slot(Context& c) {
    const int index = c.args.size() > 1 ? SlotIndexArgument(c.args[1]) : -1;
    if (index < 0) return UsageError(c, "slot PRINTER N", Message(kSlotNumber));
    ActionSession s;
    if (int r = s.Open(c)) return r;
    CCustomPaperTable& table = *s.Shared().customPaperTable;
    CPrinterLink link(&s.Bidi());
    if (int r = WaitReady(c, s, link, "slot")) return r;
    if (int r = ReadName(c, s, link, table, index, "slot")) return r;
    const bool registered = table.IsRegistered(index);
    if (registered) {
        const int r = table.QuerySettings(link, s.Name(), index);
        if (r <= 0 || !table.LastQueryComplete()) return QueryFailed(c, s, "slot", r);
    }
    const CustomPaperSlot& slot = table.SlotAt(index);
    const CMediaTable* media = s.Shared().mediaTable.get();
    const int mediaId = media ? media->IdFromMediaCode(slot.MediaCode) : 0;

    Outcome outcome{kExitOk,
                    "read",
                    "",
                    {{"slot", std::to_string(index + 1)}, {"registered", Bool(registered)}}};
    if (!registered) {
        outcome.message = Said(c, Say(kSlotEmpty, {std::to_string(index + 1)}));
        outcome.fields.emplace_back("name", JsonString(""));
        if (c.options.json) return Report(c, s.Name(), "slot", outcome);
        c.out << Message(kSlotLabel, {std::to_string(index + 1), Escaped(table.SlotLabel(index))})
              << "\n";
        return kExitOk;
    }
    const auto fields = SlotJsonFields(slot, mediaId);
    outcome.fields.insert(outcome.fields.end(), fields.begin(), fields.end());
    outcome.message = Said(c, Say(kSlotRead, {std::to_string(index + 1)}));
    if (c.options.json) return Report(c, s.Name(), "slot", outcome);
    c.out << "slot:       " << (index + 1) << "\n"
          << "name:       " << Escaped(TrimmedName(slot)) << "\n"
          << "media:      code " << slot.MediaCode << ", id " << mediaId << "\n"
          << "paperthick: " << slot.Paperthick << " (0.1 mm)\n"
          << "platen:     " << slot.Platen << "\n"
          << "paperdraw:  " << slot.Paperdraw << "\n"
          << "roller:     " << slot.Roller << "\n"
          << "forward:    " << slot.Forward << " (0.01 %)\n"
          << "drytime:    " << slot.Drytime << " (0.1 s)\n"
          << "paperCut:   " << slot.PaperCut << "\n"
          << "threeWay:   " << slot.ThreeWay << "\n";
    return kExitOk;
}

int Call(Context& c) {
    const std::string which = c.args.size() > 1 ? c.args[1] : std::string();
    const bool standard = which == "standard";
    const int index = standard ? -1 : SlotIndexArgument(which);
    if (!standard && index < 0)
        return UsageError(c, "call PRINTER N|standard", Message(kSlotNumber));
    ActionSession s;
    if (int r = s.Open(c)) return r;
    CCustomPaperTable& table = *s.Shared().customPaperTable;
    CPrinterLink link(&s.Bidi());
    if (int r = WaitReady(c, s, link, "call")) return r;
    Outcome outcome{
        kExitOk, "called", "", {{"slot", standard ? std::string("0") : std::to_string(index + 1)}}};
    if (!standard) {
        // The page offers Call only for a slot that holds custom paper.
        if (int r = ReadName(c, s, link, table, index, "call")) return r;
        if (!table.IsRegistered(index))
            return Report(c, s.Name(), "call",
                          {kExitRefused, "not-registered",
                           Said(c, Say(kNotRegistered, {std::to_string(index + 1)})),
                           outcome.fields});
        table.SetCurrentIndex(index);
        outcome.fields.emplace_back("name", JsonString(TrimmedName(table.SlotAt(index))));
    }
    const int sent = standard ? table.CallStandard(s.Name()) : table.CallSlot(s.Name(), index);
    if (sent != 0) {
        outcome.exitCode = kExitFailed;
        outcome.word = "not-sent";
        outcome.message = PageText(c, kTextCallFailed, kFallbackCallFailed);
    } else {
        outcome.message = standard ? PageText(c, kTextCalledStandard, kFallbackCalledStandard)
                                   : PageText(c, kTextCalledSlot, kFallbackCalledSlot);
    }
    return Report(c, s.Name(), "call", outcome);
}

int Register(Context& c) {
    constexpr const char* kSyntax =
        "register PRINTER N [--name NAME] --from FILE.json|FILE.ZMD:ENTRY";
    const int index = c.args.size() > 1 ? SlotIndexArgument(c.args[1]) : -1;
    if (index < 0) return UsageError(c, kSyntax, Message(kSlotNumber));
    if (!c.Has("--from")) return UsageError(c, kSyntax, Message(kFromMissing));
    ActionSession s;
    if (int r = s.Open(c)) return r;
    const auto refuse = [&](const std::string& word, const Sentence& why) {
        return Report(c, s.Name(), "register",
                      {kExitRefused, word, Said(c, why), {{"slot", std::to_string(index + 1)}}});
    };

    // The settings, checked as the pages keep them, before anything is sent.
    const std::string from = c.Value("--from");
    const CMediaTable& media = *s.Shared().mediaTable;
    CustomPaperSlot slot;
    std::string name, zmdFile, zmdEntry;
    if (CustomFileSource(from, zmdFile, zmdEntry)) {
        std::string word;
        Sentence why;
        if (!SettingsFromCustomFile(s.Printer().driver, media, zmdFile, zmdEntry, slot, name, word,
                                    why))
            return refuse(word, why);
    } else {
        std::string text;
        switch (RegularFile::Read(from, kSlotJsonMaxBytes, text)) {
        case RegularFile::Result::Ok:
            break;
        case RegularFile::Result::TooLarge:
            return refuse("bad-settings",
                          Say(kTooLarge, {from, std::to_string(kSlotJsonMaxBytes)}));
        case RegularFile::Result::NotRegular:
            return refuse("bad-settings", Say(kNotRegular, {from}));
        default:
            return refuse("bad-settings", Say(kUnreadable, {from}));
        }
        Sentence error;
        if (!ReadSlotJson(text, media, slot, name, error))
            return refuse("bad-settings", Say(kPathProblem, {from, error}));
    }
    if (c.Has("--name")) name = c.Value("--name");
    if (const auto issue = SlotRanges::CheckName(name); !issue.field.empty())
        return refuse("bad-name", DescribeSlotIssue(issue));
    if (const auto issue = SlotRanges::Check(slot); !issue.field.empty())
        return refuse("out-of-range", Say(kPathProblem, {from, DescribeSlotIssue(issue)}));

    CCustomPaperTable& table = *s.Shared().customPaperTable;
    CPrinterLink link(&s.Bidi());
    if (int r = WaitReady(c, s, link, "register")) return r;
    // What the slot held, so the report can say what was replaced.
    if (int r = ReadName(c, s, link, table, index, "register")) return r;
    const bool replaced = table.IsRegistered(index);
    const std::string previous = replaced ? TrimmedName(table.SlotAt(index)) : std::string();

    table.SetCurrentIndex(index);
    Outcome outcome{kExitOk, "registered", "", {{"slot", std::to_string(index + 1)}}};
    if (table.WriteSlot(s.Name(), index, name, slot) != 0) {
        outcome = {kExitFailed, "not-sent",
                   PageText(c, kTextRegisterFailed, kFallbackRegisterFailed), outcome.fields};
        return Report(c, s.Name(), "register", outcome);
    }
    outcome.message = PageText(c, kTextRegistered, kFallbackRegistered);
    outcome.fields.emplace_back("name", JsonString(name));
    // The name of the custom paper this one replaced, null for an empty slot.
    outcome.fields.emplace_back("replaced", replaced ? JsonString(previous) : std::string("null"));
    return Report(c, s.Name(), "register", outcome);
}

} // namespace cli
