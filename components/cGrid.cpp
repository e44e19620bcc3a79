// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cGrid.h"

#include "components/cImageList.h"
#include "foundation/Twips.h"
#include "platform/Clock.h"

#include <QDragEnterEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QPalette>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QUrl>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// cGridModel

namespace {

// Text read from a file keeps each byte that was not UTF-8 as a lone surrogate U+DC80..U+DCFF
// (so that it can be written back as it was). On screen such a byte shows as its Latin-1
// character, which is what the 8-bit lists it comes from mostly meant.
QString shownText(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u >= 0xDC80 && u <= 0xDCFF && (i == 0 || !QChar::isHighSurrogate(text.at(i - 1).unicode())))
            text[i] = QChar(char16_t(u - 0xDC00));
    }
    return text;
}

}  // namespace

cGridModel::cGridModel(QObject* parent) : QAbstractTableModel(parent) {}

long cGridModel::AddColumn(const QString& key, const QString& header, int width, bool visible)
{
    const long index = Columns() + 1;
    if (!InBatch())
        beginInsertColumns({}, index - 1, index - 1);
    m_columns.push_back(Column{key, header, width, visible});
    // The first column of a key wins, as a lookup that stops at the first match would.
    if (!m_columnByKey.contains(key))
        m_columnByKey.insert(key, index);
    if (!InBatch()) {
        m_viewColumns = Columns();
        endInsertColumns();
    } else {
        m_batchDirty = true;
    }
    return index;
}

long cGridModel::ColumnIndex(const QString& key) const { return m_columnByKey.value(key, 0); }

void cGridModel::SetColumnWidth(long col, int width)
{
    if (col >= 1 && col <= Columns())
        m_columns[static_cast<size_t>(col - 1)].width = width;
}

void cGridModel::SetColumnIconShown(long col, IconShown shown)
{
    if (col < 1 || col > Columns())
        return;
    m_columns[static_cast<size_t>(col - 1)].iconShown = shown;
    if (!InBatch() && m_viewRows > 0)
        emit dataChanged(index(0, static_cast<int>(col - 1)), index(static_cast<int>(m_viewRows - 1), static_cast<int>(col - 1)),
                         {Qt::DecorationRole});
}

long cGridModel::ShownIcon(long row, long col) const
{
    if (row < 1 || row > Rows())
        return kNoIcon;  // a row the view still counts during a batch shows nothing
    const Cell* c = cellForRead(row, col);
    const long stored = c ? c->icon : kNoIcon;
    const Column* k = column(col);
    return k && k->iconShown ? k->iconShown(stored) : stored;
}

const cGridModel::Column* cGridModel::column(long col) const
{
    return col >= 1 && col <= Columns() ? &m_columns[static_cast<size_t>(col - 1)] : nullptr;
}

bool cGridModel::RemoveRow(long row)
{
    if (row < 1 || row > Rows())
        return false;
    const bool announce = !InBatch() && row <= m_viewRows;
    if (announce)
        beginRemoveRows({}, static_cast<int>(row - 1), static_cast<int>(row - 1));
    m_rows.erase(m_rows.begin() + (row - 1));
    if (m_hotRow == row)
        m_hotRow = 0;
    if (announce) {
        m_viewRows = Rows();
        endRemoveRows();
    } else {
        m_batchDirty = true;
    }
    return true;
}

void cGridModel::Clear()
{
    if (!InBatch())
        beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_hotRow = 0;
    if (!InBatch()) {
        m_viewRows = 0;
        endResetModel();
    } else {
        m_batchDirty = true;
    }
}

long cGridModel::RowData(long row) const
{
    return row >= 1 && row <= Rows() ? m_rows[static_cast<size_t>(row - 1)].data : 0;
}

void cGridModel::SetRowData(long row, long data)
{
    if (row >= 1 && row <= Rows())
        m_rows[static_cast<size_t>(row - 1)].data = data;
}

const cGridModel::Cell* cGridModel::cellForRead(long row, long col) const
{
    if (row < 1 || row > Rows() || col < 1 || col > Columns())
        return nullptr;
    const Row& r = m_rows[static_cast<size_t>(row - 1)];
    return static_cast<size_t>(col) <= r.cells.size() ? &r.cells[static_cast<size_t>(col - 1)] : nullptr;
}

