#include "custompaper/CGreyCheckList.h"

#include "custompaper/AccessibleLabel.h"
#include "custompaper/CGreyCheckItemDelegate.h"

CGreyCheckList::CGreyCheckList(QWidget* parent)
    : QListWidget(parent), m_delegate(new CGreyCheckItemDelegate(this)) {
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_delegate, &CGreyCheckItemDelegate::CheckToggled, this, &CGreyCheckList::CheckToggled);
}

int CGreyCheckList::AddItem(const QString& text, std::uint32_t data) {
    auto* entry = new QListWidgetItem(text);
    entry->setData(Qt::UserRole, QVariant::fromValue<uint>(data));
    entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    entry->setCheckState(Qt::Unchecked);
    addItem(entry);
    return count() - 1;
}

void CGreyCheckList::ResetContent() {
    clear();
}

QString CGreyCheckList::ItemText(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry ? entry->text() : QString();
}

std::uint32_t CGreyCheckList::ItemData(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry ? entry->data(Qt::UserRole).toUInt() : kNoData;
}

int CGreyCheckList::EnableItem(int index, bool enabled) {
    QListWidgetItem* entry = item(index);
    if (!entry) return kError;
    // A greyed item stays enabled for the view, so it can be current, and
    // only loses its check box.
    const Qt::ItemFlags flags = entry->flags();
    entry->setFlags(enabled ? flags | Qt::ItemIsUserCheckable : flags & ~Qt::ItemIsUserCheckable);
    return 0;
}

bool CGreyCheckList::IsItemEnabled(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry && (entry->flags() & Qt::ItemIsUserCheckable);
}

int CGreyCheckList::SetCheck(int index, bool checked) {
    QListWidgetItem* entry = item(index);
    if (!entry) return kError;
    entry->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return 0;
}

bool CGreyCheckList::IsChecked(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry && entry->checkState() == Qt::Checked;
}

int CGreyCheckList::CheckedCount() const {
    int ticked = 0;
    for (int i = 0; i < count(); ++i)
        ticked += IsChecked(i) ? 1 : 0;
    return ticked;
}

int CGreyCheckList::Selection() const {
    return currentRow() < 0 ? kError : currentRow();
}

int CGreyCheckList::SetSelection(int index) {
    if (index < 0 || index >= count()) {
        setCurrentRow(-1);
        return kError;
    }
    setCurrentRow(index);
    return index;
}

void CGreyCheckList::SetAccessibleLabel(const QString& labelText) {
    NameControl(this, labelText);
}

void CGreyCheckList::SetAccessibleLabel(QLabel* label) {
    NameControl(this, label);
}
