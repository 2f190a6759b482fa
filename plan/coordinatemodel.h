#pragma once

#include "planscene.h"

#include <QAbstractTableModel>
#include <memory>

namespace plan {

// The loudspeakers' coordinates for the table "Координаты": their number,
// X and Y in metres to two decimals in the user's separator.
class CoordinateModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setScene(std::shared_ptr<const PlanScene> scene);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<const PlanScene> m_scene;
};

} // namespace plan
