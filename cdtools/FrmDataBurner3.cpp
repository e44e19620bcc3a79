// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/FrmDataBurner3.h"

#include "batchtools/ConverterHandOver.h"
#include "batchtools/ConverterNames.h"
#include "batchtools/RowRunner.h"
#include "batchtools/cProgressBar.h"
#include "cdtools/DataBurnerRules.h"
#include "cdtools/StatusLineFit.h"
#include "commands/Templates.h"
#include "commands/ToolWindows.h"
#include "components/OutputTarget.h"
#include "components/cAudioConverter.h"
#include "components/cAudioDataBurner.h"
#include "components/cBurner.h"
#include "components/cGrid.h"
#include "foundation/AppSettings.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlFileSystem.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlShutDown.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/cStatusBar.h"
#include "platform/Clock.h"
#include "platform/EndSound.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "settings/FrmAudioProp.h"
#include "settings/FrmOptions.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/TwipsGeometry.h"
#include "settings/controls/cTabControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

namespace {

BatchToolSpec dataBurnerSpec()
{
    BatchToolSpec s;
    s.caption = QStringLiteral("Audio Data Burner");
    s.iconResource = QStringLiteral("cd_music");
    s.tab1Caption = QStringLiteral("Options") + QString(8, u' ');
    s.tab1Icon = 72;
    s.startCaption = QStringLiteral("Burn");
    s.verb = QStringLiteral("burn");
    return s;
}

QLabel* label(const QString& text, QWidget* parent, int left, int top, int width)
{
    auto* l = new QLabel(text, parent);
    PlaceTw(l, left, top, width, 255);
    return l;
}

QCheckBox* checkBox(const QString& text, const char* name, QWidget* parent, int left, int top, int width)
{
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(QLatin1String(name));
    PlaceTw(c, left, top, width, 285);
    return c;
}

LinkLabel* link(const QString& text, const QString& tip, QWidget* parent, int left, int top, int width)
{
    auto* l = new LinkLabel(text, parent, true);
    l->setToolTip(tip);
    PlaceTw(l, left, top, width, 255);
    return l;
}

// Keeps a sorted drop-down list sorted as entries come, letter case not considered.
void addSorted(QComboBox* box, const QString& text)
{
    int at = 0;
    while (at < box->count() && box->itemText(at).compare(text, Qt::CaseInsensitive) <= 0)
        ++at;
    box->insertItem(at, text);
}

// Copies a file in pieces, letting the window paint and answer its buttons between them.
// The target is written whole or not at all.
bool copyKeepingTheWindowAlive(const QString& from, const QString& to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QString part = to + QStringLiteral(".part");
    QFile out(part);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray buffer;
    for (;;) {
        buffer = in.read(1 << 20);
        if (buffer.isEmpty())
            break;
        if (out.write(buffer) != buffer.size()) {
            out.remove();
            return false;
        }
        QCoreApplication::processEvents();
    }
    if (in.error() != QFileDevice::NoError || !out.flush()) {
        out.remove();
        return false;
    }
    out.close();
    QFile::remove(to);
    if (!QFile::rename(part, to)) {
        QFile::remove(part);
        return false;
    }
    return true;
}

// What the "MP3 CD Maker" and "WMA CD Maker" commands write into the window.
class DataHandOverOf final : public ToolWindow {
public:
    explicit DataHandOverOf(FrmDataBurner3& w) : m_w(&w) {}
    QWidget* Window() override { return m_w; }
    void lblFilesToConvert(const QString& caption) override { m_w->HandOver().lblFilesToConvert(caption); }
    void StatusPanelText(const QString& key, const QString& text) override { m_w->HandOver().StatusPanelText(key, text); }
    cGrid* Grid() override { return m_w->cGrid1; }
    void g_ltmrItemSecsTotal(long seconds) override { m_w->g_ltmrItemSecsTotal = seconds; }
    void lblTitle(const QString& caption) override { m_w->lblTitle->setText(caption); }
    void Caption(const QString& caption) override { m_w->setWindowTitle(caption); }
    void txtCDName(const QString& name) override { m_w->txtCDName->setText(name); }
    void cboTargetFormat_Text(const QString& text) override
    {
        const int at = m_w->cboTargetFormat->findText(text);
        if (at >= 0)
            m_w->cboTargetFormat->setCurrentIndex(at);
    }

private:
    QPointer<FrmDataBurner3> m_w;
};


}  // namespace

