#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <QString>

#include "platform/SettingsStore.h"

class QSettings;
class QVariant;

// The one wrapper around the hierarchical settings store: a base key that is
// opened once, named string and number values read and written under
// subkeys of it, and its subkey names enumerated.
//
// Key paths, subkey paths and value names are matched without regard to
// case, as the store has always done; a new name keeps the spelling it was
// first written with. Subkey paths may hold several levels ("A\B"); an empty
// subkey means the base key itself. Every write is flushed to disk at once,
// so another process sees it.
//
// Reads never fail: any failure gives the caller's default. Writes and
// enumeration return a status, 0 for success.
//
// A store whose file cannot be read (over the size cap, not a regular file,
// unreadable) is never written: writing replaces the whole file, which would
// keep only the new values. Its keys stay closed, reads give their defaults,
// writes and enumeration return kBadStore or kAccessDenied, and the file is
// named once on standard error.
class CSettingsKey {
public:
    // Where the utility keeps its own values (per-user), one subkey per
    // model name, and the status monitor's list of supported driver names
    // (machine-wide, one subkey per driver).
    static constexpr const char* kUtilityKey = "SoftWare\\ORVEX Servulo 2";
    static constexpr const char* kStatusMonitorDriverKey = "Software\\ORVEX\\QVM3\\Driver";

    // Statuses, numbered as the registry numbers them.
    static constexpr int kOk = 0;
    static constexpr int kAccessDenied = 5;
    static constexpr int kInvalidHandle = 6;
    static constexpr int kInvalidData = 13;
    static constexpr int kMoreData = 234;
    static constexpr int kNoMoreItems = 259;
    static constexpr int kBadStore = 1009; // the store's file is damaged

    // The longest string value, in bytes: far above the longest file path
    // (PATH_MAX), yet a bound on what one read hands back.
    static constexpr std::size_t kMaxStringLength = 32767;

    // Read-only: opens root\path for enumeration only; a missing key leaves
    // the key closed (IsOpen false). Otherwise the key is opened or created:
    // with read access on the machine-wide root, with full access on the
    // per-user root. When the key cannot be created, or the store's file
    // cannot be read, it stays closed.
    CSettingsKey(SettingsRoot root, const std::string& path, bool readOnly);
    virtual ~CSettingsKey();
    CSettingsKey(const CSettingsKey&) = delete;
    CSettingsKey& operator=(const CSettingsKey&) = delete;

    bool IsOpen() const { return m_open; }

    // Opens or creates the subkey and stores the value there. A string
    // longer than kMaxStringLength bytes is refused (kInvalidData).
    int WriteString(const std::string& subkey, const std::string& name, const std::string& text);
    int WriteNumber(const std::string& subkey, const std::string& name, std::int32_t value);

    // The stored value, or `def` when the key is closed, the subkey cannot be
    // opened, the value is missing, a string is longer than
    // kMaxStringLength bytes, or a number is not a 32-bit integer.
    // On a key opened with full access a missing subkey is created (empty),
    // as opening it for reading has always done.
    std::string ReadString(const std::string& subkey, const std::string& name,
                           const std::string& def) const;
    std::int32_t ReadNumber(const std::string& subkey, const std::string& name,
                            std::int32_t def) const;

    // The name of the subkey with that index (in case-insensitive name
    // order). 0 with a name; kNoMoreItems past the last; kMoreData when the
    // name and its terminating zero do not fit `bufferSize` bytes.
    int EnumSubkey(unsigned index, std::string& name, std::size_t bufferSize = 260) const;

    // Name of the hidden value that keeps an empty subkey in the INI file,
    // which cannot hold a group without keys. Never visible as a value.
    static constexpr const char* kEmptyKeyMarker = ".";

private:
    enum class Access { Enumerate, Read, Full };

    // The group path of the key's subkey, with existing groups' spelling.
    QString Resolve(QSettings& s, const std::string& subkey) const;
    QString ValueKey(QSettings& s, const QString& group, const std::string& name) const;
    int Write(const std::string& subkey, const std::string& name, const QVariant& value);

    QString m_file;
    QString m_group;
    Access m_access = Access::Enumerate;
    bool m_open = false;
    int m_closedStatus = kInvalidHandle; // what a closed key's writes return
};
