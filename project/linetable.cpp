#include "linetable.h"

#include "projectmodel.h"
#include "roomresults.h"
#include "validation.h"

#include "calc/numberformat.h"
#include "calc/textrules.h"
#include "widgets/rowmark.h"

#include <cmath>

namespace project {

namespace {

QString general(const LineRow &r, double value)
{
    return calc::formatGeneral(value, r.decimalPoint);
}

// The loudspeakers of a line with rooms that were all computed.
bool countKnown(const LineRow &r)
{
    return r.summary.rooms > 0 && r.summary.complete;
}

bool computed(const LineRow &r)
{
    return countKnown(r) && r.summary.results.computed;
}

std::optional<double> figure(const LineRow &r, double value)
{
    return computed(r) ? std::optional<double>(value) : std::nullopt;
}

// The caption of the column that edits a line's figure.
QString captionOf(double Line::*field)
{
    for (const LineColumn &column : lineColumns()) {
        if (column.field == field)
            return column.caption;
    }
    return QString();
}

// "Значение «Сечение, мм²» должно быть больше 0 и не больше 1000".
QString lineProblemText(const LineProblem &problem)
{
    QString reason = problem.reason;
    if (problem.other)
        reason += QStringLiteral(" значения «%1»").arg(captionOf(problem.other));
    return valueProblemText(captionOf(problem.field), reason);
}

} // namespace

std::optional<double> readTypedNumber(QStringView text)
{
    if (!calc::isLocaleNumber(text, u'.') && !calc::isLocaleNumber(text, u','))
        return std::nullopt;
    const double value = calc::leadingValue(text.toString().replace(u',', u'.'));
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

const std::vector<LineColumn> &lineColumns()
{
    using Edit = LineColumn::Edit;
    // clang-format off
    static const std::vector<LineColumn> columns{
        {QStringLiteral("Линия"), [](const LineRow &r) { return r.line.name; }, nullptr, Edit::Name},
        {QStringLiteral("Напряжение, В"), [](const LineRow &r) { return general(r, r.line.voltage); },
         [](const LineRow &r) { return std::optional<double>(r.line.voltage); }, Edit::Voltage, &Line::voltage},
        {QStringLiteral("Длина до первого, м"), [](const LineRow &r) { return general(r, r.line.firstLength); },
         [](const LineRow &r) { return std::optional<double>(r.line.firstLength); }, Edit::Number,
         &Line::firstLength},
        {QStringLiteral("Длина до последнего, м"), [](const LineRow &r) { return general(r, r.line.lastLength); },
         [](const LineRow &r) { return std::optional<double>(r.line.lastLength); }, Edit::Number,
         &Line::lastLength},
        {QStringLiteral("Сечение, мм²"), [](const LineRow &r) { return general(r, r.line.section); },
         [](const LineRow &r) { return std::optional<double>(r.line.section); }, Edit::Number, &Line::section},
        {QStringLiteral("Допустимые потери, дБ"), [](const LineRow &r) { return general(r, r.line.allowedLoss); },
         [](const LineRow &r) { return std::optional<double>(r.line.allowedLoss); }, Edit::Number,
         &Line::allowedLoss},
        {QStringLiteral("Запас мощности, %"), [](const LineRow &r) { return general(r, r.line.headroom); },
         [](const LineRow &r) { return std::optional<double>(r.line.headroom); }, Edit::Number, &Line::headroom},
        {QStringLiteral("Громкоговорителей"),
         [](const LineRow &r) { return countKnown(r) ? general(r, r.summary.count) : QString(); },
         [](const LineRow &r) { return countKnown(r) ? std::optional<double>(r.summary.count) : std::nullopt; }},
        {QStringLiteral("Мощность, Вт"),
         [](const LineRow &r) { return computed(r) ? r.summary.results.totalPowerText : QString(); },
         [](const LineRow &r) { return figure(r, r.summary.results.totalPower); }},
        {QStringLiteral("Потери, дБ"),
         [](const LineRow &r) { return computed(r) ? r.summary.results.lossText : QString(); },
         [](const LineRow &r) { return figure(r, r.summary.results.lossAtLast); }},
        {QStringLiteral("Наименьшее сечение, мм²"),
         [](const LineRow &r) { return computed(r) ? r.summary.results.leastSectionText : QString(); },
         [](const LineRow &r) { return computed(r) ? r.summary.results.leastSection : std::nullopt; }},
        {QStringLiteral("Наибольшая длина, м"),
         [](const LineRow &r) { return computed(r) ? r.summary.results.longestLineText : QString(); },
         [](const LineRow &r) { return figure(r, r.summary.results.longestLine); }},
        {QStringLiteral("Усилитель, не менее, Вт"),
         [](const LineRow &r) { return computed(r) ? r.summary.results.amplifierText : QString(); },
         [](const LineRow &r) { return figure(r, r.summary.results.amplifierPower); }},
        {QStringLiteral("Вывод"), [](const LineRow &r) { return r.summary.verdict; }},
    };
    // clang-format on
    return columns;
}

const std::vector<EquipmentColumn> &equipmentColumns()
{
    // clang-format off
    static const std::vector<EquipmentColumn> columns{
        {QStringLiteral("№"), [](const EquipmentRow &r) { return QString::number(r.number); },
         [](const EquipmentRow &r) { return std::optional<double>(r.number); }},
        {QStringLiteral("Наименование"), [](const EquipmentRow &r) { return r.item.name; }},
        {QStringLiteral("Количество"),
         [](const EquipmentRow &r) {
             return std::isfinite(r.item.quantity) ? calc::formatGeneral(r.item.quantity, r.decimalPoint) : NoData;
         },
         [](const EquipmentRow &r) {
             return std::isfinite(r.item.quantity) ? std::optional<double>(r.item.quantity) : std::nullopt;
         }},
        {QStringLiteral("Ед. изм."), [](const EquipmentRow &r) { return r.item.unit; }},
    };
    // clang-format on
    return columns;
}

LineTable::LineTable(const RoomResultsService &results, QObject *parent)
    : QAbstractTableModel(parent),
      m_model(results.model()),
      m_results(results)
{
    connect(&m_model, &ProjectModel::changed, this, &LineTable::recompute);
    recompute();
}

void LineTable::recompute()
{
    const Project &project = m_model.project();
    std::vector<LineSummary> summaries
        = summariseLines(project, m_results.all(), m_results.calculator(), m_results.decimalPoint());
    const bool sameRows = summaries.size() == m_summaries.size();
    if (!sameRows)
        beginResetModel();
    m_summaries = std::move(summaries);
    m_equipment = equipmentList(project, m_results.all(), m_summaries, m_results.decimalPoint());
    m_roomsOnNoLine = project::roomsOnNoLine(project);
    if (!sameRows)
        endResetModel();
    else if (!m_summaries.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    emit figuresChanged();
}

QString LineTable::noLineText() const
{
    return QStringLiteral("Помещений без линии: %1").arg(m_roomsOnNoLine);
}

LineRow LineTable::row(int r) const
{
    return {r + 1, m_model.project().lines[std::size_t(r)], m_summaries[std::size_t(r)],
            m_results.decimalPoint()};
}

QString LineTable::cellText(int r, int column) const
{
    return lineColumns()[std::size_t(column)].text(row(r));
}

int LineTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_summaries.size());
}

int LineTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(lineColumns().size());
}

