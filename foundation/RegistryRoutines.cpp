// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/RegistryRoutines.h"

#include <QProcessEnvironment>
#include <QRegularExpression>

using namespace platform;

namespace {

// "%NAME%" references replaced by the environment; unknown names stay as written.
QString expandEnvironment(const QString& text)
{
    static const QRegularExpression ref(QStringLiteral("%([^%]+)%"));
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString out;
    qsizetype last = 0;
    for (auto it = ref.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += text.mid(last, m.capturedStart() - last);
        const QString name = m.captured(1);
        out += env.contains(name) ? env.value(name) : m.captured(0);
        last = m.capturedEnd();
    }
    return out + text.mid(last);
}

QString textOf(const QByteArray& bytes) { return QString::fromUtf8(bytes); }

}  // namespace

QString RegistryRoutines::path() const
{
    return m_subkey.isEmpty() ? m_keyRoot : m_keyRoot + QLatin1Char('\\') + m_subkey;
}

bool RegistryRoutines::KeyExists() const
{
    RegistryHive* hive = registryHive(m_hkey);
    return hive && hive->keyExists(path());
}

QString RegistryRoutines::CreateKey(const QString& KeyName) const
{
    RegistryHive* hive = registryHive(m_hkey);
    const QString name = KeyName.isEmpty() ? m_subkey : KeyName;
    const QString full = name.isEmpty() ? m_keyRoot : m_keyRoot + QLatin1Char('\\') + name;
    if (!hive || HiveData::normalise(full).isEmpty() || !hive->createKey(full))
        return {};
    return QStringLiteral("0");
}

long RegistryRoutines::DeleteKey(const QString& KeyName) const
{
    if (RegistryHive* hive = registryHive(m_hkey))
        hive->deleteKey(m_keyRoot + QLatin1Char('\\') + KeyName);
    return 0;
}

long RegistryRoutines::DeleteValue(const QString& ValueName) const
{
    RegistryHive* hive = registryHive(m_hkey);
    if (!hive || !hive->keyExists(path()))
        return ERROR_FILE_NOT_FOUND;
    return hive->deleteValue(path(), ValueName);
}

Collection RegistryRoutines::EnumRegistryKeys(int32_t hkey, const QString& KeyName) const
{
    Collection out;
    RegistryHive* hive = registryHive(hkey);
    if (!hive || !hive->keyExists(KeyName))
        return out;
    for (const QString& name : hive->subkeys(KeyName))
        out.Add(name, name);
    return out;
}

Collection RegistryRoutines::EnumRegistryValues(int32_t hkey, const QString& KeyName) const
{
    Collection out;
    RegistryHive* hive = registryHive(hkey);
    if (!hive || !hive->keyExists(KeyName))
        return out;
    for (const auto& [name, data] : hive->values(KeyName)) {
        QVariant item;
        if (data.type == REG_BINARY) {
            QStringList hex;
            for (const char b : data.bytes)
                hex.append(QString::number(static_cast<uchar>(b), 16).rightJustified(2, QLatin1Char('0')));
            item = hex.join(QLatin1Char(' '));
        } else {
            item = Convert(data, {});
            if (data.type == REG_MULTI_SZ && item.typeId() == QMetaType::QString)
                item = item.toString().replace(QChar(0), QLatin1Char(','));
        }
        out.Add(item, name);
    }
    return out;
}

QVariant RegistryRoutines::Convert(const RegData& d, const QVariant& DefaultValue)
{
    const qsizetype size = d.bytes.size();
    switch (d.type) {
    case REG_SZ:
        return size == 0 ? DefaultValue : QVariant(textOf(d.bytes.left(size - 1)));
    case REG_EXPAND_SZ:
        return size == 0 ? DefaultValue : QVariant(expandEnvironment(textOf(d.bytes.left(size - 1))));
    case REG_BINARY:
        return d.bytes;
    case REG_DWORD: {
        QByteArray four = d.bytes.left(4);
        four.resize(4, '\0');
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<uchar>(four[i]);
        return static_cast<int>(static_cast<int32_t>(v));
    }
    case REG_MULTI_SZ: {
        // Drop the terminator the writer added, and the list's own closing NUL when the caller
        // supplied one, so that what was written reads back whole either way.
        QByteArray bytes = d.bytes;
        if (bytes.endsWith('\0'))
            bytes.chop(1);
        if (bytes.endsWith('\0'))
            bytes.chop(1);
        const QString text = textOf(bytes);
        if (text.section(QChar(0), 0, 0).isEmpty())
            return DefaultValue;
        return text;
    }
    default:
        return DefaultValue;
    }
}

std::optional<RegData> RegistryRoutines::Encode(const QVariant& value, long DType)
{
    switch (DType) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
        return RegData{static_cast<uint32_t>(DType), value.toString().toUtf8() + '\0'};
    case REG_BINARY:
        return RegData{REG_BINARY, value.typeId() == QMetaType::QString ? value.toString().toUtf8() : value.toByteArray()};
    case REG_DWORD: {
        const auto v = static_cast<uint32_t>(value.toLongLong());
        QByteArray b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[i] = static_cast<char>((v >> (8 * i)) & 0xff);
        return RegData{REG_DWORD, b};
    }
    default:
        return std::nullopt;
    }
}

QVariant RegistryRoutines::GetRegistryValue(const QString& ValueName, const QVariant& DefaultValue) const
{
    RegistryHive* hive = registryHive(m_hkey);
    if (!hive || !hive->keyExists(path()))
        return DefaultValue;
    const auto data = hive->value(path(), ValueName);
    if (!data)
        return DefaultValue;
    return Convert(*data, DefaultValue);
}

bool RegistryRoutines::SetRegistryValue(const QString& ValueName, const QVariant& value, long DType) const
{
    m_lastWriteError.clear();
    RegistryHive* hive = registryHive(m_hkey);
    const QString key = registryRootName(m_hkey) + QLatin1Char('\\') + path();
    if (!hive) {
        m_lastWriteError = QStringLiteral("the settings store has no such root");
        return false;
    }
    const QString where = hive->location().isEmpty() ? QString() : hive->location() + QStringLiteral(": ");
    const auto data = Encode(value, DType);
    if (!data) {
        m_lastWriteError = where + QStringLiteral("the value '") + ValueName + QStringLiteral("' cannot be stored as that kind");
        return false;
    }
    if (!hive->keyExists(path())) {
        m_lastWriteError = where + QStringLiteral("the key '") + key + QStringLiteral("' does not exist");
        return false;
    }
    if (hive->setValue(path(), ValueName, *data))
        return true;
    m_lastWriteError = where + (hive->lastError().isEmpty() ? QStringLiteral("the value was refused") : hive->lastError());
    return false;
}

QVariant RegistryRoutines::ReadRemoteRegistryValue(const QString&, int32_t, const QString&, const QString&) const
{
    return QStringLiteral("Error!");
}

bool RegistryRoutines::WriteRemoteRegistryValue(const QString&, int32_t, const QString&, const QVariant&, long,
                                                const QString&) const
{
    return false;
}

QString RegistryRoutines::TrimNull(QString& item)
{
    const qsizetype nul = item.indexOf(QChar(0));
    if (nul >= 0)
        item.truncate(nul);
    return item;
}