cGridModel::Cell* cGridModel::cellForWrite(long row, long col)
{
    if (col < 1 || col > Columns() || row < 1 || row > Rows() + 1)
        return nullptr;
    if (row == Rows() + 1) {
        const bool announce = !InBatch();
        if (announce)
            beginInsertRows({}, static_cast<int>(row - 1), static_cast<int>(row - 1));
        // Every column of a new row is usually written: one allocation for all its cells.
        m_rows.emplace_back().cells.reserve(static_cast<size_t>(Columns()));
        if (announce) {
            m_viewRows = Rows();
            endInsertRows();
        } else {
            m_batchDirty = true;
        }
    }
    Row& r = m_rows[static_cast<size_t>(row - 1)];
    if (r.cells.size() < static_cast<size_t>(col))
        r.cells.resize(static_cast<size_t>(col));
    return &r.cells[static_cast<size_t>(col - 1)];
}

QVariant cGridModel::Value(long row, long col) const
{
    const Cell* c = cellForRead(row, col);
    return c ? c->value : QVariant();
}

QString cGridModel::ValueText(const QVariant& value)
{
    // Qt would write a date-time in ISO form; the user reads it in the desktop's own formats.
    if (value.typeId() == QMetaType::QDateTime) {
        const platform::ClockService& clock = platform::clock();
        return value.toDateTime().toString(clock.shortDateFormat() + QLatin1Char(' ') + clock.timeFormat());
    }
    return value.toString();
}

QString cGridModel::Text(long row, long col) const
{
    const Cell* c = cellForRead(row, col);
    return c ? ValueText(c->value) : QString();
}

long cGridModel::Icon(long row, long col) const
{
    const Cell* c = cellForRead(row, col);
    return c ? c->icon : kNoIcon;
}

QFont cGridModel::Font(long row, long col) const
{
    const Cell* c = cellForRead(row, col);
    return c && c->font >= 0 ? m_fonts[static_cast<size_t>(c->font)] : m_defaultFont;
}

bool cGridModel::SetValue(long row, long col, const QVariant& value)
{
    Cell* c = cellForWrite(row, col);
    if (!c)
        return false;
    c->value = value;
    changed(row, col);
    return true;
}

bool cGridModel::SetIcon(long row, long col, long icon)
{
    Cell* c = cellForWrite(row, col);
    if (!c)
        return false;
    c->icon = static_cast<int>(icon);
    changed(row, col);
    return true;
}

int cGridModel::fontIndex(const QFont& font)
{
    // Rows share a handful of fonts (regular, bold): keep each once and store its index.
    const QString key = font.key();
    if (const auto it = m_fontByKey.constFind(key); it != m_fontByKey.constEnd())
        return it.value();
    m_fonts.push_back(font);
    const int index = static_cast<int>(m_fonts.size() - 1);
    m_fontByKey.insert(key, index);
    return index;
}

bool cGridModel::SetFont(long row, long col, const QFont& font)
{
    if (row < 1 || row > Rows())  // a font alone never appends a row
        return false;
    Cell* c = cellForWrite(row, col);
    if (!c)
        return false;
    c->font = fontIndex(font);
    changed(row, col);
    return true;
}

void cGridModel::SetImageList(const cImageList* images)
{
    m_images = images;
    if (InBatch())
        m_batchCellsDirty = true;
    else if (m_viewRows > 0)
        emit dataChanged(index(0, 0), index(static_cast<int>(m_viewRows - 1), static_cast<int>(m_viewColumns - 1)));
}

void cGridModel::SetHotTrack(bool on)
{
    m_hotTrack = on;
    if (!on)
        SetHotRow(0);
}

void cGridModel::SetHotRow(long row)
{
    if (row == m_hotRow)
        return;
    const long old = m_hotRow;
    m_hotRow = row;
    if (InBatch())
        return;
    for (long r : {old, row})
        if (r >= 1 && r <= m_viewRows && m_viewColumns > 0)
            emit dataChanged(index(static_cast<int>(r - 1), 0), index(static_cast<int>(r - 1), static_cast<int>(m_viewColumns - 1)));
}

