#pragma once

#include "projectdata.h"
#include "projectfile.h"
#include "roomcalculator.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>
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
};

// Every column of the rooms table, in order: the one list they are all
// shown, exported and sorted by.
const std::vector<RoomColumn> &roomColumns();

// The rooms of a project with their results, as a table. Results are
// computed from the inputs whenever a room is added or its inputs change,
// rooms with equal inputs and layout once, and many rooms on every core.
// The level map's figures take far longer than the rest, so they are
// computed in the background after the rest is shown, a room per thread;
// whatever writes them out calls completeLevels() first, or waits for
// levelProgress() to reach its end. The background stops within half a
// second of a new project or the table's end.
// An edit in place is not applied here: it is announced by editRequested,
// so that the window can make it an undoable command.
class RoomTable : public QAbstractTableModel {
    Q_OBJECT
public:
    RoomTable(const RoomCalculator &calculator, QChar decimalPoint, QObject *parent = nullptr);
    ~RoomTable() override;

    const Project &project() const { return m_project; }
    const RoomResults &results(int row) const { return m_results[std::size_t(row)]; }
    // Every room's results, in file order.
    const std::vector<RoomResults> &allResults() const { return m_results; }
    const RoomCalculator &calculator() const { return m_calculator; }
    int roomCount() const { return int(m_project.rooms.size()); }
    QChar decimalPoint() const { return m_decimalPoint; }

    // Replaces the whole project and computes every room.
    void setProject(Project project);
    void setName(const QString &name);

    void insertRoom(int row, const Room &room);
    Room takeRoom(int row);
    // The room's inputs and layout, its results computed anew.
    void setRoomInputs(int row, const RoomInputs &inputs, const QString &layout);
    // One of the texts edited in place (column of roomColumns()).
    void setRoomText(int row, int column, const QString &text);

    // The lines and the cable allowance; the rooms keep their line texts
    // unless setRoomLines changes them.
    void insertLine(int index, const Line &line);
    Line takeLine(int index);
    void setLine(int index, const Line &line);
    void setCableAllowance(double allowance);
    // The rows of the rooms whose line is name, and those rooms moved to
    // the line name.
    std::vector<int> roomsOnLine(const QString &name) const;
    void setRoomLines(const std::vector<int> &rows, const QString &name);

    // Whether a room's level figures are still being computed.
    bool levelsPending() const;
    // The rows whose level figures are done, out of the rows that have a
    // plan to map (rooms whose calculation completed with a plan).
    struct LevelProgress {
        int done = 0;
        int needed = 0;
    };
    LevelProgress levelProgress() const;
    // "Расчет уровней: 412 из 2000" while figures are pending, else empty.
    QString levelProgressLine() const;
    // Computes every level figure still pending here and now, so that the
    // table holds all of them; progress hears of each room done, one call
    // at a time.
    void completeLevels(const std::function<void(int done, int total)> &progress = {});

    // The result texts of every room, as the file keeps them for others.
    std::vector<ResultTexts> resultTexts() const;
    // The file's bytes for the project as it is.
    QByteArray fileBytes() const;
    // The cell text of a room, as the table and every export show it.
    QString cellText(int row, int column) const;
    // "Помещений: N. Громкоговорителей: M. Суммарная мощность: P Вт", the
    // loudspeakers (RoomResults::loudspeakers) and power of the rooms whose
    // calculation completed; with
    // rooms whose calculation stopped, "Помещений: N, не рассчитано: K. …".
    QString totalsLine() const;
    // How many rooms' calculations stopped.
    int stoppedCount() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The role that sorts: the cell's number, or its text.
    static constexpr int SortRole = Qt::UserRole;

signals:
    // The user edited a text in place: the new text for the room in row.
    void editRequested(int row, int column, const QString &text);
    // Rooms, their texts, their results, the lines or the name changed.
    void projectChanged();
    // Level figures computed in the background were taken into the table.
    void levelsProgressed();

private:
    // Computes the rooms of the given rows, distinct inputs once and in
    // parallel, and stores their results; their level figures are queued.
    void computeRows(const std::vector<int> &rows);
    // Queues the level figures of the room of key in the background.
    void queueLevels(const QString &key, const Room &room);
    // Stops what the background computes: what it has not started goes,
    // what it has started stops within half a second; later rooms go on a
    // new cancel flag.
    void cancelBackground();
    // Takes the level figures the background has finished into the table.
    void takeFinishedLevels();
    // The same, called for the background: at most every TakeIntervalMs,
    // since every take makes the views measure their columns anew.
    void takeFinishedLevelsSoon();
    // Stores level figures by key in every room of that key still waiting.
    void applyLevels(const QHash<QString, RoomLevels> &levels);
    RoomRow row(int r) const;

    const RoomCalculator &m_calculator;
    QChar m_decimalPoint;
    Project m_project;
    std::vector<RoomResults> m_results;
    std::vector<QString> m_keys;         // each row's inputs and layout, as m_results
    QHash<QString, RoomResults> m_known; // by inputs and layout
    QSet<QString> m_levelsQueued;        // keys whose level figures the background computes

    // The background's threads, the flag that cancels what they compute for
    // the project shown (a new one for every project), the figures they have
    // finished (guarded by m_finishedMutex) and whether a call of
    // takeFinishedLevels is on its way.
    QThreadPool m_levelThreads;
    std::shared_ptr<std::atomic<bool>> m_levelCancel = std::make_shared<std::atomic<bool>>(false);
    QMutex m_finishedMutex;
    QHash<QString, RoomLevels> m_finished;
    std::atomic<bool> m_takePosted{false};
    QElapsedTimer m_sinceTake;
};

} // namespace project
