// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "itemsgrid/FrmStat.h"

#include "components/cAudioConverter.h"
#include "components/cGrid.h"
#include "components/engine/SourceFile.h"
#include "foundation/NativeNames.h"
#include "foundation/VbNumbers.h"
#include "foundation/mdlFileSystem.h"
#include "foundation/mdlFileTime.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlSupportedFormats.h"
#include "foundation/mdlWindowUtils.h"
#include "itemsgrid/AddFilesProbe.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListTree.h"
#include "mainwindow/cStatusBar.h"
#include "platform/MessageBox.h"
#include "settings/ProgramOptions.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>

namespace {

constexpr long kCellFlags = 0x40020;
constexpr int kMessageLines = 20;

// The reader's sentence names the file, which the line has named already: it becomes "it"
// ("The file '/p/a.wav' has 9 channels" -> "it has 9 channels"), so the path is read once.
QString withoutThePath(QString sentence, const QString& path)
{
    const QString quoted = QLatin1Char('\'') + ShownPath(path) + QLatin1Char('\'');
    for (const QString& named : QStringList{QStringLiteral("The file ") + quoted, QStringLiteral("the file ") + quoted, quoted})
        sentence.replace(named, QStringLiteral("it"));
    return sentence;
}

QString reasonText(const AddFileRefusal& refusal)
{
    switch (refusal.reason) {
    case AddRefusal::Unreadable:
        // The reader's sentence says what is wrong with the file (not audio, truncated, an
        // unsupported rate...); "Cannot add" alone leaves the user guessing.
        if (!refusal.detail.isEmpty())
            return QStringLiteral(": ") + withoutThePath(refusal.detail, refusal.path);
        return QStringLiteral(" (it cannot be read as audio)");
    case AddRefusal::Folder:
        return QStringLiteral(" (a folder)");
    case AddRefusal::Empty:
        return QStringLiteral(" (an empty file)");
    case AddRefusal::Missing:
        return QStringLiteral(" (the file does not exist)");
    case AddRefusal::Unsupported:
        return QStringLiteral(" (not a supported audio file)");
    case AddRefusal::NotLocal:
        return QStringLiteral(" (not a local file)");
    case AddRefusal::Fifo:
        return QStringLiteral(" (not a regular file: ") + engine::fileKindWords(engine::FileKind::Fifo) + u')';
    case AddRefusal::Device:
        return QStringLiteral(" (not a regular file: ") + engine::fileKindWords(engine::FileKind::Device) + u')';
    case AddRefusal::Socket:
        return QStringLiteral(" (not a regular file: ") + engine::fileKindWords(engine::FileKind::Socket) + u')';
    case AddRefusal::NotRegular:
        return QStringLiteral(" (not a regular file: ") + engine::fileKindWords(engine::FileKind::Other) + u')';
    case AddRefusal::Unnamable:
        return QStringLiteral(" (its name is not valid UTF-8: the program cannot name that file)");
    case AddRefusal::SizeZeroWithData:
        return QStringLiteral(" (it gives a size of 0 bytes yet holds data: it is not audio)");
    }
    return {};
}

// The main window, when the grid is its items grid: its picture, panels and item information
// follow the pass.
FrmMain* mainOf(const cGrid* grid)
{
    FrmMain* main = frmMain.loaded();
    return main && grid && main->cGrid1 == grid ? main : nullptr;
}

}  // namespace

QString AddRefusalsMessage(const QList<AddFileRefusal>& refusals)
{
    QStringList lines;
    for (qsizetype i = 0; i < refusals.size() && i < kMessageLines; ++i)
        lines << QStringLiteral("Cannot add ") + refusals.at(i).path + reasonText(refusals.at(i));
    if (refusals.size() > kMessageLines)
        lines << QStringLiteral("... and ") + QString::number(refusals.size() - kMessageLines) + QStringLiteral(" more.");
    return lines.join(QStringLiteral("\r\n"));
}

