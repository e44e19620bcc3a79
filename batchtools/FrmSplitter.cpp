// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/FrmSplitter.h"

#include "batchtools/ConverterHandOver.h"
#include "batchtools/ConverterNames.h"
#include "batchtools/SplitterRules.h"
#include "batchtools/cProgressBar.h"
#include "commands/Templates.h"
#include "commands/ToolWindows.h"
#include "components/cAudioConverter.h"
#include "components/cGrid.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/cStatusBar.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/TwipsGeometry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace {

BatchToolSpec splitterSpec()
{
    BatchToolSpec s;
    s.caption = QStringLiteral("Audio Splitter");
    s.iconResource = QStringLiteral("cut");
    s.tab1Caption = QStringLiteral("Settings") + QString(8, u' ');
    s.tab1Icon = 9;
    s.startCaption = QStringLiteral("Split");
    s.verb = QStringLiteral("split");
    s.itemIcons = true;  // the row comes from the items grid with its type icon
    return s;
}

// The hand-over of the "Audio Splitter" command: the template's members and the file to split.
class SplitterHandOverOf final : public ToolWindow {
public:
    explicit SplitterHandOverOf(FrmSplitter& w) : m_w(&w) {}
    QWidget* Window() override { return m_w; }
    void lblFilesToConvert(const QString& caption) override
    {
        if (m_w)
            m_w->lblFilesToConvert->setText(caption);
    }
    void StatusPanelText(const QString& key, const QString& text) override
    {
        if (m_w)
            m_w->cStatusBar1->StatusPanelText(key, text);
    }
    void txtUndeForlder(const QString& text) override
    {
        if (m_w)
            m_w->txtUndeForlder->setText(text);
    }
    cGrid* Grid() override { return m_w ? m_w->cGrid1 : nullptr; }
    void g_sFileToSplit(const QString& path) override
    {
        if (m_w)
            m_w->g_sFileToSplit = path;
    }

private:
    QPointer<FrmSplitter> m_w;
};

// The left edge, in pixels, of the blank gap an option button's caption leaves after `before`.
int gapLeft(QRadioButton* button, const QString& before)
{
    QStyle* style = button->style();
    const int indicator = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button) +
                          style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button);
    return button->x() + indicator + button->fontMetrics().horizontalAdvance(before + QLatin1Char(' '));
}

}  // namespace

FrmSplitter::FrmSplitter() : BatchToolWindow(splitterSpec())
{
    setObjectName(QStringLiteral("g_frmSplitter"));
    m_splitterHandOver = std::make_unique<SplitterHandOverOf>(*this);
    buildSplitterControls();
    UseConverter(CreateAudioConverter());
}

FrmSplitter::~FrmSplitter()
{
    if (cAudioConverter1)
        cAudioConverter1->Release();
}

ToolWindow& FrmSplitter::SplitterHandOver() { return *m_splitterHandOver; }

void FrmSplitter::buildSplitterControls()
{
    chkPlaySound->setText(QStringLiteral("Play a sound"));
    chkNoticeApp->setText(QStringLiteral("Execute external program"));

    Label2 = new QLabel(QStringLiteral("Splitter Mode:"), TabSettings);
    PlaceTw(Label2, 240, 1935, 1455, 255);
    ptnSplitByParts = new QRadioButton(QStringLiteral("Split to") + QString(25, u' ') + QStringLiteral("parts"), TabSettings);
    ptnSplitByParts->setObjectName(QStringLiteral("ptnSplitByParts"));
    PlaceTw(ptnSplitByParts, 1740, 1905, 2700, 315);
    ptnSplitBySecs =
        new QRadioButton(QStringLiteral("Split each") + QString(20, u' ') + QStringLiteral("seconds"), TabSettings);
    ptnSplitBySecs->setObjectName(QStringLiteral("ptnSplitBySecs"));
    PlaceTw(ptnSplitBySecs, 4560, 1905, 3000, 315);
    txtSplitParts = new QLineEdit(QStringLiteral("6"), TabSettings);
    txtSplitParts->setObjectName(QStringLiteral("txtSplitParts"));
    txtSplitSecs = new QLineEdit(QStringLiteral("10"), TabSettings);
    txtSplitSecs->setObjectName(QStringLiteral("txtSplitSecs"));
    // Each box lies in the blank gap of its button's caption, a little narrower than the gap.
    const int boxWidth = TwipsToPixels(600);
    const int boxHeight = TwipsToPixels(285);
    txtSplitParts->setGeometry(gapLeft(ptnSplitByParts, QStringLiteral("Split to")), ptnSplitByParts->y() + 1, boxWidth,
                               boxHeight);
    txtSplitSecs->setGeometry(gapLeft(ptnSplitBySecs, QStringLiteral("Split each")), ptnSplitBySecs->y() + 1, boxWidth,
                              boxHeight);
    txtSplitParts->raise();
    txtSplitSecs->raise();
    chkOverWrite = new QCheckBox(QStringLiteral("Overwrite existing files"), TabSettings);
    chkOverWrite->setObjectName(QStringLiteral("chkOverWrite"));
    PlaceTw(chkOverWrite, 5400, 615, 3360, 285);
    ptnSplitByParts->setChecked(true);

    SkinBackground({ptnSplitByParts, ptnSplitBySecs, chkOverWrite});

    connect(ptnSplitByParts, &QRadioButton::clicked, this, [this] { ptnSplitByParts_Click(); });
    connect(ptnSplitBySecs, &QRadioButton::clicked, this, [this] { ptnSplitBySecs_Click(); });
    txtSplitParts->installEventFilter(this);
    txtSplitSecs->installEventFilter(this);

    // The end of loading: the mode's box, then the sub-folder box as the template leaves it.
    UpdateSplitModeFields();
    CheckUnderFolderEna();
}

