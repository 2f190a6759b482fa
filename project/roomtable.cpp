#include "roomtable.h"

#include "calc/numberformat.h"
#include "widgets/rowmark.h"

#include <QColor>
#include <QGuiApplication>
#include <QIcon>
#include <QMutexLocker>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace project {

namespace {

// How often the figures the background finishes are taken into the table.
constexpr qint64 TakeIntervalMs = 200;

// The nice value of the background's threads.
constexpr int BackgroundNice = 10;

QString general(const RoomRow &r, double value)
{
    return calc::formatGeneral(value, r.decimalPoint);
}

// A figure of the room the calculation read, or the text as typed when it
// stopped before reading it.
QString roomFigure(const RoomRow &r, double value, const QString &typed)
{
    return r.results.completed ? general(r, value) : typed;
}

QString result(const RoomRow &r, double value)
{
    return r.results.completed ? general(r, value) : QString();
}

std::optional<double> resultNumber(const RoomRow &r, double value)
{
    return r.results.completed ? std::optional<double>(value) : std::nullopt;
}

// The loudspeakers of the room's plan, empty where it has none.
QString planned(const RoomRow &r)
{
    return r.results.completed && r.results.planned ? QString::number(*r.results.planned) : QString();
}

// A plan's figure to one decimal, empty where the calculation stopped or
// the plan gave none.
QString tenths(const RoomRow &r, const std::optional<double> &value)
{
    return r.results.completed && value ? calc::formatFixed(*value, 1, r.decimalPoint) : QString();
}

// A share of the floor to one decimal, never "100,0" short of the whole nor
// "0,0" above nothing; empty as tenths() is.
QString share(const RoomRow &r, const std::optional<double> &value)
{
    return r.results.completed && value ? calc::formatShare(*value, r.decimalPoint) : QString();
}

// A figure of the level map, written by format: "…" while it is computed.
QString levelFigure(const RoomRow &r, const std::optional<double> &value,
                    QString (*format)(const RoomRow &, const std::optional<double> &) = tenths)
{
    return r.results.levelsPending ? QStringLiteral("…") : format(r, value);
}

// Calls work(i) for every i below count, on every core.
template <typename Work>
void inParallel(std::size_t count, const Work &work)
{
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
        for (std::size_t i = next++; i < count; i = next++)
            work(i);
    };
    const std::size_t threads = std::min<std::size_t>(std::max(1, QThread::idealThreadCount()), count);
    if (threads <= 1) {
        worker();
        return;
    }
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t)
        helpers.emplace_back(worker);
    worker();
    for (std::thread &helper : helpers)
        helper.join();
}

// A number typed in a box, for sorting: its value when it is one.
std::optional<double> typedNumber(const QString &text)
{
    bool ok = false;
    const double value = QString(text).replace(u',', u'.').toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// The corners exactly, so that rooms of different outlines never share
// results.
QString outlineKey(const std::vector<QPointF> &outline)
{
    QString text;
    for (const QPointF &corner : outline)
        text += QString::number(corner.x(), 'g', 17) + u' ' + QString::number(corner.y(), 'g', 17) + u';';
    return text;
}

QString key(const Room &room)
{
    const RoomInputs &in = room.inputs;
    const QChar separator(0x1f);
    return QStringList{in.model,
                       in.modelFromList ? QStringLiteral("1") : QStringLiteral("0"),
                       tapText(in.tap),
                       mountingKey(in.mounting),
                       in.power,
                       in.sensitivity,
                       in.directivity,
                       in.verticalDirectivity,
                       in.tilt,
                       in.margin,
                       in.listeningHeight,
                       in.roomType,
                       in.noise,
                       in.height,
                       in.length,
                       in.width,
                       in.area,
                       in.areaFromSides ? QStringLiteral("1") : QStringLiteral("0"),
                       outlineKey(in.outline),
                       room.layout}
        .join(separator);
}

// The mark of a room whose calculation stopped: the red circle every table
// marks a failing row with (its colour where no GUI application paints
// icons).
QVariant stoppedMark()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return rowmark::FailureColour;
    return rowmark::failureMark();
}

// Why a room's calculation stopped, as its row tells it.
QString stopReason(const RoomResults &results)
{
    return results.note.isEmpty() ? QStringLiteral("Не рассчитано") : results.note;
}

// Lowers the calling thread of the background below the window's, so that
// the maps take what the window leaves (Qt's thread priorities other than
// idle do nothing on Linux; idle would starve the maps on a busy machine).
void yieldToTheWindow()
{
#ifdef Q_OS_LINUX
    static thread_local bool lowered = false;
    if (!lowered) {
        lowered = true;
        setpriority(PRIO_PROCESS, id_t(gettid()), BackgroundNice);
    }
#endif
}

} // namespace

