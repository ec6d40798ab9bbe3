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
namespace RegistryFormat {

inline constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

// The format to open QSettings with (registered on first use).
QSettings::Format Format();

bool Read(QIODevice& device, QSettings::SettingsMap& map);
bool Write(QIODevice& device, const QSettings::SettingsMap& map);

}  // namespace RegistryFormat