// The window's side of the row runner in conversion mode: the prepared names, tags and burn
// folder, the converter's calls, and the burn question where the converter says "Done.".
class FrmDataBurner3::Host final : public RowRunnerHost {
public:
    explicit Host(FrmDataBurner3& w) : m_w(w) {}
    QString ExpandFileNameTemplate(long row) override { return m_w.prepareName(row); }
    void SetID3Tags(long row) override { m_w.SetID3Tags(row); }
    void SetInput(long, const QString& source) override { m_w.cAudioConverter1->InputFile(source); }
    QString OutputFolder() override { return m_w.GetBurnTempFolder(); }
    void SetRangeStart(long seconds) override { m_w.cAudioConverter1->RangeStart(seconds); }
    void SetRangeLength(long seconds) override { m_w.cAudioConverter1->RangeLength(seconds); }
    void SetOutput(const QString& path) override { m_w.cAudioConverter1->OutputFile(path); }
    void StartRow() override { m_w.cAudioConverter1->Start(); }
    void AbortRow() override { m_w.cAudioConverter1->Abort(); }
    void DoEndEvents() override { m_w.DoEndEvents(); }
    void RunComplete(RowRunner&) override
    {
        // The loop's every entry leaves "Ready." behind it; the caption takes it up.
        m_w.lblCurrentTrack->setText(QStringLiteral("Ready."));
        m_w.endOfStage(0);
    }

private:
    FrmDataBurner3& m_w;
};

namespace {

RowRunnerOptions conversionOptions()
{
    RowRunnerOptions o;
    o.announceRowDone = false;
    o.startLineInStatus = true;
    return o;
}

RowRunnerControls runnerControls(FrmDataBurner3& w)
{
    RowRunnerControls c;
    c.window = &w;
    c.grid = w.cGrid1;
    c.txtLog = w.txtLog;
    c.lblCurrentTrack = w.lblCurrentTrack;
    c.lblFilesToConvert = w.lblFilesToConvert;
    c.lblTimeLeft = w.lblTimeLeft;
    c.prgCurrnet = w.prgCurrnet;
    c.prgTotal = w.prgTotal;
    c.cmdConvert = w.cmdConvert;
    c.cmdExit = w.cmdExit;
    c.jobError = &w.m_bJobError;  // no overwrite box: an existing prepared file is always asked about
    return c;
}

}  // namespace

