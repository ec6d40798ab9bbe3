#pragma once

#include <QStandardItemModel>
#include <functional>

// The item model of an owner-drawn combo box. An item's shown text comes
// from its own text, or, once a label source is set, from the source asked
// at the moment the text is needed (drawing, the selection field, assistive
// technology). Lists whose labels depend on data read later (slot names read
// from the printer) thus show the new labels without being rebuilt.
class CLabelSourceModel : public QStandardItemModel {
    Q_OBJECT
public:
    using LabelSource = std::function<QString(int row)>;

    explicit CLabelSourceModel(QObject* parent = nullptr) : QStandardItemModel(parent) {}

    // An empty source goes back to the items' own texts.
    void SetLabelSource(LabelSource source);
    // Tells the views that every label may have changed (repaint, new
    // accessible names).
    void LabelsChanged();

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    LabelSource m_source;
};