const std::vector<RoomColumn> &roomColumns()
{
    // clang-format off
    static const std::vector<RoomColumn> columns{
        {QStringLiteral("№"), [](const RoomRow &r) { return QString::number(r.number); },
         [](const RoomRow &r) { return std::optional<double>(r.number); }},
        {QStringLiteral("Помещение"), [](const RoomRow &r) { return r.room.name; }, nullptr, &Room::name},
        {QStringLiteral("Этаж"), [](const RoomRow &r) { return r.room.floor; },
         [](const RoomRow &r) { return typedNumber(r.room.floor); }, &Room::floor},
        {QStringLiteral("Линия"), [](const RoomRow &r) { return r.room.line; }, nullptr, &Room::line, true},
        {QStringLiteral("Громкоговоритель"), [](const RoomRow &r) { return r.room.inputs.model; }},
        {QStringLiteral("Установка"), [](const RoomRow &r) { return calc::mountingWord(r.results.mounting); }},
        {QStringLiteral("Отвод"), [](const RoomRow &r) { return tapText(r.room.inputs.tap); }},
        {QStringLiteral("Длина, м"),
         [](const RoomRow &r) { return roomFigure(r, r.results.length, r.room.inputs.length); },
         [](const RoomRow &r) { return resultNumber(r, r.results.length); }},
        {QStringLiteral("Ширина, м"),
         [](const RoomRow &r) { return roomFigure(r, r.results.width, r.room.inputs.width); },
         [](const RoomRow &r) { return resultNumber(r, r.results.width); }},
        {QStringLiteral("Площадь, м2"),
         [](const RoomRow &r) { return roomFigure(r, r.results.roomArea, r.room.inputs.area); },
         [](const RoomRow &r) { return resultNumber(r, r.results.roomArea); }},
        {QStringLiteral("Шум, дБ"),
         [](const RoomRow &r) { return roomFigure(r, r.results.noise, r.results.noiseText); },
         [](const RoomRow &r) { return resultNumber(r, r.results.noise); }},
        {QStringLiteral("Звуковое давление, дБ"), [](const RoomRow &r) { return result(r, r.results.spl); },
         [](const RoomRow &r) { return resultNumber(r, r.results.spl); }},
        {QStringLiteral("Дальность, м"), [](const RoomRow &r) { return result(r, r.results.range); },
         [](const RoomRow &r) { return resultNumber(r, r.results.range); }},
        {QStringLiteral("Площадь озвучивания, м2"), [](const RoomRow &r) { return result(r, r.results.coverArea); },
         [](const RoomRow &r) { return resultNumber(r, r.results.coverArea); }},
        {QStringLiteral("Количество"), [](const RoomRow &r) { return result(r, r.results.count); },
         [](const RoomRow &r) { return resultNumber(r, r.results.count); }},
        {QStringLiteral("На плане"), [](const RoomRow &r) { return planned(r); },
         [](const RoomRow &r) { return r.results.completed && r.results.planned ? std::optional<double>(*r.results.planned) : std::nullopt; }},
        {QStringLiteral("Мощность, Вт"), [](const RoomRow &r) { return result(r, r.results.power); },
         [](const RoomRow &r) { return resultNumber(r, r.results.power); }},
        {QStringLiteral("Озвучено, %"),
         [](const RoomRow &r) { return share(r, r.results.covered); },
         [](const RoomRow &r) { return r.results.completed ? r.results.covered : std::nullopt; }},
        {QStringLiteral("Мин. уровень, дБ"),
         [](const RoomRow &r) { return levelFigure(r, r.results.lowestLevel); },
         [](const RoomRow &r) { return r.results.completed ? r.results.lowestLevel : std::nullopt; },
         nullptr, false, true},
        {QStringLiteral("Не ниже требуемого, %"),
         [](const RoomRow &r) { return levelFigure(r, r.results.requiredShare, share); },
         [](const RoomRow &r) { return r.results.completed ? r.results.requiredShare : std::nullopt; },
         nullptr, false, true},
        {QStringLiteral("Замечание"), [](const RoomRow &r) { return r.results.note; }},
    };
    // clang-format on
    return columns;
}

RoomTable::RoomTable(const RoomCalculator &calculator, QChar decimalPoint, QObject *parent)
    : QAbstractTableModel(parent),
      m_calculator(calculator),
      m_decimalPoint(decimalPoint)
{ }

