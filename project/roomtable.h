#pragma once

#include "projectdata.h"
#include "projectmodel.h"
#include "roomcalculator.h"
#include "roomresults.h"

#include <QAbstractTableModel>
#include <QString>
#include <optional>
#include <vector>

namespace project {

// One row of the rooms table: the room, its number in file order and its
// results, with the decimal separator the figures are shown with.
struct RoomRow {
    int number = 0; // 1-based, file order
    const Room &room;
    const RoomResults &results;
    QChar decimalPoint;
    double targetShare = DefaultTargetShare; // the project's, %
};

// A column of the rooms table, CSV and every other export of it: the
// caption, the cell's text, and its number for sorting (none: sorted by
// text). The editable columns name the room's text they show; a line
// choice is edited by picking one of the project's lines.
struct RoomColumn {
    QString caption;
    QString (*text)(const RoomRow &row);
    std::optional<double> (*number)(const RoomRow &row) = nullptr;
    QString Room::*edited = nullptr;
    bool lineChoice = false;
    // A figure of the level map, computed after the rest: the cell shows
    // "…" until it is there.
    bool levelFigure = false;
    // The count the room's plan holds (Room::count), edited in place as
    // countChoiceText writes it, where the arrangement takes a count.
    bool countChoice = false;
    // A surface of the room, edited by picking one of calc::materialNames().
    bool materialChoice = false;
};

// The count choices as "На плане" is edited: "по расчету", "по уровню" or
// the number; and back (none for any other text).
inline const QString CalculatedCountText = QStringLiteral("по расчету");
inline const QString LevelCountText = QStringLiteral("по уровню");
QString countChoiceText(const PlanCount &count);
std::optional<PlanCount> countFromText(const QString &text);

// Every column of the rooms table, in order: the one list they are all
// shown, exported and sorted by.
const std::vector<RoomColumn> &roomColumns();

// The row of a room as the columns read it.
RoomRow roomRow(const RoomResultsService &results, int row);
// The cell text of a room, as the table and every export show it.
QString roomCellText(const RoomResultsService &results, int row, int column);

// The rooms of a ProjectModel with their results (of a RoomResultsService
// of that model), as a table: a row per room in file order, each row a
// room's id. An edit in place is not applied here: it is announced by
// editRequested, so that the window can make it an undoable command.
class RoomTable : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RoomTable(const RoomResultsService &results, QObject *parent = nullptr);

    const ProjectModel &model() const { return m_model; }
    const RoomResultsService &results() const { return m_results; }
    RoomId idAt(int row) const { return m_model.idAt(row); }
    int rowOf(RoomId id) const { return m_model.rowOf(id); }
    QString cellText(int row, int column) const { return roomCellText(m_results, row, column); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The role that sorts: the cell's number, or its text.
    static constexpr int SortRole = Qt::UserRole;

signals:
    // The user edited a text in place: the new text for the room of id.
    void editRequested(project::RoomId id, int column, const QString &text);

private:
    void roomAdded(int row);
    void roomRemoved(int row);
    void levelsTaken(int first, int last);

    const ProjectModel &m_model;
    const RoomResultsService &m_results;
};

} // namespace project
