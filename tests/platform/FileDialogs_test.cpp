// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/FileDialogs.h"

#include "tests/support/FakeMessageBox.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace {

// Acts on the next modal dialog once it is up, as the user would, and again while that same
// dialog stays up (an accept that comes before the dialog is ready is ignored). A dialog still up
// after 10 s is rejected and the test fails instead of hanging.
template <class Dialog>
void whenShown(std::function<void(Dialog*)> act)
{
    struct State {
        QTimer timer;
        QElapsedTimer clock;
        QPointer<Dialog> target;  // the dialog acted on; a later dialog is someone else's
        bool found = false;
    };
    auto* state = new State;
    state->clock.start();
    QObject::connect(&state->timer, &QTimer::timeout, [state, act] {
        if (!state->found) {
            state->target = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            state->found = state->target != nullptr;
        }
        const bool up = state->target && state->target->isVisible();
        const bool done = state->found && !up;
        const bool late = state->clock.elapsed() > 10000;
        if (done || late) {
            if (late) {
                ADD_FAILURE() << "the dialog did not close";
                if (up)
                    static_cast<QDialog*>(state->target.data())->reject();
            }
            state->timer.stop();
            QTimer::singleShot(0, [state] { delete state; });
            return;
        }
        if (up)
            act(state->target);
    });
    state->timer.start(20);
}

// Types into the dialog's name box, as the user does. (selectFile() leaves the box alone once it
// has the focus, so it cannot stand in for typing.)
void typeName(QFileDialog* dialog, const QString& text)
{
    auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(box, nullptr);
    box->setText(text);
}

class RealDialogsTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::setFileDialogService(nullptr);
        for (const char* name : {"a.wav", "b.wav", "c.txt"}) {
            QFile f(dir.filePath(QLatin1String(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
    QTemporaryDir dir;
};

TEST_F(RealDialogsTest, OpenReturnsTheAcceptedFilesAndNothingOnCancel)
{
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Add audio files");
    request.filter = QStringLiteral("Wave (*.wav)");
    request.initialFolder = dir.path();
    request.multiSelect = true;
    whenShown<QFileDialog>([](QFileDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Add audio files"));
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFiles);
        typeName(d, QStringLiteral("\"a.wav\" \"b.wav\""));
        static_cast<QDialog*>(d)->accept();
    });
    const std::optional<QStringList> chosen = platform::fileDialogs().openFiles(request, nullptr);
    ASSERT_TRUE(chosen.has_value());
    QStringList sorted = *chosen;
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList{dir.filePath(QStringLiteral("a.wav")), dir.filePath(QStringLiteral("b.wav"))}));

    whenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_FALSE(platform::fileDialogs().openFiles(request, nullptr).has_value());
}

TEST_F(RealDialogsTest, SaveAsksBeforeOverwritingAndAddsTheSuffix)
{
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Save;
    request.initialFolder = dir.path();
    request.defaultSuffix = QStringLiteral("flst");
    whenShown<QFileDialog>([](QFileDialog* d) {
        EXPECT_FALSE(d->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
        typeName(d, QStringLiteral("list"));
        static_cast<QDialog*>(d)->accept();
    });
    const std::optional<QString> chosen = platform::fileDialogs().saveFile(request, nullptr);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, dir.filePath(QStringLiteral("list.flst")));
}

TEST_F(RealDialogsTest, SaveAsksAboutALinkThatLeadsNowhereAsAboutAFile)
{
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("elsewhere/none.wav")), dir.filePath(QStringLiteral("gone.wav"))));
    FakeMessageBox boxes;
    boxes.answer(platform::vbNo);
    boxes.answer(platform::vbYes);
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Save;
    request.title = QStringLiteral("Save as WAV file");
    request.initialFolder = dir.path();
    int shown = 0;
    whenShown<QFileDialog>([&](QFileDialog* d) {
        ++shown;
        typeName(d, QStringLiteral("gone.wav"));
        static_cast<QDialog*>(d)->accept();
    });
    const std::optional<QString> chosen = platform::fileDialogs().saveFile(request, nullptr);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, dir.filePath(QStringLiteral("gone.wav")));
    // No keeps the dialog up for another name; Yes takes the link's name.
    EXPECT_EQ(shown, 2);
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[0].prompt, QStringLiteral("gone.wav already exists.\nDo you want to replace it?"));
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("Save as WAV file"));
}

TEST_F(RealDialogsTest, FolderAndColour)
{
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Folder;
    request.initialFolder = dir.path();
    whenShown<QFileDialog>([](QFileDialog* d) { static_cast<QDialog*>(d)->accept(); });
    EXPECT_EQ(platform::fileDialogs().browseFolder(request, nullptr).value_or(QString()), dir.path());

    platform::ColorDialogRequest colour;
    colour.initial = Qt::white;
    for (int i = 0; i < 16; ++i)
        colour.customColours << QColor(i, 0, 0);
    whenShown<QColorDialog>([](QColorDialog* d) {
        EXPECT_EQ(d->currentColor(), QColor(Qt::white));
        EXPECT_EQ(QColorDialog::customColor(3), QColor(3, 0, 0));
        QColorDialog::setCustomColor(3, QColor(9, 9, 9));
        d->setCurrentColor(QColor(10, 20, 30));
        static_cast<QDialog*>(d)->accept();
    });
    EXPECT_EQ(platform::fileDialogs().chooseColor(colour, nullptr), QColor(10, 20, 30));
    EXPECT_EQ(colour.customColours[3], QColor(9, 9, 9));
}

}  // namespace
