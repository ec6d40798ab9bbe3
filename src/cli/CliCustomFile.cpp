#include "cli/CliCustomFile.h"

#include "app/CPlotcareApp.h"
#include "base/RegularFile.h"
#include "base/TextScan.h"
#include "cli/CliContext.h"
#include "cli/CliMessage.h"
#include "cli/CliText.h"
#include "cli/JsonValue.h"
#include "custompaper/CCustomFile.h"
#include "custompaper/CCustomFileSave.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/CustomFileText.h"
#include "custompaper/CustomFileWriter.h"
#include "platform/Spooler.h"

#include <QString>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <sys/stat.h>

namespace cli {

namespace {

// Only the Corvan Max 7100 build has custom files; without --printer or
// --model the files are taken to be of that model.
constexpr const char* kDefaultDriver = "ORVEX Corvan Max 7100";

struct IntField {
    const char* key;
    std::int32_t CustomFileRecord::*field;
    std::int32_t low, high; // the range the page's controls allow
};

// In the order of the file.
const IntField kBefore[] = {{"ID", &CustomFileRecord::ID, INT32_MIN, INT32_MAX},
                            {"Mode", &CustomFileRecord::Mode, 1, 4}};
const IntField kResolution[] = {{"Hres", &CustomFileRecord::Hres, INT32_MIN, INT32_MAX},
                                {"Vres", &CustomFileRecord::Vres, INT32_MIN, INT32_MAX},
                                {"Mw", &CustomFileRecord::Mw, INT32_MIN, INT32_MAX}};
const IntField kMiddle[] = {{"Density", &CustomFileRecord::Density, -50, 50},
                            {"Forward", &CustomFileRecord::Forward, -70, 70},
                            {"Drytime", &CustomFileRecord::Drytime, 0, 50},
                            {"Paperthick", &CustomFileRecord::Paperthick, 1, 16},
                            {"Paperdraw", &CustomFileRecord::Paperdraw, -4, 0},
                            {"PaperCut", &CustomFileRecord::PaperCut, 0, 3}};
const IntField kAfter[] = {{"Platen", &CustomFileRecord::Platen, 1, 4},
                           {"Roller", &CustomFileRecord::Roller, 0, 3},
                           {"SID", &CustomFileRecord::SID, INT32_MIN, INT32_MAX}};

template <typename F> void ForEachField(bool withResolution, F&& f) {
    for (const IntField& x : kBefore)
        f(x);
    if (withResolution)
        for (const IntField& x : kResolution)
            f(x);
    for (const IntField& x : kMiddle)
        f(x);
}
template <typename F> void ForEachFieldAfterInk(F&& f) {
    for (const IntField& x : kAfter)
        f(x);
}

// The texts of plotcare-cli zmd.
enum Text : int {
    kQuoted = 115100, // "FILE": what is wrong
    kProblemNone,
    kProblemNotAttached,
    kProblemCannotOpen,
    kProblemNotRegular,
    kProblemTooLarge,
    kProblemReadError,
    kProblemBinary,
    kProblemNotCustomFile,
    kProblemOtherModel,
    kProblemOther,
    kWriteOk,
    kWriteNoRecord,
    kWriteBadEntryNumber,
    kWriteCountUnreadable,
    kWriteTextNotWritable,
    kWriteUnchanged,
    kWriteOther,
    kSaveNotWritable,
    kSaveCannotCreate,
    kSaveWriteFailed,
    kSaveFlushFailed,
    kSaveRenameFailed,
    kSaveFolderFlushFailed,
    kSaveOther,
    kNoSpooler,
    kUnsupportedDriver,
    kNoSuchPrinter,
    kEntriesUnreadable,
    kNoEntry,
    kEntryLabel,
    kOutsideRange,
    kPlatenNotOffered,
    kInkModeDigits,
    kNoMediaOfIds,
    kModeNotOffered,
    kUsage,
    kUnreadable,
    kNameEmpty,
    kNameTooLong,
    kNoMediaTable,
    kNameExists,
    kSaved,
    kRewrote,
    kNotObject,
    kUnknownMember,
    kNotInteger,
    kInkModeNotText,
};

Sentence DescribeSave(AtomicFile::Result r) {
    switch (r) {
    case AtomicFile::Result::Ok:
        return Say(kWriteOk);
    case AtomicFile::Result::NotWritable:
        return Say(kSaveNotWritable);
    case AtomicFile::Result::CannotCreate:
        return Say(kSaveCannotCreate);
    case AtomicFile::Result::WriteFailed:
        return Say(kSaveWriteFailed);
    case AtomicFile::Result::FlushFailed:
        return Say(kSaveFlushFailed);
    case AtomicFile::Result::RenameFailed:
        return Say(kSaveRenameFailed);
    case AtomicFile::Result::FolderFlushFailed:
        return Say(kSaveFolderFlushFailed);
    }
    return Say(kSaveOther);
}

// What went wrong with a write, as DescribeCustomFileWrite says it.
Sentence DescribeWrite(const CustomFileWriteOutcome& outcome) {
    switch (outcome.result) {
    case CustomFileWrite::Ok:
        return Say(kWriteOk);
    case CustomFileWrite::NoRecord:
        return Say(kWriteNoRecord);
    case CustomFileWrite::BadEntryNumber:
        return Say(kWriteBadEntryNumber);
    case CustomFileWrite::NotCustomFile:
        return DescribeCustomFileProblem(outcome.problem);
    case CustomFileWrite::CountUnreadable:
        return Say(kWriteCountUnreadable);
    case CustomFileWrite::TextNotWritable:
        return Say(kWriteTextNotWritable);
    case CustomFileWrite::SaveFailed:
        // A folder that was not flushed holds the new file already.
        return outcome.save == AtomicFile::Result::FolderFlushFailed
                   ? DescribeSave(outcome.save)
                   : Say(kWriteUnchanged, {DescribeSave(outcome.save)});
    }
    return Say(kWriteOther);
}

struct Refusal {
    int exitCode;
    std::string word;
    Sentence message;
};

int Finish(Context& c, const std::string& file, const std::string& action, const Refusal& r) {
    if (c.options.json)
        c.out << "{\"file\":" << JsonString(file) << ",\"action\":" << JsonString(action)
              << ",\"outcome\":" << JsonString(r.word) << ",\"exitCode\":" << r.exitCode
              << ",\"message\":" << JsonString(r.message.Neutral()) << "}\n";
    else
        c.err << "plotcare-cli: " << Escaped(r.message.Text()) << "\n";
    return r.exitCode;
}

// What a failed read of a custom file means for the exit code: a file that
// cannot be read at all is 6, one that is read and refused is 5.
Refusal FileRefusal(const std::string& file, CCustomFile::Problem p) {
    const bool io = p == CCustomFile::Problem::CannotOpen || p == CCustomFile::Problem::ReadError;
    return {io ? kExitFailed : kExitRefused, io ? "unreadable" : "not-custom-file",
            Say(kQuoted, {file, DescribeCustomFileProblem(p)})};
}

// The driver name whose model the files must carry; 0 or an exit code.
int DriverName(Context& c, std::string& driver) {
    if (c.Has("--printer")) {
        std::vector<SpoolerPrinter> all;
        if (!Spooler::Current().EnumPrinters(all)) {
            c.err << "plotcare-cli: " << Message(kNoSpooler) << "\n";
            return kExitNotSupported;
        }
        const std::string name = c.Value("--printer");
        for (const auto& p : all) {
            if (p.name != name) continue;
            if (!c.options.anyDriver && !App().IsListedPrinter(QString::fromStdString(p.driver))) {
                c.err << "plotcare-cli: "
                      << Message(kUnsupportedDriver, {Escaped(p.name), Escaped(p.driver)}) << "\n";
                return kExitNotSupported;
            }
            driver = p.driver;
            return kExitOk;
        }
        c.err << "plotcare-cli: " << Message(kNoSuchPrinter, {Escaped(name)}) << "\n";
        return kExitNotSupported;
    }
    driver = c.Has("--model") ? c.Value("--model") : kDefaultDriver;
    return kExitOk;
}

int List(Context& c, const std::string& driver, const std::string& path) {
    CCustomFile file(driver);
    if (file.Attach(path) != 0)
        return Finish(c, path, "zmd list", FileRefusal(path, file.LastProblem()));
    const int count = file.MediaCount();
    std::vector<std::string> names;
    if (count < 0 || (count > 0 && file.ReadNames(names, count) != 0))
        return Finish(c, path, "zmd list",
                      {kExitRefused, "damaged", Say(kQuoted, {path, Say(kEntriesUnreadable)})});
    if (c.options.json) {
        c.out << "{\"file\":" << JsonString(path)
              << ",\"model\":" << JsonString(CCustomFile::ModelOf(driver))
              << ",\"mediaCount\":" << count << ",\"entries\":[";
        for (std::size_t i = 0; i < names.size(); ++i)
            c.out << (i ? "," : "") << "{\"entry\":" << i + 1
                  << ",\"name\":" << JsonString(names[i]) << "}";
        c.out << "]}\n";
    } else {
        for (std::size_t i = 0; i < names.size(); ++i)
            c.out << i + 1 << "\t" << Escaped(names[i]) << "\n";
    }
    return kExitOk;
}

int Show(Context& c, const std::string& driver, const std::string& path, const std::string& which) {
    CCustomFile file(driver);
    if (file.Attach(path) != 0)
        return Finish(c, path, "zmd show", FileRefusal(path, file.LastProblem()));
    const int entry = FindCustomFileEntry(file, which);
    CustomFileRecord record;
    if (entry < 1 || file.ReadEntry(entry, record) != 0)
        return Finish(c, path, "zmd show",
                      {kExitRefused, "no-entry", Say(kNoEntry, {path, which})});
    // The resolution keys are not needed to use an entry; shown when present.
    bool withResolution = true;
    for (const IntField& f : kResolution) {
        std::string value;
        if (file.Lookup(CCustomFile::SectionOf(entry), f.key, value) != 0)
            withResolution = false;
        else
            record.*f.field = TextScan::Atoi(value);
    }
    if (c.options.json) {
        c.out << CustomFileEntryJson(path, entry, record, withResolution) << "\n";
        return kExitOk;
    }
    char line[64];
    // The label in the chosen language, padded as the keys are.
    std::string label = Message(kEntryLabel);
    label.resize(std::max<std::size_t>(label.size() + 1, 12), ' ');
    c.out << label << entry << "\n";
    c.out << "CustomName  " << Escaped(record.CustomName) << "\n";
    const auto print = [&](const IntField& f) {
        std::snprintf(line, sizeof line, "%-12s%d\n", f.key, record.*f.field);
        c.out << line;
    };
    ForEachField(withResolution, print);
    c.out << "InkMode     " << Escaped(record.InkMode) << "\n";
    ForEachFieldAfterInk(print);
    return kExitOk;
}

// The checks of the page's controls and of its save: values within the
// controls' ranges, a media of the media table that offers the mode, the
// platen choices the thickness leaves. Completes the record as the page
// does before a save. Empty when the record passes.
Sentence CheckAndComplete(CustomFileRecord& r, const CMediaTable& media) {
    Sentence problem;
    const auto range = [&](const IntField& f) {
        const std::int32_t v = r.*f.field;
        if (problem.Empty() && (v < f.low || v > f.high))
            problem = Say(kOutsideRange, {f.key, std::to_string(v), std::to_string(f.low),
                                          std::to_string(f.high)});
    };
    ForEachField(false, range);
    ForEachFieldAfterInk(range);
    if (!problem.Empty()) return problem;
    const int platens = r.Paperthick >= 7 ? 1 : r.Paperthick >= 3 ? 3 : 4;
    if (r.Platen > platens)
        return Say(kPlatenNotOffered, {std::to_string(r.Platen), std::to_string(r.Paperthick),
                                       std::to_string(platens)});
    if (r.InkMode.size() != 32 ||
        r.InkMode.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
        return Say(kInkModeDigits);
    r.MediaId = media.IdFromFileIds(r.ID, r.SID);
    if (r.MediaId == 0) return NoMediaOfFileIds(r.ID, r.SID);
    if (media.ModeMw(r.MediaId, r.Mode) == -1)
        return Say(kModeNotOffered, {std::to_string(r.Mode)});
    r.Hres = media.ModeHres(r.MediaId, r.Mode);
    r.Vres = media.ModeVres(r.MediaId, r.Mode);
    r.Mw = media.ModeMw(r.MediaId, r.Mode);
    return {};
}

int Save(Context& c, const std::string& driver, const std::string& path) {
    const std::string action = "zmd save";
    if (!c.Has("--from") || !c.Has("--name")) {
        c.err << Message(kUsage, {"plotcare-cli zmd save FILE --from FILE.json --name NAME [--overwrite]"})
              << "\n";
        return kExitUsage;
    }
    const std::string from = c.Value("--from");
    std::string json;
    if (RegularFile::Read(from, JsonValue::kMaxInput, json) != RegularFile::Result::Ok)
        return Finish(c, path, action, {kExitUsage, "bad-input", Say(kUnreadable, {from})});
    CustomFileRecord record;
    Sentence error;
    if (!CustomFileRecordFromJson(json, record, error))
        return Finish(c, path, action, {kExitUsage, "bad-input", Say(kQuoted, {from, error})});

    // The name as the save dialog takes it: as typed, not blank, at most 16
    // characters.
    const std::string name = c.Value("--name");
    if (name.find_last_not_of(' ') == std::string::npos)
        return Finish(c, path, action, {kExitRefused, "bad-name", Say(kNameEmpty)});
    if (!CustomFileText::IsValidUtf8(name) ||
        CustomFileText::CharacterCount(name) > CCustomFile::kNameLength)
        return Finish(c, path, action,
                      {kExitRefused, "bad-name",
                       Say(kNameTooLong, {std::to_string(CCustomFile::kNameLength), name})});

    const CMediaTable media(App().SettingsFilePath("Media.ini"));
    if (!media.IsComplete())
        return Finish(c, path, action, {kExitFailed, "no-media-table", Say(kNoMediaTable)});
    const Sentence problem = CheckAndComplete(record, media);
    if (!problem.Empty()) return Finish(c, path, action, {kExitRefused, "out-of-range", problem});

    // The entry: 1 for a new file; the entry of the same name (with
    // --overwrite only); else one after the last.
    const bool overwrite = c.Has("--overwrite");
    const CCustomFileSave::Result saved =
        CCustomFileSave(driver).Save(path, name, &record, [&](int) { return overwrite; });
    switch (saved.outcome) {
    case CCustomFileSave::Outcome::Saved:
        break;
    case CCustomFileSave::Outcome::NotCustomFile:
        return Finish(c, path, action, FileRefusal(path, saved.problem));
    case CCustomFileSave::Outcome::Unreadable:
        return Finish(c, path, action,
                      {kExitRefused, "damaged", Say(kQuoted, {path, Say(kEntriesUnreadable)})});
    case CCustomFileSave::Outcome::Declined:
        return Finish(c, path, action,
                      {kExitRefused, "name-exists",
                       Say(kNameExists, {std::to_string(saved.entry), name})});
    case CCustomFileSave::Outcome::NothingToSave:
        return Finish(c, path, action, {kExitRefused, "bad-name", Say(kNameEmpty)});
    case CCustomFileSave::Outcome::NotWritten: {
        const bool refused = saved.write.result != CustomFileWrite::SaveFailed;
        return Finish(c, path, action,
                      {refused ? kExitRefused : kExitFailed, refused ? "refused" : "not-saved",
                       Say(kQuoted, {path, DescribeWrite(saved.write)})});
    }
    }
    const int entry = saved.entry;
    const bool overwritten = saved.overwritten;
    const Sentence message =
        Say(overwritten ? kRewrote : kSaved, {std::to_string(entry), name, path});
    if (c.options.json)
        c.out << "{\"file\":" << JsonString(path)
              << ",\"action\":\"zmd save\",\"outcome\":\"saved\",\"exitCode\":0"
              << ",\"message\":" << JsonString(message.Neutral()) << ",\"entry\":" << entry
              << ",\"name\":" << JsonString(name)
              << ",\"overwritten\":" << (overwritten ? "true" : "false") << "}\n";
    else
        c.out << Escaped(message.Text()) << "\n";
    return kExitOk;
}

} // namespace

std::string CustomFileEntryJson(const std::string& file, int entry, const CustomFileRecord& r,
                                bool withResolution) {
    std::string out = "{\"file\":" + JsonString(file) + ",\"entry\":" + std::to_string(entry) +
                      ",\"CustomName\":" + JsonString(r.CustomName);
    const auto number = [&](const IntField& f) {
        out += ",\"" + std::string(f.key) + "\":" + std::to_string(r.*f.field);
    };
    ForEachField(withResolution, number);
    out += ",\"InkMode\":" + JsonString(r.InkMode);
    ForEachFieldAfterInk(number);
    return out + "}";
}

bool CustomFileRecordFromJson(std::string_view text, CustomFileRecord& record, std::string& error) {
    Sentence why;
    const bool ok = CustomFileRecordFromJson(text, record, why);
    error = ok ? std::string() : why.Text();
    return ok;
}

bool CustomFileRecordFromJson(std::string_view text, CustomFileRecord& record, Sentence& error) {
    JsonValue doc;
    if (!JsonValue::Parse(text, doc, error)) return false;
    if (!doc.IsObject()) {
        error = Say(kNotObject);
        return false;
    }
    static const char* const kIgnored[] = {"file", "entry", "CustomName", "Hres", "Vres", "Mw"};
    CustomFileRecord r;
    std::vector<const IntField*> wanted;
    ForEachField(false, [&](const IntField& f) { wanted.push_back(&f); });
    ForEachFieldAfterInk([&](const IntField& f) { wanted.push_back(&f); });
    for (const auto& [name, value] : doc.Members()) {
        bool known = name == "InkMode";
        for (const char* ignored : kIgnored)
            known = known || name == ignored;
        for (const IntField* f : wanted)
            known = known || name == f->key;
        if (!known) {
            error = Say(kUnknownMember, {name});
            return false;
        }
    }
    for (const IntField* f : wanted) {
        const JsonValue* v = doc.Member(f->key);
        if (!v || !v->AsInt32(r.*(f->field))) {
            error = Say(kNotInteger, {f->key});
            return false;
        }
    }
    const JsonValue* ink = doc.Member("InkMode");
    if (!ink || ink->type() != JsonValue::Type::String) {
        error = Say(kInkModeNotText);
        return false;
    }
    r.InkMode = ink->Text();
    record = std::move(r);
    return true;
}

int Zmd(Context& c) {
    const std::string& verb = c.args[0];
    const std::string& path = c.args[1];
    const bool known = verb == "list" || verb == "show" || verb == "save";
    if (!known || (verb == "show") != (c.args.size() == 3)) {
        c.err << Message(kUsage, {"plotcare-cli zmd list FILE | zmd show FILE ENTRY | zmd save FILE "
                                  "--from FILE.json --name NAME [--overwrite]"})
              << "\n";
        return kExitUsage;
    }
    std::string driver;
    if (const int r = DriverName(c, driver)) return r;
    if (verb == "list") return List(c, driver, path);
    if (verb == "show") return Show(c, driver, path, c.args[2]);
    return Save(c, driver, path);
}

bool CustomFileSource(const std::string& from, std::string& file, std::string& entry) {
    const auto colon = from.rfind(':');
    if (colon == std::string::npos) return false;
    std::error_code ec;
    if (std::filesystem::exists(from, ec)) return false;
    std::string extension = std::filesystem::path(from.substr(0, colon)).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    if (extension != ".zmd") return false;
    file = from.substr(0, colon);
    entry = from.substr(colon + 1);
    return true;
}

Sentence DescribeCustomFileProblem(CCustomFile::Problem p) {
    switch (p) {
    case CCustomFile::Problem::None:
        return Say(kProblemNone);
    case CCustomFile::Problem::NotAttached:
        return Say(kProblemNotAttached);
    case CCustomFile::Problem::CannotOpen:
        return Say(kProblemCannotOpen);
    case CCustomFile::Problem::NotRegular:
        return Say(kProblemNotRegular);
    case CCustomFile::Problem::TooLarge:
        return Say(kProblemTooLarge);
    case CCustomFile::Problem::ReadError:
        return Say(kProblemReadError);
    case CCustomFile::Problem::Binary:
        return Say(kProblemBinary);
    case CCustomFile::Problem::NotCustomFile:
        return Say(kProblemNotCustomFile);
    case CCustomFile::Problem::OtherModel:
        return Say(kProblemOtherModel);
    }
    return Say(kProblemOther);
}

Sentence NoMediaOfFileIds(std::int32_t id, std::int32_t sid) {
    return Say(kNoMediaOfIds, {std::to_string(id), std::to_string(sid)});
}

int FindCustomFileEntry(CCustomFile& file, const std::string& which) {
    if (!which.empty() && which.size() < 6 && which.find_first_not_of("0123456789") == std::string::npos)
        return std::stoi(which);
    const int count = file.MediaCount();
    std::vector<std::string> names;
    if (count > 0 && file.ReadNames(names, count) == 0)
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == which) return static_cast<int>(i) + 1;
    return 0;
}

} // namespace cli
