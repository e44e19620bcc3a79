// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The installer step: makes the settings key and fills the program folder. Run again at will;
// it adds what is missing and changes nothing the user has.
#include "platform/Paths.h"
#include "tools/Installer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString resources = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/quillmere");
    const InstallReport report = RunInstaller(platform::programFolder(), resources);
    QTextStream out(stdout);
    out << "Settings keys created: " << report.createdKeys.size() << ", values written: "
        << report.writtenValues.size() << ", files placed: " << report.copiedFiles.size() << "\n";
    QTextStream err(stderr);
    for (const QString& e : report.errors)
        err << e << "\n";
    return report.ok() ? 0 : 1;
}
