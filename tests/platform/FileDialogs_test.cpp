// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/FileDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace {

// Acts on the next modal dialog once it is up, as the user would.
template <class Dialog>
void whenShown(std::function<void(Dialog*)> act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start(10);
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
        d->selectFile(QStringLiteral("\"a.wav\" \"b.wav\""));
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
        d->selectFile(QStringLiteral("list"));
        static_cast<QDialog*>(d)->accept();
    });
    const std::optional<QString> chosen = platform::fileDialogs().saveFile(request, nullptr);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, dir.filePath(QStringLiteral("list.flst")));
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
