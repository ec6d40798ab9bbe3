#include "custompaper/CustomFileWriter.h"

#include "base/CKeyFileEditor.h"
#include "custompaper/CCustomFileIndex.h"
#include "custompaper/CustomFileText.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>

namespace {

// The file a save replaces: a symbolic link is followed, so the link stays
// and the file it names gets the new content.
std::string Target(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

int Fail(CustomFileWriteOutcome* outcome, CustomFileWrite result) {
    if (outcome) outcome->result = result;
    return -1;
}

} // namespace

void WriteCustomFileHeader(CKeyFileEditor& file, const std::string& driverName, int mediaCount,
                           std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char made[64];
    std::snprintf(made, sizeof made, "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    file.SetValue(CCustomFile::kBase, "Version", CCustomFile::kVersion);
    file.SetValue(CCustomFile::kBase, "MakeTime", made);
    file.SetValue(CCustomFile::kBase, "Model", CCustomFile::ModelOf(driverName));
    file.SetValue(CCustomFile::kBase, "MediaCount", std::to_string(mediaCount));
}

int WriteCustomFileEntry(const std::string& path, const std::string& driverName, int k,
                         const CustomFileRecord* record, CustomFileWriteOutcome* outcome,
                         const CustomFileWriteOptions& options) {
    if (outcome) *outcome = {};
    if (!record) return Fail(outcome, CustomFileWrite::NoRecord);
    if (k < 1 || k > CCustomFile::kMaxEntries)
        return Fail(outcome, CustomFileWrite::BadEntryNumber);

    const std::string target = Target(path);
    std::string old;
    int count = 0;
    struct stat st {};
    if (stat(target.c_str(), &st) == 0 || errno != ENOENT) {
        const CCustomFile::Problem loaded = CCustomFile::Load(target, old);
        const CCustomFileIndex index(CCustomFile::WithoutMark(old));
        const CCustomFile::Problem problem = loaded != CCustomFile::Problem::None
                                                 ? loaded
                                                 : CCustomFile::CheckModel(index, driverName);
        if (problem != CCustomFile::Problem::None) {
            if (outcome) outcome->problem = problem;
            return Fail(outcome, CustomFileWrite::NotCustomFile);
        }
        count = CCustomFile::CountOf(index);
        if (count < 0) return Fail(outcome, CustomFileWrite::CountUnreadable);
    }
    const int newCount = count > k ? count : k;

    const bool hasMark = CCustomFile::WithoutMark(old).size() != old.size();
    std::string name, inkMode;
    if (!CustomFileText::Encode(
            CustomFileText::CutCharacters(record->CustomName, CCustomFile::kNameLength), hasMark,
            name) ||
        !CustomFileText::Encode(record->InkMode, hasMark, inkMode))
        return Fail(outcome, CustomFileWrite::TextNotWritable);

    CKeyFileEditor file(CCustomFile::WithoutMark(old));
    WriteCustomFileHeader(file, driverName, newCount,
                          options.now ? options.now : std::time(nullptr));
    const std::string section = CCustomFile::SectionOf(k);
    const auto number = [&](const char* key, std::int32_t value) {
        file.SetValue(section, key, std::to_string(value));
    };
    file.SetValue(section, "CustomName", name);
    number("ID", record->ID);
    number("Mode", record->Mode);
    number("Hres", record->Hres);
    number("Vres", record->Vres);
    number("Mw", record->Mw);
    number("Density", record->Density);
    number("Forward", record->Forward);
    number("Drytime", record->Drytime);
    number("Paperthick", record->Paperthick);
    number("Paperdraw", record->Paperdraw);
    number("PaperCut", record->PaperCut);
    file.SetValue(section, "InkMode", inkMode);
    number("Platen", record->Platen);
    number("Roller", record->Roller);
    number("SID", record->SID);

    const std::string text =
        (hasMark ? std::string(CustomFileText::kUtf8Mark) : std::string()) + file.Text();
    const AtomicFile::Result saved = AtomicFile::Replace(target, text, options.io);
    if (saved != AtomicFile::Result::Ok) {
        if (outcome) outcome->save = saved;
        return Fail(outcome, CustomFileWrite::SaveFailed);
    }
    return 0;
}

std::string DescribeCustomFileWrite(const CustomFileWriteOutcome& outcome) {
    switch (outcome.result) {
    case CustomFileWrite::Ok:
        return "saved";
    case CustomFileWrite::NoRecord:
        return "there is no setting to save";
    case CustomFileWrite::BadEntryNumber:
        return "the entry number is out of range";
    case CustomFileWrite::NotCustomFile:
        return CCustomFile::Describe(outcome.problem);
    case CustomFileWrite::CountUnreadable:
        return "the file's entry count cannot be read";
    case CustomFileWrite::TextNotWritable:
        return "the name holds a control character or a character custom files cannot carry "
               "(Windows-1252)";
    case CustomFileWrite::SaveFailed:
        return std::string(AtomicFile::Describe(outcome.save)) +
               (outcome.save == AtomicFile::Result::FolderFlushFailed ? ""
                                                                      : "; the file is unchanged");
    }
    return "the file cannot be written";
}
