#include "roomtable.h"

#include "calc/numberformat.h"
#include "widgets/rowmark.h"

#include <QColor>
#include <QGuiApplication>
#include <QIcon>
#include <algorithm>
#include <cmath>

namespace project {

namespace {

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

// A figure to two decimals, empty as tenths() is.
QString hundredths(const RoomRow &r, const std::optional<double> &value)
{
    return r.results.completed && value ? calc::formatFixed(*value, 2, r.decimalPoint) : QString();
}

// The room's typed reverberation time with the table's separator, or the
// one computed with the intelligibility map.
QString reverberationText(const RoomRow &r)
{
    if (!r.room.reverberation.isEmpty())
        return QString(r.room.reverberation).replace(u'.', r.decimalPoint);
    return levelFigure(r, r.results.reverberation, hundredths);
}

std::optional<double> reverberationNumber(const RoomRow &r)
{
    if (!r.room.reverberation.isEmpty())
        return reverberationSeconds(r.room.reverberation);
    return r.results.completed ? r.results.reverberation : std::nullopt;
}

// A number typed in a box, for sorting: its value when it is one.
std::optional<double> typedNumber(const QString &text)
{
    bool ok = false;
    const double value = QString(text).replace(u',', u'.').toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// Whether the room's plan fails the rules.
bool failing(const RoomRow &r)
{
    return meetsRules(r.results, r.targetShare) == false;
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
         [](const RoomRow &r) { return r.results.completed && r.results.planned ? std::optional<double>(*r.results.planned) : std::nullopt; },
         nullptr, false, false, true},
        {QStringLiteral("По уровню"),
         [](const RoomRow &r) { return r.results.levelsPending ? QStringLiteral("…") : fitText(r.results, r.decimalPoint); },
         [](const RoomRow &r) { return r.results.fit.outcome == LevelFit::Outcome::Fitted ? std::optional<double>(r.results.fit.count) : std::nullopt; },
         nullptr, false, true},
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
        {QStringLiteral("Проверка"),
         [](const RoomRow &r) { return verdictText(r.results, r.targetShare, r.decimalPoint); },
         nullptr, nullptr, false, true},
        {QStringLiteral("Пол"), [](const RoomRow &r) { return r.room.floorSurface; }, nullptr,
         &Room::floorSurface, false, false, false, true},
        {QStringLiteral("Стены"), [](const RoomRow &r) { return r.room.wallsSurface; }, nullptr,
         &Room::wallsSurface, false, false, false, true},
        {QStringLiteral("Потолок"), [](const RoomRow &r) { return r.room.ceilingSurface; }, nullptr,
         &Room::ceilingSurface, false, false, false, true},
        {QStringLiteral("Время реверберации, с"), reverberationText, reverberationNumber, &Room::reverberation,
         false, true},
        {QStringLiteral("STI, среднее"),
         [](const RoomRow &r) { return levelFigure(r, r.results.stiMean, hundredths); },
         [](const RoomRow &r) { return r.results.completed ? r.results.stiMean : std::nullopt; },
         nullptr, false, true},
        {QStringLiteral("STI не ниже 0,50, %"),
         [](const RoomRow &r) { return levelFigure(r, r.results.stiShare, share); },
         [](const RoomRow &r) { return r.results.completed ? r.results.stiShare : std::nullopt; },
         nullptr, false, true},
        {QStringLiteral("Замечание"), [](const RoomRow &r) { return r.results.note; }},
    };
    // clang-format on
    return columns;
}

RoomRow roomRow(const RoomResultsService &results, int row)
{
    return {row + 1, results.model().room(row), results.at(row), results.decimalPoint(),
            results.model().project().targetShare};
}

QString countChoiceText(const PlanCount &count)
{
    switch (count.kind) {
    case PlanCount::Kind::Calculated: return CalculatedCountText;
    case PlanCount::Kind::Level: return LevelCountText;
    case PlanCount::Kind::Fixed: break;
    }
    return QString::number(count.number);
}

std::optional<PlanCount> countFromText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == CalculatedCountText)
        return PlanCount{};
    if (trimmed == LevelCountText)
        return PlanCount{PlanCount::Kind::Level, 0};
    bool ok = false;
    const int number = trimmed.toInt(&ok);
    if (!ok || number < 1 || number > MaxPlanCount)
        return std::nullopt;
    return PlanCount::fixed(number);
}

QString roomCellText(const RoomResultsService &results, int row, int column)
{
    return roomColumns()[std::size_t(column)].text(roomRow(results, row));
}

