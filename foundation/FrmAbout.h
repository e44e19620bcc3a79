// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

// A label that shows its text as a link and opens its address in the desktop's browser.
class AboutLinkLabel : public QLabel {
    Q_OBJECT
public:
    AboutLinkLabel(const QString& text, QWidget* parent);
    QString address() const { return m_address; }
    void setAddress(const QString& address) { m_address = address; }
    // As a click does: opens the address.
    void click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_address;
};

// The developer company credited on the About window and its address.
QString AboutDeveloperCompany();
QString AboutDeveloperAddress();
// The maker of the audio components.
QString AboutComponentsAddress();
// Joins a site address and a page without doubling or dropping the "/".
QString JoinWebAddress(const QString& site, const QString& page);

// "About": the product's name, versions, description and links. Modal, saves nothing.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    FrmAbout();

    QFrame* picTitle = nullptr;
    QLabel* lblTitle = nullptr;
    QTabWidget* cTabControl1 = nullptr;
    QWidget* picAbout = nullptr;
    QLabel* lblAppName = nullptr;
    QLabel* lblVersionInside = nullptr;
    QLabel* lblDesc = nullptr;
    AboutLinkLabel* lblHomePage = nullptr;
    AboutLinkLabel* lblSite = nullptr;
    AboutLinkLabel* lblProducts = nullptr;
    AboutLinkLabel* lblSupport = nullptr;
    AboutLinkLabel* lblDeveloper = nullptr;
    AboutLinkLabel* lblOskerlyAddress = nullptr;
    QLabel* lblOskerly = nullptr;
    QPushButton* cmdOK = nullptr;

    void cmdOK_Click();
    void cTabControl1_TabClick(int index);

protected:
    void Form_Load();
};

inline FormRef<FrmAbout> frmAbout;
