// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The installer step as typed on a command line: the built program, run in a home folder of
// its own.
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct SetupRun {
    int exitCode = -1;
    QString out, err;
    QStringList written;  // every file the run left in the home folder
};

SetupRun runSetup(const QStringList& args)
{
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/cache"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QM_SETUP_PATH), args);
    SetupRun r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    QDirIterator it(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        r.written << it.next();
    return r;
}

TEST(QuillmereSetup, HelpAndUnknownWordsInstallNothing)
{
    // Without a word it installs: the home folder is where a wrong word would have written.
    const SetupRun install = runSetup({});
    EXPECT_EQ(install.exitCode, 0) << install.err.toStdString();
    EXPECT_FALSE(install.written.isEmpty());

    for (const char* word : {"--help", "-h"}) {
        SCOPED_TRACE(word);
        const SetupRun r = runSetup({QLatin1String(word)});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("usage: quillmere-setup"))) << r.out.toStdString();
        EXPECT_EQ(r.written, QStringList());
    }
    for (const QStringList& words : {QStringList{"--hlep"}, QStringList{"install"}, QStringList{"-x", "--help"},
                                     QStringList{"--prefix=/tmp/x"}}) {
        SCOPED_TRACE(words.join(QLatin1Char(' ')).toStdString());
        const SetupRun r = runSetup(words);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_NE(r.exitCode, -1) << "did not finish";
        EXPECT_TRUE(r.err.contains(QStringLiteral("usage: quillmere-setup"))) << r.err.toStdString();
        EXPECT_EQ(r.written, QStringList());
    }
}

}  // namespace
