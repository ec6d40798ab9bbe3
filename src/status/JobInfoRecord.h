#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// One job of the printer's job history as its "JI" query answers it: the
// reply holds "JI:" and then hexadecimal digits, two per byte. The fields
// are named after what the job report shows of them; what they measure is
// the printer's business.
struct JobInfoRecord {
    int number = 0;          // job number
    int state = 0;           // job state (1 waiting … 5 error, 255 no job)
    int result = 0;          // second state: how the job ended (1 normal, 2 cancelled, 3 error)
    std::string user;        // 16-character text, UTF-8
    std::string name;        // 32-character text (the job's name), UTF-8
    int usedThousandths = 0; // an amount in thousandths
    int pages = 0;           // the pages of the job
    int printedPages = 0;    // the pages printed of it
    std::array<int, 5> received{}; // yy mm dd hh mm
    int printSeconds = 0;          // print time in seconds
};

// Positions in the digit text (characters after "JI:", from 0) and widths in
// bytes of the record's fields.
namespace JobInfoLayout {
inline constexpr std::size_t kNumber = 2;
inline constexpr std::size_t kState = 6;
inline constexpr std::size_t kResult = 8;
inline constexpr std::size_t kUser = 14;
inline constexpr std::size_t kUserBytes = 16;
inline constexpr std::size_t kName = 46;
inline constexpr std::size_t kNameBytes = 32;
inline constexpr std::size_t kUsed = 110;
inline constexpr std::size_t kPages = 114;
inline constexpr std::size_t kPrintedPages = 118;
inline constexpr std::size_t kReceived = 122; // five one-byte fields, two digits apart
inline constexpr std::size_t kPrintSeconds = 132;
inline constexpr std::size_t kDigits = 136; // the whole record
} // namespace JobInfoLayout

// Decodes the digit text of one record. Digits beyond its end, or pairs
// that are not two hexadecimal digits, read as 0 (a number's byte) or add
// nothing (a text's character), so a short or damaged reply gives a record
// and never a read past its end.
JobInfoRecord DecodeJobInfo(const char* digits, std::size_t length);

// The record of a reply as the channel gives it (up to `size` bytes, text up
// to the first ';' or zero byte); false when the text holds no "JI:".
bool JobInfoFromReply(const std::uint8_t* reply, int size, JobInfoRecord& record);

// A text field's bytes made into valid UTF-8: zero bytes add nothing, a
// multi-byte character cut off at the end is dropped (the field was full),
// and any other byte that is not UTF-8 becomes U+FFFD.
std::string JobInfoText(const std::uint8_t* bytes, std::size_t length);
