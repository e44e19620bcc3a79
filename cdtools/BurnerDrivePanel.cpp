// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/BurnerDrivePanel.h"

#include "cdtools/StatusLineFit.h"
#include "components/cAudioBurner.h"
#include "foundation/VbNumbers.h"
#include "settings/controls/TwipsGeometry.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {

QLabel* label(const QString& text, QWidget* parent, int left, int top, int width)
{
    auto* l = new QLabel(text, parent);
    PlaceTw(l, left, top, width, 255);
    return l;
}

}  // namespace

BurnerDrivePanel::BurnerDrivePanel(cAudioBurner& component, QWidget* parent, int x, int y)
    : m_component(component)
{
    Label1 = label(QStringLiteral("CDs:"), parent, x, y + 45, 1215);
    cboDrv = new QComboBox(parent);
    cboDrv->setObjectName(QStringLiteral("cboDrv"));
    PlaceTw(cboDrv, x + 1260, y, 3900, 330);
    Label2 = label(QStringLiteral("Speeds:"), parent, x, y + 435, 1215);
    cboSpeed = new QComboBox(parent);
    cboSpeed->setObjectName(QStringLiteral("cboSpeed"));
    PlaceTw(cboSpeed, x + 1260, y + 390, 2400, 330);
    cmdOpenCD = new QPushButton(QStringLiteral("Open CD"), parent);
    cmdOpenCD->setObjectName(QStringLiteral("cmdOpenCD"));
    PlaceTw(cmdOpenCD, x + 5280, y, 1095, 330);
    cmdClose = new QPushButton(QStringLiteral("Close CD"), parent);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    PlaceTw(cmdClose, x + 5280, y + 390, 1095, 330);

    Label3 = label(QStringLiteral("Disk Size"), parent, x, y + 810, 1215);
    lblDiskSize = label(QStringLiteral("Disk Size"), parent, x + 1260, y + 810, 1800);
    lblDiskSize->setObjectName(QStringLiteral("lblDiskSize"));
    Label4 = label(QStringLiteral("Disk Capacity"), parent, x + 3180, y + 810, 1215);
    lblDiskCapacity = label(QStringLiteral("Disk Capacity"), parent, x + 4440, y + 810, 1900);
    lblDiskCapacity->setObjectName(QStringLiteral("lblDiskCapacity"));
    Label5 = label(QStringLiteral("Disk State"), parent, x, y + 1080, 1215);
    lblState = label(QStringLiteral("State"), parent, x + 1260, y + 1080, 5100);
    lblState->setObjectName(QStringLiteral("lblState"));
    // A state that names the drive, a file and the reason takes more than one line.
    lblState->setWordWrap(true);
    lblState->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    for (QWidget* w : controls())
        w->show();  // a host that is already shown shows them too
    connect(cboDrv, &QComboBox::activated, this, [this] { cboDrv_Click(); });
    connect(cmdOpenCD, &QPushButton::clicked, this, [this] { cmdOpenCD_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
}

BurnerDrivePanel::~BurnerDrivePanel()
{
    for (QWidget* w : controls())
        delete w;
}

QList<QWidget*> BurnerDrivePanel::controls() const
{
    return {Label1, cboDrv, Label2, cboSpeed, Label3, lblDiskSize, Label4, lblDiskCapacity, Label5, lblState, cmdOpenCD, cmdClose};
}

QString BurnerDrivePanel::SpeedEntryText(long kbs)
{
    return QString::number(kbs) + QStringLiteral(" KB/s (") + QString::number(kbs / 176) + QStringLiteral("x)");
}

long BurnerDrivePanel::CapacityMinutes(double capacity) { return long(RoundHalfEven(capacity / 153535.0 / 60.0)); }

QString BurnerDrivePanel::DriveLetter() const { return cboDrv->currentIndex() < 0 ? QString() : cboDrv->currentText().left(1); }

QString BurnerDrivePanel::DriveRoot() const
{
    return cboDrv->currentIndex() < 0 ? QString() : cboDrv->currentText().left(2) + QLatin1Char('\\');
}

long BurnerDrivePanel::SelectedSpeed() const
{
    return cboSpeed->currentIndex() < 0 ? -1 : cboSpeed->currentData().toLongLong();
}

void BurnerDrivePanel::FillBurnerDrives()
{
    const long n = m_component.DriveCount();
    for (long i = 1; i <= n; ++i)
        cboDrv->addItem(m_component.DriveName(i));
    if (cboDrv->count() == 0)
        return;
    cboDrv->setCurrentIndex(0);
    cboDrv_Click();  // choosing from code raises the click as the user's choice does
}

void BurnerDrivePanel::FillBurnerSpeeds()
{
    const QString letter = DriveLetter();
    const long n = m_component.SpeedCount(letter);
    cboSpeed->clear();
    for (long i = 1; i <= n; ++i) {
        const long s = m_component.WriteSpeed(i);
        cboSpeed->addItem(SpeedEntryText(s), QVariant::fromValue<qlonglong>(s));
    }
    cboSpeed->addItem(QStringLiteral("Max."), QVariant::fromValue<qlonglong>(kMaxSpeed));
    cboSpeed->setCurrentIndex(cboSpeed->count() - 1);
}

void BurnerDrivePanel::cboDrv_Click()
{
    if (cboDrv->currentIndex() < 0)
        return;  // nothing chosen: every step needs a letter
    FillBurnerSpeeds();
    const QString letter = DriveLetter();
    lblDiskSize->setText(QString::number(m_component.DiscSize(letter)));
    lblDiskCapacity->setText(QString::number(CapacityMinutes(double(m_component.DiscCapacity(letter)))) + QStringLiteral(" Min"));
    QString state = m_component.DiscState(letter);
    QFont font = lblState->font();
    QPalette palette = lblState->palette();
    if (state.isEmpty()) {
        state = QStringLiteral("OK - Ready to be burn.");
        palette.setColor(QPalette::WindowText, QColor(0, 0x80, 0));
        font.setBold(false);
    } else {
        palette.setColor(QPalette::WindowText, QColor(0xff, 0, 0));
        font.setBold(true);
    }
    lblState->setText(state);
    lblState->setPalette(palette);
    lblState->setFont(font);
    if (StateFit)
        StateFit->refit();
}

void BurnerDrivePanel::cmdOpenCD_Click() { m_component.OpenTray(DriveLetter()); }

void BurnerDrivePanel::cmdClose_Click() { m_component.CloseTray(DriveLetter()); }
