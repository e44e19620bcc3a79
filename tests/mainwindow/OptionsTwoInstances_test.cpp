// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Options saved by two instances of the program over one settings folder, and options that
// cannot be saved at all.
#include "tests/itemsgrid/ItemsGridFixture.h"

#include "foundation/mdlMain.h"
#include "mainwindow/MainStartupWindows.h"
#include "tests/support/SmallDisk.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

class OptionsTwoInstances : public ItemsGridFixture {
protected:
    void SetUp() override
    {
        ItemsGridFixture::SetUp();
        RegistryRoutines reg;
        reg.hkey(platform::HKEY_LOCAL_MACHINE);
        reg.KeyRoot(SettingsKeyRoot());
        for (const char* section : {"Events", "ID3 Tags"})
            ASSERT_EQ(reg.CreateKey(QString::fromLatin1(section)), QStringLiteral("0"));
        forms::unloadAll();
    }
    static QString stored(const char* section, const char* name)
    {
        RegistryRoutines reg;
        reg.hkey(platform::HKEY_LOCAL_MACHINE);
        reg.KeyRoot(SettingsKeyRoot());
        reg.Subkey(QString::fromLatin1(section));
        return reg.GetRegistryValue(QString::fromLatin1(name)).toString();
    }
};

TEST_F(OptionsTwoInstances, EachKeepsWhatTheOtherChanged)
{
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    FrmOptions* first = frmOptions.get();  // this instance's, loaded by the start-up
    FrmOptions second;                     // the other instance's, open at the same time
    box.shown.clear();

    first->show();
    first->chkClearOnExit->setChecked(true);
    first->txtTagArtist->setText(QStringLiteral("First"));
    first->cmdOk_Click();
    EXPECT_EQ(stored("General", "chkClearOnExit"), QStringLiteral("1"));

    // The other instance still shows the options as they were when it read them.
    EXPECT_FALSE(second.chkClearOnExit->isChecked());
    second.show();
    second.chkPlaySound->setChecked(true);
    second.txtTagAlbum->setText(QStringLiteral("Second"));
    second.cmdOk_Click();

    const struct { const char* section; const char* name; const char* text; } expected[] = {
        {"General", "chkClearOnExit", "1"},
        {"ID3 Tags", "txtTagArtist", "First"},
        {"Events", "chkPlaySound", "1"},
        {"ID3 Tags", "txtTagAlbum", "Second"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(stored(e.section, e.name).toStdString(), e.text) << e.name;

    // The first instance's next OK, with another change, leaves the other's changes too.
    first->show();
    first->chkDisplayGridLine->setChecked(!first->chkDisplayGridLine->isChecked());
    first->cmdOk_Click();
    for (const auto& e : expected)
        EXPECT_EQ(stored(e.section, e.name).toStdString(), e.text) << e.name;
    // It has read them back: both instances now show both changes.
    EXPECT_TRUE(first->chkPlaySound->isChecked());
    EXPECT_EQ(first->txtTagAlbum->text(), QStringLiteral("Second"));
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(OptionsTwoInstances, ASaveTheStoreRefusesNamesTheFileAndTheReason)
{
    const QString file = QDir(platform::settingsFolder()).filePath(QStringLiteral("HKEY_LOCAL_MACHINE.reg"));
    const QByteArray settings = [&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_FALSE(settings.isEmpty());
    smalldisk::SmallDisk disk(platform::settingsFolder(), "256k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.refusal();
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(settings);
    }
    platform::resetRegistryHives();
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    box.shown.clear();
    ASSERT_TRUE(disk.makeReadOnly());

    FrmOptions* f = frmOptions.get();
    f->show();
    f->chkClearOnExit->setChecked(true);
    f->cmdOk_Click();
    ASSERT_EQ(box.shown.size(), 1);
    const QString prompt = box.shown[0].prompt;
    EXPECT_TRUE(prompt.contains(QStringLiteral("The settings store is missing or cannot be written"))) << prompt.toStdString();
    EXPECT_TRUE(prompt.contains(file)) << prompt.toStdString();
    EXPECT_TRUE(prompt.contains(QStringLiteral("Read-only file system"))) << prompt.toStdString();
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(f->chkClearOnExit->isChecked());
    ASSERT_TRUE(disk.makeWritable());
    forms::unloadAll();
}

}  // namespace