QVariant LineTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()
        || std::size_t(index.row()) >= m_model.project().lines.size())
        return {};
    const LineColumn &column = lineColumns()[std::size_t(index.column())];
    // A line whose losses are over the limit, whose inputs are out of range
    // or that could not be computed is marked in its first column, the
    // verdict its tool tip and description: "Вывод" is often cut off.
    const QString reason
        = index.column() == 0 ? lineFailure(m_summaries[std::size_t(index.row())]) : QString();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::AccessibleTextRole: return column.text(row(index.row()));
    case Qt::TextAlignmentRole:
        return column.number ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::DecorationRole: return reason.isEmpty() ? QVariant() : QVariant(rowmark::failureMark());
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: return reason.isEmpty() ? QVariant() : QVariant(reason);
    default: return {};
    }
}

QVariant LineTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return lineColumns()[std::size_t(section)].caption;
    return {};
}

Qt::ItemFlags LineTable::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && lineColumns()[std::size_t(index.column())].edit != LineColumn::Edit::None)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool LineTable::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount())
        return false;
    const LineColumn &column = lineColumns()[std::size_t(index.column())];
    const QString text = value.toString();
    if (column.edit == LineColumn::Edit::None || text == cellText(index.row(), index.column()))
        return false;
    Line line = m_model.project().lines[std::size_t(index.row())];
    if (column.edit == LineColumn::Edit::Name) {
        line.name = text;
    } else {
        const std::optional<double> number = readTypedNumber(text);
        if (!number) {
            emit editRefused(QStringLiteral("«%1»: введите число").arg(text));
            return false;
        }
        line.*column.field = *number;
        if (const std::optional<LineProblem> problem = lineProblem(line)) {
            emit editRefused(lineProblemText(*problem));
            return false;
        }
    }
    emit editRequested(index.row(), line);
    return true;
}

EquipmentTable::EquipmentTable(const LineTable &lines, QChar decimalPoint, QObject *parent)
    : QAbstractTableModel(parent),
      m_lines(lines),
      m_decimalPoint(decimalPoint)
{
    connect(&lines, &LineTable::figuresChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

QString EquipmentTable::cellText(int row, int column) const
{
    return equipmentColumns()[std::size_t(column)].text(
        {row + 1, m_lines.equipment()[std::size_t(row)], m_decimalPoint});
}

int EquipmentTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.equipment().size());
}

int EquipmentTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(equipmentColumns().size());
}

QVariant EquipmentTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return equipmentColumns()[std::size_t(index.column())].number
            ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
            : QVariant();
    default: return {};
    }
}

QVariant EquipmentTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return equipmentColumns()[std::size_t(section)].caption;
    return {};
}

} // namespace project