void cGridModel::changed(long row, long col)
{
    if (InBatch()) {
        m_batchCellsDirty = true;
        return;
    }
    if (row <= m_viewRows && col <= m_viewColumns) {
        const QModelIndex i = index(static_cast<int>(row - 1), static_cast<int>(col - 1));
        emit dataChanged(i, i);
    }
}

void cGridModel::BeginBatch() { ++m_batch; }

void cGridModel::EndBatch()
{
    if (m_batch == 0 || --m_batch > 0)
        return;
    if (m_batchDirty) {
        beginResetModel();
        m_viewRows = Rows();
        m_viewColumns = Columns();
        m_batchDirty = false;
        m_batchCellsDirty = false;
        endResetModel();
    } else if (m_batchCellsDirty) {
        m_batchCellsDirty = false;
        if (m_viewRows > 0 && m_viewColumns > 0)
            emit dataChanged(index(0, 0), index(static_cast<int>(m_viewRows - 1), static_cast<int>(m_viewColumns - 1)));
    }
}

int cGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_viewRows);
}

int cGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_viewColumns);
}

QVariant cGridModel::data(const QModelIndex& index, int role) const
{
    const long row = index.row() + 1;
    const long col = index.column() + 1;
    const Cell* c = cellForRead(row, col);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return c ? shownText(ValueText(c->value)) : QString();
    case Qt::DecorationRole: {
        const long icon = ShownIcon(row, col);
        if (icon >= 0 && m_images)
            return m_images->Icon(icon);
        return {};
    }
    case Qt::FontRole:
        return c && c->font >= 0 ? m_fonts[static_cast<size_t>(c->font)] : m_defaultFont;
    case Qt::ForegroundRole:
        return m_foreColor.isValid() ? QVariant(m_foreColor) : QVariant();
    case Qt::BackgroundRole:
        if (m_hotTrack && row == m_hotRow)
            return QColor(229, 241, 251);
        return {};
    case Qt::TextAlignmentRole:
        if (ShownIcon(row, col) >= 0 && (!c || c->value.toString().isEmpty()))
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant cGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    const Column* c = column(section + 1);
    return c ? c->header : QString();
}

Qt::ItemFlags cGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled;
}

QStringList cGridModel::mimeTypes() const { return {QStringLiteral("text/uri-list")}; }

Qt::DropActions cGridModel::supportedDropActions() const { return Qt::CopyAction; }

// ---------------------------------------------------------------------------------------------
// cGridCell

QString cGridCell::Text() const { return m_grid->model().Text(m_row, m_col); }
void cGridCell::Text(const QString& text) const { m_grid->model().SetValue(m_row, m_col, text); }
QVariant cGridCell::Value() const { return m_grid->model().Value(m_row, m_col); }
void cGridCell::Value(const QVariant& value) const { m_grid->model().SetValue(m_row, m_col, value); }
long cGridCell::Icon() const { return m_grid->model().Icon(m_row, m_col); }
void cGridCell::Icon(long icon) const { m_grid->model().SetIcon(m_row, m_col, icon); }
QFont cGridCell::Font() const { return m_grid->model().Font(m_row, m_col); }
void cGridCell::Font(const QFont& font) const { m_grid->model().SetFont(m_row, m_col, font); }
bool cGridCell::Selected() const { return m_grid->RowSelected(m_row); }

// ---------------------------------------------------------------------------------------------
// cGrid

namespace {

int buttonCode(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

QStringList localFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    return files;
}

}  // namespace

cGrid::cGrid(QWidget* parent) : QTableView(parent)
{
    m_model.SetDefaultFont(font());
    setModel(&m_model);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &cGrid::onViewCurrentChanged);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) { emit HeaderClick(section + 1); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section) {
        if (section < m_model.columnCount() - 1)
            fitLastColumnToView();
    });
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] {
        for (long c = 1; c <= m_model.Columns(); ++c)
            applyColumn(c);
        syncSelectionToView();
    });
}

long cGrid::AddColumn(const QString& key, const QString& header, long, long, int width, bool visible)
{
    const long col = m_model.AddColumn(key, header, width, visible);
    applyColumn(col);
    return col;
}

