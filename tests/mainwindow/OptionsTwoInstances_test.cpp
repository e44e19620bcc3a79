// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Options saved by two instances of the program over one settings folder, and options that
// cannot be saved at all.
#include "tests/itemsgrid/ItemsGridFixture.h"

#include "foundation/mdlMain.h"
#include "mainwindow/MainStartupWindows.h"
#include "tests/support/SmallDisk.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>

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

// The other instance as a process of its own: this test program run again on the same home,
// for the one test below, which only runs so (QM_OTHER_INSTANCE_HOME names the home).
TEST_F(OptionsTwoInstances, DISABLED_OtherInstanceTicksPlaySound)
{
    const QString home = qEnvironmentVariable("QM_OTHER_INSTANCE_HOME");
    ASSERT_FALSE(home.isEmpty());
    forms::unloadAll();
    qputenv("XDG_CONFIG_HOME", QDir(home).filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", QDir(home).filePath(QStringLiteral("data")).toUtf8());
    platform::resetRegistryHives();
    FrmOptions* f = frmOptions.get();
    ASSERT_FALSE(f->chkPlaySound->isChecked());
    f->show();
    f->chkPlaySound->setChecked(true);
    f->cmdOk_Click();
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_EQ(stored("Events", "chkPlaySound"), QStringLiteral("1"));
}

TEST_F(OptionsTwoInstances, AnotherProcesssSaveStaysThroughThisOnesOk)
{
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    FrmOptions* mine = frmOptions.get();
    box.shown.clear();

    QProcess other;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QM_OTHER_INSTANCE_HOME"), testenv::root());
    other.setProcessEnvironment(env);
    other.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=OptionsTwoInstances.DISABLED_OtherInstanceTicksPlaySound")});
    ASSERT_TRUE(other.waitForFinished(60000));
    ASSERT_EQ(other.exitCode(), 0) << other.readAllStandardOutput().toStdString();
    ASSERT_EQ(stored("Events", "chkPlaySound"), QStringLiteral("1"));

    // This instance still shows the box as it read it, and saves another change.
    EXPECT_FALSE(mine->chkPlaySound->isChecked());
    mine->show();
    mine->chkClearOnExit->setChecked(true);
    mine->cmdOk_Click();
    EXPECT_EQ(stored("General", "chkClearOnExit"), QStringLiteral("1"));
    EXPECT_EQ(stored("Events", "chkPlaySound"), QStringLiteral("1"));
    EXPECT_TRUE(mine->chkPlaySound->isChecked());  // read back after the save
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
