#pragma once

#include <QStringList>
#include <QTableView>

class QMenu;

namespace project {

class FrozenColumnsPart;

// A table whose first columns stay in view while the others scroll
// sideways: a second view over the left of this one shows them from the
// same model with the same selection, scrolled up and down with this one.
// The columns under it stay in this view (a screen reader and the keyboard
// reach every cell here), only covered; a cell of the covered columns is
// edited in the part that shows it. The first columns keep their places;
// the others can be moved by dragging their headings or from the headings'
// menu, and hidden there.
class FrozenTableView : public QTableView {
    Q_OBJECT
public:
    explicit FrozenTableView(int frozenColumns, QWidget *parent = nullptr);
    ~FrozenTableView() override;

    // The part shows the same model with the same selection.
    void setModel(QAbstractItemModel *model) override;
    void setSelectionModel(QItemSelectionModel *selectionModel) override;

    // The view over the left, showing the first columns.
    QTableView *frozenView() const;
    int frozenColumnCount() const { return m_frozenCount; }

    // The headings' menu for the column (logical index; -1 for none): a
    // checkable entry per column in the order shown, the first columns
    // always shown; moving the column one place left or right; the order
    // and columns as they were at first.
    void fillColumnsMenu(QMenu *menu, int column);

    // The columns' order and which are hidden, by their headings: the
    // headings in the order shown, a hidden one prefixed by "-".
    QStringList columnState() const;
    // Puts back a state columnState() gave; a state that does not name
    // every column of the model exactly once, with the first columns first
    // and shown, leaves the columns as they were at first and gives false.
    bool restoreColumnState(const QStringList &state);
    // Every column shown, in the model's order.
    void resetColumns();

signals:
    // The user moved, hid or showed a column.
    void columnsChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void updateGeometries() override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;

private:
    bool isFrozen(int column) const { return column >= 0 && column < m_frozenCount; }
    // The width the part over the left covers.
    int frozenWidth() const;
    void showColumnsMenu(QHeaderView *header, const QPoint &pos);
    // The part shows the first columns only, as wide and as high as here.
    void syncPart();
    void updatePartGeometry();
    void keepFrozenColumnsFirst();
    // Moves the column to the next shown place on that side (-1 or 1).
    void moveColumn(int column, int side);
    QString heading(int column) const;

    FrozenColumnsPart *m_part;
    int m_frozenCount;
    bool m_fixingOrder = false;
    bool m_syncingSort = false;
};

} // namespace project
