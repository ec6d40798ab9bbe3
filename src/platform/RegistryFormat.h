#pragma once

#include <QSettings>

// The file format of the settings store: INI-like "[group/path]" sections of
// "key=value" lines, in UTF-8, every value a plain string. Qt's own INI
// format decodes "@Variant(...)" values as serialized objects, so a damaged
// or hand-edited file could make it allocate without bound; this format
// never interprets a value.
//
// Group and key segments are percent-encoded outside [A-Za-z0-9 _.,()+:@-];
// in values, backslash, line feed, carriage return and NUL are escaped as
// \\, \n, \r and \0. Lines that are neither a section nor a key line are
// ignored; a file over kMaxFileSize reads as a format error.
//
// Qt writes a settings file whole, from what it read of it, and writes even
// when that read failed; so Write refuses to replace a file on disk that
// cannot be read (CheckFile), which would lose every key but the new ones.
namespace RegistryFormat {

inline constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

// What a store file on disk is to a reader.
enum class FileState {
    Absent,     // no file: an empty store
    Readable,   // a regular file within the size cap, read to its end
    TooLarge,   // over kMaxFileSize
    NotRegular, // a folder, FIFO, device...
    Unreadable, // cannot be opened or read
};

// Reads the file at `filePath` (following links) as far as the cap allows,
// without blocking on a FIFO or a device. `error` gets the errno of an
// Unreadable file.
FileState CheckFile(const QString& filePath, int* error = nullptr);
// Absent or Readable: the file can be read, or there is none to lose.
inline bool IsUsable(FileState state) {
    return state == FileState::Absent || state == FileState::Readable;
}

// The format to open QSettings with (registered on first use).
QSettings::Format Format();

bool Read(QIODevice& device, QSettings::SettingsMap& map);
bool Write(QIODevice& device, const QSettings::SettingsMap& map);

}  // namespace RegistryFormat
