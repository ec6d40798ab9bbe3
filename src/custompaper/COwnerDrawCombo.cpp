#include "custompaper/COwnerDrawCombo.h"

#include "custompaper/AccessibleLabel.h"
#include "custompaper/CLabelSourceModel.h"
#include "custompaper/CMarkedItemDelegate.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStylePainter>
#include <utility>

COwnerDrawCombo::COwnerDrawCombo(QWidget* parent) : QComboBox(parent) {
    setModel(new CLabelSourceModel(this));
    setItemDelegate(new CMarkedItemDelegate(kItemHeight, this));
    // The list's own filter confirms whatever item is current when the
    // mouse is released; this one, installed later, runs first and keeps a
    // click on a marked item from confirming anything.
    view()->viewport()->installEventFilter(this);
    connect(model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { SyncFlags(first, last); });
    connect(model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                SyncFlags(topLeft.row(), bottomRight.row());
            });
    connect(this, &QComboBox::activated, this, &COwnerDrawCombo::OnActivated);
}

int COwnerDrawCombo::AddItem(const QString& text, std::uint32_t data) {
    return InsertItem(-1, text, data);
}

int COwnerDrawCombo::InsertItem(int index, const QString& text, std::uint32_t data) {
    if (index < 0 || index > count()) index = count();
    insertItem(index, text, QVariant::fromValue<uint>(data));
    return index;
}

int COwnerDrawCombo::DeleteItem(int index) {
    if (index < 0 || index >= count()) return kError;
    removeItem(index);
    return count();
}

void COwnerDrawCombo::ResetContent() {
    clear();
    m_remembered = 0;
}

QString COwnerDrawCombo::ItemText(int index) const {
    return index >= 0 && index < count() ? itemText(index) : QString();
}

std::uint32_t COwnerDrawCombo::ItemData(int index) const {
    if (index < 0 || index >= count()) return kNoData;
    return itemData(index).toUInt();
}

int COwnerDrawCombo::SetItemData(int index, std::uint32_t data) {
    if (index < 0 || index >= count()) return kError;
    setItemData(index, QVariant::fromValue<uint>(data));
    return 0;
}

int COwnerDrawCombo::ItemValue(int index) const {
    if (index < 0 || index >= count()) return kError;
    return static_cast<int>(ItemMark::ValueOf(ItemData(index)));
}

int COwnerDrawCombo::SetItemMark(int index, std::uint32_t mark) {
    if (index < 0 || index >= count()) return kError;
    return SetItemData(index, ItemMark::WithMark(ItemData(index), mark));
}

bool COwnerDrawCombo::IsItemMarked(int index) const {
    return index >= 0 && index < count() && ItemMark::IsMarked(ItemData(index));
}

int COwnerDrawCombo::FindValue(int value, int start) const {
    for (int i = std::max(start, 0); i < count(); ++i)
        if (ItemValue(i) == value) return i;
    return kError;
}

int COwnerDrawCombo::Selection() const {
    return currentIndex() < 0 ? kError : currentIndex();
}

int COwnerDrawCombo::SetSelection(int index) {
    if (index < 0 || index >= count()) {
        setCurrentIndex(-1);
        return kError;
    }
    setCurrentIndex(index);
    return index;
}

int COwnerDrawCombo::SelectedValue() const {
    return ItemValue(currentIndex());
}

void COwnerDrawCombo::SetLabelSource(LabelSource source) {
    if (auto* labels = qobject_cast<CLabelSourceModel*>(model()))
        labels->SetLabelSource(std::move(source));
    update();
}

void COwnerDrawCombo::LabelsChanged() {
    if (auto* labels = qobject_cast<CLabelSourceModel*>(model())) labels->LabelsChanged();
    update();
}

void COwnerDrawCombo::SetAccessibleLabel(const QString& labelText) {
    NameControl(this, labelText);
}

void COwnerDrawCombo::SetAccessibleLabel(QLabel* label) {
    NameControl(this, label);
}

void COwnerDrawCombo::showPopup() {
    m_remembered = currentIndex();
    QComboBox::showPopup();
}

void COwnerDrawCombo::keyPressEvent(QKeyEvent* event) {
    m_remembered = currentIndex();
    QComboBox::keyPressEvent(event);
}

void COwnerDrawCombo::wheelEvent(QWheelEvent* event) {
    m_remembered = currentIndex();
    QComboBox::wheelEvent(event);
}

void COwnerDrawCombo::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (IsItemMarked(currentIndex())) {
        // Styles write the label with the pen or with the button text colour.
        const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
        option.palette.setColor(QPalette::ButtonText, grey);
        option.palette.setColor(QPalette::Text, grey);
        painter.setPen(grey);
    }
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

bool COwnerDrawCombo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view()->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QModelIndex index = view()->indexAt(mouse->position().toPoint());
            if (index.isValid() && IsItemMarked(index.row())) return true;
            break;
        }
        default:
            break;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void COwnerDrawCombo::OnActivated(int index) {
    if (IsItemMarked(index)) {
        // A marked item never stays the operator's choice.
        SetSelection(m_remembered);
        return;
    }
    if (index != m_remembered) emit SelectionPicked(index);
}

void COwnerDrawCombo::SyncFlags(int first, int last) {
    auto* items = qobject_cast<QStandardItemModel*>(model());
    if (!items) return;
    constexpr Qt::ItemFlags kChoosable = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    for (int row = std::max(first, 0); row <= last && row < count(); ++row) {
        QStandardItem* item = items->item(row, modelColumn());
        if (!item) continue;
        const Qt::ItemFlags flags = item->flags();
        const Qt::ItemFlags wanted = IsItemMarked(row) ? flags & ~kChoosable : flags | kChoosable;
        if (wanted != flags) item->setFlags(wanted);
    }
}
