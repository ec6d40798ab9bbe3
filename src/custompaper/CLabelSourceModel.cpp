#include "custompaper/CLabelSourceModel.h"

#include <utility>

void CLabelSourceModel::SetLabelSource(LabelSource source) {
    m_source = std::move(source);
    LabelsChanged();
}

void CLabelSourceModel::LabelsChanged() {
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DisplayRole});
}

QVariant CLabelSourceModel::data(const QModelIndex& index, int role) const {
    if (m_source && index.isValid() && (role == Qt::DisplayRole || role == Qt::EditRole))
        return m_source(index.row());
    return QStandardItemModel::data(index, role);
}
