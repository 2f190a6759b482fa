#include "frozentableview.h"

#include <QHash>
#include <QHeaderView>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <algorithm>
#include <vector>

namespace project {

namespace {

// A hidden column's heading in columnState().
constexpr QChar HiddenMark = u'-';

} // namespace

// The view over the left of a FrozenTableView. It takes no keyboard focus
// of its own: a click in it, or an edit in it ending, focuses the table
// under it, so that Tab and the arrow keys go on from there and the table
// stays the one stop of the keyboard.
class FrozenColumnsPart : public QTableView {
public:
    explicit FrozenColumnsPart(FrozenTableView *table) : QTableView(table), m_table(table)
    {
        setFocusPolicy(Qt::ClickFocus);
        setFocusProxy(table);
        setFrameStyle(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setTabKeyNavigation(false);
        verticalHeader()->hide();
        QHeaderView *header = horizontalHeader();
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setSectionsMovable(false);
        header->setSectionsClickable(true);
        header->setSortIndicatorShown(true);
        header->setContextMenuPolicy(Qt::CustomContextMenu);
    }

    // An edit the table under it was asked for, of a cell shown here.
    bool editFromTable(const QModelIndex &index, EditTrigger trigger, QEvent *event)
    {
        return QTableView::edit(index, trigger, event);
    }

protected:
    void updateGeometries() override
    {
        QTableView::updateGeometries();
        // A new range may have cut the position short: the table's rules.
        verticalScrollBar()->setValue(m_table->verticalScrollBar()->value());
    }

private:
    FrozenTableView *m_table;
};

FrozenTableView::FrozenTableView(int frozenColumns, QWidget *parent)
    : QTableView(parent),
      m_part(new FrozenColumnsPart(this)),
      m_frozenCount(std::max(frozenColumns, 0))
{
    // Pixel by pixel, so that a column is brought out from under the part
    // exactly.
    setHorizontalScrollMode(ScrollPerPixel);
    viewport()->stackUnder(m_part);
    QHeaderView *header = horizontalHeader();
    header->setSectionsMovable(true);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView *partHeader = m_part->horizontalHeader();

    connect(header, &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        if (isFrozen(column)) {
            m_part->setColumnWidth(column, size);
            updatePartGeometry();
        }
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int row, int, int size) { m_part->setRowHeight(row, size); });
    connect(header, &QHeaderView::sectionMoved, this, [this] {
        if (m_fixingOrder)
            return;
        keepFrozenColumnsFirst();
        emit columnsChanged();
    });
    connect(header, &QHeaderView::sectionCountChanged, this, &FrozenTableView::keepFrozenColumnsFirst);
    connect(partHeader, &QHeaderView::sectionCountChanged, this, &FrozenTableView::syncPart);

    // Up and down together; the part follows the table, and the table the
    // part when the user scrolls the part (its wheel).
    QScrollBar *bar = verticalScrollBar();
    QScrollBar *partBar = m_part->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, partBar, &QScrollBar::setValue);
    connect(bar, &QScrollBar::rangeChanged, partBar, [bar, partBar] { partBar->setValue(bar->value()); });
    connect(partBar, &QScrollBar::rangeChanged, partBar, [bar, partBar] { partBar->setValue(bar->value()); });
    connect(partBar, &QScrollBar::valueChanged, bar, [bar, partBar](int value) {
        // Only while both have the same range: a part whose range has not
        // grown yet must not pull the table back.
        if (partBar->maximum() == bar->maximum())
            bar->setValue(value);
    });

    // One sort order: a click on a heading of the part sorts the table.
    connect(header, &QHeaderView::sortIndicatorChanged, partHeader,
            [this, partHeader](int column, Qt::SortOrder order) {
                const QScopedValueRollback guard(m_syncingSort, true);
                partHeader->setSortIndicator(column, order);
            });
    connect(partHeader, &QHeaderView::sortIndicatorChanged, header,
            [this, header](int column, Qt::SortOrder order) {
                if (!m_syncingSort)
                    header->setSortIndicator(column, order);
            });

    connect(header, &QHeaderView::customContextMenuRequested, this,
            [this, header](const QPoint &pos) { showColumnsMenu(header, pos); });
    connect(partHeader, &QHeaderView::customContextMenuRequested, this,
            [this, partHeader](const QPoint &pos) { showColumnsMenu(partHeader, pos); });
}

FrozenTableView::~FrozenTableView() = default;

QTableView *FrozenTableView::frozenView() const
{
    return m_part;
}

