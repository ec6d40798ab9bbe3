#pragma once

#include "custompaper/CustomFileRecord.h"

#include <cstddef>
#include <string>
#include <vector>

class CCustomFileIndex;

// Reads and checks one custom file: an INI-style key file with a "Base"
// section (Version, MakeTime, Model, MediaCount) and one section per entry,
// "Media01" for entry 1. A file belongs to one printer model; a file of
// another model is refused.
//
// Every operation reads the file afresh (it may change between them), once,
// and bounded: only a regular file of at most kMaxFileSize bytes that holds
// text (no zero byte, no control character but tab, CR and LF) is read, so a
// FIFO, a device, a huge or a binary file is refused at once with its
// Problem. Lines may end in LF or CR LF; a leading UTF-8 byte order mark is
// skipped. Texts come back in UTF-8 (see CustomFileText).
class CCustomFile {
public:
    static constexpr std::size_t kMaxFileSize = 1u << 20;
    // Entries numbered beyond this make no sense in a file of kMaxFileSize.
    static constexpr int kMaxEntries = 9999;
    static constexpr int kNameLength = 16;
    static constexpr const char* kBase = "Base";
    static constexpr const char* kVersion = "2.00";
    // The file dialogs' filter and default extension of custom files.
    static constexpr const char* kFileFilter = "ZMD File(*.ZMD)|*.ZMD|All Files(*.*)|*.*||";
    static constexpr const char* kExtension = "ZMD";

    enum class Problem {
        None,
        NotAttached,
        CannotOpen, // missing or unreadable
        NotRegular, // a folder, FIFO, device or socket
        TooLarge,   // above kMaxFileSize
        ReadError,
        Binary,        // not text
        NotCustomFile, // no "Model" in "Base"
        OtherModel,    // "Model" names another model
    };

    // `driverName`: the selected printer's driver name, whose model the
    // files must carry.
    explicit CCustomFile(std::string driverName);

    // 0 when the file is a custom file of the driver's model, which is then
    // attached; -1 otherwise, with nothing attached.
    int Attach(const std::string& path);
    const std::string& Path() const { return m_path; }
    // Why the last operation failed (None after a success).
    Problem LastProblem() const { return m_problem; }

    // The "MediaCount" value (0..kMaxEntries); -1 when it cannot be read,
    // is negative or beyond kMaxEntries.
    int MediaCount();
    // The "CustomName" of entries 1..count, each cut to kNameLength
    // characters. -1 when count is below 1, when MediaCount fails or is
    // larger than count, or when a name is missing.
    int ReadNames(std::vector<std::string>& names, int count);
    // Entry k into `record` (CustomName, ID, Mode, Density, Forward, Drytime,
    // Paperthick, Paperdraw, PaperCut, InkMode without blanks around it,
    // Platen, Roller, SID; Hres, Vres, Mw and MediaId are left alone). -1,
    // leaving `record` unchanged, when k is not 1..MediaCount or a key is
    // missing.
    int ReadEntry(int k, CustomFileRecord& record);
    // One value of the attached file, as the file holds it; -1 when no file
    // is attached, it cannot be read or the key is missing.
    int Lookup(const std::string& section, const std::string& key, std::string& value);

    // --- helpers shared with the writer --------------------------------
    // The model of a driver name: without a leading "ORVEX " when the name
    // is longer than that prefix.
    static std::string ModelOf(const std::string& driverName);
    // "Media%02d".
    static std::string SectionOf(int k);
    // Reads the file bounded and checks that it is text; `text` keeps the
    // bytes as read (a byte order mark included).
    static Problem Load(const std::string& path, std::string& text);
    // The text without a leading byte order mark.
    static std::string_view WithoutMark(const std::string& text);
    // The model rule on a file's values.
    static Problem CheckModel(const CCustomFileIndex& index, const std::string& driverName);
    // MediaCount of a file's values, as MediaCount().
    static int CountOf(const CCustomFileIndex& index);
    static const char* Describe(Problem p);

private:
    // The attached file's values; false (with m_problem) when it cannot be read.
    bool Read(CCustomFileIndex& index);

    std::string m_driverName;
    std::string m_path;
    Problem m_problem = Problem::None;
};
