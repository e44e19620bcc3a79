// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FrmAbout.h"
#include "foundation/WindowLinks.h"
#include "foundation/mdlModes.h"
#include "tests/support/FakeShell.h"

#include <QTabBar>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

TEST(About, ShowsTheProfileAndOpensEachLink)
{
    InitProductConfig();
    FakeShell shell;
    int iconAsked = 0;
    g_menuImageLink = [&](int index) {
        iconAsked = index;
        return QIcon();
    };
    FrmAbout* form = frmAbout.get();
    g_menuImageLink = nullptr;
    EXPECT_EQ(form->windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(form->lblTitle->text(), QStringLiteral("Quillmere 1.2"));
    EXPECT_EQ(form->lblAppName->text(), QStringLiteral("Quillmere 1.2"));
    EXPECT_EQ(form->lblVersionInside->text(), QStringLiteral("Inside version: 1.2.0"));
    EXPECT_EQ(form->lblDesc->text(), g_sAppDescription);
    EXPECT_EQ(form->lblHomePage->text(), QStringLiteral("Quillmere 1.2 - Home Page"));
    EXPECT_EQ(form->lblSite->text(), g_sAppHomeURL);
    ASSERT_EQ(form->cTabControl1->count(), 1);
    EXPECT_EQ(form->cTabControl1->tabText(0), QStringLiteral("About   "));
    EXPECT_EQ(form->cTabControl1->currentWidget(), form->picAbout);
    EXPECT_EQ(iconAsked, 18);

    for (AboutLinkLabel* link : {form->lblHomePage, form->lblSite, form->lblProducts, form->lblSupport,
                                 form->lblDeveloper, form->lblOskerlyAddress})
        QTest::mouseClick(link, Qt::LeftButton);
    const QStringList expected{g_sAppHomePage,
                               g_sAppHomeURL,
                               g_sAppHomeURL + QStringLiteral("/products.html"),
                               g_sAppSupportURL,
                               AboutComponentsAddress(),
                               form->lblOskerlyAddress->text()};
    EXPECT_EQ(shell.opened, expected);
    for (const QString& address : shell.opened)
        EXPECT_TRUE(QUrl(address).host().endsWith(QLatin1String(".example"))) << address.toStdString();

    form->cmdOK->click();
    EXPECT_FALSE(frmAbout.isLoaded());
}

TEST(About, WebAddressesJoinWithOneSlash)
{
    const struct {
        const char* site;
        const char* page;
        const char* joined;
    } cases[] = {{"https://a.example", "products.html", "https://a.example/products.html"},
                 {"https://a.example/", "products.html", "https://a.example/products.html"},
                 {"https://a.example//", "/products.html", "https://a.example/products.html"}};
    for (const auto& c : cases)
        EXPECT_EQ(JoinWebAddress(QLatin1String(c.site), QLatin1String(c.page)), QLatin1String(c.joined));
}

}  // namespace