void cGrid::applyColumn(long col)
{
    const cGridModel::Column* c = m_model.column(col);
    if (!c || col > m_model.columnCount())
        return;
    const int section = static_cast<int>(col - 1);
    if (c->width >= 0)
        setColumnWidth(section, c->width);
    setColumnHidden(section, !c->visible);
    if (m_lastColumnFills)
        fitLastColumnToView();
}

void cGrid::LastColumnFillsView(bool on)
{
    m_lastColumnFills = on;
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    if (on)
        fitLastColumnToView();
    else
        for (long c = 1; c <= m_model.Columns(); ++c)
            applyColumn(c);
}

void cGrid::fitLastColumnToView()
{
    // Before the grid is first shown its view has no size yet: the designed width stands.
    const int last = m_model.columnCount() - 1;
    if (!m_lastColumnFills || last < 0 || !isVisible())
        return;
    int others = 0;
    for (int section = 0; section < last; ++section)
        if (!isColumnHidden(section))
            others += columnWidth(section);
    const int room = std::max(viewport()->width() - others, horizontalHeader()->minimumSectionSize());
    if (columnWidth(last) != room)
        setColumnWidth(last, room);
    horizontalScrollBar()->setValue(0);
}

bool cGrid::viewportEvent(QEvent* event)
{
    const bool handled = QTableView::viewportEvent(event);
    // The view narrows when the vertical scroll bar appears, not only when the grid is resized.
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
        fitLastColumnToView();
    return handled;
}

bool cGrid::SetCell(long row, long col, const std::optional<QVariant>& value, long, std::optional<long> icon)
{
    if (col < 1 || col > Columns() || row < 1 || row > Rows() + 1)
        return false;
    bool ok = true;
    if (value)
        ok = m_model.SetValue(row, col, *value);
    else if (row == Rows() + 1)
        ok = m_model.SetValue(row, col, QVariant());  // appends the row with an empty cell
    if (ok && icon)
        ok = m_model.SetIcon(row, col, *icon);
    return ok;
}

void cGrid::CurrentRow(long row)
{
    if (row < 1 || row > Rows())
        return;
    const bool changed = row != m_currentRow;
    m_currentRow = row;
    syncSelectionToView();
    if (changed)
        emit SelChange();
}

void cGrid::CurrentColumn(long col)
{
    if (col >= 1 && col <= Columns())
        m_currentColumn = col;
}

bool cGrid::RowSelected(long row) const
{
    if (row < 1 || row > m_model.rowCount())
        return false;
    return selectionModel()->isRowSelected(static_cast<int>(row - 1), {});
}

void cGrid::syncSelectionToView()
{
    if (m_currentRow < 1 || m_currentRow > m_model.rowCount() || m_model.columnCount() == 0)
        return;
    m_syncing = true;
    const int col = m_currentColumn >= 1 && m_currentColumn <= m_model.columnCount() ? static_cast<int>(m_currentColumn - 1) : 0;
    const QModelIndex index = m_model.index(static_cast<int>(m_currentRow - 1), col);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (m_redraw)
        scrollTo(index);
    m_syncing = false;
}

void cGrid::onViewCurrentChanged(const QModelIndex& current, const QModelIndex&)
{
    if (m_syncing || !current.isValid())
        return;
    const long row = current.row() + 1;
    if (row == m_currentRow)
        return;
    m_currentRow = row;
    emit SelChange();
}

void cGrid::RemoveRow(long row)
{
    if (!m_model.RemoveRow(row))
        return;
    const long before = m_currentRow;
    if (row < m_currentRow)
        --m_currentRow;
    if (m_currentRow > Rows())
        m_currentRow = Rows();
    syncSelectionToView();
    if (before != m_currentRow)
        emit SelChange();
}

void cGrid::Clear()
{
    const long before = m_currentRow;
    m_model.Clear();
    m_currentRow = 0;
    if (before != 0)
        emit SelChange();
}

