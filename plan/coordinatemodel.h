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

// The cells as a spreadsheet takes them from the clipboard: a header row
// with the captions of the columns that hold a cell, then each row that
// holds one, its cells as shown, tab between cells and a line feed after
// every row; a cell not among them is left empty.
QString cellsAsText(const QAbstractItemModel &model, const QModelIndexList &cells);

} // namespace plan