RoomTable::~RoomTable()
{
    // The background's rooms reach into this table: none may outlive it.
    cancelBackground();
    m_levelThreads.waitForDone();
}

RoomRow RoomTable::row(int r) const
{
    return {r + 1, m_project.rooms[std::size_t(r)], m_results[std::size_t(r)], m_decimalPoint};
}

void RoomTable::computeRows(const std::vector<int> &rows)
{
    // The distinct inputs not computed before, then each of them once.
    std::vector<std::pair<QString, const Room *>> todo;
    QSet<QString> queued;
    for (const int r : rows) {
        const Room &room = m_project.rooms[std::size_t(r)];
        QString k = key(room);
        m_keys[std::size_t(r)] = k;
        if (m_known.contains(k) || queued.contains(k))
            continue;
        queued.insert(k);
        todo.emplace_back(std::move(k), &room);
    }
    std::vector<RoomResults> computed(todo.size());
    inParallel(todo.size(), [&](std::size_t i) {
        computed[i] = m_calculator.evaluate(todo[i].second->inputs, todo[i].second->layout);
    });
    for (std::size_t i = 0; i < todo.size(); ++i) {
        // A room without a plan has no map either.
        computed[i].levelsPending = computed[i].completed && computed[i].covered.has_value();
        m_known.insert(todo[i].first, computed[i]);
        if (computed[i].levelsPending)
            queueLevels(todo[i].first, *todo[i].second);
    }
    for (const int r : rows)
        m_results[std::size_t(r)] = m_known.value(m_keys[std::size_t(r)]);
}

void RoomTable::queueLevels(const QString &k, const Room &room)
{
    if (m_levelsQueued.contains(k))
        return;
    m_levelsQueued.insert(k);
    m_levelThreads.start([this, k, inputs = room.inputs, layout = room.layout, cancel = m_levelCancel] {
        if (cancel->load())
            return;
        yieldToTheWindow();
        const RoomLevels levels = m_calculator.evaluateLevels(inputs, layout, cancel.get());
        // Figures of a computation cancelled half-way are none.
        if (cancel->load())
            return;
        {
            const QMutexLocker lock(&m_finishedMutex);
            m_finished.insert(k, levels);
        }
        if (!m_takePosted.exchange(true))
            QMetaObject::invokeMethod(this, &RoomTable::takeFinishedLevelsSoon, Qt::QueuedConnection);
    });
}

void RoomTable::cancelBackground()
{
    m_levelCancel->store(true);
    m_levelCancel = std::make_shared<std::atomic<bool>>(false);
    m_levelThreads.clear();
}

void RoomTable::takeFinishedLevelsSoon()
{
    const qint64 since = m_sinceTake.isValid() ? m_sinceTake.elapsed() : TakeIntervalMs;
    if (since < TakeIntervalMs) {
        QTimer::singleShot(TakeIntervalMs - since, this, &RoomTable::takeFinishedLevels);
        return;
    }
    takeFinishedLevels();
}

void RoomTable::takeFinishedLevels()
{
    m_sinceTake.start();
    // Cleared before taking: figures finished after this take post anew.
    m_takePosted = false;
    QHash<QString, RoomLevels> finished;
    {
        const QMutexLocker lock(&m_finishedMutex);
        finished.swap(m_finished);
    }
    applyLevels(finished);
}

void RoomTable::applyLevels(const QHash<QString, RoomLevels> &levels)
{
    if (levels.isEmpty())
        return;
    // The figures depend on nothing but the key, so figures of a key that
    // was queued for an earlier project are as good for this one.
    const auto store = [](RoomResults &results, const RoomLevels &figures) {
        results.lowestLevel = figures.lowest;
        results.requiredShare = figures.requiredShare;
        results.levelsPending = false;
    };
    for (auto it = levels.begin(); it != levels.end(); ++it) {
        m_levelsQueued.remove(it.key());
        const auto known = m_known.find(it.key());
        if (known != m_known.end() && known->levelsPending)
            store(*known, it.value());
    }
    int first = -1;
    int last = -1;
    for (std::size_t r = 0; r < m_results.size(); ++r) {
        if (!m_results[r].levelsPending)
            continue;
        const auto figures = levels.find(m_keys[r]);
        if (figures == levels.end())
            continue;
        store(m_results[r], figures.value());
        if (first < 0)
            first = int(r);
        last = int(r);
    }
    if (first < 0)
        return;
    const auto &columns = roomColumns();
    int left = 0;
    while (!columns[std::size_t(left)].levelFigure)
        ++left;
    int right = left;
    while (right + 1 < int(columns.size()) && columns[std::size_t(right + 1)].levelFigure)
        ++right;
    emit dataChanged(index(first, left), index(last, right));
    emit levelsProgressed();
}

