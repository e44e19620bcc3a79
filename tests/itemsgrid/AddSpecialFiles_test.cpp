// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/itemsgrid/ItemsGridFixture.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/SpecialFiles.h"

#include <QTimer>

namespace {

using AddSpecialFiles = ItemsGridFixture;
using specialfiles::SpecialFiles;

// Runs `call` (which runs the adding pass's own event loops) with a guard: should the pass wait
// on the FIFO, the guard opens its writing end after 15 s, which sets the pass free, and the
// test fails instead of hanging.
bool passEndsInTime(const QString& fifo, const std::function<void()>& call)
{
    bool rescued = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        rescued = true;
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
    });
    guard.start(15000);
    call();
    return !rescued;
}

TEST_F(AddSpecialFiles, TheAddFilesCommandRefusesEachForWhatItIs)
{
    const QString list = makeListOf(QStringLiteral("L"), {});
    const SpecialFiles special(media);
    const QString good = makeWav(QStringLiteral("good.wav"), 0.5);
    const QByteArray misreadRaw = QFile::encodeName(media) + "/bad\xffname.wav";
    ASSERT_EQ(::link(QFile::encodeName(good).constData(), misreadRaw.constData()), 0);
    const QString misread = QFile::decodeName(misreadRaw);
    const QString status = QStringLiteral("/proc/self/status");

    FakeFileDialogs dialogs;
    QStringList chosen;
    for (const specialfiles::Special& s : special.all)
        chosen << s.path;
    chosen << misread << good;
    dialogs.chooseFiles(chosen);
    dialogs.chooseFiles({status});  // one folder a choice
    FrmMain* f = openMain();
    EXPECT_TRUE(passEndsInTime(special.fifo, [&] { f->RunCommand(QStringLiteral("Add Files")); }));
    f->RunCommand(QStringLiteral("Add Files"));
    ::unlink(misreadRaw.constData());

    EXPECT_EQ(listFiles(list), QStringList{good});
    ASSERT_EQ(box.shown.size(), 2);
    const QStringList expected = {
        QStringLiteral("Cannot add ") + special.all[0].path + QStringLiteral(" (not a regular file: a FIFO)"),
        QStringLiteral("Cannot add ") + special.all[1].path + QStringLiteral(" (not a regular file: a device)"),
        QStringLiteral("Cannot add ") + special.all[2].path + QStringLiteral(" (not a regular file: a socket)"),
        QStringLiteral("Cannot add ") + special.all[3].path + QStringLiteral(" (a folder)"),
        QStringLiteral("Cannot add ") + misread +
            QStringLiteral(" (its name is not valid UTF-8: the program cannot name that file)"),
    };
    EXPECT_EQ(box.shown.first().prompt, expected.join(QStringLiteral("\r\n"))) << box.shown.first().prompt.toStdString();
    EXPECT_EQ(box.shown.last().prompt,
              QStringLiteral("Cannot add ") + status + QStringLiteral(" (it gives a size of 0 bytes yet holds data: it is not audio)"));
}

// Callers that hand paths to the pass without looking first (the recorder, the editor, the
// speech window): the pass's own look refuses them, on its probing threads, without waiting.
TEST_F(AddSpecialFiles, ThePassItselfRefusesThemWithoutWaiting)
{
    makeListOf(QStringLiteral("L"), {});
    const SpecialFiles special(media);
    QStringList paths;
    for (const specialfiles::Special& s : special.all)
        paths << s.path;
    FrmMain* f = openMain();
    EXPECT_TRUE(passEndsInTime(special.fifo, [&] { g_frmStat->AddFilesToList(paths, f->cGrid1, f, false); }));
    EXPECT_EQ(f->cGrid1->Rows(), 0);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.first().prompt,
              QStringLiteral("Cannot add %1 (not a regular file: a FIFO)\r\nCannot add %2 (not a regular file: a device)\r\n"
                             "Cannot add %3 (not a regular file: a socket)\r\nCannot add %4 (a folder)")
                  .arg(paths[0], paths[1], paths[2], paths[3]));
}

}  // namespace
