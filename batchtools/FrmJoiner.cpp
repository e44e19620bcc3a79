// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/FrmJoiner.h"

#include "batchtools/ConverterNames.h"
#include "batchtools/cProgressBar.h"
#include "commands/Templates.h"
#include "commands/ToolWindows.h"
#include "components/cAudioJoin.h"
#include "components/cGrid.h"
#include "foundation/mdlFunctions.h"
#include "itemsgrid/ItemRow.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

BatchToolSpec joinerSpec()
{
    BatchToolSpec s;
    s.caption = QStringLiteral("Audio Joiner");
    s.iconResource = QStringLiteral("colors");
    s.tab1Caption = QStringLiteral("Joiner Options") + QString(8, u' ');
    s.tab1Icon = 64;
    s.startCaption = QStringLiteral("Join");
    s.verb = QStringLiteral("join");
    s.joinedFileName = true;
    s.itemIcons = true;  // the rows come from the items grid with their type icons
    return s;
}

}  // namespace

FrmJoiner::FrmJoiner() : BatchToolWindow(joinerSpec())
{
    setObjectName(QStringLiteral("g_frmJoiner"));
    UseJoinComponent(CreateAudioJoin());
}

FrmJoiner::~FrmJoiner()
{
    if (cAudioJoin1)
        cAudioJoin1->Shutdown();
}

void FrmJoiner::UseJoinComponent(std::unique_ptr<cAudioJoin> component)
{
    if (cAudioJoin1)
        cAudioJoin1->Shutdown();
    cAudioJoin1 = std::move(component);
    if (!cAudioJoin1)
        return;
    connect(cAudioJoin1.get(), &cAudioJoin::Progress, this,
            [this](int entry, int percent) { cAudioJoin1_Progress(entry, percent); });
    connect(cAudioJoin1.get(), &cAudioJoin::Done, this, [this] { cAudioJoin1_Done(); });
    connect(cAudioJoin1.get(), &cAudioJoin::Aborted, this, [this] { cAudioJoin1_Aborted(); });
    connect(cAudioJoin1.get(), &cAudioJoin::Error, this,
            [this](long code, const QString& text) { cAudioJoin1_Error(code, text); });
}

QString FrmJoiner::ExpandFileNameTemplate(const QString& nameTemplate)
{
    const platform::ClockService& clock = platform::clock();
    return BatchTool::ExpandJoinedFileName(nameTemplate, cboTargetFormat->currentText(), clock.now(),
                                           clock.shortDateFormat());
}

QString FrmJoiner::CreateID3TagsString(const QString& text)
{
    const platform::ClockService& clock = platform::clock();
    // The tag templates count rows from 0; the grid from 1.
    return Templates::ExpandTags(text, cGrid1->CurrentRow() - 1, clock.now(), clock.shortDateFormat(),
                                 clock.timeFormat());
}

void FrmJoiner::SetID3Tags(long& row)
{
    const std::optional<ConverterNames::TagCells> cells = ConverterNames::TagCellsOfRow(*cGrid1, row);
    if (!cells)
        return;  // no cell to read: the component keeps the tags it has
    ConverterNames::HandOverTags(*cAudioJoin1, *cells, [this](const QString& t) { return CreateID3TagsString(t); });
}

void FrmJoiner::SetDestination() { Log(BatchTool::HandOverDestination(*cAudioJoin1, cboTargetFormat->currentText())); }

long FrmJoiner::JoinFiles()
{
    const QString name = ExpandFileNameTemplate(txtJoinedFileName->text());
    long first = 1;
    SetID3Tags(first);

    const long n = cAudioJoin1->FileCount();
    for (long i = 0; i < n; ++i)
        cAudioJoin1->RemoveFile(1);
    const long fileCol = cGrid1->ColumnIndex(COL_FILE);
    const long allCol = cGrid1->ColumnIndex(COL_RANGE_ALL);
    const long startCol = cGrid1->ColumnIndex(COL_RANGE_START_TIME);
    const long lengthCol = cGrid1->ColumnIndex(COL_RANGE_LENGTH_TIME);
    const long rows = cGrid1->Rows();
    for (long r = 1; r <= rows; ++r) {
        const BatchTool::RowRange range = BatchTool::RangeOfRow(
            cGrid1->Cell(r, allCol).Text(), cGrid1->Cell(r, startCol).Text(), cGrid1->Cell(r, lengthCol).Text());
        cAudioJoin1->AddFile(cGrid1->Cell(r, fileCol).Text(), range.start, range.length);
    }

    const QString path = OutputFolder() + name;
    if (BatchTool::OutputFileExists(path)) {
        Log(QStringLiteral("File already exists."));
        const int answer = platform::MsgBox(QStringLiteral("The file: '") + path +
                                                QStringLiteral("' already exists.\r\n\r\nOverwrite it?"),
                                            platform::vbInformation | platform::vbYesNoCancel, QString(), this);
        if (answer == platform::vbNo)
            return 1;
        if (answer != platform::vbYes)
            return 2;
        Log(QStringLiteral("Overwrite it..."));
    }
    cAudioJoin1->OutputFile(path);
    prgTotal->Max(rows * 100);
    m_lLastFileIndex = 0;
    ShowRunStart();
    EnterRunning();
    cAudioJoin1->Join();
    return 0;
}

void FrmJoiner::StartTask() { JoinFiles(); }

void FrmJoiner::ShowRunStart()
{
    if (m_sItemsToJoin.isNull())
        m_sItemsToJoin = lblFilesToConvert->text();
    // A join that fails before its first report would otherwise show the last run's full bars
    // and "Files: n/n" beside its error.
    prgCurrnet->Value(0);
    prgTotal->Value(0);
    lblFilesToConvert->setText(m_sItemsToJoin);
    if (!m_sCaptionBeforeFailure.isNull()) {
        setWindowTitle(m_sCaptionBeforeFailure);
        m_sCaptionBeforeFailure = QString();
    }
}

void FrmJoiner::cAudioJoin1_Progress(long entry, long percent)
{
    if (percent <= 0)
        return;
    ReportProgress(entry, percent);
    if (entry != m_lLastFileIndex) {
        m_lLastFileIndex = entry;
        long start = 0;
        long length = 0;
        LogEntry(QStringLiteral("Add ") + GetFileName(cAudioJoin1->GetFile(entry, start, length)) + QStringLiteral("..."));
    }
}

void FrmJoiner::cAudioJoin1_Done() { GoodEnd(); }

void FrmJoiner::cAudioJoin1_Aborted() { AbortEnd(); }

void FrmJoiner::cAudioJoin1_Error(long code, const QString& text)
{
    ErrorEnd(code, text);
    // The error end leaves "Processing..." in place, which reads as a join still going: the
    // label and the caption say it failed and where the reasons are, as the converter's do.
    // No balloon and no end-of-task actions: nothing was made to act on.
    const QString failed = BatchTool::FailedTaskText(Spec().verb);
    if (m_sCaptionBeforeFailure.isNull())
        m_sCaptionBeforeFailure = windowTitle();
    lblCurrentTrack->setText(failed);
    setWindowTitle(failed);
}

void FrmJoiner::AbortComponent()
{
    cAudioJoin1->Abort();
    cAudioJoin1->Stop();
}

void FrmJoiner::ShutdownComponent()
{
    if (cAudioJoin1)
        cAudioJoin1->Shutdown();
}

void FrmJoiner::UnloadSelf() { g_frmJoiner.unload(); }

void RegisterJoinerWindow()
{
    ToolWindows::Register(QStringLiteral("Audio Joiner"), [] { return &g_frmJoiner->HandOver(); });
}