FrmDataBurner3::FrmDataBurner3()
    : BatchToolWindow(dataBurnerSpec()),
      lblTimeLeft(new QLabel(QStringLiteral("Time Left: 00:00:00"), this)),
      m_host(std::make_unique<Host>(*this)),
      m_runner(std::make_unique<RowRunner>(*m_host, runnerControls(*this), conversionOptions())),
      Timer1(&m_runner->Timer1),
      g_ltmrItemSecsTotal(m_runner->g_ltmrItemSecsTotal),
      m_lCurrentRow(m_runner->m_lCurrentRow),
      m_lItemSecs(m_runner->m_lItemSecs),
      m_lItemSecsDone(m_runner->m_lItemSecsDone),
      m_lFinishedSecs(m_runner->m_lFinishedSecs),
      m_lTimerTicks(m_runner->m_lTimerTicks)
{
    setObjectName(QStringLiteral("g_frmDataBurner3"));
    m_preparedGoOnSignal =
        std::make_unique<components::RemovedOnSignal>(GetBurnTempFolder(), components::RemovedOnSignal::Kind::FilesOfFolder);
    lblTimeLeft->setObjectName(QStringLiteral("lblTimeLeft"));
    // Count, time left and the current file share the line above the bars.
    PlaceTw(lblFilesToConvert, 120, 5940, 2400, 255);
    PlaceTw(lblTimeLeft, 2580, 5940, 2040, 255);
    PlaceTw(lblCurrentTrack, 4680, 5940, 9360 - 4800, 255);
    // A refusal naming the drive and its file is longer than the status's place.
    // It then takes the whole status line and, above it, the foot of the pages.
    auto* statusFit = new StatusLineFit(
        lblCurrentTrack, QRect(TwipsToPixels(120), TwipsToPixels(5400), TwipsToPixels(9360 - 240), TwipsToPixels(825)), StatusLineFit::Grow::Up);
    statusFit->Covers({lblFilesToConvert, lblTimeLeft});
    m_dataHandOver = std::make_unique<DataHandOverOf>(*this);

    // The destination is the disc.
    for (QWidget* w : std::initializer_list<QWidget*>{txtToPath, cmdSelectPath, lblSetAsDefaultDestination, imgOpenDestFolder,
                                                      lblOpenDestinationDestinationFolder, chkCreateSubFolder, txtUndeForlder,
                                                      lblSetAsDefaultFormat, Image1, Label4, Label5})
        w->hide();

    // Settings page.
    Label3 = label(QStringLiteral("Burning Engine:"), TabSettings, 240, 135, 1600);
    cmbEngine = new QComboBox(TabSettings);
    cmbEngine->setObjectName(QStringLiteral("cmbEngine"));
    cmbEngine->addItems({QStringLiteral("IMAPI V1 - CDs only."), QStringLiteral("IMAPI V2 - CDs / DVDs")});
    cmbEngine->setCurrentIndex(-1);
    PlaceTw(cmbEngine, 1860, 90, 2640, 330);
    Label1 = label(QStringLiteral("CD Name:"), TabSettings, 4620, 135, 900);
    txtCDName = new QLineEdit(TabSettings);
    txtCDName->setObjectName(QStringLiteral("txtCDName"));
    PlaceTw(txtCDName, 5520, 90, 3060, 330);
    auto* destination = label(QStringLiteral("Destination CD:"), TabSettings, 240, 495, 1600);
    destination->setObjectName(QStringLiteral("Label4"));
    cboDrv = new QComboBox(TabSettings);
    cboDrv->setObjectName(QStringLiteral("cboDrv"));
    PlaceTw(cboDrv, 1860, 450, 4080, 330);
    lblOpenCDDoor = link(QStringLiteral("Open"), QStringLiteral("Open CD"), TabSettings, 6060, 495, 600);
    lblCloseCDDoor = link(QStringLiteral("Close"), QStringLiteral("Close CD"), TabSettings, 6720, 495, 700);
    Label2 = label(QStringLiteral("Speeds:"), TabSettings, 7440, 495, 700);
    cboSpeed = new QComboBox(TabSettings);
    cboSpeed->setObjectName(QStringLiteral("cboSpeed"));
    PlaceTw(cboSpeed, 8100, 450, 500, 330);
    Label2->hide();
    cboSpeed->hide();
    lblFileSys = label(QStringLiteral("File Sytem:"), TabSettings, 240, 855, 1600);
    chkJOLIET = checkBox(QStringLiteral("JOLIET"), "chkJOLIET", TabSettings, 1860, 840, 1100);
    chkISO = checkBox(QStringLiteral("ISO"), "chkISO", TabSettings, 3060, 840, 900);
    chkUDF = checkBox(QStringLiteral("UDF"), "chkUDF", TabSettings, 4080, 840, 900);
    chkJOLIET->setChecked(true);
    chkISO->setChecked(true);
    lblCDFormat = label(QStringLiteral("CD / DVD Format:"), TabSettings, 240, 1215, 1600);
    PlaceTw(cboTargetFormat, 1860, 1170, 4080, 330);
    PlaceTw(cmdEditTargetFormat, 6060, 1170, 615, 330);
    auto* nameLabel = label(QStringLiteral("File Name Format:"), TabSettings, 240, 1575, 1600);
    nameLabel->setObjectName(QStringLiteral("Label21"));
    cboFileName = new QComboBox(TabSettings);
    cboFileName->setObjectName(QStringLiteral("cboFileName"));
    cboFileName->setEditable(true);
    cboFileName->setInsertPolicy(QComboBox::NoInsert);
    PlaceTw(cboFileName, 1860, 1530, 4080, 330);
    lblParameters = link(QStringLiteral("Parameters"), QStringLiteral("Parameters"), TabSettings, 6060, 1575, 1215);
    chkDoNotConvertSource = checkBox(
        QStringLiteral("Do not convert the source files - Burn the files with the same format as they are."),
        "chkDoNotConvertSource", TabSettings, 240, 1905, 8400);

    // Events page.
    chkPlaySound->setText(QStringLiteral("Play a sound"));
    chkOpenDestFolder->setText(QStringLiteral("Open destination folder"));
    chkNoticeApp->setText(QStringLiteral("Execute external program "));
    chkTurnOffComputer->setText(QStringLiteral("Turn off computer"));
    chkOpenCDdrive = checkBox(QStringLiteral("Eject the CD door"), "chkOpenCDdrive", TabEvents, 480, 1410, 3600);
    chkEraseTempfiles = checkBox(QStringLiteral("Erase Temp files"), "chkEraseTempfiles", TabEvents, 4440, 1410, 3600);
    chkOpenCDdrive->setChecked(true);
    chkEraseTempfiles->setChecked(true);
    lblErasetempfilesnow = link(QStringLiteral("Erase temp files now."), QStringLiteral("Erase temp files now."), TabEvents, 4440,
                                1830, 2400);
    PlaceTw(lblEventsSettings, 480, 1830, 2400, 255);
    for (QWidget* w : std::initializer_list<QWidget*>{chkDoNotConvertSource, chkOpenCDdrive, chkEraseTempfiles, chkISO, chkUDF, chkJOLIET}) {
        w->setPalette(chkPlaySound->palette());
        w->setBackgroundRole(chkPlaySound->backgroundRole());
        w->setAutoFillBackground(chkPlaySound->autoFillBackground());
    }

    cboFileName->addItems(LoadFileNameFormatList());
    cboFileName->setCurrentIndex(cboFileName->count() > 0 ? 0 : -1);

    // This window's own start, abort and target-format editing.
    cmdConvert->disconnect(this);
    cmdAbort->disconnect(this);
    cmdEditTargetFormat->disconnect(this);
    connect(cmdConvert, &QPushButton::clicked, this, [this] { cmdConvert_Click(); });
    connect(cmdAbort, &QPushButton::clicked, this, [this] { cmdAbort_Click(); });
    connect(cmdEditTargetFormat, &QPushButton::clicked, this, [this] { cmdEditTargetFormat_Click(); });
    connect(lblParameters, &LinkLabel::Click, this, [this] { lblParameters_Click(); });
    connect(cmbEngine, &QComboBox::currentIndexChanged, this, [this] { cmbEngine_Click(); });
    connect(cboDrv, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            cboDrv_Click();
    });
    connect(lblOpenCDDoor, &LinkLabel::Click, this, [this] { lblOpenCDDoor_Click(); });
    connect(lblCloseCDDoor, &LinkLabel::Click, this, [this] { lblCloseCDDoor_Click(); });
    connect(lblErasetempfilesnow, &LinkLabel::Click, this, [this] { lblErasetempfilesnow_Click(); });
    connect(chkDoNotConvertSource, &QCheckBox::clicked, this, [this] { chkDoNotConvertSource_Click(); });

    UseComponents(CreateAudioConverter(), CreateAudioDataBurner(), CreateBurner());
    UpdateTargetFormatState();
}