FrmStat::FrmStat()
{
    setObjectName(QStringLiteral("g_frmStat"));
    setWindowTitle(QStringLiteral("Add Files"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setWindowFlag(Qt::Dialog, true);
    setWindowFlag(Qt::WindowMinMaxButtonsHint, false);

    lblStat = new QLabel(QStringLiteral("Adding"), this);
    lblStat->setObjectName(QStringLiteral("lblStat"));
    // Long paths are cut in the middle rather than widening the window.
    lblStat->setMinimumWidth(360);
    lblStat->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cProgressBar1 = new QProgressBar(this);
    cProgressBar1->setObjectName(QStringLiteral("cProgressBar1"));
    cProgressBar1->setTextVisible(false);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdCancel, &QPushButton::clicked, this, &FrmStat::cmdCancel_Click);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 10);
    layout->addWidget(lblStat);
    layout->addWidget(cProgressBar1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    resize(420, sizeHint().height());

    cAudioConverter1 = CreateAudioConverter();
    Form_Load();
}

FrmStat::~FrmStat() { Form_Unload(); }

void FrmStat::Form_Load()
{
    SetFormIcon(this, QStringLiteral("replace2"), false);
    g_bCancelAdding = false;
}

void FrmStat::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (cAudioConverter1)
        cAudioConverter1->Release();
    cmdCancel_Click();
}

void FrmStat::cmdCancel_Click() { g_bCancelAdding = true; }

