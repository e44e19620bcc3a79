// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/RegistryHive.h"

#include "platform/LinkedWrite.h"
#include "platform/SaveLeftovers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <map>
#include <utility>

namespace platform {

namespace {

const QByteArray kHeader = "Windows Registry Editor Version 5.00";

QByteArray quoted(const QString& text)
{
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

QByteArray hexList(const QByteArray& bytes)
{
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i)
            out += ',';
        out += QByteArray::number(static_cast<uchar>(bytes[i]), 16).rightJustified(2, '0');
    }
    return out;
}

// A REG_SZ that round-trips through the quoted form: one trailing NUL, no other NUL, no line
// breaks, valid UTF-8.
bool printableAsString(const RegData& d)
{
    if (d.type != REG_SZ || d.bytes.isEmpty() || !d.bytes.endsWith('\0'))
        return false;
    const QByteArray body = d.bytes.left(d.bytes.size() - 1);
    if (body.contains('\0') || body.contains('\n') || body.contains('\r'))
        return false;
    return QString::fromUtf8(body).toUtf8() == body;
}

// Reads a quoted text starting at `pos` (on the opening quote); advances past the closing quote.
std::optional<QByteArray> readQuoted(const QByteArray& line, qsizetype& pos)
{
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    QByteArray out;
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '\\') {
            if (++pos >= line.size())
                return std::nullopt;
            out += line[pos];
        } else if (c == '"') {
            ++pos;
            return out;
        } else {
            out += c;
        }
    }
    return std::nullopt;  // no closing quote: a cut line
}

std::optional<QByteArray> parseHex(const QByteArray& list)
{
    QByteArray out;
    const QByteArray trimmed = list.trimmed();
    if (trimmed.isEmpty())
        return out;
    for (const QByteArray& part : trimmed.split(',')) {
        bool ok = false;
        const QByteArray p = part.trimmed();
        const uint v = p.toUInt(&ok, 16);
        if (!ok || p.size() > 2)
            return std::nullopt;
        out += static_cast<char>(v);
    }
    return out;
}

std::optional<RegData> parseData(const QByteArray& text)
{
    if (text.startsWith('"')) {
        qsizetype pos = 0;
        auto s = readQuoted(text, pos);
        if (!s || !text.mid(pos).trimmed().isEmpty())
            return std::nullopt;
        return RegData{REG_SZ, *s + '\0'};
    }
    if (text.startsWith("dword:")) {
        bool ok = false;
        const QByteArray digits = text.mid(6).trimmed();
        const uint v = digits.toUInt(&ok, 16);
        if (!ok || digits.size() > 8)
            return std::nullopt;
        QByteArray b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[i] = static_cast<char>((v >> (8 * i)) & 0xff);
        return RegData{REG_DWORD, b};
    }
    uint32_t type = REG_BINARY;
    qsizetype colon = -1;
    if (text.startsWith("hex:")) {
        colon = 3;
    } else if (text.startsWith("hex(")) {
        const qsizetype close = text.indexOf("):");
        bool ok = false;
        if (close < 0)
            return std::nullopt;
        type = text.mid(4, close - 4).toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        colon = close + 1;
    } else {
        return std::nullopt;
    }
    auto bytes = parseHex(text.mid(colon + 1));
    if (!bytes)
        return std::nullopt;
    return RegData{type, *bytes};
}

}  // namespace

QString HiveData::normalise(const QString& path)
{
    QString p = path;
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (p.startsWith(QLatin1Char('\\')))
        p.remove(0, 1);
    while (p.endsWith(QLatin1Char('\\')))
        p.chop(1);
    return p;
}

bool HiveData::keyExists(const QString& path) const
{
    const QString p = normalise(path);
    return p.isEmpty() || m_keys.contains(p.toLower());
}

void HiveData::createKey(const QString& path)
{
    const QString p = normalise(path);
    if (p.isEmpty())
        return;
    const QStringList parts = p.split(QLatin1Char('\\'));
    QString walk;
    for (const QString& part : parts) {
        walk = walk.isEmpty() ? part : walk + QLatin1Char('\\') + part;
        const QString lower = walk.toLower();
        if (!m_keys.contains(lower)) {
            m_keys.insert(lower, Key{walk, {}});
            m_order.append(lower);
        }
    }
}

bool HiveData::deleteKey(const QString& path)
{
    const QString lower = normalise(path).toLower();
    if (lower.isEmpty() || !m_keys.contains(lower) || !subkeys(path).isEmpty())
        return false;
    m_keys.remove(lower);
    m_order.removeOne(lower);
    return true;
}

std::optional<RegData> HiveData::value(const QString& path, const QString& name) const
{
    const auto it = m_keys.constFind(normalise(path).toLower());
    if (it == m_keys.cend())
        return std::nullopt;
    for (const auto& [n, d] : it->values)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return d;
    return std::nullopt;
}