RoomTable::RoomTable(const RoomResultsService &results, QObject *parent)
    : QAbstractTableModel(parent),
      m_model(results.model()),
      m_results(results)
{
    connect(&m_model, &ProjectModel::aboutToReset, this, &RoomTable::beginResetModel);
    connect(&m_model, &ProjectModel::reset, this, &RoomTable::endResetModel);
    connect(&m_model, &ProjectModel::roomAboutToBeAdded, this,
            [this](int row) { beginInsertRows(QModelIndex(), row, row); });
    connect(&m_model, &ProjectModel::roomAdded, this, [this](RoomId, int row) { roomAdded(row); });
    connect(&m_model, &ProjectModel::roomAboutToBeRemoved, this,
            [this](RoomId, int row) { beginRemoveRows(QModelIndex(), row, row); });
    connect(&m_model, &ProjectModel::roomRemoved, this, [this](RoomId, int row) { roomRemoved(row); });
    const auto rowChanged
        = [this](RoomId, int row) { emit dataChanged(index(row, 0), index(row, columnCount() - 1)); };
    connect(&m_model, &ProjectModel::roomInputsChanged, this, rowChanged);
    connect(&m_model, &ProjectModel::roomTextChanged, this, rowChanged);
    connect(&m_results, &RoomResultsService::levelsTaken, this, &RoomTable::levelsTaken);
    // The fits, the plans of rooms in level mode and the verdicts judge by
    // the share.
    connect(&m_model, &ProjectModel::targetShareChanged, this, [this] {
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    });
}

void RoomTable::roomAdded(int row)
{
    endInsertRows();
    // The numbers of the rooms below move on.
    if (row + 1 < rowCount())
        emit dataChanged(index(row + 1, 0), index(rowCount() - 1, 0));
}

void RoomTable::roomRemoved(int row)
{
    endRemoveRows();
    if (row < rowCount())
        emit dataChanged(index(row, 0), index(rowCount() - 1, 0));
}

void RoomTable::levelsTaken(int first, int last)
{
    // From the first level figure to the last, and the first column, whose
    // mark tells a plan that fails the rules.
    const auto &columns = roomColumns();
    int left = int(columns.size());
    int right = 0;
    for (int c = 0; c < int(columns.size()); ++c) {
        if (columns[std::size_t(c)].levelFigure) {
            left = std::min(left, c);
            right = c;
        }
    }
    emit dataChanged(index(first, 0), index(last, 0));
    emit dataChanged(index(first, left), index(last, right));
}

int RoomTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_model.roomCount();
}

int RoomTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(roomColumns().size());
}

QVariant RoomTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const RoomColumn &column = roomColumns()[std::size_t(index.column())];
    const RoomResults &results = m_results.at(index.row());
    switch (role) {
    case Qt::EditRole:
        if (column.countChoice)
            return countChoiceText(m_model.room(index.row()).count);
        return column.text(roomRow(m_results, index.row()));
    case Qt::DisplayRole: return column.text(roomRow(m_results, index.row()));
    case Qt::AccessibleTextRole: {
        const QString text = column.text(roomRow(m_results, index.row()));
        if (column.levelFigure && results.levelsPending && text == QStringLiteral("…"))
            return QStringLiteral("вычисляется");
        return text;
    }
    case SortRole: {
        const RoomRow r = roomRow(m_results, index.row());
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
        return index.column() == 0 && (!results.completed || failing(roomRow(m_results, index.row())))
            ? stoppedMark()
            : QVariant();
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        // A stopped room's reason on each of its cells, since "Замечание"
        // is far off to the right and cut off; a completed room's note on
        // that column's cell.
        if (!results.completed)
            return stopReason(results);
        // A plan that fails the rules says how on its number.
        if (index.column() == 0 && failing(roomRow(m_results, index.row())))
            return verdictText(results, m_model.project().targetShare, m_results.decimalPoint());
        if (role == Qt::ToolTipRole && column.caption == QStringLiteral("Замечание")
            && !results.note.isEmpty())
            return results.note;
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
    if (!index.isValid())
        return flags;
    const RoomColumn &column = roomColumns()[std::size_t(index.column())];
    // A grid fixes its own count.
    if (column.edited || (column.countChoice && m_results.at(index.row()).takesCount))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool RoomTable::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable))
        return false;
    QString text = value.toString();
    QString shown = data(index, Qt::EditRole).toString();
    // A typed time keeps a decimal point, as the room's typed numbers do;
    // the computed time left as it was shown is not typed.
    if (roomColumns()[std::size_t(index.column())].edited == &Room::reverberation) {
        text = text.trimmed().replace(u',', u'.');
        shown.replace(u',', u'.');
    }
    if (text == shown)
        return false;
    emit editRequested(idAt(index.row()), index.column(), text);
    return true;
}

} // namespace project
