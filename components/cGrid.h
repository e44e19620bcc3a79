// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QStringList>
#include <QTableView>
#include <QVariant>

#include <optional>
#include <vector>

class cImageList;

// Row storage of a grid: 1-based rows and columns, columns found by key through a hash, one
// compact cell per (row, column) holding a value as written (text, number or date-time), an
// icon index (-1: none) and a font. Usable without any view: the tests and the batch windows'
// hidden grids drive it directly. Cell access is O(1) whatever the row count.
//
// While a batch is open (Redraw off) changes are not announced to views; the view keeps seeing
// the row count it last saw, every read beyond the stored rows answers empty. Closing a batch
// that added or removed rows or columns resets attached views once; one that only changed cells
// (values, icons, fonts) announces them as changed data, so the user's selection survives it.
class cGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr long kNoIcon = -1;

    // The icon a cell of a column is drawn with, given the index it holds.
    using IconShown = long (*)(long stored);

    struct Column {
        QString key;
        QString header;
        int width = -1;  // pixels; -1: the view's default
        bool visible = true;
        IconShown iconShown = nullptr;  // none: the index itself
    };

    explicit cGridModel(QObject* parent = nullptr);

    // Columns
    long AddColumn(const QString& key, const QString& header, int width, bool visible);
    long ColumnIndex(const QString& key) const;  // 0 when no column has the key
    long Columns() const { return static_cast<long>(m_columns.size()); }
    const Column* column(long col) const;
    void SetColumnWidth(long col, int width);
    // For a column whose icon indexes stand for states (the items' mark): every index a cell
    // may hold, also one of no known state, is drawn as one of them. The index stays as written.
    void SetColumnIconShown(long col, IconShown shown);
    // The icon index a cell is drawn with.
    long ShownIcon(long row, long col) const;

    // Rows
    long Rows() const { return static_cast<long>(m_rows.size()); }
    bool RemoveRow(long row);
    void Clear();
    long RowData(long row) const;
    void SetRowData(long row, long data);

    // Cells. Writing a cell of row Rows() + 1 first appends that row; other rows outside the
    // grid, and columns outside it, are refused (false) and leave the grid as it was.
    QVariant Value(long row, long col) const;
    // A date-time reads as the desktop's short date, a blank and its time format; any other
    // value as Qt turns it into text.
    QString Text(long row, long col) const;
    static QString ValueText(const QVariant& value);
    long Icon(long row, long col) const;
    QFont Font(long row, long col) const;
    bool SetValue(long row, long col, const QVariant& value);
    bool SetIcon(long row, long col, long icon);
    bool SetFont(long row, long col, const QFont& font);
    // The grid's own font, given to every cell that was not given another.
    void SetDefaultFont(const QFont& font) { m_defaultFont = font; }
    QFont DefaultFont() const { return m_defaultFont; }

    void SetImageList(const cImageList* images);
    const cImageList* ImageList() const { return m_images; }
    void SetForeColor(const QColor& color) { m_foreColor = color; }
    void SetHotRow(long row);  // 0: none
    long HotRow() const { return m_hotRow; }
    void SetHotTrack(bool on);

    void BeginBatch();
    void EndBatch();
    bool InBatch() const { return m_batch > 0; }

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;

private:
    struct Cell {
        QVariant value;
        int icon = kNoIcon;
        int font = -1;  // index into m_fonts; -1: the grid's font
    };
    struct Row {
        std::vector<Cell> cells;  // grows to the highest column written
        long data = 0;
    };

    Cell* cellForWrite(long row, long col);
    const Cell* cellForRead(long row, long col) const;
    int fontIndex(const QFont& font);
    void changed(long row, long col);
    void structureChanged();

    std::vector<Column> m_columns;
    QHash<QString, long> m_columnByKey;
    std::vector<Row> m_rows;
    std::vector<QFont> m_fonts;
    QHash<QString, int> m_fontByKey;
    QFont m_defaultFont;
    const cImageList* m_images = nullptr;
    QColor m_foreColor;
    long m_hotRow = 0;
    bool m_hotTrack = false;
    int m_batch = 0;
    bool m_batchDirty = false;      // rows or columns came or went during the batch
    bool m_batchCellsDirty = false;  // cells changed during the batch
    long m_viewRows = 0;  // the row count views last saw
    long m_viewColumns = 0;
};

class cGrid;

