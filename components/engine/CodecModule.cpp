// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/CodecModule.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

#include <mutex>

namespace engine {

namespace {

const char kModuleFile[] = "quillmere-codecs.so";

struct Loaded {
    const CodecModuleApi* api = nullptr;
    QString error;
};

std::mutex g_lock;
QString g_testPath;  // guarded by g_lock

QString executableFolder()
{
    // /proc/self/exe rather than argv[0] or QCoreApplication: the seam is also used before or
    // without an application object, and symbolic links to the program resolve to where it lives.
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return exe.isEmpty() ? QString() : QFileInfo(exe).absolutePath();
}

QStringList candidates()
{
    const QString folder = executableFolder();
    if (folder.isEmpty())
        return {};
    const QString name = QString::fromLatin1(kModuleFile);
    return {QDir(folder).filePath(name), QDir::cleanPath(folder + QStringLiteral("/../bin/") + name),
            QDir::cleanPath(folder + QStringLiteral("/../lib/quillmere/") + name)};
}

Loaded loadFrom(const QStringList& paths)
{
    Loaded result;
    QString why;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isFile() && paths.size() > 1)
            continue;
        // Never closed: readers and writers it made may outlive any owner we could name.
        void* handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            why = QString::fromLocal8Bit(::dlerror());
            break;
        }
        using Entry = const CodecModuleApi* (*)();
        auto entry = reinterpret_cast<Entry>(::dlsym(handle, QM_CODEC_MODULE_ENTRY));
        const CodecModuleApi* api = entry ? entry() : nullptr;
        if (!api || api->version != kCodecModuleVersion || api->size != int(sizeof(CodecModuleApi))) {
            why = QStringLiteral("%1 belongs to another version of the program").arg(path);
            break;
        }
        result.api = api;
        return result;
    }
    if (why.isEmpty())
        why = paths.isEmpty() ? QStringLiteral("the program's folder is unknown")
                              : QStringLiteral("it is not installed beside the program (looked in %1)")
                                    .arg(paths.join(QStringLiteral(", ")));
    result.error = QStringLiteral("the codec module %1 (FFmpeg, LAME and Vorbis) cannot be loaded: %2")
                       .arg(codecModuleName(), why);
    return result;
}

}  // namespace

QString codecModuleName() { return QString::fromLatin1(kModuleFile); }

void setCodecModulePathForTesting(const QString& path)
{
    std::lock_guard guard(g_lock);
    g_testPath = path;
}

const CodecModuleApi* codecModule(QString* error)
{
    std::unique_lock guard(g_lock);
    if (!g_testPath.isEmpty()) {
        const Loaded loaded = loadFrom({g_testPath});
        if (!loaded.api && error)
            *error = loaded.error;
        return loaded.api;
    }
    guard.unlock();
    static const Loaded loaded = loadFrom(candidates());
    if (!loaded.api && error)
        *error = loaded.error;
    return loaded.api;
}

}  // namespace engine
