// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

namespace platform {

// Root handles and value kinds as the settings code passes them (32-bit signed values).
inline constexpr int32_t HKEY_CLASSES_ROOT = static_cast<int32_t>(0x80000000u);
inline constexpr int32_t HKEY_CURRENT_USER = static_cast<int32_t>(0x80000001u);
inline constexpr int32_t HKEY_LOCAL_MACHINE = static_cast<int32_t>(0x80000002u);
inline constexpr int32_t HKEY_USERS = static_cast<int32_t>(0x80000003u);

inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;
inline constexpr uint32_t REG_MULTI_SZ = 7;

// Status codes the store answers with.
inline constexpr int32_t ERROR_SUCCESS = 0;
inline constexpr int32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr int32_t ERROR_ACCESS_DENIED = 5;
inline constexpr int32_t ERROR_WRITE_FAULT = 29;
inline constexpr int32_t ERROR_MORE_DATA = 234;
inline constexpr int32_t ERROR_NO_MORE_ITEMS = 259;

// A stored value: its kind and its raw bytes exactly as written (text kinds keep their NUL).
struct RegData {
    uint32_t type = REG_NONE;
    QByteArray bytes;
    bool operator==(const RegData&) const = default;
};

// The keys and values of one root, held in memory. Key paths use "\" between parts; lookups
// ignore case, while the stored names keep the case they were created with.
class HiveData {
public:
    static QString normalise(const QString& path);

    bool keyExists(const QString& path) const;
    void createKey(const QString& path);           // with every missing parent
    bool deleteKey(const QString& path);           // fails while the key has subkeys
    std::optional<RegData> value(const QString& path, const QString& name) const;
    bool setValue(const QString& path, const QString& name, const RegData& data);
    int32_t deleteValue(const QString& path, const QString& name);
    QStringList subkeys(const QString& path) const;
    QList<QPair<QString, RegData>> values(const QString& path) const;
    QStringList keys() const;                      // every key path, in creation order
    bool isEmpty() const { return m_order.isEmpty(); }

    // Registry-export text: "Windows Registry Editor Version 5.00", then one [ROOT\path]
    // block per key. Text values are UTF-8. Parsing keeps every line it understands and counts
    // the ones it does not, so a damaged file still yields the values that survive in it.
    QByteArray toText(const QString& rootName) const;
    static HiveData fromText(const QByteArray& text, const QString& rootName, int* damagedLines);

private:
    struct Key {
        QString path;                                  // as created
        QList<QPair<QString, RegData>> values;         // in write order
    };
    QHash<QString, Key> m_keys;  // by lower-case path
    QStringList m_order;         // lower-case paths, creation order
};

// One root of the store. Every call opens and closes what it needs; nothing stays open.
class RegistryHive {
public:
    virtual ~RegistryHive() = default;
    virtual bool keyExists(const QString& path) = 0;
    virtual bool createKey(const QString& path) = 0;
    virtual bool deleteKey(const QString& path) = 0;
    virtual std::optional<RegData> value(const QString& path, const QString& name) = 0;
    virtual bool setValue(const QString& path, const QString& name, const RegData& data) = 0;
    virtual int32_t deleteValue(const QString& path, const QString& name) = 0;
    virtual QStringList subkeys(const QString& path) = 0;
    virtual QList<QPair<QString, RegData>> values(const QString& path) = 0;
    // Where the root is kept, and why its last refused write was refused (empty when the
    // store gave no reason of its own, as for a missing key).
    virtual QString location() const { return {}; }
    virtual QString lastError() const { return {}; }
};

// A root kept only in memory, for tests.
class MemoryHive final : public RegistryHive {
public:
    bool keyExists(const QString& path) override { return m_data.keyExists(path); }
    bool createKey(const QString& path) override { m_data.createKey(path); return true; }
    bool deleteKey(const QString& path) override { return m_data.deleteKey(path); }
    std::optional<RegData> value(const QString& path, const QString& name) override { return m_data.value(path, name); }
    bool setValue(const QString& path, const QString& name, const RegData& d) override { return m_data.setValue(path, name, d); }
    int32_t deleteValue(const QString& path, const QString& name) override { return m_data.deleteValue(path, name); }
    QStringList subkeys(const QString& path) override { return m_data.subkeys(path); }
    QList<QPair<QString, RegData>> values(const QString& path) override { return m_data.values(path); }
    HiveData& data() { return m_data; }

private:
    HiveData m_data;
};

// A root kept in a text file. Reads reuse the parsed file while it is unchanged on disk; every
// write re-reads the file under a lock file, applies the change and replaces the file atomically,
// so two programs writing at once lose nothing and a crash never leaves half a file. A file that
// could not be read whole is copied aside (".damaged-<time>") before the first write replaces it.
class FileHive final : public RegistryHive {
public:
    FileHive(QString filePath, QString rootName);
    bool keyExists(const QString& path) override;
    bool createKey(const QString& path) override;
    bool deleteKey(const QString& path) override;
    std::optional<RegData> value(const QString& path, const QString& name) override;
    bool setValue(const QString& path, const QString& name, const RegData& data) override;
    int32_t deleteValue(const QString& path, const QString& name) override;
    QStringList subkeys(const QString& path) override;
    QList<QPair<QString, RegData>> values(const QString& path) override;
    QString filePath() const { return m_file; }
    QString location() const override { return m_file; }
    QString lastError() const override { return m_lastError; }
    // Sets a damaged file aside now rather than at the first write, and writes what survives in
    // it back in its place. The path of the copy, or empty when the file is sound (or could not
    // be set aside: lastError() then says why).
    QString setAsideIfDamaged();

private:
    enum class LoadResult { Ok, Missing, Damaged, Unreadable };
    LoadResult load(HiveData& out) const;
    const HiveData& snapshot();
    template <class Change> bool modify(Change&& change);
    bool fail(const QString& reason);
    void removeLeftoverTemporaries() const;

    QString m_file;
    QString m_lastError;
    QString m_rootName;
    HiveData m_cache;
    qint64 m_cacheSize = -1;
    qint64 m_cacheTime = -1;
};

// The roots in use. By default HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are files in the
// settings folder ($XDG_CONFIG_HOME/Quillmere); other roots do not exist.
RegistryHive* registryHive(int32_t hkey);
QString registryRootName(int32_t hkey);
QString settingsFolder();
void resetRegistryHives();
// A damaged settings file set aside: the file and its copy ("<file>.damaged-<time>"). When no
// copy could be made (a read-only settings folder), `copy` is empty, `failure` says why, and the
// file stays as it is, read for what survives in it.
struct SetAsideSettings {
    QString file;
    QString copy;
    QString failure;
};
// Sets every damaged root file aside (FileHive::setAsideIfDamaged) and answers with those, and
// with the ones an earlier write has set aside since the last call; each is answered once. A
// damaged file that could not be set aside is answered at every call, with its reason.
QList<SetAsideSettings> setAsideDamagedSettings();
// Replaces both roots with fresh in-memory ones until resetRegistryHives(); returns them.
QPair<MemoryHive*, MemoryHive*> useMemoryRegistry();

}  // namespace platform
