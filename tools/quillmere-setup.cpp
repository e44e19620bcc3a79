// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The installer step: makes the settings key and fills the program folder. Run again at will;
// it adds what is missing and changes nothing the user has.
#include "platform/Paths.h"
#include "tools/Installer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "usage: quillmere-setup [--help]\n"
    "Makes the settings key and fills the program folder; run again at will, it adds what is\n"
    "missing and changes nothing the user has. It takes no other arguments.\n";

}  // namespace

int main(int argc, char* argv[])
{
    // Every word is looked at before anything is set up: a mistyped one must not install.
    bool help = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            help = true;
        } else {
            std::fprintf(stderr, "quillmere-setup: unknown argument: %s\n", argv[i]);
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
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