FrmDataBurner3::~FrmDataBurner3()
{
    if (cAudioConverter1)
        cAudioConverter1->Release();
    if (cAudioDataBurner1)
        cAudioDataBurner1->Shutdown();
    if (cBurner1)
        cBurner1->Shutdown();
}

ToolWindow& FrmDataBurner3::DataHandOver() { return *m_dataHandOver; }

void FrmDataBurner3::UseComponents(std::unique_ptr<cAudioConverter> converter, std::unique_ptr<cAudioDataBurner> first,
                                   std::unique_ptr<cBurner> second)
{
    if (cAudioConverter1)
        cAudioConverter1->Release();
    if (cAudioDataBurner1)
        cAudioDataBurner1->Shutdown();
    if (cBurner1)
        cBurner1->Shutdown();
    cAudioConverter1 = std::move(converter);
    cAudioDataBurner1 = std::move(first);
    cBurner1 = std::move(second);

    if (cAudioConverter* c = cAudioConverter1.get()) {
        connect(c, &cAudioConverter::Progress, this, [this](int percent) { cAudioConverter1_Progress(percent); });
        connect(c, &cAudioConverter::Done, this, [this] { cAudioConverter1_Done(); });
        connect(c, &cAudioConverter::Aborted, this, [this] { cAudioConverter1_Aborted(); });
        connect(c, &cAudioConverter::Error, this, [this](long code, const QString& text) { cAudioConverter1_Error(code, text); });
    }

    cAudioDataBurner* a = cAudioDataBurner1.get();
    connect(a, &cAudioDataBurner::ClosingSession, this, [this] { stageLine(QStringLiteral("Closing session...")); });
    connect(a, &cAudioDataBurner::Notice, this, [this](const QString& text) { Log(text); });
    connect(a, &cAudioDataBurner::BurnStarting, this, [this] { stageLine(QStringLiteral("Start the burning process...")); });
    connect(a, &cAudioDataBurner::Progress, this, [this](int p) {
        prgTotal->Value(p);
        prgCurrnet->Value(p);
        lblCurrentTrack->setText(QString::number(p) + QLatin1Char('%'));
    });
    connect(a, &cAudioDataBurner::Finished, this, [this] {
        stageLine(QStringLiteral("Finished"));
        burnEnded();
        DoEndEvents();
    });
    connect(a, &cAudioDataBurner::BurnError, this, [this](long, const QString& message) {
        burnEnded();
        cmdConvert->setEnabled(true);
        cmdExit->setEnabled(true);
        stageLine(message);
    });

    cBurner* b = cBurner1.get();
    connect(b, &cBurner::BurnerInitializing, this, [this] { stageLine(QStringLiteral("BurnerInitializing...")); });
    connect(b, &cBurner::StartBurning, this, [this] {
        SetBurnControlsEnabled(false);
        cmdAbort->setEnabled(false);
        stageLine(QStringLiteral("StartBurning..."));
    });
    connect(b, &cBurner::BurnerNotice, this, [this](const QString& text) { Log(text); });
    connect(b, &cBurner::BurnerAdding, this, [this](const QString& path) { stageLine(QStringLiteral("Adding:") + GetFileName(path)); });
    connect(b, &cBurner::BurnerFileCount, this, [this](long files, long folders) {
        Log(QString::number(files) + QStringLiteral(" files to burn.") + QStringLiteral("\r\n") + QString::number(folders) +
            QStringLiteral(" dirs to burn."));
    });
    connect(b, &cBurner::BurnerProgress, this, [this](long p) {
        prgTotal->Value(p);
        prgCurrnet->Value(p);
        lblCurrentTrack->setText(QString::number(p) + QLatin1Char('%'));
    });
    connect(b, &cBurner::BurnerFinalization, this, [this] {
        Log(QStringLiteral("BurnerFinalization - Please wait..."));
        lblCurrentTrack->setText(QStringLiteral("BurnerFinalization"));
    });
    connect(b, &cBurner::BurnerCompleted, this, [this] { stageLine(QStringLiteral("BurnerCompleted.")); });
    connect(b, &cBurner::BurnerDoneBurn, this, [this] { stageLine(QStringLiteral("BurnerDoneBurn.")); });
    connect(b, &cBurner::BurnerCanceled, this, [this] { stageLine(QStringLiteral("BurnerCanceled...")); });
    connect(b, &cBurner::BurnerEnd, this, [this] {
        stageLine(QStringLiteral("BurnerEnd."));
        burnEnded();
        SetBurnControlsEnabled(true);
        DoEndEvents();
    });
    connect(b, &cBurner::BurnerError, this, [this](const QString& first, const QString& second) {
        stageLine(second + QStringLiteral(" (") + first + QLatin1Char(')'));
        burnEnded();
        SetBurnControlsEnabled(true);
    });

    // Loading: the first engine's drives, then the stored engine.
    FillDrivesV1();
    cmbEngine->setCurrentIndex(DataBurner::EngineIndexFromStored(
        GetSetting(g_sAppName, QStringLiteral("BurnerEngine"), QStringLiteral("cmbEngine"), QStringLiteral("0"))));
    if (cmbEngine->currentIndex() == 0)
        cmbEngine_Click();  // setting the index it already had raises no change
}