bool FrmSplitter::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == txtSplitParts || watched == txtSplitSecs) && event->type() == QEvent::KeyPress) {
        // The filter knows one 16-bit character at a time; anything else passes as typed.
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1 && typed.at(0).unicode() >= 32 && !typed.at(0).isSurrogate()) {
            auto key = static_cast<int16_t>(typed.at(0).unicode());
            if (watched == txtSplitParts)
                txtSplitParts_KeyPress(key);
            else
                txtSplitSecs_KeyPress(key);
            if (key == 0)
                return true;
        }
    }
    return BatchToolWindow::eventFilter(watched, event);
}

void FrmSplitter::txtSplitParts_KeyPress(int16_t& KeyAscii) { FilterFileNameKey(txtSplitParts, KeyAscii); }
void FrmSplitter::txtSplitSecs_KeyPress(int16_t& KeyAscii) { FilterFileNameKey(txtSplitSecs, KeyAscii); }

void FrmSplitter::UpdateSplitModeFields()
{
    const bool byParts = ptnSplitByParts->isChecked();
    txtSplitParts->setEnabled(byParts);
    txtSplitSecs->setEnabled(!byParts);
}

void FrmSplitter::ptnSplitByParts_Click() { UpdateSplitModeFields(); }
void FrmSplitter::ptnSplitBySecs_Click() { UpdateSplitModeFields(); }

void FrmSplitter::UseConverter(std::unique_ptr<cAudioConverter> converter)
{
    if (cAudioConverter1)
        cAudioConverter1->Release();
    cAudioConverter1 = std::move(converter);
    if (!cAudioConverter1)
        return;
    connect(cAudioConverter1.get(), &cAudioConverter::Progress, this, [this](int percent) { cAudioConverter1_Progress(percent); });
    connect(cAudioConverter1.get(), &cAudioConverter::Done, this, [this] { cAudioConverter1_Done(); });
    connect(cAudioConverter1.get(), &cAudioConverter::Aborted, this, [this] { cAudioConverter1_Aborted(); });
    connect(cAudioConverter1.get(), &cAudioConverter::Error, this,
            [this](long code, const QString& text) { cAudioConverter1_Error(code, text); });
}

void FrmSplitter::SetDestination()
{
    ConverterFormatCalls calls(*cAudioConverter1);
    Log(BatchTool::HandOverDestination(calls, cboTargetFormat->currentText()));
}

QString FrmSplitter::CreateID3TagsString(const QString& text)
{
    const platform::ClockService& clock = platform::clock();
    // The tag templates count rows from 0; the grid from 1.
    return Templates::ExpandTags(text, cGrid1->CurrentRow() - 1, clock.now(), clock.shortDateFormat(),
                                 clock.timeFormat());
}

void FrmSplitter::SetID3Tags(long& row)
{
    const std::optional<ConverterNames::TagCells> cells = ConverterNames::TagCellsOfRow(*cGrid1, row);
    if (!cells)
        return;  // no cell to read: the converter keeps the tags it has
    ConverterNames::HandOverTags(*cAudioConverter1, *cells, [this](const QString& t) { return CreateID3TagsString(t); });
}

QString FrmSplitter::MakePartFileName(const QString& sourcePath) const
{
    return Splitter::MakePartFileName(m_lPartNumber, sourcePath, cboTargetFormat->currentText());
}

