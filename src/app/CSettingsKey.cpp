#include "app/CSettingsKey.h"

#include <algorithm>
#include <limits>

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace {

using RegistryFormat::FileState;

// The status of a write refused because the store's file cannot be read.
int RefusalStatus(FileState state) {
    return state == FileState::Unreadable ? CSettingsKey::kAccessDenied : CSettingsKey::kBadStore;
}

QString Join(const QString& group, const QString& name) {
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

QStringList ChildGroups(QSettings& s, const QString& group) {
    if (!group.isEmpty()) s.beginGroup(group);
    QStringList names = s.childGroups();
    if (!group.isEmpty()) s.endGroup();
    return names;
}

QStringList ChildValues(QSettings& s, const QString& group) {
    if (!group.isEmpty()) s.beginGroup(group);
    QStringList names = s.childKeys();
    if (!group.isEmpty()) s.endGroup();
    names.removeAll(QLatin1String(CSettingsKey::kEmptyKeyMarker));
    return names;
}

// The existing entry that `name` means: the same spelling first, else one
// that differs only in case; empty when there is none.
QString Match(const QStringList& existing, const QString& name) {
    if (existing.contains(name)) return name;
    for (const QString& e : existing)
        if (e.compare(name, Qt::CaseInsensitive) == 0) return e;
    return {};
}

// Walks "A\B" down from `group`, taking the existing spelling of each level.
QString ResolveFrom(QSettings& s, QString group, const std::string& path) {
    const QStringList parts = SettingsStore::GroupPath(path).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QString existing = Match(ChildGroups(s, group), part);
        group = Join(group, existing.isEmpty() ? part : existing);
    }
    return group;
}

bool GroupExists(QSettings& s, const QString& group) {
    if (group.isEmpty()) return true;
    s.beginGroup(group);
    const bool exists = !s.childKeys().isEmpty() || !s.childGroups().isEmpty();
    s.endGroup();
    return exists;
}

int StatusOf(const QSettings& s) {
    switch (s.status()) {
    case QSettings::NoError: return CSettingsKey::kOk;
    case QSettings::AccessError: return CSettingsKey::kAccessDenied;
    case QSettings::FormatError: return CSettingsKey::kInvalidData;
    }
    return CSettingsKey::kInvalidData;
}

// An INI file has no empty groups: a created subkey carries the hidden
// marker value until it gets a value of its own.
int CreateGroup(QSettings& s, const QString& group) {
    s.setValue(Join(group, QLatin1String(CSettingsKey::kEmptyKeyMarker)), QString());
    s.sync();
    return StatusOf(s);
}

}  // namespace

CSettingsKey::CSettingsKey(SettingsRoot root, const std::string& path, bool readOnly)
    : m_file(SettingsStore::FilePath(root)) {
    m_access = readOnly                             ? Access::Enumerate
               : root == SettingsRoot::LocalMachine ? Access::Read
                                                    : Access::Full;
    const FileState state = SettingsStore::CheckFile(m_file);
    if (!RegistryFormat::IsUsable(state)) {
        m_closedStatus = RefusalStatus(state);
        return;
    }
    auto s = SettingsStore::OpenFile(m_file);
    m_group = ResolveFrom(*s, QString(), path);
    if (readOnly) {
        m_open = GroupExists(*s, m_group);
        return;
    }
    m_open = GroupExists(*s, m_group) || CreateGroup(*s, m_group) == kOk;
}

CSettingsKey::~CSettingsKey() = default;

QString CSettingsKey::Resolve(QSettings& s, const std::string& subkey) const {
    return ResolveFrom(s, m_group, subkey);
}

QString CSettingsKey::ValueKey(QSettings& s, const QString& group, const std::string& name) const {
    const QString existing = Match(ChildValues(s, group), QString::fromStdString(name));
    return existing.isEmpty() ? QString() : Join(group, existing);
}

int CSettingsKey::Write(const std::string& subkey, const std::string& name, const QVariant& value) {
    if (!m_open) return m_closedStatus;
    // Value names are single keys of a group; a separator would make a subkey.
    if (name.empty() || name == kEmptyKeyMarker || name.find_first_of("/\\") != std::string::npos)
        return kInvalidData;
    const FileState state = SettingsStore::CheckFile(m_file);
    if (!RegistryFormat::IsUsable(state)) return RefusalStatus(state);
    auto s = SettingsStore::OpenFile(m_file);
    const QString group = Resolve(*s, subkey);
    QString key = ValueKey(*s, group, name);
    if (key.isEmpty()) key = Join(group, QString::fromStdString(name));
    s->setValue(key, value);
    s->remove(Join(group, QLatin1String(kEmptyKeyMarker)));
    s->sync();
    return StatusOf(*s);
}

int CSettingsKey::WriteString(const std::string& subkey, const std::string& name,
                              const std::string& text) {
    // What could not be read back is not written.
    if (text.size() > kMaxStringLength) return kInvalidData;
    return Write(subkey, name, QString::fromStdString(text));
}

int CSettingsKey::WriteNumber(const std::string& subkey, const std::string& name, std::int32_t value) {
    return Write(subkey, name, static_cast<qint64>(value));
}

std::string CSettingsKey::ReadString(const std::string& subkey, const std::string& name,
                                     const std::string& def) const {
    if (!m_open || name.empty()) return def;
    if (!RegistryFormat::IsUsable(SettingsStore::CheckFile(m_file))) return def;
    auto s = SettingsStore::OpenFile(m_file);
    const QString group = Resolve(*s, subkey);
    if (!GroupExists(*s, group)) {
        if (m_access == Access::Full) CreateGroup(*s, group);
        return def;
    }
    const QString key = ValueKey(*s, group, name);
    if (key.isEmpty()) return def;
    const QVariant v = s->value(key);
    // A hand-edited value with unquoted commas reads back as a list.
    const QString text = v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char(','))
                                                               : v.toString();
    std::string out = text.toStdString();
    if (out.size() > kMaxStringLength) return def;
    return out;
}

std::int32_t CSettingsKey::ReadNumber(const std::string& subkey, const std::string& name,
                                      std::int32_t def) const {
    const std::string text = ReadString(subkey, name, std::string());
    if (text.empty()) return def;
    bool ok = false;
    const qlonglong v = QString::fromStdString(text).toLongLong(&ok, 10);
    // A 32-bit value, stored signed or unsigned.
    if (!ok || v < std::numeric_limits<std::int32_t>::min() ||
        v > static_cast<qlonglong>(std::numeric_limits<std::uint32_t>::max()))
        return def;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

int CSettingsKey::EnumSubkey(unsigned index, std::string& name, std::size_t bufferSize) const {
    if (!m_open) return m_closedStatus;
    const FileState state = SettingsStore::CheckFile(m_file);
    if (!RegistryFormat::IsUsable(state)) return RefusalStatus(state);
    auto s = SettingsStore::OpenFile(m_file);
    QStringList names = ChildGroups(*s, m_group);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    if (index >= static_cast<unsigned>(names.size())) return kNoMoreItems;
    const std::string found = names[static_cast<qsizetype>(index)].toStdString();
    if (found.size() + 1 > bufferSize) return kMoreData;
    name = found;
    return kOk;
}
