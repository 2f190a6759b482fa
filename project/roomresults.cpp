#include "roomresults.h"

#include "calc/numberformat.h"
#include "widgets/backgroundjobs.h"

#include <QCryptographicHash>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <thread>

namespace project {

namespace {

// How often the figures the background finishes are taken into the rooms.
constexpr qint64 TakeIntervalMs = 200;

// "помещение", "помещения" or "помещений" after the number n.
QString roomsWord(int n)
{
    const int tens = n % 100;
    const int ones = n % 10;
    if (tens >= 11 && tens <= 14)
        return QStringLiteral("помещений");
    if (ones == 1)
        return QStringLiteral("помещение");
    if (ones >= 2 && ones <= 4)
        return QStringLiteral("помещения");
    return QStringLiteral("помещений");
}

} // namespace

QByteArray resultsKey(const Room &room, double targetShare)
{
    // Every input of the room, its layout and its surfaces, each text with
    // its length so that no two rooms run together, and the outline's
    // corners as the numbers they are; the name, floor and line change no
    // figure.
    const RoomInputs &in = room.inputs;
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const auto addText = [&hash](const QString &text) {
        const qint64 size = text.size();
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(&size), sizeof size));
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
    };
    const auto addNumber = [&hash](double value) {
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(&value), sizeof value));
    };
    for (const QString *text :
         {&in.model, &in.power, &in.sensitivity, &in.directivity, &in.verticalDirectivity, &in.tilt,
          &in.margin, &in.listeningHeight, &in.roomType, &in.noise, &in.height, &in.length, &in.width,
          &in.area, &room.layout, &room.floorSurface, &room.wallsSurface, &room.ceilingSurface,
          &room.reverberation})
        addText(*text);
    addNumber(in.modelFromList ? 1 : 0);
    addNumber(in.areaFromSides ? 1 : 0);
    addNumber(in.tap);
    addNumber(double(in.mounting));
    addNumber(double(room.count.kind));
    addNumber(room.count.number);
    addNumber(targetShare);
    addNumber(double(in.outline.size()));
    for (const QPointF &corner : in.outline) {
        addNumber(corner.x());
        addNumber(corner.y());
    }
    return hash.result();
}

std::optional<bool> meetsRules(const RoomResults &results, double targetShare)
{
    if (!results.completed || results.levelsPending || !results.requiredShare)
        return std::nullopt;
    return *results.requiredShare >= targetShare && !(results.tooLoudShare.value_or(0.0) > 0.0);
}

std::optional<bool> meetsIntelligibility(const RoomResults &results, double targetShare)
{
    if (!results.completed || results.levelsPending || !results.stiShare)
        return std::nullopt;
    return *results.stiShare >= targetShare;
}

QString verdictText(const RoomResults &results, double targetShare, QChar decimalPoint)
{
    const std::optional<bool> meets = meetsRules(results, targetShare);
    if (!meets)
        return QString();
    if (*meets)
        return QStringLiteral("выполнено");
    if (*results.requiredShare < targetShare)
        return QStringLiteral("не выполнено: %1 % площади не ниже %2 дБ")
            .arg(calc::formatShare(*results.requiredShare, decimalPoint),
                 calc::formatFixed(results.requiredLevel, 0, decimalPoint));
    return QStringLiteral("не выполнено: выше 120 дБ");
}

QString fitText(const RoomResults &results, QChar decimalPoint)
{
    if (!results.completed)
        return QString();
    if (!results.takesCount)
        return QStringLiteral("—");
    switch (results.fit.outcome) {
    case LevelFit::Outcome::Fitted: return QString::number(results.fit.count);
    case LevelFit::Outcome::ShareNotReached:
        return QStringLiteral("не достигается: не выше %1 % площади")
            .arg(calc::formatFixed(results.fit.share, 1, decimalPoint));
    case LevelFit::Outcome::TooLoud: return QStringLiteral("не достигается: выше 120 дБ");
    case LevelFit::Outcome::None: break;
    }
    return QString();
}

QString targetShareLine(double targetShare, QChar decimalPoint)
{
    return QStringLiteral("Требуемая доля площади: %1 %")
        .arg(calc::formatTrimmed(targetShare, 1, decimalPoint));
}