void FrmSplitter::cmdConvert_Click()
{
    if (!cmdConvert->isEnabled())
        return;
    OpenTaskLog();
    Log(QStringLiteral("Preparing to split: ") + GetFileName(g_sFileToSplit) + QStringLiteral(".."));
    SetDestination();
    CreateUnderFolder();
    m_bJobError = 0;
    ShowLogTab();

    cAudioConverter1->OpenSource(g_sFileToSplit);
    m_lSourceDuration = cAudioConverter1->SourceDuration();
    // The conversions open the file themselves; the probe need not hold it meanwhile.
    cAudioConverter1->CloseSource();

    m_lPartNumber = 1;
    m_lPartStart = 0;
    m_lPartsFailed = 0;
    const Splitter::Plan plan = ptnSplitByParts->isChecked()
                                    ? Splitter::PlanByParts(m_lSourceDuration, txtSplitParts->text())
                                    : Splitter::PlanBySeconds(m_lSourceDuration, txtSplitSecs->text());
    if (plan.refused) {
        platform::MsgBox(QStringLiteral("Source file length is to small.") + QString(7, u' '),
                         platform::vbInformation | platform::vbOKOnly, QString(), this);
        return;
    }
    m_lPartLength = plan.partLength;
    prgTotal->Max(plan.totalMax);
    ConvertTracks();
}

void FrmSplitter::ConvertTracks()
{
    cmdConvert->setEnabled(false);
    cmdExit->setEnabled(false);
    long result = 0;
    const bool partLeft = Splitter::PartLeft(m_lSourceDuration, m_lPartStart);
    if (partLeft) {
        result = ConvertTask();
        if (result == 0)
            return;
        if (result == 2)
            Log(QStringLiteral("Aborted."));
    }
    cmdConvert->setEnabled(true);
    cmdExit->setEnabled(true);
    if (!partLeft) {
        const QString end = m_lPartsFailed > 0 ? BatchTool::FailedRunText(m_lPartsFailed, m_lPartNumber - 1)
                                               : QStringLiteral("Done.");
        ShowBalloon(end);
        lblCurrentTrack->setText(end);
        DoEndEvents();
        return;
    }
    lblCurrentTrack->setText(QStringLiteral("Aborted."));
    ShowBalloon(QStringLiteral("Aborted."));
}

long FrmSplitter::ConvertTask()
{
    const QString name = GetFileName(g_sFileToSplit);
    lblCurrentTrack->setText(name);
    Log(QStringLiteral("Start to split: ") + name + QStringLiteral("..."));
    // Row 1 is the part's row: its number is the track number of the tag templates.
    long first = 1;
    cGrid1->CurrentRow(first);
    SetID3Tags(first);
    cAudioConverter1->InputFile(g_sFileToSplit);
    cAudioConverter1->RangeStart(m_lPartStart);
    cAudioConverter1->RangeLength(m_lPartLength);

    const QString path = OutputFolder() + MakePartFileName(g_sFileToSplit);
    if (!chkOverWrite->isChecked() && BatchTool::OutputFileExists(path)) {
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
    cAudioConverter1->OutputFile(path);
    cAudioConverter1->Start();
    return 0;
}

void FrmSplitter::cAudioConverter1_Progress(long percent)
{
    if (percent < 1)
        return;
    prgCurrnet->Value(percent);
    prgTotal->Value((m_lPartNumber - 1) * 100 + percent);
    setWindowTitle(g_sAppName + QLatin1Char(' ') + g_sAppVersion);
}

void FrmSplitter::cAudioConverter1_Done()
{
    Log(QStringLiteral("Done."));
    lblCurrentTrack->setText(QStringLiteral("Done."));
    ++m_lPartNumber;
    m_lPartStart += m_lPartLength;
    ConvertTracks();
}

void FrmSplitter::cAudioConverter1_Error(long code, const QString& text)
{
    ErrorEnd(code, text);
    ++m_lPartsFailed;
    ++m_lPartNumber;
    m_lPartStart += m_lPartLength;
    ConvertTracks();
}

void FrmSplitter::cAudioConverter1_Aborted() { AbortEnd(); }

void FrmSplitter::AbortComponent() { cAudioConverter1->Abort(); }

void FrmSplitter::ShutdownComponent()
{
    if (cAudioConverter1)
        cAudioConverter1->Release();
}

void FrmSplitter::UnloadSelf() { g_frmSplitter.unload(); }

void RegisterSplitterWindow()
{
    ToolWindows::Register(QStringLiteral("Audio Splitter"), [] { return &g_frmSplitter->SplitterHandOver(); });
}
