// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/FrmProgParameters.h"
#include "tests/settings/SettingsTestSupport.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

using Parameters = SettingsTest;

QStringList placeholdersShown(FrmProgParameters* w)
{
    QStringList out;
    for (QLineEdit* box : w->txtParameter)
        if (box->isVisibleTo(w))
            out.append(box->text());
    return out;
}

TEST_F(Parameters, EachSectionShowsItsPlaceholders)
{
    FrmProgParameters* w = g_frmProgParameters.get();
    EXPECT_TRUE(placeholdersShown(w).isEmpty());  // nothing until a section is chosen
    const struct { int section; QStringList placeholders; } cases[] = {
        {0, {"[PROG_NAME]", "[PROG_VERSION]", "[FILE_RECORDED]", "[FILE_SIZE]", "[FILE_TIME_LENGTH]",
             "[FILE_CREATED]"}},
        {1, {"[PROG_NAME]", "[PROG_VERSION]", "[DATE]", "[TIME]", "[TRACK_NUM]", "[YEAR]", "[SOURCE_NAME]",
             "[ITEM_NAME]", "[RANGE]"}},
        {2, {"[file_name]", "[date]", "[time]", "[123]", "[source_extension]", "[dest_extension]", "[item_name]"}},
    };
    for (const auto& c : cases) {
        w->cboSections->setCurrentIndex(c.section);
        EXPECT_EQ(placeholdersShown(w), c.placeholders) << c.section;
    }
    for (QLineEdit* box : w->txtParameter)
        EXPECT_TRUE(box->isReadOnly());
}

TEST_F(Parameters, CloseBoxUnloadsAndTheNextOpeningStartsFresh)
{
    FrmProgParameters* w = g_frmProgParameters.get();
    w->cboSections->setCurrentIndex(1);
    w->show();
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(g_frmProgParameters.isLoaded());
    FrmProgParameters* again = g_frmProgParameters.get();
    EXPECT_EQ(again->cboSections->currentIndex(), -1);
    EXPECT_TRUE(placeholdersShown(again).isEmpty());
}

}  // namespace
