// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "commands/ToolWindows.h"

#include "foundation/mdlModes.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace {

QHash<QString, ToolWindows::Loader>& registry()
{
    static QHash<QString, ToolWindows::Loader> loaders;
    return loaders;
}

// The modal tool windows open now, innermost last.
std::vector<QPointer<QWidget>>& openModals()
{
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}

// Ends the local loop once the window is hidden or destroyed, whoever closes it.
class CloseWatcher final : public QObject {
public:
    CloseWatcher(QWidget* window, QEventLoop& loop) : m_loop(loop) { window->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide || event->type() == QEvent::Close)
            QMetaObject::invokeMethod(&m_loop, "quit", Qt::QueuedConnection);
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop& m_loop;
};

}  // namespace

void ToolWindow::ShowModal()
{
    QWidget* window = Window();
    if (!window)
        return;
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        dialog->exec();
        return;
    }
    const QPointer<QWidget> guard(window);
    window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    CloseWatcher watcher(window, loop);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->show();
    if (window->isVisible())
        loop.exec(QEventLoop::DialogExec);
}

namespace ToolWindows {

void Register(const QString& key, Loader loader)
{
    if (loader)
        registry().insert(key, std::move(loader));
    else
        registry().remove(key);
}

bool IsRegistered(const QString& key) { return registry().contains(key); }

ToolWindow* Load(const QString& key)
{
    const auto it = registry().constFind(key);
    if (it == registry().constEnd() || !*it)
        return nullptr;
    return (*it)();
}

bool InProfile(const QString& key)
{
    static const std::pair<const char*, const long*> flags[] = {
        {"Audio Converter", &g_lAppIncConverter},   {"MP3 CD Maker", &g_lAppIncMP3Burner},
        {"WMA CD Maker", &g_lAppIncWMABurner},      {"Audio CD Duplicator", &g_lAppIncDuplicator},
        {"Audio CD Ripper", &g_lAppIncCDRipper},    {"ACM Converter", &g_lAppIncACMConverter},
        {"Audio Joiner", &g_lAppIncJoin},           {"Audio Splitter", &g_lAppIncSplit},
        {"Audio CD Maker", &g_lAppIncAudioBurner},  {"Audio Analyser", &g_lAppIncEditor},
        {"Audio Recorder", &g_lAppIncMicRec},       {"Text To Speech", &g_lAppIncTTS},
        {"MP3 Tags Editor", &g_lAppIncTagsEditor},
    };
    for (const auto& [name, flag] : flags)
        if (key == QLatin1String(name))
            return *flag == 1;
    return false;
}

QString NotPartOfThisVersion(const QString& key) { return QStringLiteral("The ") + key + QStringLiteral(" is not part of this version."); }

void ShowToolModal(ToolWindow& tool)
{
    QWidget* window = tool.Window();
    if (window) {
        // Shown without an owner window: it must not take the main window's place in a stack.
        if (window->parentWidget() && window->isWindow())
            window->setParent(nullptr, window->windowFlags());
        openModals().emplace_back(window);
    }
    tool.ShowModal();
    auto& open = openModals();
    for (auto it = open.begin(); it != open.end();) {
        if (it->isNull() || it->data() == window)
            it = open.erase(it);
        else
            ++it;
    }
}

QWidget* OpenModalWindow()
{
    auto& open = openModals();
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if (!it->isNull() && (*it)->isVisible())
            return it->data();
    // Modal windows the commands show without this seam (options, item properties, file copy).
    return QApplication::activeModalWidget();
}

bool BringModalWindowForward()
{
    QWidget* window = OpenModalWindow();
    if (!window)
        return false;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
    return true;
}

}  // namespace ToolWindows
