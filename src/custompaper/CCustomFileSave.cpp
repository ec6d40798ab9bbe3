#include "custompaper/CCustomFileSave.h"

#include "custompaper/CustomFileText.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

// A path that names something (a file, a dangling link, a folder, one that
// cannot be looked at): only "no such file" counts as a new file.
bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

} // namespace

CCustomFileSave::CCustomFileSave(std::string driverName) : m_driverName(std::move(driverName)) {}

CCustomFileSave::Place CCustomFileSave::PlaceEntry(bool exists,
                                                   const std::vector<std::string>& names,
                                                   const std::string& name) {
    if (!exists) return {Placement::NewFile, 1};
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return {Placement::Overwrite, static_cast<int>(i) + 1};
    return {Placement::Append, static_cast<int>(names.size()) + 1};
}

CCustomFileSave::Result CCustomFileSave::Plan(const std::string& path, const std::string& name,
                                              Place* place) const {
    Result result;
    std::vector<std::string> names;
    const bool exists = Exists(path);
    if (exists) {
        CCustomFile file(m_driverName);
        if (file.Attach(path) != 0) {
            result.outcome = Outcome::NotCustomFile;
            result.problem = file.LastProblem();
            return result;
        }
        const int count = file.MediaCount();
        if (count < 0 || (count > 0 && file.ReadNames(names, count) != 0)) {
            result.outcome = Outcome::Unreadable;
            result.problem = file.LastProblem();
            return result;
        }
    }
    // Names are compared as the file lists them: cut to their 16 characters.
    *place =
        PlaceEntry(exists, names, CustomFileText::CutCharacters(name, CCustomFile::kNameLength));
    result.outcome = Outcome::Saved;
    result.entry = place->entry;
    return result;
}

CCustomFileSave::Result
CCustomFileSave::Save(const std::string& path, const std::string& name, CustomFileRecord* record,
                      const std::function<bool(int entry)>& confirmOverwrite,
                      const CustomFileWriteOptions& options) const {
    Result result;
    if (!record || path.empty() || !NameGiven(name)) return result;
    record->CustomName = name;

    Place place;
    bool agreed = false;
    for (;;) {
        result = Plan(path, name, &place);
        if (result.outcome != Outcome::Saved) return result;
        if (place.placement != Placement::Overwrite || agreed) break;
        if (!confirmOverwrite || !confirmOverwrite(place.entry)) {
            result.outcome = Outcome::Declined;
            return result;
        }
        // The question may have been up for a while: place the entry again
        // in the file as it is now.
        agreed = true;
    }
    result.overwritten = place.placement == Placement::Overwrite;
    if (WriteCustomFileEntry(path, m_driverName, place.entry, record, &result.write, options) !=
        0) {
        result.outcome = result.write.result == CustomFileWrite::NotCustomFile
                             ? Outcome::NotCustomFile
                             : Outcome::NotWritten;
        result.problem = result.write.problem;
        result.overwritten = false;
        return result;
    }
    result.outcome = Outcome::Saved;
    return result;
}

bool CCustomFileSave::MayChoose(const std::string& path) const {
    if (!Exists(path)) return true;
    CCustomFile file(m_driverName);
    return file.Attach(path) == 0;
}

bool CCustomFileSave::NameGiven(const std::string& name) {
    return name.find_last_not_of(' ') != std::string::npos;
}

int CCustomFileSave::MessageFor(Outcome outcome) {
    switch (outcome) {
    case Outcome::NotCustomFile:
        return kTextNotCustomFile;
    case Outcome::Unreadable:
    case Outcome::NotWritten:
        return kTextUnreadable;
    case Outcome::Saved:
    case Outcome::NothingToSave:
    case Outcome::Declined:
        break;
    }
    return 0;
}