bool HiveData::setValue(const QString& path, const QString& name, const RegData& data)
{
    const QString p = normalise(path);
    if (p.isEmpty())
        return false;  // the root of a hive holds keys only
    auto it = m_keys.find(p.toLower());
    if (it == m_keys.end())
        return false;
    for (auto& entry : it->values) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0) {
            entry.second = data;
            return true;
        }
    }
    it->values.append({name, data});
    return true;
}

int32_t HiveData::deleteValue(const QString& path, const QString& name)
{
    auto it = m_keys.find(normalise(path).toLower());
    if (it == m_keys.end())
        return ERROR_FILE_NOT_FOUND;
    for (qsizetype i = 0; i < it->values.size(); ++i) {
        if (it->values[i].first.compare(name, Qt::CaseInsensitive) == 0) {
            it->values.removeAt(i);
            return ERROR_SUCCESS;
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

QStringList HiveData::subkeys(const QString& path) const
{
    const QString lower = normalise(path).toLower();
    const QString prefix = lower.isEmpty() ? QString() : lower + QLatin1Char('\\');
    QStringList out;
    for (const QString& k : m_order) {
        if (!k.startsWith(prefix) || k.size() == prefix.size())
            continue;
        const QString rest = k.mid(prefix.size());
        if (!rest.contains(QLatin1Char('\\')))
            out.append(m_keys.value(k).path.section(QLatin1Char('\\'), -1));
    }
    return out;
}

QList<QPair<QString, RegData>> HiveData::values(const QString& path) const
{
    return m_keys.value(normalise(path).toLower()).values;
}

QStringList HiveData::keys() const
{
    QStringList out;
    for (const QString& k : m_order)
        out.append(m_keys.value(k).path);
    return out;
}

QByteArray HiveData::toText(const QString& rootName) const
{
    QByteArray out = kHeader + "\n";
    const QByteArray root = rootName.toUtf8();
    for (const QString& lower : m_order) {
        const Key& key = m_keys[lower];
        out += "\n[" + root + '\\' + key.path.toUtf8() + "]\n";
        for (const auto& [name, d] : key.values) {
            out += name.isEmpty() ? QByteArray("@") : quoted(name);
            out += '=';
            if (printableAsString(d)) {
                out += quoted(QString::fromUtf8(d.bytes.left(d.bytes.size() - 1)));
            } else if (d.type == REG_DWORD && d.bytes.size() == 4) {
                uint v = 0;
                for (int i = 3; i >= 0; --i)
                    v = (v << 8) | static_cast<uchar>(d.bytes[i]);
                out += "dword:" + QByteArray::number(v, 16).rightJustified(8, '0');
            } else if (d.type == REG_BINARY) {
                out += "hex:" + hexList(d.bytes);
            } else {
                out += "hex(" + QByteArray::number(d.type, 16) + "):" + hexList(d.bytes);
            }
            out += '\n';
        }
    }
    return out;
}

HiveData HiveData::fromText(const QByteArray& text, const QString& rootName, int* damagedLines)
{
    HiveData data;
    int damaged = 0;
    const QByteArray rootPrefix = rootName.toUtf8().toLower() + '\\';
    QString current;        // key of the block being read; empty before the first
    bool inForeign = false;  // a block of another root or an unreadable key line

    // Join continuation lines (a hex list may wrap with a trailing backslash).
    QList<QByteArray> lines;
    QByteArray pending;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!pending.isEmpty())
            line = pending + line.trimmed();
        pending.clear();
        if (line.endsWith('\\') && line.contains("=hex")) {
            pending = line.left(line.size() - 1);
            continue;
        }
        lines.append(line);
    }
    if (!pending.isEmpty())
        lines.append(pending);

    bool first = true;
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (first) {
            first = false;
            if (line == kHeader)
                continue;
            ++damaged;  // no header: read on, but the file is not what we wrote
        }
        if (line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            inForeign = true;
            if (!line.endsWith(']') || line.startsWith("[-")) {
                ++damaged;
                continue;
            }
            const QByteArray inner = line.mid(1, line.size() - 2);
            if (!inner.toLower().startsWith(rootPrefix) || inner.contains('\0')) {
                ++damaged;
                continue;
            }
            const QByteArray pathBytes = inner.mid(rootPrefix.size());
            const QString path = QString::fromUtf8(pathBytes);
            if (path.toUtf8() != pathBytes || normalise(path).isEmpty()) {
                ++damaged;
                continue;
            }
            current = normalise(path);
            data.createKey(current);
            inForeign = false;
            continue;
        }
        if (inForeign || current.isEmpty()) {
            ++damaged;
            continue;
        }
        QString name;
        qsizetype pos = 0;
        if (line.startsWith('@')) {
            pos = 1;
        } else {
            auto n = readQuoted(line, pos);
            if (!n || QString::fromUtf8(*n).toUtf8() != *n) {
                ++damaged;
                continue;
            }
            name = QString::fromUtf8(*n);
        }
        if (pos >= line.size() || line[pos] != '=') {
            ++damaged;
            continue;
        }
        auto d = parseData(line.mid(pos + 1).trimmed());
        if (!d) {
            ++damaged;
            continue;
        }
        data.setValue(current, name, *d);
    }
    if (damagedLines)
        *damagedLines = damaged;
    return data;
}

