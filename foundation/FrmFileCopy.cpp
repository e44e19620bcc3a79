// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FrmFileCopy.h"

#include "foundation/Twips.h"
#include "foundation/WindowLinks.h"

#include <QCloseEvent>
#include <QPointer>

namespace {

QRect twips(int x, int y, int w, int h)
{
    return {TwipsToPixels(x), TwipsToPixels(y), TwipsToPixels(w), TwipsToPixels(h)};
}

}  // namespace

FrmFileCopy::FrmFileCopy()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("File Copy"));
    setFixedSize(TwipsToPixels(6000), TwipsToPixels(2700));
    setModal(true);

    picTitle = new QFrame(this);
    picTitle->setAutoFillBackground(true);
    picTitle->setGeometry(twips(0, 0, 6000, 375));
    lblTitle = new QLabel(QStringLiteral("File Copy"), picTitle);
    lblTitle->setGeometry(twips(120, 60, 5700, 255));
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    Label1 = new QLabel(QStringLiteral("From:"), this);
    Label1->setGeometry(twips(120, 540, 600, 255));
    lblFrom = new QLabel(this);
    lblFrom->setGeometry(twips(780, 540, 5100, 255));
    Label2 = new QLabel(QStringLiteral("To:"), this);
    Label2->setGeometry(twips(120, 840, 600, 255));
    lblTo = new QLabel(this);
    lblTo->setGeometry(twips(780, 840, 5100, 255));
    Line1 = new QFrame(this);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setGeometry(twips(120, 1200, 5760, 30));
    lblState = new QLabel(QStringLiteral("State"), this);
    lblState->setGeometry(twips(120, 1320, 5760, 255));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(twips(120, 1620, 5760, 255));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(twips(3000, 2100, 1335, 375));
    cmdExit = new QPushButton(QStringLiteral("Exit"), this);
    cmdExit->setGeometry(twips(4545, 2100, 1335, 375));
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    tmrStart = new QTimer(this);
    tmrStart->setInterval(100);
    tmrEnd = new QTimer(this);
    tmrEnd->setInterval(100);

    connect(Timer1, &QTimer::timeout, this, &FrmFileCopy::Timer1_Timer);
    connect(tmrStart, &QTimer::timeout, this, &FrmFileCopy::tmrStart_Timer);
    connect(tmrEnd, &QTimer::timeout, this, &FrmFileCopy::tmrEnd_Timer);
    connect(cmdOK, &QPushButton::clicked, this, &FrmFileCopy::cmdOK_Click);
    connect(cmdExit, &QPushButton::clicked, this, &FrmFileCopy::cmdExit_Click);
    Form_Load();
}

void FrmFileCopy::Form_Load()
{
    if (!g_appColoursLink)
        return;
    const AppColours colours = g_appColoursLink();
    QPalette strip = picTitle->palette();
    strip.setColor(QPalette::Window, colours.appColour);
    picTitle->setPalette(strip);
    QPalette title = lblTitle->palette();
    title.setColor(QPalette::WindowText, colours.titleTextColour);
    lblTitle->setPalette(title);
    QPalette bar = ProgressBar1->palette();
    bar.setColor(QPalette::Highlight, colours.appColour);
    ProgressBar1->setPalette(bar);
}

void FrmFileCopy::FileCopyEx(const QString& SourceFile, const QString& Destination)
{
    cmdOK->setEnabled(false);
    cmdExit->setEnabled(false);
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(true);
    lblState->setText(QStringLiteral("Copying"));
    // The copy lets events run, so the window may be unloaded meanwhile (program exit): the
    // copy object lives here, not in the window, and the window is checked before use after.
    const QString source = SourceFile;
    const QString destination = Destination;
    FileCopyClass copy;
    copy.CacheSize(8000);
    m_copy = &copy;
    Timer1->start();
    QPointer<FrmFileCopy> self(this);
    copy.Copy(source, destination);
    if (!self)
        return;
    m_copy = nullptr;
    m_lastSucceeded = copy.Sucessfull();
    Timer1->stop();
    cmdOK->setEnabled(true);
    cmdExit->setEnabled(true);
    if (!m_lastSucceeded) {
        lblState->setText(QStringLiteral("Failed"));
        return;
    }
    ProgressBar1->setValue(100);
    lblState->setText(QStringLiteral("Ready"));
    tmrEnd->start();
}

void FrmFileCopy::Timer1_Timer()
{
    if (m_copy)
        ProgressBar1->setValue(m_copy->PercentREady());
}

void FrmFileCopy::tmrStart_Timer()
{
    tmrStart->stop();
    FileCopyEx(g_sSourceFile, g_sDestFile);
}

void FrmFileCopy::tmrEnd_Timer()
{
    tmrEnd->stop();
    g_frmFileCopy.unload();
}

void FrmFileCopy::cmdOK_Click()
{
    FileCopyEx(g_sSourceFile, g_sDestFile);
}

void FrmFileCopy::cmdExit_Click()
{
    g_frmFileCopy.unload();
}

void FrmFileCopy::closeEvent(QCloseEvent* event)
{
    // Closing during a copy would pull the window from under the running loop.
    if (!cmdExit->isEnabled()) {
        event->ignore();
        return;
    }
    event->accept();
    g_frmFileCopy.unload();
}

void FrmFileCopy::reject()
{
    if (cmdExit->isEnabled())
        g_frmFileCopy.unload();
}
