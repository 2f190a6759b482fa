#pragma once

#include "projectdata.h"
#include "projectlines.h"

#include <QAbstractTableModel>
#include <QString>
#include <optional>
#include <vector>

namespace project {

class ProjectModel;
class RoomResultsService;

// One row of the lines table: the line, its number and its summary, with
// the decimal separator the figures are shown with.
struct LineRow {
    int number = 0; // 1-based, file order
    const Line &line;
    const LineSummary &summary;
    QChar decimalPoint;
};

// A column of the lines table and of its documents: the caption, the
// cell's text, its number (none: the cell is a text) and how it is edited:
// the line's name, the voltage chosen from the list, or a number typed in.
struct LineColumn {
    enum class Edit { None, Name, Voltage, Number };

    QString caption;
    QString (*text)(const LineRow &row);
    std::optional<double> (*number)(const LineRow &row) = nullptr;
    Edit edit = Edit::None;
    double Line::*field = nullptr;
};

// Every column of the lines table, in order.
const std::vector<LineColumn> &lineColumns();

// One row of the equipment list, as the table shows it.
struct EquipmentRow {
    int number = 0; // 1-based
    const EquipmentItem &item;
    QChar decimalPoint;
};

struct EquipmentColumn {
    QString caption;
    QString (*text)(const EquipmentRow &row);
    std::optional<double> (*number)(const EquipmentRow &row) = nullptr;
};

// Every column of the equipment list: "№", "Наименование", "Количество",
// "Ед. изм.".
const std::vector<EquipmentColumn> &equipmentColumns();

// The number a cell holds, typed with "." or "," whatever the locale; none
// for any other text.
std::optional<double> readTypedNumber(QStringView text);

// The lines of a ProjectModel with their figures (from the rooms' results
// of a RoomResultsService of that model), and the equipment list, computed
// again whenever the project changes. An edit in place is not
// applied here: it is announced by editRequested (or editRefused, with
// the reason), so that the window can make it an undoable command.
class LineTable : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit LineTable(const RoomResultsService &results, QObject *parent = nullptr);

    const std::vector<LineSummary> &summaries() const { return m_summaries; }
    const std::vector<EquipmentItem> &equipment() const { return m_equipment; }
    int roomsOnNoLine() const { return m_roomsOnNoLine; }
    // "Помещений без линии: K".
    QString noLineText() const;
    QString cellText(int row, int column) const;
    LineRow row(int r) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    void editRequested(int row, const project::Line &line);
    void editRefused(const QString &reason);
    // The figures, the equipment list or the count of rooms on no line changed.
    void figuresChanged();

private:
    void recompute();

    const ProjectModel &m_model;
    const RoomResultsService &m_results;
    std::vector<LineSummary> m_summaries;
    std::vector<EquipmentItem> m_equipment;
    int m_roomsOnNoLine = 0;
};

// The equipment list of a LineTable, as a table.
class EquipmentTable : public QAbstractTableModel {
    Q_OBJECT
public:
    EquipmentTable(const LineTable &lines, QChar decimalPoint, QObject *parent = nullptr);

    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const LineTable &m_lines;
    QChar m_decimalPoint;
};

} // namespace project
