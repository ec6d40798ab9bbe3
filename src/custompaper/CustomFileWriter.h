#pragma once

#include "base/AtomicFile.h"
#include "custompaper/CCustomFile.h"
#include "custompaper/CustomFileRecord.h"

#include <ctime>
#include <string>

class CKeyFileEditor;

// Writing custom files. A save never damages a file: the new file is built
// whole in memory from the old one (whose other lines stay as they are),
// written beside it, flushed and renamed over it (AtomicFile). A failed save
// leaves the previous file exactly as it was.

enum class CustomFileWrite {
    Ok,
    NoRecord,
    BadEntryNumber,  // not 1..CCustomFile::kMaxEntries
    NotCustomFile,   // the existing file cannot be read or is not of this model (see problem)
    CountUnreadable, // the existing file's MediaCount cannot be read
    TextNotWritable, // a name or ink text with a control character, or one the file's encoding
                     // lacks
    SaveFailed,      // see save
};

struct CustomFileWriteOutcome {
    CustomFileWrite result = CustomFileWrite::Ok;
    CCustomFile::Problem problem = CCustomFile::Problem::None;
    AtomicFile::Result save = AtomicFile::Result::Ok;
};

struct CustomFileWriteOptions {
    std::time_t now = 0;          // MakeTime; 0 = the current time
    AtomicFile::Io* io = nullptr; // the system calls of the save (tests)
};

// Writes the header ("Version", "MakeTime" in local time, "Model" of the
// driver name, "MediaCount") into the file's text.
void WriteCustomFileHeader(CKeyFileEditor& file, const std::string& driverName, int mediaCount,
                           std::time_t now);

// Writes entry k: an existing file must be a custom file of the driver's
// model with a readable MediaCount; "MediaCount" becomes the larger of it and
// k; the entry's 16 keys are written in their order, "CustomName" cut to 16
// characters. A missing file is created (with CR LF line ends); an existing
// one keeps its line ends. A path that is a symbolic link saves into the
// file it points to. 0 on success, -1 otherwise (the outcome says why).
int WriteCustomFileEntry(const std::string& path, const std::string& driverName, int k,
                         const CustomFileRecord* record, CustomFileWriteOutcome* outcome = nullptr,
                         const CustomFileWriteOptions& options = {});

// A sentence for the outcome of a failed write.
std::string DescribeCustomFileWrite(const CustomFileWriteOutcome& outcome);