// ---------------------------------------------------------------------------------------------

FileHive::FileHive(QString filePath, QString rootName)
    : m_file(std::move(filePath)), m_rootName(std::move(rootName))
{
}

FileHive::LoadResult FileHive::load(HiveData& out) const
{
    QFile f(m_file);
    if (!f.exists()) {
        out = HiveData();
        return LoadResult::Missing;
    }
    // A pipe or device here would hold the program at its start: only a file is read.
    if (!QFileInfo(m_file).isFile())
        return LoadResult::Unreadable;
    if (!f.open(QIODevice::ReadOnly))
        return LoadResult::Unreadable;
    int damaged = 0;
    out = HiveData::fromText(f.readAll(), m_rootName, &damaged);
    return damaged ? LoadResult::Damaged : LoadResult::Ok;
}

const HiveData& FileHive::snapshot()
{
    const QFileInfo info(m_file);
    const qint64 size = info.exists() ? info.size() : -1;
    const qint64 time = info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
    if (size != m_cacheSize || time != m_cacheTime) {
        HiveData fresh;
        // An unreadable file reads as empty keys; writes refuse it (see modify).
        if (load(fresh) == LoadResult::Unreadable)
            fresh = HiveData();
        m_cache = std::move(fresh);
        m_cacheSize = size;
        m_cacheTime = time;
    }
    return m_cache;
}

namespace {
// Copies of damaged files made since start-up asked last (setAsideDamagedSettings).
QList<SetAsideSettings>& setAside()
{
    static QList<SetAsideSettings> list;
    return list;
}
}  // namespace

bool FileHive::fail(const QString& reason)
{
    m_lastError = reason;
    return false;
}