void FrmStat::closeEvent(QCloseEvent* event)
{
    // Closing the window is a Cancel; the pass closes it once it has stopped.
    cmdCancel_Click();
    if (IsAdding())
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void FrmStat::NoteRefusal(const QString& sPath, AddRefusal reason, const QString& detail)
{
    m_refusals.append({sPath, reason, detail});
}

bool FrmStat::SupportAudioFile(const QString& sFileName)
{
    const QString ext = GetFileExtension(sFileName).toLower();
    return GetSupportedFilesFilter().toLower().contains(ext);
}

QString FrmStat::getLegaName(const QString& sPath)
{
    QString name = sPath;
    for (const QChar c : {u':', u'?', u'<', u'>', u'\\', u'/', u'*', u'|'}) {
        const qsizetype at = name.indexOf(c);
        if (at >= 0)
            name.remove(at, 1);
    }
    return name;
}

AddFileFacts FrmStat::factsHere(const QString& path)
{
    // The CD-track case: the converter's reader of the track is opened on this thread.
    AddFileFacts facts;
    cAudioConverter& probe = *cAudioConverter1;
    if (probe.OpenSource(path) != 0) {
        facts.reason = probe.SourceError();
        return facts;
    }
    facts.verdict = AddFileFacts::Verdict::Add;
    facts.itemName = getLegaName(GetFileName(path));
    facts.durationMs = probe.SourceDuration();
    const QFileInfo info(path);
    facts.bytes = info.size();
    facts.sizeText = FormatFileSize(static_cast<double>(facts.bytes));
    const DateValue created = GetFileCreated(path);
    facts.created = created.days == 0.0 ? QVariant(QString()) : QVariant(created.toDateTime());
    probe.ReadSourceTags(path);
    facts.tags = {probe.TagTitle(), probe.TagArtist(), probe.TagAlbum(), probe.TagYear(),
                  probe.TagComment(), probe.TagGenre(), probe.TagTrack()};
    probe.CloseSource();
    return facts;
}

bool FrmStat::addOne(const QString& path, const AddFileFacts& found, cGrid& grid)
{
    const AddFileFacts facts = found.verdict == AddFileFacts::Verdict::OpenHere ? factsHere(path) : found;
    switch (facts.verdict) {
    case AddFileFacts::Verdict::Add:
        break;
    case AddFileFacts::Verdict::Folder:
        NoteRefusal(path, AddRefusal::Folder);
        return false;
    case AddFileFacts::Verdict::Unsupported:
        NoteRefusal(path, AddRefusal::Unsupported);
        return false;
    case AddFileFacts::Verdict::Empty:
        NoteRefusal(path, AddRefusal::Empty);
        return false;
    case AddFileFacts::Verdict::Refused:
        NoteRefusal(path, facts.refusal);
        return false;
    case AddFileFacts::Verdict::Unreadable:
    case AddFileFacts::Verdict::OpenHere:
        NoteRefusal(path, AddRefusal::Unreadable, facts.reason);
        return false;
    }
    m_adding = path;

    // Always the row after the last, so the pass never writes over a row that is there.
    const long row = grid.Rows() + 1;
    auto cell = [&](long col, const QVariant& value) { grid.SetCell(row, col, value); };
    const Columns& c = m_columns;

    grid.SetCell(row, c.inc, QString(), kCellFlags, ItemRow::kMarked);
    grid.SetCell(row, c.type, QString(), kCellFlags, ItemRow::kTypeAudio);
    cell(c.itemName, facts.itemName);
    const long seconds = static_cast<long>(RoundHalfEven(static_cast<long>(facts.durationMs) / 1000.0));
    cell(c.time, PadTimeText(cAudioConverter1->FormatTime(seconds)));
    cell(c.size, facts.sizeText);
    cell(c.file, path);
    cell(c.created, facts.created);
    cell(c.range, QStringLiteral("All"));
    cell(c.rangeAll, QStringLiteral("1"));
    cell(c.bytesSize, QVariant::fromValue<qint64>(facts.bytes));

    if (ProgramOptions.chkCopyID3FromSource) {
        const engine::AudioTags& t = facts.tags;
        cell(c.album, t.album);
        cell(c.artist, t.artist);
        cell(c.comment, t.comment);
        cell(c.genre, t.genre);
        cell(c.year, t.year);
        cell(c.title, t.title);
        cell(c.track, t.track);
    } else {
        cell(c.album, ProgramOptions.txtTagAlbum);
        cell(c.artist, ProgramOptions.txtTagArtist);
        cell(c.comment, ProgramOptions.txtTagComment);
        cell(c.genre, ProgramOptions.txtTagGenre);
        cell(c.year, ProgramOptions.txtTagYear);
        cell(c.title, ProgramOptions.txtTagSong);
        cell(c.track, ProgramOptions.txtTagTrack);
    }
    return true;
}

void FrmStat::findColumns(const cGrid& grid)
{
    auto col = [&grid](const QString& key) { return grid.ColumnIndex(key); };
    m_columns = {col(ItemRow::COL_INC),   col(ItemRow::COL_TYPE),    col(ItemRow::COL_ITEM_NAME),
                 col(ItemRow::COL_TIME),  col(ItemRow::COL_SIZE),    col(COL_FILE),
                 col(ItemRow::COL_CREATED), col(ItemRow::COL_RANGE), col(COL_RANGE_ALL),
                 col(COL_BYTES_SIZE),     col(COL_TAG_ALBUM),        col(COL_TAG_ARTIST),
                 col(COL_TAG_COMMENT),    col(COL_TAG_GEN),          col(COL_TAG_YEAR),
                 col(COL_TAG_TITLE),      col(COL_TAG_TRACK)};
}

void FrmStat::showAdding()
{
    if (m_adding.isEmpty())
        return;
    const QString adding = QStringLiteral("Adding ") + m_adding;
    setWindowTitle(adding);
    lblStat->setText(lblStat->fontMetrics().elidedText(adding, Qt::ElideMiddle, std::max(lblStat->width(), 360)));
}

void FrmStat::AddFilesToList(const QStringList& Data, cGrid* cGrid1, QWidget* frm, bool)
{
    // Events run during the pass: the main window, the grid or this window may be gone when
    // control comes back, so every use after a slice goes through these guards.
    const QPointer<FrmStat> self(this);
    const QPointer<cGrid> grid(cGrid1);
    const QPointer<QWidget> owner(frm);

    if (owner) {
        setParent(owner, windowFlags() | Qt::Dialog);
        setWindowModality(Qt::WindowModal);
    }
    show();

    const qsizetype count = Data.size();
    cProgressBar1->setMinimum(1);
    cProgressBar1->setMaximum(static_cast<int>(count + 1));
    cProgressBar1->setValue(1);
    if (grid)
        grid->Redraw(false);

    ++s_running;
    qsizetype next = 0;
    QEventLoop loop;
    // The files are looked at on worker threads ahead of this one, which only fills rows.
    AddFilesProbe ahead(Data, GetSupportedFilesFilter().toLower());
    // One slice: paths until the slice's time is used up. False when the pass is over.
    auto slice = [&]() -> bool {
        if (!self || !grid)
            return false;
        // Rows of a list that is still loading would mix with the new ones: wait for it.
        if (FrmMain* main = mainOf(grid); main && main->m_lists && main->m_lists->IsBusy())
            return true;
        findColumns(*grid);
        using Clock = std::chrono::steady_clock;
        const auto end = m_sliceMs > 0 ? Clock::now() + std::chrono::milliseconds(m_sliceMs)
                                         : Clock::now() + std::chrono::hours(24);
        const qsizetype first = next;
        while (next < count) {
            if (g_bCancelAdding) {
                ahead.Stop();
                return false;
            }
            // Facts not ready by the slice's end wait for the next slice: events go first.
            const AddFileFacts* facts = ahead.Facts(next, end);
            if (!facts)
                break;
            addOne(Data.at(next), *facts, *grid);
            ++next;
            if (Clock::now() >= end)
                break;
        }
        // Progress and caption are painted between slices: the caption names the file added last.
        if (next != first)
            cProgressBar1->setValue(static_cast<int>(next));
        showAdding();
        return next < count;
    };
    std::function<void()> step = [&] {
        if (slice())
            // A timer rather than a posted call, so input and other timers get their turn.
            QTimer::singleShot(1, &loop, step);
        else
            loop.quit();
    };
    if (m_sliceMs <= 0) {
        while (slice()) {
        }
    } else {
        QTimer::singleShot(0, &loop, step);
        loop.exec();
    }
    --s_running;
    if (!self)
        return;

    if (grid) {
        grid->Redraw(true);
        FrmMain* main = mainOf(grid);
        if (grid->Rows() == 0) {
            if (main && main->picEmptyMsg)
                main->picEmptyMsg->setVisible(true);
        } else {
            grid->CurrentRow(ProgramOptions.chkSelectTheLastItem ? grid->Rows() : 1);
            if (main)
                main->GetFileInfoToGridInfo();
            grid->CurrentColumn(2);
            if (main) {
                main->picEmptyMsg->setVisible(false);
                main->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties"),
                                                   QString::number(grid->Rows()) + QStringLiteral(" Items."));
                main->cStatusBar1->StatusPanelText(QStringLiteral("Main"), QStringLiteral("Ready."));
            }
        }
    }

    hide();
    const QString message = AddRefusalsMessage(m_refusals);
    if (!message.isEmpty())
        platform::MsgBox(message, platform::vbInformation | platform::vbOKOnly, QString(), owner);
    if (FrmMain* main = frmMain.loaded(); main && main->m_closeAfterAdding && !IsAdding()) {
        // The main window was asked to close during the pass; now that it is over, it may.
        main->m_closeAfterAdding = false;
        QTimer::singleShot(0, main, [main] { main->close(); });
    }
    if (!self)
        return;
    // Unloaded now rather than when the object goes: a later pass's window may be running by
    // then, and this window's Cancel must not reach it.
    Form_Unload();
    if (g_frmStat.loaded() == this)
        g_frmStat.unload();
}
