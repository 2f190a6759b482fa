#include "projectlines.h"

#include "calc/completedcalculation.h"
#include "calc/numberformat.h"

#include <QHash>
#include <QStringList>
#include <cmath>
#include <limits>
#include <map>

namespace project {

namespace {

// A share of a value within which it counts as the whole number next to
// it: the few units in the last place that a sum and a product may be off
// (55 m is 50 m with 10 %, not 56 m).
constexpr double RoundingTolerance = 16 * std::numeric_limits<double>::epsilon();

double roundUpTolerant(double value)
{
    return std::ceil(value - std::abs(value) * RoundingTolerance);
}

QHash<QString, int> lineIndexes(const Project &project)
{
    QHash<QString, int> indexes;
    for (std::size_t i = 0; i < project.lines.size(); ++i)
        indexes.insert(project.lines[i].name, int(i));
    return indexes;
}

} // namespace

std::vector<LineSummary> summariseLines(const Project &project, const std::vector<RoomResults> &results,
                                        const RoomCalculator &calculator, QChar decimalPoint)
{
    std::vector<LineSummary> summaries(project.lines.size());
    const QHash<QString, int> indexes = lineIndexes(project);
    for (std::size_t r = 0; r < project.rooms.size(); ++r) {
        const auto it = indexes.constFind(project.rooms[r].line);
        if (it == indexes.constEnd())
            continue;
        LineSummary &summary = summaries[std::size_t(*it)];
        ++summary.rooms;
        const RoomResults *room = r < results.size() ? &results[r] : nullptr;
        if (!room || !room->completed) {
            summary.complete = false;
            continue;
        }
        summary.count += room->loudspeakers();
        summary.power += room->power;
    }
    for (std::size_t i = 0; i < summaries.size(); ++i) {
        LineSummary &summary = summaries[i];
        if (summary.rooms == 0 || (summary.complete && summary.count <= 0.0)) {
            summary.verdict = NoLoudspeakers;
            continue;
        }
        if (!summary.complete) {
            summary.verdict = NoData;
            continue;
        }
        const Line &line = project.lines[i];
        LineLoad load;
        load.voltage = line.voltage;
        load.count = summary.count;
        load.power = summary.power / summary.count;
        load.firstLength = line.firstLength;
        load.lastLength = line.lastLength;
        load.section = line.section;
        load.allowedLoss = line.allowedLoss;
        load.headroom = line.headroom;
        summary.results = calculator.evaluateLine(load, decimalPoint);
        summary.verdict = summary.results.verdict;
    }
    return summaries;
}

bool lossOverLimit(const LineSummary &summary)
{
    return summary.results.computed && !summary.results.lossInNorm;
}

QString lineFailure(const LineSummary &summary)
{
    if (summary.results.computed)
        return summary.results.lossInNorm ? QString() : summary.verdict;
    return summary.verdict == NoLoudspeakers ? QString() : summary.verdict;
}

int roomsOnNoLine(const Project &project)
{
    const QHash<QString, int> indexes = lineIndexes(project);
    int count = 0;
    for (const Room &room : project.rooms) {
        if (!indexes.contains(room.line))
            ++count;
    }
    return count;
}

double cableMetres(const std::vector<double> &lengths, double allowance)
{
    double sum = 0.0;
    for (const double length : lengths)
        sum += length;
    return roundUpTolerant(sum * (1.0 + allowance / 100.0));
}

std::vector<EquipmentItem> equipmentList(const Project &project, const std::vector<RoomResults> &results,
                                         const std::vector<LineSummary> &lines, QChar decimalPoint)
{
    const double unknown = std::numeric_limits<double>::quiet_NaN();
    const QString pieces = QStringLiteral("шт.");
    std::vector<EquipmentItem> items;

    // Loudspeakers by model and mounting, as they first appear.
    QHash<QString, std::size_t> loudspeakerRows;
    for (std::size_t r = 0; r < project.rooms.size(); ++r) {
        const RoomResults room = r < results.size() ? results[r] : RoomResults{};
        const QString name
            = QStringLiteral("Громкоговоритель %1, %2")
                  .arg(project.rooms[r].inputs.model, calc::mountingWord(room.mounting).toLower());
        auto it = loudspeakerRows.constFind(name);
        if (it == loudspeakerRows.constEnd()) {
            it = loudspeakerRows.insert(name, items.size());
            items.push_back({name, 0.0, pieces});
        }
        items[*it].quantity += room.completed ? room.loudspeakers() : unknown;
    }

    // Cable by cross-section, the thinnest first; a line of no length or
    // section leaves its section's quantity unknown. The lines whose losses
    // are over the limit at their section are named in its row, in the
    // project's order, so that the cable is not ordered as if it served.
    std::map<double, std::vector<double>> lengths;
    std::map<double, QStringList> failing;
    for (std::size_t i = 0; i < project.lines.size(); ++i) {
        const Line &line = project.lines[i];
        const bool valid = std::isfinite(line.lastLength) && line.lastLength > 0.0 && line.section > 0.0;
        lengths[line.section].push_back(valid ? line.lastLength : unknown);
        if (i < lines.size() && lossOverLimit(lines[i]))
            failing[line.section] << line.name;
    }
    for (const auto &[section, sectionLengths] : lengths) {
        QString name
            = QStringLiteral("Кабель, сечение %1 мм²").arg(calc::formatGeneral(section, decimalPoint));
        if (const auto it = failing.find(section); it != failing.end())
            name += QStringLiteral(" (не проходит по потерям: линии %1)")
                        .arg(it->second.join(QStringLiteral(", ")));
        items.push_back({name, cableMetres(sectionLengths, project.cableAllowance), QStringLiteral("м")});
    }

    // An amplifier channel per line; a line that needs more than the
    // largest channel is to be split.
    for (std::size_t i = 0; i < project.lines.size(); ++i) {
        const QString &name = project.lines[i].name;
        const bool computed = i < lines.size() && lines[i].results.computed;
        QString text = computed
            ? QStringLiteral("Усилитель (канал) для линии %1, не менее %2 Вт")
                  .arg(name, lines[i].results.amplifierText)
            : QStringLiteral("Усилитель (канал) для линии %1, мощность: %2").arg(name, NoData);
        if (computed && lines[i].results.amplifierPower > LargestChannel)
            text += QStringLiteral(" (разделите линию на несколько каналов)");
        items.push_back({text, 1.0, pieces});
    }
    return items;
}

QString newLineName(const Project &project)
{
    const QHash<QString, int> indexes = lineIndexes(project);
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("Л%1").arg(n);
        if (!indexes.contains(name))
            return name;
    }
}

QString lineNameProblem(const Project &project, int index, const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("У линии должно быть имя");
    for (std::size_t i = 0; i < project.lines.size(); ++i) {
        if (int(i) != index && project.lines[i].name == name)
            return QStringLiteral("Линия «%1» уже есть").arg(name);
    }
    return QString();
}

} // namespace project
