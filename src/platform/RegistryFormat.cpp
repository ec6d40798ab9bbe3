#include "platform/RegistryFormat.h"

#include <QByteArray>
#include <QFile>
#include <QFileDevice>
#include <QIODevice>
#include <QMap>
#include <QString>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsPlain(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           QByteArray(" _.,()+:@-").contains(c);
}

QByteArray EncodeSegment(const QString& segment) {
    const QByteArray utf8 = segment.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        if (IsPlain(c)) {
            out += c;
        } else {
            out += '%';
            out += QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0').toUpper();
        }
    }
    return out;
}

QByteArray EncodePath(const QString& path) {
    QByteArray out;
    const QStringList parts = path.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i) out += '/';
        out += EncodeSegment(parts[i]);
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Percent-decoding; a '%' not followed by two hex digits stands for itself.
QString DecodePath(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return QString::fromUtf8(out);
}

QByteArray EncodeValue(const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\0': out += "\\0"; break;
        default: out += c;
        }
    }
    return out;
}

QString DecodeValue(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char e = text[++i];
        out += e == 'n' ? '\n' : e == 'r' ? '\r' : e == '0' ? '\0' : e;
    }
    return QString::fromUtf8(out);
}

}  // namespace

namespace RegistryFormat {

bool Read(QIODevice& device, QSettings::SettingsMap& map) {
    if (device.size() > kMaxFileSize) return false;
    const QByteArray content = device.read(kMaxFileSize + 1);
    if (content.size() > kMaxFileSize) return false;
    QString group;
    for (QByteArray line : content.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            if (!line.endsWith(']')) continue;
            group = DecodePath(line.mid(1, line.size() - 2));
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0) continue;
        const QString key = DecodePath(line.left(eq));
        map.insert(group.isEmpty() ? key : group + QLatin1Char('/') + key, DecodeValue(line.mid(eq + 1)));
    }
    return true;
}

FileState CheckFile(const QString& filePath, int* error) {
    const int fd = ::open(QFile::encodeName(filePath).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return FileState::Absent;
    if (fd < 0) {
        if (error) *error = errno;
        return FileState::Unreadable;
    }
    struct stat st {};
    FileState state = FileState::Readable;
    if (::fstat(fd, &st) != 0) {
        if (error) *error = errno;
        state = FileState::Unreadable;
    } else if (!S_ISREG(st.st_mode)) {
        state = FileState::NotRegular;
    } else if (st.st_size > kMaxFileSize) {
        state = FileState::TooLarge;
    } else {
        char chunk[8192];
        qint64 total = 0;
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                if (error) *error = errno;
                state = FileState::Unreadable;
                break;
            }
            if (n == 0) break;
            total += n;
            if (total > kMaxFileSize) {
                state = FileState::TooLarge;
                break;
            }
        }
    }
    ::close(fd);
    return state;
}

bool Write(QIODevice& device, const QSettings::SettingsMap& map) {
    if (const auto* file = qobject_cast<const QFileDevice*>(&device)) {
        // The file being replaced (a save file names its target).
        if (!IsUsable(CheckFile(file->fileName()))) return false;
    }
    // Keys without a group come first, before any section line; the others
    // are sorted, so the keys of one group mostly stand together (a section
    // may repeat, which reads the same).
    QByteArray out;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        if (!it.key().contains(QLatin1Char('/')))
            out += EncodeSegment(it.key()) + '=' + EncodeValue(it.value().toString()) + '\n';
    QString current;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().lastIndexOf(QLatin1Char('/'));
        if (slash < 0) continue;
        const QString group = it.key().left(slash);
        if (group != current) {
            if (!out.isEmpty()) out += '\n';
            out += '[' + EncodePath(group) + "]\n";
            current = group;
        }
        out += EncodeSegment(it.key().mid(slash + 1)) + '=' + EncodeValue(it.value().toString()) + '\n';
    }
    return device.write(out) == out.size();
}

QSettings::Format Format() {
    static const QSettings::Format format = QSettings::registerFormat(QStringLiteral("conf"), Read, Write);
    return format;
}

}  // namespace RegistryFormat