// A write killed between writing its temporary file and renaming it leaves that file beside the
// settings, named as QSaveFile names its own: the file's name, a dot and six letters. Only such
// a file that holds settings text as this class writes it (whole, cut short or empty) is ours.
// Called under the lock, so no write of ours is using one.
void FileHive::removeLeftoverTemporaries() const
{
    const QFileInfo info(m_file);
    const QString prefix = info.fileName() + QLatin1Char('.');
    const QDir dir = info.absoluteDir();
    for (const QFileInfo& e : dir.entryInfoList({prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden | QDir::System)) {
        if (e.isSymLink() || !e.isFile() || !IsSaveLeftoverName(e.fileName(), info.fileName()))
            continue;
        QFile f(e.absoluteFilePath());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray start = f.read(kHeader.size());
        f.close();
        if (kHeader.startsWith(start))
            QFile::remove(e.absoluteFilePath());
    }
}

template <class Change>
bool FileHive::modify(Change&& change)
{
    m_lastError.clear();
    // Nobody was asked about a link at the settings file that leads elsewhere: it stays, and
    // nothing is written where it points. A link to a file is written through.
    if (LinkAtPath(m_file) == LinkAt::Elsewhere)
        return fail(LinkRefusal(m_file));
    const QFileInfo info(m_file);
    errno = 0;
    if (!QDir().mkpath(info.absolutePath()))
        return fail(info.absolutePath() + QStringLiteral(": ") + qt_error_string(errno ? errno : EACCES));
    QLockFile lock(m_file + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    errno = 0;
    if (!lock.tryLock(5000)) {
        const int err = errno;
        if (lock.error() == QLockFile::LockFailedError)
            return fail(QStringLiteral("another program holds its lock file '") + m_file + QStringLiteral(".lock'"));
        return fail(QStringLiteral("the lock file '") + m_file + QStringLiteral(".lock' cannot be made: ") +
                    qt_error_string(err ? err : EACCES));
    }
    HiveData data;
    const LoadResult loaded = load(data);
    if (loaded == LoadResult::Unreadable) {
        if (!QFileInfo(m_file).isFile())
            return fail(QStringLiteral("it is not a regular file"));
        QFile probe(m_file);
        probe.open(QIODevice::ReadOnly);
        return fail(QStringLiteral("it cannot be read: ") + probe.errorString());  // never replace what we could not read
    }
    if (!change(data))
        return false;
    removeLeftoverTemporaries();
    if (loaded == LoadResult::Damaged) {
        const QString aside = m_file + QStringLiteral(".damaged-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
        QFile source(m_file);
        if (!source.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("no copy of it could be made: ") + source.errorString());
        const QByteArray bytes = source.readAll();
        QFile copy(aside);
        if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return fail(QStringLiteral("no copy of it could be made as '") + aside + QStringLiteral("': ") + copy.errorString());
        if (copy.write(bytes) != bytes.size()) {
            const QString why = copy.errorString();
            copy.remove();
            return fail(QStringLiteral("no copy of it could be made as '") + aside + QStringLiteral("': ") + why);
        }
        copy.close();
        setAside().append(SetAsideSettings{m_file, aside, {}});
    }
    // Unbuffered: a buffered write refused by a full disk would show only at the close, after
    // which the cut-short file would still replace the settings.
    QSaveFile out(m_file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(out.errorString());
    const QByteArray text = data.toText(m_rootName);
    if (out.write(text) != text.size())
        return fail(out.errorString());
    if (!out.commit())
        return fail(out.errorString());
    m_cache = std::move(data);
    const QFileInfo written(m_file);
    m_cacheSize = written.size();
    m_cacheTime = written.lastModified().toMSecsSinceEpoch();
    return true;
}

QString FileHive::setAsideIfDamaged()
{
    m_lastError.clear();
    HiveData data;
    if (load(data) != LoadResult::Damaged)
        return {};
    const qsizetype before = setAside().size();
    // Writing the values that survive sets the damaged file aside first.
    modify([](HiveData&) { return true; });
    return setAside().size() > before ? setAside().last().copy : QString();
}

bool FileHive::keyExists(const QString& path) { return snapshot().keyExists(path); }

bool FileHive::createKey(const QString& path)
{
    if (snapshot().keyExists(path) && QFileInfo::exists(m_file))
        return true;
    return modify([&](HiveData& d) { d.createKey(path); return true; });
}

bool FileHive::deleteKey(const QString& path)
{
    return modify([&](HiveData& d) { return d.deleteKey(path); });
}

std::optional<RegData> FileHive::value(const QString& path, const QString& name)
{
    return snapshot().value(path, name);
}

bool FileHive::setValue(const QString& path, const QString& name, const RegData& data)
{
    return modify([&](HiveData& d) { return d.setValue(path, name, data); });
}

int32_t FileHive::deleteValue(const QString& path, const QString& name)
{
    int32_t status = ERROR_SUCCESS;
    const bool written = modify([&](HiveData& d) {
        status = d.deleteValue(path, name);
        return status == ERROR_SUCCESS;
    });
    if (status == ERROR_SUCCESS && !written)
        return ERROR_WRITE_FAULT;
    return status;
}

QStringList FileHive::subkeys(const QString& path) { return snapshot().subkeys(path); }

QList<QPair<QString, RegData>> FileHive::values(const QString& path) { return snapshot().values(path); }

// ---------------------------------------------------------------------------------------------

namespace {
struct Roots {
    std::map<int32_t, std::unique_ptr<RegistryHive>> hives;
};
Roots& roots()
{
    static Roots r;
    return r;
}
}  // namespace

QString settingsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Quillmere");
}

QString registryRootName(int32_t hkey)
{
    switch (hkey) {
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case HKEY_USERS: return QStringLiteral("HKEY_USERS");
    default: return {};
    }
}

RegistryHive* registryHive(int32_t hkey)
{
    if (hkey != HKEY_CURRENT_USER && hkey != HKEY_LOCAL_MACHINE)
        return nullptr;
    auto& slot = roots().hives[hkey];
    if (!slot) {
        const QString name = registryRootName(hkey);
        slot = std::make_unique<FileHive>(settingsFolder() + QLatin1Char('/') + name + QStringLiteral(".reg"), name);
    }
    return slot.get();
}

void resetRegistryHives() { roots().hives.clear(); }

QList<SetAsideSettings> setAsideDamagedSettings()
{
    QList<SetAsideSettings> kept;
    for (const int32_t hkey : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        auto* file = dynamic_cast<FileHive*>(registryHive(hkey));
        if (file && file->setAsideIfDamaged().isEmpty() && !file->lastError().isEmpty())
            kept.append(SetAsideSettings{file->filePath(), {}, file->lastError()});
    }
    return std::exchange(setAside(), {}) + kept;
}

QPair<MemoryHive*, MemoryHive*> useMemoryRegistry()
{
    auto lm = std::make_unique<MemoryHive>();
    auto cu = std::make_unique<MemoryHive>();
    QPair<MemoryHive*, MemoryHive*> out{lm.get(), cu.get()};
    roots().hives[HKEY_LOCAL_MACHINE] = std::move(lm);
    roots().hives[HKEY_CURRENT_USER] = std::move(cu);
    return out;
}

}  // namespace platform