void FrmDataBurner3::stageLine(const QString& text)
{
    Log(text);
    lblCurrentTrack->setText(text);
}

void FrmDataBurner3::burnEnded() { m_burning = false; }

QString FrmDataBurner3::driveLetter() const { return cboDrv->currentIndex() < 0 ? QString() : cboDrv->currentText().left(1); }

QString FrmDataBurner3::GetBurnTempFolder() const { return DataBurner::BurnTempFolder(); }

QString FrmDataBurner3::ExpandFileNameTemplate(long row)
{
    if (row >= 1 && row <= m_preparedNames.size() && !m_preparedNames.at(int(row - 1)).isEmpty())
        return m_preparedNames.at(int(row - 1));
    const platform::ClockService& clock = platform::clock();
    DataBurner::RowNameCells cells;
    cells.row = row;
    cells.file = cGrid1->Cell(row, cGrid1->ColumnIndex(COL_FILE)).Text();
    cells.itemName = cGrid1->Cell(row, cGrid1->ColumnIndex(ItemRow::COL_ITEM_NAME)).Text();
    return DataBurner::ExpandName(cboFileName->currentText(), cells, cboTargetFormat->currentText(),
                                  chkDoNotConvertSource->isChecked(), clock.now(), clock.shortDateFormat());
}

QString FrmDataBurner3::prepareName(long row)
{
    if (row >= 1 && row <= m_preparedNames.size())
        m_preparedNames[int(row - 1)].clear();
    const QString name = ExpandFileNameTemplate(row);
    if (row >= 1 && row <= m_preparedNames.size())
        m_preparedNames[int(row - 1)] = name;
    return name;
}

QString FrmDataBurner3::CreateID3TagsString(const QString& text)
{
    const platform::ClockService& clock = platform::clock();
    // The track number is the grid's current row, which the runner makes the row being
    // converted before it asks for the tags.
    ConverterNames::RowFacts facts = ConverterNames::FactsOfRow(*cGrid1, m_lCurrentRow);
    facts.row = cGrid1->CurrentRow();
    return ConverterNames::CreateID3TagsString(text, facts, clock.now(), clock.shortDateFormat(), clock.timeFormat());
}

void FrmDataBurner3::SetID3Tags(long row)
{
    const std::optional<ConverterNames::TagCells> cells = ConverterNames::TagCellsOfRow(*cGrid1, row);
    if (!cells)
        return;
    ConverterNames::HandOverTags(*cAudioConverter1, *cells, [this](const QString& t) { return CreateID3TagsString(t); });
}

void FrmDataBurner3::SetDestination()
{
    ConverterFormatCalls calls(*cAudioConverter1);
    Log(BatchTool::HandOverDestination(calls, cboTargetFormat->currentText()));
}

void FrmDataBurner3::UpdateTargetFormatState()
{
    const bool convert = !chkDoNotConvertSource->isChecked();
    cboTargetFormat->setEnabled(convert);
    cmdEditTargetFormat->setEnabled(convert);
    lblCDFormat->setEnabled(convert);
}

void FrmDataBurner3::chkDoNotConvertSource_Click() { UpdateTargetFormatState(); }

void FrmDataBurner3::cmdEditTargetFormat_Click()
{
    FrmAudioProp* prop = g_frmAudioProp.get();
    prop->OpenOnFormat(cboTargetFormat->currentText().left(3));
    prop->exec();
    cboTargetFormat->setCurrentIndex(frmOptions->cboTargetFormat->currentIndex());
}

