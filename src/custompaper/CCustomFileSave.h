#pragma once

#include "custompaper/CCustomFile.h"
#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomFileWriter.h"

#include <functional>
#include <string>
#include <vector>

// Saving one setting into a custom file under a name, without a window:
// which entry it goes to, whether the operator is asked before an entry is
// overwritten, and the write. The save dialog and plotcare-cli's zmd save
// run the same sequence and map its outcome to a message or an exit code.
//
// The entry is placed from the file as it is on disk when the save runs:
// entry 1 of a file that does not exist yet, the first entry of exactly the
// same name (after the operator agreed to overwrite it), else one after the
// last. After the question the file is read once more and the entry placed
// again, so entries another program wrote while the question was up are
// kept; the write itself builds the new file from the file on disk and
// replaces it atomically, so a failed save leaves the file as it was.
class CCustomFileSave {
public:
    static constexpr int kTextNotCustomFile = 50900;
    static constexpr int kTextOverwrite = 50902;
    static constexpr int kTextUnreadable = 50903;

    enum class Placement {
        NewFile,   // the file does not exist: entry 1
        Append,    // no entry of the name: one after the last
        Overwrite, // an entry of the name exists: that entry
    };
    struct Place {
        Placement placement = Placement::NewFile;
        int entry = 1;
    };
    // The placement in a file with these entry names (`exists`: the file
    // exists; its names are those of entries 1..n).
    static Place PlaceEntry(bool exists, const std::vector<std::string>& names,
                            const std::string& name);

    enum class Outcome {
        Saved,
        NothingToSave, // no record, no path, or a name of blanks: nothing done
        NotCustomFile, // the file exists and is not a custom file of the model (see problem)
        Unreadable,    // the file's entry count or names cannot be read
        Declined,      // an entry of the name exists and the operator did not agree
        NotWritten,    // the write failed (see write); the file is as it was
    };
    struct Result {
        Outcome outcome = Outcome::NothingToSave;
        int entry = 0;            // the entry written or asked about
        bool overwritten = false; // an entry of the name was rewritten
        CCustomFile::Problem problem = CCustomFile::Problem::None;
        CustomFileWriteOutcome write;
    };

    // `driverName`: the selected printer's driver, whose model the file
    // must carry.
    explicit CCustomFileSave(std::string driverName);

    // Where `name` would go now, read from the file on disk; Outcome Saved
    // with the placement's entry when the file can take it.
    Result Plan(const std::string& path, const std::string& name, Place* place) const;

    // Sets the record's name and writes the record into the file.
    // `confirmOverwrite` is asked (at most once) when an entry of the name
    // exists; true overwrites it.
    Result Save(const std::string& path, const std::string& name, CustomFileRecord* record,
                const std::function<bool(int entry)>& confirmOverwrite,
                const CustomFileWriteOptions& options = {}) const;

    // Whether a file chosen in the file dialog may be used: a file that does
    // not exist yet, or a custom file of the model.
    bool MayChoose(const std::string& path) const;

    // True when the name has a character that is not a blank.
    static bool NameGiven(const std::string& name);

    // The message of an outcome: a text id, 0 for none.
    static int MessageFor(Outcome outcome);

private:
    std::string m_driverName;
};