bool RoomTable::levelsPending() const
{
    return std::any_of(m_results.begin(), m_results.end(),
                       [](const RoomResults &r) { return r.levelsPending; });
}

RoomTable::LevelProgress RoomTable::levelProgress() const
{
    LevelProgress progress;
    for (const RoomResults &r : m_results) {
        if (!r.completed || !r.covered)
            continue;
        ++progress.needed;
        progress.done += r.levelsPending ? 0 : 1;
    }
    return progress;
}

QString RoomTable::levelProgressLine() const
{
    const LevelProgress progress = levelProgress();
    if (progress.done >= progress.needed)
        return QString();
    return QStringLiteral("Расчет уровней: %1 из %2").arg(progress.done).arg(progress.needed);
}

void RoomTable::completeLevels(const std::function<void(int done, int total)> &progress)
{
    // Everything still pending is computed here, on every core and at the
    // caller's priority: the background stops.
    cancelBackground();
    m_levelThreads.waitForDone();
    takeFinishedLevels();
    std::vector<std::pair<QString, const Room *>> todo;
    QSet<QString> listed;
    for (std::size_t r = 0; r < m_results.size(); ++r) {
        if (m_results[r].levelsPending && !listed.contains(m_keys[r])) {
            listed.insert(m_keys[r]);
            todo.emplace_back(m_keys[r], &m_project.rooms[r]);
        }
    }
    std::vector<RoomLevels> computed(todo.size());
    QMutex reporting;
    int done = 0;
    inParallel(todo.size(), [&](std::size_t i) {
        computed[i] = m_calculator.evaluateLevels(todo[i].second->inputs, todo[i].second->layout);
        if (progress) {
            const QMutexLocker lock(&reporting);
            progress(++done, int(todo.size()));
        }
    });
    QHash<QString, RoomLevels> levels;
    for (std::size_t i = 0; i < todo.size(); ++i)
        levels.insert(todo[i].first, computed[i]);
    applyLevels(levels);
    m_levelsQueued.clear();
}