void FrmDataBurner3::cmdConvert_Click()
{
    if (!cmdConvert->isEnabled())
        return;
    if (!txtLog->toPlainText().isEmpty()) {
        QTextCursor cursor(txtLog->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral("\r\n"));
    }
    m_bAbortRequested = false;
    prgCurrnet->Value(0);
    prgTotal->Value(0);
    Log(QStringLiteral("Preparing to burn: ") + QString::number(cGrid1->Rows()) + QStringLiteral(" tracks."));
    if (cmbEngine->currentIndex() == 0) {
        const QString letter = driveLetter();
        const QString drive = cboDrv->currentText().left(2);
        QString why;
        if (!cAudioDataBurner1->IsDriveReady(letter))
            why = QStringLiteral("The CD drive '") + drive + QStringLiteral("' is not ready.");
        else if (!cAudioDataBurner1->IsDiscEmpty(letter))
            why = QStringLiteral("The CD drive '") + drive + QStringLiteral("' is not empty.");
        if (!why.isEmpty()) {
            Log(why);
            platform::MsgBox(QStringLiteral("Please insert an empty media into drive: ") + drive,
                             platform::vbInformation | platform::vbOKOnly, QString(), this);
            Log(QStringLiteral("Aborted."));
            return;
        }
    }
    SetDestination();
    CreateFolderPath(GetBurnTempFolder());
    m_lCurrentRow = 1;
    m_bJobError = 0;
    m_lFinishedSecs = 0;
    cTabControl1->SelectTab(QStringLiteral("Log"));
    cTabControl1_TabClick(cTabControl1->TabIndex(QStringLiteral("Log")));
    m_lTimerTicks = 1;
    ConvertTracks(true);
}

void FrmDataBurner3::ConvertTracks(bool taskStart)
{
    cmdConvert->setEnabled(false);
    cmdExit->setEnabled(false);
    Timer1->start();
    lblCurrentTrack->setText(QStringLiteral("Ready."));
    if (taskStart) {
        EraseTempFiles();
        m_preparedNames = QStringList();
        for (long r = 0; r < cGrid1->Rows(); ++r)
            m_preparedNames << QString();
    }
    if (!chkDoNotConvertSource->isChecked()) {
        // The runner's loop from the current row on; a task's first entry starts it at row 1
        // with its counters back at their start.
        if (taskStart)
            m_runner->Start();
        else
            m_runner->ConvertTracks();
        return;
    }
    const QPointer<FrmDataBurner3> self(this);
    const bool copied = copyRows();
    if (!self)
        return;
    endOfStage(copied ? 0 : -1);
}

long FrmDataBurner3::ConvertTask(long row) { return m_runner->ConvertTask(row); }

void FrmDataBurner3::Timer1_Timer() { m_runner->Timer1_Timer(); }

void FrmDataBurner3::cAudioConverter1_Progress(long percent) { m_runner->Progress(percent); }

void FrmDataBurner3::cAudioConverter1_Done() { m_runner->Done(); }

void FrmDataBurner3::cAudioConverter1_Aborted() { m_runner->Aborted(); }

void FrmDataBurner3::cAudioConverter1_Error(long code, const QString& text)
{
    const QPointer<FrmDataBurner3> self(this);
    m_runner->Error(code, text);
    if (self)
        unsetCursor();
}

bool FrmDataBurner3::copyRows()
{
    const QPointer<FrmDataBurner3> self(this);
    const long rows = cGrid1->Rows();
    prgTotal->Max(rows);
    const long fileCol = cGrid1->ColumnIndex(COL_FILE);
    for (long i = 1; i <= rows; ++i) {
        if (m_bAbortRequested) {
            EraseTempFiles();
            Log(QStringLiteral("Aborted."));
            return false;
        }
        const QString name = prepareName(i);
        const QString path = GetBurnTempFolder() + name;
        bool copy = true;
        if (NameInUse(path)) {
            const int answer = platform::MsgBox(QStringLiteral("The file name ") + name +
                                                    QStringLiteral(" is already existed in the list to be burn. ") +
                                                    QStringLiteral("\r\n\r\n") + QStringLiteral("Overwtie it?"),
                                                platform::vbInformation | platform::vbYesNoCancel, QString(), this);
            if (!self)
                return false;
            if (answer == platform::vbCancel)
                return true;
            copy = answer == platform::vbYes;
        }
        if (copy)
            copyKeepingTheWindowAlive(cGrid1->Cell(i, fileCol).Text(), path);
        if (!self)
            return false;
        prgTotal->Value(i);
        lblFilesToConvert->setText(QStringLiteral("Files: ") + QString::number(i) + QLatin1Char('/') + QString::number(rows));
    }
    return true;
}

