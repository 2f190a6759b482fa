#include "coordinatemodel.h"

#include "calc/numberformat.h"
#include "plantexts.h"

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

} // namespace plan
