// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "recording/FrmAudioEditorProc.h"

#include "batchtools/cProgressBar.h"
#include "commands/Templates.h"
#include "components/cAudioConverter.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlWindowUtils.h"
#include "mainwindow/FrmMain.h"
#include "platform/Clock.h"
#include "recording/RecordingUi.h"
#include "settings/OutputFormatOptions.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/TwipsGeometry.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

int ConversionDestinationCode(const QString& target)
{
    static const char* const letters[] = {"WAV", "ACM", "MP3", "WMA", "OGG", "APE"};
    const QString head = target.left(3).toUpper();
    for (int i = 0; i < 6; ++i)
        if (head == QLatin1String(letters[i]))
            return i + 1;
    return 0;
}

FrmAudioEditorProc::FrmAudioEditorProc()
{
    setWindowTitle(QStringLiteral("Preparing Audio Analyzer"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(8);
    setFont(f);
    setFixedSize(TwipsToPixels(5400), TwipsToPixels(1380));
    lblCurrentTrack = new QLabel(QStringLiteral("Preparing..."), this);
    PlaceTw(lblCurrentTrack, 120, 120, 5160, 255);
    prgCurrnet = new cProgressBar(this);
    PlaceTw(prgCurrnet, 120, 420, 5160, 255);
    cmdAbort = new QPushButton(QStringLiteral("Abort"), this);
    PlaceTw(cmdAbort, 4080, 840, 1200, 375);
    Timer1 = new QTimer(this);
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connect(cmdAbort, &QPushButton::clicked, this, [this] { cmdAbort_Click(); });
    UseConverter(converterFactory ? converterFactory() : CreateAudioConverter());
    Form_Load();
}

FrmAudioEditorProc::~FrmAudioEditorProc() = default;

void FrmAudioEditorProc::UseConverter(std::unique_ptr<cAudioConverter> converter)
{
    cAudioConverter1 = std::move(converter);
    if (!cAudioConverter1)
        return;
    connect(cAudioConverter1.get(), &cAudioConverter::Progress, this, [this](int p) { cAudioConverter1_Progress(p); });
    connect(cAudioConverter1.get(), &cAudioConverter::Done, this, [this] { cAudioConverter1_Done(); });
    connect(cAudioConverter1.get(), &cAudioConverter::Aborted, this, [this] { cAudioConverter1_Aborted(); });
    connect(cAudioConverter1.get(), &cAudioConverter::Error, this,
            [this](long code, const QString& text) { cAudioConverter1_Error(code, text); });
}

void FrmAudioEditorProc::Form_Load()
{
    recording::ApplyAppBackColor({this});
    prgCurrnet->BarColor(ProgramOptions.picColor);
    recording::ApplyViewPicture(this, g_sAppBackPicture);
    SetFormIcon(this, QStringLiteral("document_pulse"), true);
}

void FrmAudioEditorProc::ConvertFile(const QString& source, const QString& destination)
{
    m_source = source;
    m_destination = destination;
    Timer1->start();
}

void FrmAudioEditorProc::Timer1_Timer() { ConvertX(); }

void FrmAudioEditorProc::ConvertX()
{
    Timer1->stop();
    if (!cAudioConverter1)
        return;
    if (g_bConvertTo) {
        SetDestination();
        SetID3Tags();
    } else {
        cAudioConverter1->OutputFormat(1);
        cAudioConverter1->SetWavFormat(BuildWavFormatRecord());
    }
    cAudioConverter1->InputFile(m_source);
    cAudioConverter1->OutputFile(m_destination);
    cAudioConverter1->Start();
}

void FrmAudioEditorProc::SetDestination()
{
    const int code = ConversionDestinationCode(g_sConvertToTarget);
    if (code == 0 || !cAudioConverter1)
        return;
    cAudioConverter1->OutputFormat(code);
    const OutputFormatOptionsData& o = OutputFormatOptions;
    switch (code) {
    case 1: cAudioConverter1->SetWavFormat(BuildWavFormatRecord(o)); break;
    case 2: cAudioConverter1->SetAcmFormat(o.cboTags, o.cboFormats); break;
    case 3: cAudioConverter1->SetMp3Format(BuildMp3FormatRecord(o)); break;
    case 4: cAudioConverter1->SetWmaFormat(BuildWmaFormatRecord(o)); break;
    case 5: cAudioConverter1->SetOggFormat(BuildOggFormatRecord(o)); break;
    case 6: cAudioConverter1->SetApeLevel(o.cboAPELevel); break;
    default: break;
    }
}

QString FrmAudioEditorProc::CreateID3TagsString(const QString& text)
{
    const platform::ClockService& clock = platform::clock();
    // There is no list here: the track number is always 1.
    return Templates::ExpandTags(text, 0, clock.now(), clock.shortDateFormat(), clock.timeFormat());
}

void FrmAudioEditorProc::SetID3Tags()
{
    if (!cAudioConverter1)
        return;
    cAudioConverter1->TagAlbum(CreateID3TagsString(ProgramOptions.txtTagAlbum));
    cAudioConverter1->TagArtist(CreateID3TagsString(ProgramOptions.txtTagArtist));
    cAudioConverter1->TagComment(CreateID3TagsString(ProgramOptions.txtTagComment));
    cAudioConverter1->TagGenre(CreateID3TagsString(ProgramOptions.txtTagGenre));
    cAudioConverter1->TagTitle(CreateID3TagsString(ProgramOptions.txtTagSong));
    cAudioConverter1->TagTrack(CreateID3TagsString(ProgramOptions.txtTagTrack));
    cAudioConverter1->TagYear(CreateID3TagsString(ProgramOptions.txtTagYear));
}

void FrmAudioEditorProc::cAudioConverter1_Progress(int percent)
{
    if (percent > 0)
        prgCurrnet->Value(percent);
}

void FrmAudioEditorProc::cAudioConverter1_Done()
{
    lblCurrentTrack->setText(QStringLiteral("Done."));
    Timer1->stop();
    g_bConvertTo = false;
    Form_Unload();
}

void FrmAudioEditorProc::cAudioConverter1_Aborted()
{
    lblCurrentTrack->setText(QStringLiteral("Aborted."));
    Timer1->stop();
    if (FrmMain* main = frmMain.loaded())
        main->g_bAbortedAudioEditor = true;
    g_bConvertTo = false;
    Form_Unload();
}

void FrmAudioEditorProc::cAudioConverter1_Error(long code, const QString& text)
{
    lblCurrentTrack->setText(text + QLatin1Char('(') + QString::number(code) + QLatin1Char(')'));
    FitStatusText();
    g_bConvertTo = false;
    Timer1->stop();
}

void FrmAudioEditorProc::FitStatusText()
{
    // An error names files and reasons that do not fit the one line the window has: the label
    // wraps at blanks, is made as wide as its longest word (a path), and the window grows with it.
    QLabel* l = lblCurrentTrack;
    l->setWordWrap(true);
    const QFontMetrics fm(l->font());
    int widest = 0;
    for (const QString& word : l->text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = std::max(widest, fm.horizontalAdvance(word) + 2);
    const int margin = l->x();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int most = screen ? screen->availableGeometry().width() - 2 * margin - 40 : widest;
    const int labelWidth = std::clamp(widest, l->width(), std::max(l->width(), most));
    const int labelHeight = std::max(l->height(), l->heightForWidth(labelWidth));
    const int dw = labelWidth - l->width(), dh = labelHeight - l->height();
    if (dw <= 0 && dh <= 0)
        return;
    setFixedSize(width() + dw, height() + dh);
    l->resize(labelWidth, labelHeight);
    prgCurrnet->setGeometry(prgCurrnet->x(), prgCurrnet->y() + dh, prgCurrnet->width() + dw, prgCurrnet->height());
    cmdAbort->move(cmdAbort->x() + dw, cmdAbort->y() + dh);
}

void FrmAudioEditorProc::cmdAbort_Click()
{
    if (cAudioConverter1)
        cAudioConverter1->Abort();
}

void FrmAudioEditorProc::Form_Unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    Timer1->stop();
    if (cAudioConverter1) {
        cAudioConverter1->Release();
        cAudioConverter1->disconnect(this);
    }
    if (g_frmAudioEditorProc.loaded() == this)
        g_frmAudioEditorProc.unload();
    else
        hide();
}

void FrmAudioEditorProc::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}