void FrmDataBurner3::endOfStage(int result)
{
    cmdConvert->setEnabled(true);
    cmdExit->setEnabled(true);
    if (result != 0) {
        unsetCursor();
        lblCurrentTrack->setText(QStringLiteral("Aborted."));
        setWindowTitle(QStringLiteral("Aborted."));
        ShowBalloon(QStringLiteral("Aborted."));
        return;
    }
    setWindowTitle(lblCurrentTrack->text());
    prgCurrnet->Value(100);
    prgTotal->Value(0);
    Timer1->stop();
    const int answer = platform::MsgBox(QStringLiteral("Burn CD?") + QString(46, u' '), platform::vbOKCancel, QString(), this);
    if (answer != platform::vbOK)
        return;
    if (cmbEngine->currentIndex() == 0)
        BurnDataDiscV1();
    else
        BurnDataDiscV2();
}

void FrmDataBurner3::cmdAbort_Click()
{
    // A burn cannot be stopped by either engine's window road: asking would promise what
    // nothing does.
    if (m_burning || cmdConvert->isEnabled())
        return;
    const int answer = platform::MsgBox(QStringLiteral("Abort operation?") + QString(38, u' '),
                                        platform::vbInformation | platform::vbYesNo, QString(), this);
    if (answer != platform::vbYes || cmdConvert->isEnabled() || m_burning)
        return;
    cAudioConverter1->Abort();
    ShowBalloon(QStringLiteral("Aborted."));
    Timer1->stop();
    m_bAbortRequested = true;
}

void FrmDataBurner3::DoEndEvents()
{
    const QPointer<FrmDataBurner3> self(this);
    if (chkPlaySound->isChecked())
        platform::endSound().play(ProgramOptions.txtPlayAtEnd);
    if (chkEraseTempfiles->isChecked()) {
        Log(QStringLiteral("Erase temp files..."));
        EraseTempFiles();
    }
    if (chkOpenCDdrive->isChecked())
        cAudioDataBurner1->OpenTray(driveLetter());
    if (chkOpenDestFolder->isChecked())
        ShellOpen(this, cboDrv->currentText().left(2));
    if (chkNoticeApp->isChecked())
        RunNoticeApp();
    if (!self)
        return;
    if (chkTurnOffComputer->isChecked() && m_bJobError == 0)
        ShowTurnOffDialog(30);
    if (!self)
        return;
    cmdConvert->setEnabled(true);
    cmdExit->setEnabled(true);
    ShowBalloon(QStringLiteral("Done."));
    Log(QStringLiteral("Done."));
    lblCurrentTrack->setText(QStringLiteral("Done."));
}

void FrmDataBurner3::cmbEngine_Click()
{
    const int index = cmbEngine->currentIndex();
    if (index < 0)
        return;
    if (index == 0) {
        for (QWidget* w : std::initializer_list<QWidget*>{lblFileSys, chkJOLIET, chkISO, chkUDF})
            w->hide();
        FillDrivesV1();
        return;
    }
    for (QWidget* w : std::initializer_list<QWidget*>{lblFileSys, chkJOLIET, chkISO, chkUDF})
        w->show();
    if (IsImapi2Installed())
        FillDrivesV2();
    else
        cmbEngine->setCurrentIndex(0);
}

bool FrmDataBurner3::IsImapi2Installed()
{
    if (cBurner::LibraryStarts())
        return true;
    const int answer = platform::MsgBox(DataBurner::MissingLibraryQuestion(), platform::vbInformation | platform::vbYesNo, QString(), this);
    if (answer == platform::vbYes)
        ShellOpen(this, platform::programFolder() + QStringLiteral("/Burning.html"));
    return false;
}

void FrmDataBurner3::EraseTempFiles()
{
    const QDir folder(GetBurnTempFolder());
    for (const QString& name : folder.entryList(QDir::Files | QDir::NoDotAndDotDot))
        QFile::remove(folder.filePath(name));
}

void FrmDataBurner3::lblErasetempfilesnow_Click()
{
    EraseTempFiles();
    platform::MsgBox(QStringLiteral("Done.") + QString(28, u' '), platform::vbInformation | platform::vbOKOnly, QString(), this);
}

void FrmDataBurner3::lblOpenCDDoor_Click() { cAudioDataBurner1->OpenTray(driveLetter()); }

void FrmDataBurner3::lblCloseCDDoor_Click() { cAudioDataBurner1->CloseTray(driveLetter()); }

void FrmDataBurner3::FillDrivesV1()
{
    const QSignalBlocker quiet(cboDrv);
    cboDrv->clear();
    const long n = cAudioDataBurner1->DriveCount();
    for (long i = 1; i <= n; ++i)
        addSorted(cboDrv, cAudioDataBurner1->DriveName(i));
    if (cboDrv->count() > 0) {
        cboDrv->setCurrentIndex(0);
        cboDrv_Click();
    }
}

void FrmDataBurner3::cboDrv_Click()
{
    // What the last burn said was about the drive it went to, not the one chosen now.
    if (cmdConvert->isEnabled())
        lblCurrentTrack->setText(QStringLiteral("Ready."));
    if (cmbEngine->currentIndex() == 0)
        FillSpeedsV1();
}

