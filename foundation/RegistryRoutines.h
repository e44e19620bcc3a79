// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/Collection.h"
#include "platform/RegistryHive.h"

#include <QString>
#include <QVariant>

#include <cstdint>

// Reads and writes named values of one settings key: root `hkey`, path `KeyRoot`, section
// `Subkey` (the key used is KeyRoot + "\" + Subkey; an empty Subkey means KeyRoot itself).
// No member throws; each answers with its result. GUI thread; one instance per user.
// Values are QVariant: invalid (Empty), QString, int (32-bit Long) or QByteArray.
class RegistryRoutines {
public:
    int32_t hkey() const { return m_hkey; }
    void hkey(int32_t vData) { m_hkey = vData; }
    QString KeyRoot() const { return m_keyRoot; }
    void KeyRoot(const QString& vData) { m_keyRoot = vData; }
    QString Subkey() const { return m_subkey; }
    void Subkey(const QString& vData) { m_subkey = vData; }

    bool KeyExists() const;
    // "0" on success, an empty text on failure. Used by the installer only: the program never
    // creates a key of its settings store.
    QString CreateKey(const QString& KeyName = {}) const;
    long DeleteKey(const QString& KeyName) const;
    long DeleteValue(const QString& ValueName) const;
    Collection EnumRegistryKeys(int32_t hkey, const QString& KeyName) const;
    // Each entry carries the value converted as GetRegistryValue does, except that binary data
    // becomes hexadecimal bytes separated by blanks and a multi-string gets commas for its NULs.
    Collection EnumRegistryValues(int32_t hkey, const QString& KeyName) const;
    QVariant GetRegistryValue(const QString& ValueName, const QVariant& DefaultValue = {}) const;
    bool SetRegistryValue(const QString& ValueName, const QVariant& value, long DType) const;
    // Why the last SetRegistryValue failed: the settings file and the system's reason (or the
    // missing key); empty after a success.
    QString LastWriteError() const { return m_lastWriteError; }
    // No remote settings service exists on this platform: every connection fails.
    QVariant ReadRemoteRegistryValue(const QString& sRemoteComputer, int32_t hkey, const QString& ValueName,
                                     const QString& KeyPath = {}) const;
    bool WriteRemoteRegistryValue(const QString& sRemoteComputer, int32_t hkey, const QString& ValueName,
                                  const QVariant& value, long DType, const QString& KeyPath = {}) const;
    static QString TrimNull(QString& item);

    // The conversions of a stored value into what GetRegistryValue returns.
    static QVariant Convert(const platform::RegData& data, const QVariant& DefaultValue);
    static std::optional<platform::RegData> Encode(const QVariant& value, long DType);

private:
    QString path() const;

    int32_t m_hkey = 0;
    QString m_keyRoot;
    QString m_subkey;
    mutable QString m_lastWriteError;
};