void FrozenTableView::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    m_part->setModel(model);
    QItemSelectionModel *own = m_part->selectionModel();
    m_part->setSelectionModel(selectionModel());
    if (own && own != selectionModel() && own->parent() == m_part)
        own->deleteLater();
    syncPart();
}

void FrozenTableView::setSelectionModel(QItemSelectionModel *selectionModel)
{
    QTableView::setSelectionModel(selectionModel);
    // setModel() gives the part the model first, then this selection.
    if (selectionModel && m_part->model() == selectionModel->model())
        m_part->setSelectionModel(selectionModel);
}

QString FrozenTableView::heading(int column) const
{
    return model() ? model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() : QString();
}

void FrozenTableView::syncPart()
{
    // The part is set up as the table is, whatever was set before the model.
    m_part->setSelectionBehavior(selectionBehavior());
    m_part->setSelectionMode(selectionMode());
    m_part->setEditTriggers(editTriggers());
    m_part->setWordWrap(wordWrap());
    m_part->setTextElideMode(textElideMode());
    m_part->setShowGrid(showGrid());
    m_part->setGridStyle(gridStyle());
    m_part->setAlternatingRowColors(alternatingRowColors());
    m_part->setVerticalScrollMode(verticalScrollMode());
    m_part->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_part->horizontalHeader()->setVisible(!horizontalHeader()->isHidden());
    {
        const QScopedValueRollback guard(m_syncingSort, true);
        m_part->horizontalHeader()->setSortIndicator(horizontalHeader()->sortIndicatorSection(),
                                                     horizontalHeader()->sortIndicatorOrder());
    }
    const int columns = model() ? model()->columnCount(rootIndex()) : 0;
    for (int c = 0; c < columns; ++c)
        m_part->setColumnHidden(c, !isFrozen(c));
    updatePartGeometry();
}

int FrozenTableView::frozenWidth() const
{
    int width = 0;
    const int columns = model() ? std::min(m_frozenCount, model()->columnCount(rootIndex())) : 0;
    for (int c = 0; c < columns; ++c) {
        if (!isColumnHidden(c))
            width += columnWidth(c);
    }
    return width;
}

void FrozenTableView::updatePartGeometry()
{
    const int columns = model() ? std::min(m_frozenCount, model()->columnCount(rootIndex())) : 0;
    for (int c = 0; c < columns; ++c) {
        if (m_part->columnWidth(c) != columnWidth(c))
            m_part->setColumnWidth(c, columnWidth(c));
    }
    const QRect area = viewport()->geometry();
    const int headerHeight = horizontalHeader()->isHidden() ? 0 : horizontalHeader()->height();
    if (headerHeight > 0 && m_part->horizontalHeader()->height() != headerHeight)
        m_part->horizontalHeader()->setFixedHeight(headerHeight);
    m_part->setGeometry(area.left(), area.top() - headerHeight, std::min(frozenWidth(), area.width()),
                        area.height() + headerHeight);
}

void FrozenTableView::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    updatePartGeometry();
}

void FrozenTableView::updateGeometries()
{
    QTableView::updateGeometries();
    updatePartGeometry();
}

QModelIndex FrozenTableView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex next = QTableView::moveCursor(cursorAction, modifiers);
    // Home goes to the row's start: the columns after the first come back.
    if (cursorAction == MoveHome)
        horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
    return next;
}

void FrozenTableView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid() || isColumnHidden(index.column()))
        return;
    QScrollBar *sideways = horizontalScrollBar();
    const int before = sideways->value();
    QTableView::scrollTo(index, hint);
    if (isFrozen(index.column())) {
        // Always in view over the left: only up or down.
        sideways->setValue(before);
        return;
    }
    // A cell under the part comes out to its right.
    const int covered = frozenWidth();
    const int left = columnViewportPosition(index.column());
    if (left < covered)
        sideways->setValue(sideways->value() - (covered - left));
}

bool FrozenTableView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    // The cell here is covered: its editor opens where it is seen.
    if (index.isValid() && isFrozen(index.column()))
        return m_part->editFromTable(index, trigger, event);
    return QTableView::edit(index, trigger, event);
}

void FrozenTableView::keepFrozenColumnsFirst()
{
    const QScopedValueRollback guard(m_fixingOrder, true);
    QHeaderView *header = horizontalHeader();
    for (int c = 0; c < std::min(m_frozenCount, header->count()); ++c) {
        if (header->visualIndex(c) != c)
            header->moveSection(header->visualIndex(c), c);
    }
}

