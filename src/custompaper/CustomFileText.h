#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The character encoding of texts in custom files. Custom files travel to
// the printer maker's utility on other systems, which reads them in the
// Windows-1252 code page; plotcare keeps every text in UTF-8. So:
// - a text is written in Windows-1252 (ASCII stays ASCII, one byte per
//   character, so the 16-character name is 16 bytes there too); a text with a
//   character that code page lacks, or with a control character (which could
//   break the line structure), cannot be written;
// - a file that starts with a UTF-8 byte order mark says it is UTF-8: texts
//   written into it stay UTF-8;
// - a text read from a file is taken as UTF-8 when it is valid UTF-8, else as
//   Windows-1252, so files from either side read right.
namespace CustomFileText {

// The UTF-8 byte order mark some editors put at the start of a file.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsValidUtf8(std::string_view bytes);

// A text from a file, as UTF-8.
std::string Decode(std::string_view bytes);

// The UTF-8 text as the file's bytes (Windows-1252, or UTF-8 when
// `utf8File`). False, leaving `out` empty, for bytes that are not UTF-8, for
// control characters (C0, DEL, C1) and for characters Windows-1252 lacks.
bool Encode(std::string_view utf8, bool utf8File, std::string& out);

// The first `count` characters of a UTF-8 text (bytes that are not UTF-8
// count as one character each).
std::string CutCharacters(std::string_view utf8, std::size_t count);
std::size_t CharacterCount(std::string_view utf8);

} // namespace CustomFileText