// One cell of a grid, as `grid.Cell(row, col)` hands it out: read and write its text, value,
// icon index and font; read whether its row is selected.
class cGridCell {
public:
    cGridCell(cGrid* grid, long row, long col) : m_grid(grid), m_row(row), m_col(col) {}
    QString Text() const;
    void Text(const QString& text) const;
    QVariant Value() const;
    void Value(const QVariant& value) const;
    long Icon() const;
    void Icon(long icon) const;
    QFont Font() const;
    void Font(const QFont& font) const;
    bool Selected() const;

private:
    cGrid* m_grid;
    long m_row;
    long m_col;
};

// The grid control: a table view over its own cGridModel, offering the operations the windows
// use under their names. Rows and columns count from 1. The text-format flags of SetCell are
// accepted for the callers' sake; every cell is drawn on one line, elided at the end. GUI thread.
class cGrid : public QTableView {
    Q_OBJECT
public:
    explicit cGrid(QWidget* parent = nullptr);

    cGridModel& model() { return m_model; }
    const cGridModel& model() const { return m_model; }

    // The two constant arguments (0 and -1) every caller passes are accepted and ignored.
    long AddColumn(const QString& key, const QString& header, long, long, int width, bool visible = true);
    long ColumnIndex(const QString& key) const { return m_model.ColumnIndex(key); }
    cGridCell Cell(long row, long col) { return cGridCell(this, row, col); }
    // Writes a cell: the value (none keeps the present one) and, when given, the icon index.
    bool SetCell(long row, long col, const std::optional<QVariant>& value, long textFlags = 0,
                 std::optional<long> icon = std::nullopt);
    long Rows() const { return m_model.Rows(); }
    long Columns() const { return m_model.Columns(); }

    long CurrentRow() const { return m_currentRow; }
    void CurrentRow(long row);
    long CurrentColumn() const { return m_currentColumn; }
    void CurrentColumn(long col);
    bool RowSelected(long row) const;

    long RowData(long row) const { return m_model.RowData(row); }
    void RemoveRow(long row);
    void Clear();

    // Off: painting is suspended and the grid keeps showing the picture it had, whatever the
    // rows do meanwhile; on: it shows its rows again.
    void Redraw(bool on);
    bool Redraw() const { return m_redraw; }
    void RowHeight(int height);
    int RowHeight() const { return m_rowHeight; }
    void ImageList(const cImageList* images);
    void ColumnIconShown(long col, cGridModel::IconShown shown) { m_model.SetColumnIconShown(col, shown); }
    void CellFont(long row, long col, const QFont& font) { m_model.SetFont(row, col, font); }
    void BackColor(const QColor& color);
    QColor BackColor() const { return m_backColor; }
    void BackPicture(const QPixmap& picture);
    void HotTrack(bool on);
    bool HotTrack() const { return m_hotTrack; }
    void GridLines(bool on) { setShowGrid(on); }
    bool GridLines() const { return showGrid(); }

    // The control's further display switches, in the order the set-ups use them.
    void FullRowSelect(bool on);         // switch 1
    void MultiSelect(bool on);           // switch 2
    void HeaderVisible(bool on);         // switch 3
    void Editable(bool on);              // switch 4: cells are never edited in place here
    void ColumnReorder(bool on);         // switch 5
    void ForeColor(const QColor& color);  // text colour of the cells
    // Widens a column, never narrows it, so that a cell holding `text` in the grid's font shows
    // it whole.
    void FitColumnToText(long col, const QString& text);
    // On: the last column takes exactly the room the others leave in the view, so the grid never
    // scrolls sideways; a text too long for it is elided. Off (the default): columns keep their
    // widths and a horizontal scroll bar shows when they are wider than the view.
    void LastColumnFillsView(bool on);

signals:
    void SelChange();
    // x and y are twips from the grid's top left corner; button 1 left, 2 right, 4 middle;
    // shift 1 Shift, 2 Ctrl, 4 Alt.
    void MouseUp(int button, int shift, double x, double y);
    void DblClick(long row, long col);
    // Local files dropped on the grid; effect 1 copy.
    void OLEDragDrop(const QStringList& files, int effect, int button, int shift, double x, double y);
    // A click on a column header; the main window answers by switching painting back on.
    void HeaderClick(long col);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void applyColumn(long col);
    void fitLastColumnToView();
    void syncSelectionToView();
    void onViewCurrentChanged(const QModelIndex& current, const QModelIndex& previous);

    cGridModel m_model;
    long m_currentRow = 0;
    long m_currentColumn = 0;
    bool m_redraw = true;
    QPixmap m_frozen;  // what the viewport showed when painting was suspended
    bool m_syncing = false;
    int m_rowHeight = 0;
    bool m_hotTrack = false;
    QColor m_backColor;
    bool m_lastColumnFills = false;
};