void FrmDataBurner3::FillSpeedsV1()
{
    const long n = cAudioDataBurner1->SpeedCount(driveLetter());
    cboSpeed->clear();
    for (long i = 1; i <= n; ++i) {
        const long kbs = cAudioDataBurner1->WriteSpeed(i);
        cboSpeed->addItem(QString::number(kbs) + QStringLiteral(" KB/s (") + QString::number(kbs / 176) + QStringLiteral("x)"),
                          QVariant::fromValue<qlonglong>(kbs));
    }
    cboSpeed->addItem(QStringLiteral("Max."), QVariant::fromValue<qlonglong>(65535));
    cboSpeed->setCurrentIndex(cboSpeed->count() - 1);
}

void FrmDataBurner3::BurnDataDiscV1()
{
    cmdConvert->setEnabled(false);
    cmdExit->setEnabled(false);
    Log(QStringLiteral("Add files to burn."));
    const QPointer<FrmDataBurner3> self(this);
    for (long r = 1; r <= cGrid1->Rows(); ++r) {
        const QString path = GetBurnTempFolder() + ExpandFileNameTemplate(r);
        if (!cAudioDataBurner1->AddFile(path)) {
            platform::MsgBox(QStringLiteral("Couldn't add the file ") + path, platform::vbExclamation | platform::vbOKOnly,
                             QStringLiteral("Error"), this);
            if (!self)
                return;
            Log(QStringLiteral("Couldn't add the file ") + GetFileName(path));
        }
    }
    for (cProgressBar* bar : {prgCurrnet, prgTotal}) {
        bar->Max(100);
        bar->Value(0);
    }
    cAudioDataBurner1->VolumeName(txtCDName->text());
    cAudioDataBurner1->FileSystemName(QStringLiteral("CDFS"));
    cAudioDataBurner1->ApplicationName(g_sAppName);
    cAudioDataBurner1->PublisherName(g_sAppName);
    cAudioDataBurner1->BurnOption(false);
    const long speed = cboSpeed->currentIndex() < 0 ? 65535 : long(cboSpeed->currentData().toLongLong());
    m_burning = true;
    cAudioDataBurner1->BurnDisc(driveLetter(), speed);
}

void FrmDataBurner3::FillDrivesV2()
{
    const QSignalBlocker quiet(cboDrv);
    cboDrv->clear();
    const long n = cBurner1->DeviceCount();
    for (long i = 0; i < n; ++i)
        addSorted(cboDrv, cBurner1->DevicePath(i) + QStringLiteral(" - ") + cBurner1->DeviceName(i));
    if (cboDrv->count() > 0)
        cboDrv->setCurrentIndex(0);
}

void FrmDataBurner3::BurnDataDiscV2()
{
    if (!IsImapi2Installed())
        return;
    cBurner1->NewImage();
    cBurner1->UseISO(false);
    cBurner1->UseJoliet(false);
    cBurner1->UseUDF(false);
    if (chkISO->isChecked())
        cBurner1->UseISO(true);
    if (chkJOLIET->isChecked())
        cBurner1->UseJoliet(true);
    if (chkUDF->isChecked())
        cBurner1->UseUDF(true);
    cBurner1->VolumeName(txtCDName->text());
    for (long r = 1; r <= cGrid1->Rows(); ++r)
        cBurner1->AddFile(GetBurnTempFolder() + ExpandFileNameTemplate(r));
    for (cProgressBar* bar : {prgCurrnet, prgTotal}) {
        bar->Max(100);
        bar->Value(0);
    }
    SetBurnControlsEnabled(false);
    cmdAbort->setEnabled(true);
    m_burning = true;
    cBurner1->BurnDisc(cboDrv->currentIndex());
}

void FrmDataBurner3::SetBurnControlsEnabled(bool enabled)
{
    cmdConvert->setEnabled(enabled);
    cmdExit->setEnabled(enabled);
    lblOpenCDDoor->setEnabled(enabled);
    lblCloseCDDoor->setEnabled(enabled);
}

void FrmDataBurner3::AbortComponent()
{
    cAudioConverter1->Abort();
    Timer1->stop();
}

void FrmDataBurner3::ShutdownComponent()
{
    EraseTempFiles();
    SaveSetting(g_sAppName, QStringLiteral("BurnerEngine"), QStringLiteral("cmbEngine"), QString::number(cmbEngine->currentIndex()));
    cAudioConverter1->Release();
    cAudioDataBurner1->Shutdown();
}

void FrmDataBurner3::UnloadSelf() { g_frmDataBurner3.unload(); }

void RegisterDataBurnerWindow()
{
    for (const char* key : {"MP3 CD Maker", "WMA CD Maker"})
        ToolWindows::Register(QLatin1String(key), [] { return &g_frmDataBurner3->DataHandOver(); });
}