RoomResultsService::RoomResultsService(const ProjectModel &model, const RoomCalculator &calculator,
                                       QChar decimalPoint, QObject *parent)
    : QObject(parent),
      m_model(model),
      m_calculator(calculator),
      m_decimalPoint(decimalPoint)
{
    connect(&model, &ProjectModel::reset, this, &RoomResultsService::resetRooms);
    connect(&model, &ProjectModel::roomAdded, this, &RoomResultsService::roomAdded);
    connect(&model, &ProjectModel::roomRemoved, this, &RoomResultsService::roomRemoved);
    connect(&model, &ProjectModel::roomInputsChanged, this, &RoomResultsService::roomInputsChanged);
    connect(&model, &ProjectModel::targetShareChanged, this, &RoomResultsService::targetShareChanged);
    connect(&model, &ProjectModel::roomTextChanged, this, &RoomResultsService::roomTextChanged);
    resetRooms();
}

RoomResultsService::~RoomResultsService() = default;

void RoomResultsService::resetRooms()
{
    // What the background computes belongs to the project replaced.
    cancelBackground();
    m_levelsQueued.clear();
    m_arrived.clear();
    m_known.clear();
    m_results.assign(std::size_t(m_model.roomCount()), RoomResults{});
    m_keys.assign(std::size_t(m_model.roomCount()), QByteArray());
    std::vector<int> rows(m_results.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = int(i);
    computeRows(rows);
}

void RoomResultsService::roomAdded(RoomId, int row)
{
    m_results.insert(m_results.begin() + row, RoomResults{});
    m_keys.insert(m_keys.begin() + row, QByteArray());
    computeRows({row});
}

void RoomResultsService::roomRemoved(RoomId, int row)
{
    m_results.erase(m_results.begin() + row);
    m_keys.erase(m_keys.begin() + row);
}

void RoomResultsService::roomInputsChanged(RoomId, int row)
{
    computeRows({row});
}

void RoomResultsService::targetShareChanged()
{
    // Every room's fit and, in level mode, its plan judge by the share;
    // what was computed with the other share stays known.
    std::vector<int> rows(m_results.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = int(i);
    computeRows(rows);
}

void RoomResultsService::roomTextChanged(RoomId, int row)
{
    // A room's surfaces are its texts as its name is, but change its
    // figures.
    if (resultsKey(m_model.room(row), m_model.project().targetShare) != m_keys[std::size_t(row)])
        computeRows({row});
}

void RoomResultsService::computeRows(const std::vector<int> &rows)
{
    // The distinct inputs not computed before, then each of them once.
    std::vector<std::pair<QByteArray, const Room *>> todo;
    QSet<QByteArray> queued;
    std::vector<QByteArray> keys(rows.size());
    inParallel(rows.size(), 0, [&](std::size_t i) {
        keys[i] = resultsKey(m_model.room(rows[i]), m_model.project().targetShare);
    });
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Room &room = m_model.room(rows[i]);
        m_keys[std::size_t(rows[i])] = keys[i];
        if (m_known.contains(keys[i]) || queued.contains(keys[i]))
            continue;
        queued.insert(keys[i]);
        todo.emplace_back(keys[i], &room);
    }
    std::vector<RoomResults> computed(todo.size());
    inParallel(todo.size(), 0, [&](std::size_t i) {
        computed[i] = m_calculator.evaluate(todo[i].second->inputs, todo[i].second->layout,
                                            planChoice(*todo[i].second));
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

void RoomResultsService::queueLevels(const QByteArray &key, const Room &room)
{
    if (!m_backgroundLevels || m_levelsQueued.contains(key))
        return;
    m_levelsQueued.insert(key);
    m_levelJobs.start(
        [&calculator = m_calculator, inputs = room.inputs, layout = room.layout, surfaces = surfacesOf(room),
         plan = planChoice(room)](const std::atomic<bool> &cancel) {
            return calculator.evaluateLevels(inputs, layout, surfaces, &cancel, plan);
        },
        [this, key](const RoomLevels &levels) { levelsArrived(key, levels); });
}

void RoomResultsService::cancelBackground()
{
    m_levelJobs.cancel();
}

void RoomResultsService::levelsArrived(const QByteArray &key, const RoomLevels &levels)
{
    m_arrived.insert(key, levels);
    if (m_takeQueued)
        return;
    m_takeQueued = true;
    const qint64 since = m_sinceTake.isValid() ? m_sinceTake.elapsed() : TakeIntervalMs;
    QTimer::singleShot(std::max<qint64>(0, TakeIntervalMs - since), this, [this] {
        // A new project or completeLevels() may have taken them already.
        if (m_takeQueued)
            takeArrivedLevels();
    });
}

void RoomResultsService::takeArrivedLevels()
{
    m_sinceTake.start();
    m_takeQueued = false;
    QHash<QByteArray, RoomLevels> arrived;
    arrived.swap(m_arrived);
    applyLevels(arrived);
}

void RoomResultsService::applyLevels(const QHash<QByteArray, RoomLevels> &levels)
{
    if (levels.isEmpty())
        return;
    const auto store = [](RoomResults &results, const RoomLevels &figures) {
        results.lowestLevel = figures.lowest;
        results.requiredShare = figures.requiredShare;
        results.tooLoudShare = figures.tooLoudShare;
        // A level-mode room's fit is there from its results already.
        if (figures.fit.outcome != LevelFit::Outcome::None || results.fit.outcome == LevelFit::Outcome::None)
            results.fit = figures.fit;
        results.stiMean = figures.stiMean;
        results.stiShare = figures.stiShare;
        results.reverberation = figures.reverberation;
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
    emit levelsTaken(first, last);
    emit levelsProgressed();
}

bool RoomResultsService::levelsPending() const
{
    return std::any_of(m_results.begin(), m_results.end(),
                       [](const RoomResults &r) { return r.levelsPending; });
}

RoomResultsService::LevelProgress RoomResultsService::levelProgress() const
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

QString RoomResultsService::levelProgressLine() const
{
    const LevelProgress progress = levelProgress();
    if (progress.done >= progress.needed)
        return QString();
    return QStringLiteral("Расчет уровней: %1 из %2").arg(progress.done).arg(progress.needed);
}

void RoomResultsService::completeLevels(const std::function<void(int done, int total)> &progress)
{
    // Everything still pending is computed here, on every core and at the
    // caller's priority: the background stops, what it finished kept.
    m_levelJobs.deliverFinished();
    cancelBackground();
    m_levelJobs.waitForDone();
    takeArrivedLevels();
    std::vector<std::pair<QByteArray, const Room *>> todo;
    QSet<QByteArray> listed;
    for (std::size_t r = 0; r < m_results.size(); ++r) {
        if (m_results[r].levelsPending && !listed.contains(m_keys[r])) {
            listed.insert(m_keys[r]);
            todo.emplace_back(m_keys[r], &m_model.room(int(r)));
        }
    }
    std::vector<RoomLevels> computed(todo.size());
    QMutex reporting;
    int done = 0;
    inParallel(todo.size(), 0, [&](std::size_t i) {
        const Room &room = *todo[i].second;
        computed[i] = m_calculator.evaluateLevels(room.inputs, room.layout, surfacesOf(room), nullptr,
                                                  planChoice(room));
        if (progress) {
            const QMutexLocker lock(&reporting);
            progress(++done, int(todo.size()));
        }
    });
    QHash<QByteArray, RoomLevels> levels;
    for (std::size_t i = 0; i < todo.size(); ++i)
        levels.insert(todo[i].first, computed[i]);
    applyLevels(levels);
    m_levelsQueued.clear();
}

std::vector<ResultTexts> RoomResultsService::resultTexts() const
{
    const auto figure = [this](const RoomResults &r, double value) {
        return r.completed ? calc::formatGeneral(value, m_decimalPoint) : QString();
    };
    std::vector<ResultTexts> texts;
    texts.reserve(m_results.size());
    for (const RoomResults &r : m_results) {
        const QString covered
            = r.completed && r.covered ? calc::formatShare(*r.covered, m_decimalPoint) : QString();
        texts.push_back({figure(r, r.spl), figure(r, r.range), figure(r, r.coverArea), figure(r, r.count),
                         figure(r, r.power), covered, r.note});
    }
    return texts;
}

QString RoomResultsService::totalsLine() const
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
    QString rooms = stopped > 0
        ? QStringLiteral("Помещений: %1, не рассчитано: %2").arg(m_model.roomCount()).arg(stopped)
        : QStringLiteral("Помещений: %1").arg(m_model.roomCount());
    if (const int failing = failingCount(); failing > 0)
        rooms += QStringLiteral(", не выполнено: %1 %2").arg(failing).arg(roomsWord(failing));
    return QStringLiteral("%1. Громкоговорителей: %2. Суммарная мощность: %3 Вт")
        .arg(rooms, calc::formatGeneral(loudspeakers, m_decimalPoint),
             calc::formatGeneral(power, m_decimalPoint));
}

int RoomResultsService::failingCount() const
{
    const double share = m_model.project().targetShare;
    return int(std::count_if(m_results.begin(), m_results.end(),
                             [share](const RoomResults &r) { return meetsRules(r, share) == false; }));
}

int RoomResultsService::stoppedCount() const
{
    return int(
        std::count_if(m_results.begin(), m_results.end(), [](const RoomResults &r) { return !r.completed; }));
}

} // namespace project