void cGrid::Redraw(bool on)
{
    if (on == m_redraw)
        return;
    if (on) {
        m_redraw = true;
        m_frozen = QPixmap();
        m_model.EndBatch();
        // A batch that kept the rows keeps the user's selection; only a current row set while
        // painting was off (or a view that was reset) needs the view to follow.
        const QModelIndex shown = selectionModel()->currentIndex();
        if (!shown.isValid() || shown.row() + 1 != m_currentRow)
            syncSelectionToView();
        else
            scrollTo(shown);
        viewport()->update();
    } else {
        // Suspending paint events alone would leave the area to whatever the window system
        // has there (black on most); the last picture stays up instead, taken while the rows
        // are still those it shows.
        if (isVisible())
            m_frozen = viewport()->grab();
        m_redraw = false;
        m_model.BeginBatch();
    }
}

void cGrid::paintEvent(QPaintEvent* event)
{
    if (m_redraw) {
        QTableView::paintEvent(event);
        return;
    }
    QPainter p(viewport());
    p.fillRect(event->rect(), palette().brush(QPalette::Base));
    if (!m_frozen.isNull())
        p.drawPixmap(0, 0, m_frozen);
}

void cGrid::FitColumnToText(long col, const QString& text)
{
    if (col < 1 || col > Columns())
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = text;
    option.font = m_model.DefaultFont();
    option.fontMetrics = QFontMetrics(option.font);
    int width = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width();
    if (showGrid())
        width += 1;  // the cell line takes a pixel of the column
    const int section = static_cast<int>(col - 1);
    const cGridModel::Column* c = m_model.column(col);
    if (width > std::max(columnWidth(section), c->width)) {
        m_model.SetColumnWidth(col, width);
        applyColumn(col);
    }
}

void cGrid::RowHeight(int height)
{
    if (height <= 0)
        return;
    m_rowHeight = height;
    verticalHeader()->setMinimumSectionSize(std::min(height, verticalHeader()->minimumSectionSize()));
    verticalHeader()->setDefaultSectionSize(height);
}

void cGrid::ImageList(const cImageList* images)
{
    m_model.SetImageList(images);
    if (images)
        setIconSize(images->ImageSize());
}

void cGrid::BackColor(const QColor& color)
{
    m_backColor = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

void cGrid::BackPicture(const QPixmap& picture)
{
    QPalette p = palette();
    if (picture.isNull())
        p.setBrush(QPalette::Base, m_backColor.isValid() ? m_backColor : QGuiApplication::palette().color(QPalette::Base));
    else
        p.setBrush(QPalette::Base, QBrush(picture));
    setPalette(p);
}

void cGrid::HotTrack(bool on)
{
    m_hotTrack = on;
    setMouseTracking(on);
    m_model.SetHotTrack(on);
}

void cGrid::FullRowSelect(bool on)
{
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void cGrid::MultiSelect(bool on)
{
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void cGrid::HeaderVisible(bool on) { horizontalHeader()->setVisible(on); }

void cGrid::Editable(bool) { setEditTriggers(QAbstractItemView::NoEditTriggers); }

void cGrid::ColumnReorder(bool on) { horizontalHeader()->setSectionsMovable(on); }

void cGrid::ForeColor(const QColor& color) { m_model.SetForeColor(color); }

void cGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        m_currentColumn = index.column() + 1;
    QTableView::mousePressEvent(event);
}

void cGrid::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    const QPointF p = event->position();
    emit MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), PixelsToTwips(qRound(p.x())),
                 PixelsToTwips(qRound(p.y())));
}

void cGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton)
        emit DblClick(index.row() + 1, index.column() + 1);
}

void cGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (m_hotTrack) {
        const QModelIndex index = indexAt(event->position().toPoint());
        m_model.SetHotRow(index.isValid() ? index.row() + 1 : 0);
    }
    QTableView::mouseMoveEvent(event);
}

void cGrid::leaveEvent(QEvent* event)
{
    m_model.SetHotRow(0);
    QTableView::leaveEvent(event);
}

void cGrid::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void cGrid::dragMoveEvent(QDragMoveEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void cGrid::dropEvent(QDropEvent* event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const QPointF p = event->position();
    emit OLEDragDrop(files, 1, buttonCode(Qt::LeftButton), shiftCode(event->modifiers()), PixelsToTwips(qRound(p.x())),
                     PixelsToTwips(qRound(p.y())));
}
