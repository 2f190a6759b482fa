#include "coordinatemodel.h"

#include "calc/numberformat.h"
#include "plantexts.h"

#include <QSet>
#include <algorithm>

namespace plan {

void CoordinateModel::setScene(std::shared_ptr<const PlanScene> scene)
{
    beginResetModel();
    m_scene = std::move(scene);
    endResetModel();
}

int CoordinateModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_scene)
        return 0;
    return int(m_scene->layout.placements.size());
}

int CoordinateModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant CoordinateModel::data(const QModelIndex &index, int role) const
{
    if (!m_scene || !index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return QVariant();
    const QPointF at = m_scene->layout.placements[std::size_t(index.row())].position;
    const QChar point = m_scene->figures.decimalPoint;
    switch (index.column()) {
    case 0: return QString::number(index.row() + 1);
    case 1: return calc::formatFixed(at.x(), 2, point);
    case 2: return calc::formatFixed(at.y(), 2, point);
    default: return QVariant();
    }
}

QVariant CoordinateModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case 0: return text::Number;
    case 1: return text::X;
    case 2: return text::Y;
    default: return QVariant();
    }
}

QString cellsAsText(const QAbstractItemModel &model, const QModelIndexList &cells)
{
    if (cells.isEmpty())
        return QString();
    QList<int> rows;
    QList<int> columns;
    QSet<quint64> chosen;
    for (const QModelIndex &cell : cells) {
        rows << cell.row();
        columns << cell.column();
        chosen.insert(quint64(cell.row()) << 32 | quint32(cell.column()));
    }
    const auto sortUnique = [](QList<int> &list) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    };
    sortUnique(rows);
    sortUnique(columns);

    QStringList header;
    for (int column : columns)
        header << model.headerData(column, Qt::Horizontal).toString();
    QString text = header.join(u'\t') + u'\n';
    for (int row : rows) {
        QStringList line;
        for (int column : columns) {
            const bool isChosen = chosen.contains(quint64(row) << 32 | quint32(column));
            line << (isChosen ? model.index(row, column).data().toString() : QString());
        }
        text += line.join(u'\t') + u'\n';
    }
    return text;
}

} // namespace plan