void FrozenTableView::moveColumn(int column, int side)
{
    QHeaderView *header = horizontalHeader();
    const int from = header->visualIndex(column);
    for (int to = from + side; to >= m_frozenCount && to < header->count(); to += side) {
        if (!header->isSectionHidden(header->logicalIndex(to))) {
            {
                const QScopedValueRollback guard(m_fixingOrder, true);
                header->moveSection(from, to);
            }
            emit columnsChanged();
            return;
        }
    }
}

void FrozenTableView::showColumnsMenu(QHeaderView *header, const QPoint &pos)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    fillColumnsMenu(menu, header->logicalIndexAt(pos));
    menu->popup(header->viewport()->mapToGlobal(pos));
}

void FrozenTableView::fillColumnsMenu(QMenu *menu, int column)
{
    QHeaderView *header = horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int c = header->logicalIndex(visual);
        QAction *shown = menu->addAction(heading(c));
        shown->setCheckable(true);
        shown->setChecked(!isColumnHidden(c));
        if (isFrozen(c)) {
            shown->setEnabled(false);
            continue;
        }
        connect(shown, &QAction::toggled, this, [this, c](bool on) {
            setColumnHidden(c, !on);
            emit columnsChanged();
        });
    }
    if (column >= m_frozenCount && column < header->count()) {
        const auto canMove = [this, header, column](int side) {
            for (int to = header->visualIndex(column) + side; to >= m_frozenCount && to < header->count();
                 to += side) {
                if (!header->isSectionHidden(header->logicalIndex(to)))
                    return true;
            }
            return false;
        };
        menu->addSeparator();
        QAction *left = menu->addAction(QStringLiteral("Сдвинуть «%1» влево").arg(heading(column)));
        left->setEnabled(canMove(-1));
        connect(left, &QAction::triggered, this, [this, column] { moveColumn(column, -1); });
        QAction *right = menu->addAction(QStringLiteral("Сдвинуть «%1» вправо").arg(heading(column)));
        right->setEnabled(canMove(1));
        connect(right, &QAction::triggered, this, [this, column] { moveColumn(column, 1); });
    }
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Все столбцы по порядку")), &QAction::triggered, this, [this] {
        resetColumns();
        emit columnsChanged();
    });
}

QStringList FrozenTableView::columnState() const
{
    QStringList state;
    const QHeaderView *header = horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int c = header->logicalIndex(visual);
        state << (isColumnHidden(c) ? HiddenMark + heading(c) : heading(c));
    }
    return state;
}

void FrozenTableView::resetColumns()
{
    const QScopedValueRollback guard(m_fixingOrder, true);
    QHeaderView *header = horizontalHeader();
    for (int c = 0; c < header->count(); ++c) {
        if (header->visualIndex(c) != c)
            header->moveSection(header->visualIndex(c), c);
        setColumnHidden(c, false);
    }
}

bool FrozenTableView::restoreColumnState(const QStringList &state)
{
    QHeaderView *header = horizontalHeader();
    const int columns = header->count();
    QHash<QString, int> byHeading;
    for (int c = 0; c < columns; ++c)
        byHeading.insert(heading(c), c);
    // Every column once, by a heading of its own; the first ones first and
    // shown.
    std::vector<int> order;
    std::vector<bool> hidden(std::size_t(columns), false);
    std::vector<bool> seen(std::size_t(columns), false);
    bool fits = state.size() == columns && byHeading.size() == columns;
    for (int visual = 0; fits && visual < columns; ++visual) {
        const QString &entry = state[visual];
        int c = byHeading.value(entry, -1);
        const bool hide = c < 0 && entry.startsWith(HiddenMark);
        if (hide)
            c = byHeading.value(entry.mid(1), -1);
        fits = c >= 0 && !seen[std::size_t(c)] && (!isFrozen(c) || (c == visual && !hide))
            && (isFrozen(c) || visual >= m_frozenCount);
        if (fits) {
            seen[std::size_t(c)] = true;
            hidden[std::size_t(c)] = hide;
            order.push_back(c);
        }
    }
    resetColumns();
    if (!fits)
        return false;
    const QScopedValueRollback guard(m_fixingOrder, true);
    for (int visual = 0; visual < columns; ++visual) {
        const int c = order[std::size_t(visual)];
        header->moveSection(header->visualIndex(c), visual);
        setColumnHidden(c, hidden[std::size_t(c)]);
    }
    return true;
}

} // namespace project