void RoomTable::setProject(Project project)
{
    beginResetModel();
    // What the background computes belongs to the project replaced.
    cancelBackground();
    m_levelsQueued.clear();
    m_project = std::move(project);
    m_known.clear();
    m_results.assign(m_project.rooms.size(), RoomResults{});
    m_keys.assign(m_project.rooms.size(), QString());
    std::vector<int> rows(m_project.rooms.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = int(i);
    computeRows(rows);
    endResetModel();
    emit projectChanged();
}

void RoomTable::setName(const QString &name)
{
    m_project.name = name;
    emit projectChanged();
}

void RoomTable::insertRoom(int row, const Room &room)
{
    beginInsertRows(QModelIndex(), row, row);
    m_project.rooms.insert(m_project.rooms.begin() + row, room);
    m_results.insert(m_results.begin() + row, RoomResults{});
    m_keys.insert(m_keys.begin() + row, QString());
    computeRows({row});
    endInsertRows();
    // The numbers of the rooms below move on.
    if (row + 1 < roomCount())
        emit dataChanged(index(row + 1, 0), index(roomCount() - 1, 0));
    emit projectChanged();
}

Room RoomTable::takeRoom(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    Room room = std::move(m_project.rooms[std::size_t(row)]);
    m_project.rooms.erase(m_project.rooms.begin() + row);
    m_results.erase(m_results.begin() + row);
    m_keys.erase(m_keys.begin() + row);
    endRemoveRows();
    if (row < roomCount())
        emit dataChanged(index(row, 0), index(roomCount() - 1, 0));
    emit projectChanged();
    return room;
}

void RoomTable::setRoomInputs(int row, const RoomInputs &inputs, const QString &layout)
{
    Room &room = m_project.rooms[std::size_t(row)];
    room.inputs = inputs;
    room.layout = layout;
    computeRows({row});
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit projectChanged();
}

void RoomTable::setRoomText(int row, int column, const QString &text)
{
    QString Room::*member = roomColumns()[std::size_t(column)].edited;
    if (!member)
        return;
    m_project.rooms[std::size_t(row)].*member = text;
    emit dataChanged(index(row, column), index(row, column));
    emit projectChanged();
}

void RoomTable::insertLine(int index, const Line &line)
{
    m_project.lines.insert(m_project.lines.begin() + index, line);
    emit projectChanged();
}

Line RoomTable::takeLine(int index)
{
    Line line = std::move(m_project.lines[std::size_t(index)]);
    m_project.lines.erase(m_project.lines.begin() + index);
    emit projectChanged();
    return line;
}

void RoomTable::setLine(int index, const Line &line)
{
    m_project.lines[std::size_t(index)] = line;
    emit projectChanged();
}

void RoomTable::setCableAllowance(double allowance)
{
    m_project.cableAllowance = allowance;
    emit projectChanged();
}

std::vector<int> RoomTable::roomsOnLine(const QString &name) const
{
    std::vector<int> rows;
    for (std::size_t r = 0; r < m_project.rooms.size(); ++r) {
        if (m_project.rooms[r].line == name)
            rows.push_back(int(r));
    }
    return rows;
}

void RoomTable::setRoomLines(const std::vector<int> &rows, const QString &name)
{
    if (rows.empty())
        return;
    const auto &columns = roomColumns();
    int column = 0;
    while (columns[std::size_t(column)].edited != &Room::line)
        ++column;
    for (const int r : rows) {
        m_project.rooms[std::size_t(r)].line = name;
        emit dataChanged(index(r, column), index(r, column));
    }
    emit projectChanged();
}

QString RoomTable::cellText(int r, int column) const
{
    return roomColumns()[std::size_t(column)].text(row(r));
}

std::vector<ResultTexts> RoomTable::resultTexts() const
{
    std::vector<ResultTexts> texts;
    texts.reserve(m_results.size());
    for (int r = 0; r < roomCount(); ++r) {
        const RoomRow rr = row(r);
        const RoomResults &res = rr.results;
        texts.push_back({result(rr, res.spl), result(rr, res.range), result(rr, res.coverArea),
                         result(rr, res.count), result(rr, res.power), share(rr, res.covered), res.note});
    }
    return texts;
}

QByteArray RoomTable::fileBytes() const
{
    return projectBytes(m_project, resultTexts());
}

QString RoomTable::totalsLine() const
{
    double loudspeakers = 0.0;
    double power = 0.0;
    for (const RoomResults &r : m_results) {
        if (!r.completed)
            continue;
        loudspeakers += r.loudspeakers();
        power += r.power;
    }
    const int stopped = stoppedCount();
    const QString rooms = stopped > 0
        ? QStringLiteral("Помещений: %1, не рассчитано: %2").arg(roomCount()).arg(stopped)
        : QStringLiteral("Помещений: %1").arg(roomCount());
    return QStringLiteral("%1. Громкоговорителей: %2. Суммарная мощность: %3 Вт")
        .arg(rooms, calc::formatGeneral(loudspeakers, m_decimalPoint),
             calc::formatGeneral(power, m_decimalPoint));
}

int RoomTable::stoppedCount() const
{
    return int(
        std::count_if(m_results.begin(), m_results.end(), [](const RoomResults &r) { return !r.completed; }));
}

int RoomTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : roomCount();
}

int RoomTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(roomColumns().size());
}

QVariant RoomTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= roomCount())
        return {};
    const RoomColumn &column = roomColumns()[std::size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return column.text(row(index.row()));
    case Qt::AccessibleTextRole:
        if (column.levelFigure && results(index.row()).levelsPending)
            return QStringLiteral("вычисляется");
        return column.text(row(index.row()));
    case SortRole: {
        const RoomRow r = row(index.row());
        if (column.number) {
            // Rooms without the figure sort before every figure.
            const std::optional<double> value = column.number(r);
            return value ? *value : -HUGE_VAL;
        }
        return column.text(r);
    }
    case Qt::TextAlignmentRole:
        return column.number ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::DecorationRole:
        return index.column() == 0 && !results(index.row()).completed ? stoppedMark() : QVariant();
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        // A stopped room's reason on each of its cells, since "Замечание"
        // is far off to the right and cut off; a completed room's note on
        // that column's cell.
        const RoomResults &r = results(index.row());
        if (!r.completed)
            return stopReason(r);
        if (role == Qt::ToolTipRole && column.caption == QStringLiteral("Замечание") && !r.note.isEmpty())
            return r.note;
        return {};
    }
    default: return {};
    }
}

QVariant RoomTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return roomColumns()[std::size_t(section)].caption;
    return {};
}

Qt::ItemFlags RoomTable::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && roomColumns()[std::size_t(index.column())].edited)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool RoomTable::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !roomColumns()[std::size_t(index.column())].edited)
        return false;
    const QString text = value.toString();
    if (text == cellText(index.row(), index.column()))
        return false;
    emit editRequested(index.row(), index.column(), text);
    return true;
}

} // namespace project
