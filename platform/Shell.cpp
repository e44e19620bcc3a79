// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace platform {
namespace {

QUrl urlFor(const QString& target)
{
    // A path that exists, or one that looks like a path, is a local file; anything with a
    // scheme is handed over as a URL.
    if (target.startsWith(QLatin1Char('/')) || target.startsWith(QLatin1Char('.')) || QFileInfo::exists(target))
        return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    const QUrl url(target, QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty())
        return url;
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(target));
}

class DesktopShell final : public ShellService {
public:
    bool open(const QString& target) override
    {
        if (target.isEmpty())
            return false;
        return QDesktopServices::openUrl(urlFor(target));
    }
    bool startProgram(const QString& program, const QStringList& arguments, const QString& workingFolder) override
    {
        if (program.isEmpty())
            return false;
        return QProcess::startDetached(program, arguments, workingFolder);
    }
};

DesktopShell g_real;
ShellService* g_current = nullptr;

}  // namespace

ShellService& shell() { return g_current ? *g_current : g_real; }

void setShellService(ShellService* service) { g_current = service; }

QStringList splitCommandLine(const QString& commandLine)
{
    QStringList parts;
    QString current;
    bool inPart = false;
    QChar quote;
    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        const QChar c = commandLine.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else if (c == QLatin1Char('\\') && quote == QLatin1Char('"') && i + 1 < commandLine.size()
                     && (commandLine.at(i + 1) == QLatin1Char('"') || commandLine.at(i + 1) == QLatin1Char('\\')))
                current += commandLine.at(++i);
            else
                current += c;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            inPart = true;
        } else if (c == QLatin1Char('\\') && i + 1 < commandLine.size()) {
            current += commandLine.at(++i);
            inPart = true;
        } else if (c.isSpace()) {
            if (inPart)
                parts << current;
            current.clear();
            inPart = false;
        } else {
            current += c;
            inPart = true;
        }
    }
    if (inPart)
        parts << current;
    return parts;
}

}  // namespace platform
