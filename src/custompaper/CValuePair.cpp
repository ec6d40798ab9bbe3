#include "custompaper/CValuePair.h"

#include "app/ControlHelpers.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CDigitEdit.h"

#include <QLabel>
#include <QSlider>
#include <iterator>

namespace {

QLabel* MakeLabel(QWidget* parent, int id, Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    SetControlId(label, id);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

} // namespace

CValuePair::CValuePair(QWidget* tab, int firstId, int minimum, int maximum)
    : QObject(tab), m_rule(minimum, maximum), m_firstId(firstId) {
    m_name = MakeLabel(tab, firstId + kName, Qt::AlignLeft);
    MakeLabel(tab, firstId + kLeftEnd, Qt::AlignRight);
    m_slider = new QSlider(Qt::Horizontal, tab);
    SetControlId(m_slider, firstId + kSlider);
    m_slider->setRange(minimum, maximum);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(10);
    m_slider->setValue(0);
    m_slider->setFocusPolicy(Qt::StrongFocus);
    MakeLabel(tab, firstId + kRightEnd, Qt::AlignLeft);
    m_edit = new CDigitEdit(m_rule.TextRule(), tab);
    SetControlId(m_edit, firstId + kEdit);
    m_edit->setText(QStringLiteral("0"));
    MakeLabel(tab, firstId + kUnit, Qt::AlignLeft);

    // The box cleans its own text with the rule (and fills in "0" when it
    // is left empty); every text it then shows runs the pair's rule.
    connect(m_edit, &CDigitEdit::NumberTextChanged, this, &CValuePair::OnText);
    // Any move of the slider, by key, wheel or mouse, writes the box.
    connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        if (m_fromText) return;
        m_edit->setText(CValuePairRule::OnSlider(position));
    });
}

void CValuePair::Place(int top, int firstText) {
    const int bottom = top + kRowHeight;
    const ControlRow rows[] = {
        {m_firstId + kName, {10, top, 160, bottom}, firstText},
        {m_firstId + kLeftEnd, {162, top, 194, bottom}, firstText + 1},
        {m_firstId + kSlider, {198, top, 338, bottom}, -1},
        {m_firstId + kRightEnd, {342, top, 372, bottom}, firstText + 2},
        {m_firstId + kEdit, {376, top + 1, 420, bottom - 1}, -1},
        {m_firstId + kUnit, {424, top, 480, bottom}, firstText + 3},
    };
    auto* tab = static_cast<QWidget*>(parent());
    ApplyControlRows(tab, rows, static_cast<int>(std::size(rows)));
    NameControls();
}

void CValuePair::Load(int value) {
    const QString text = QString::number(value);
    if (m_edit->text() == text)
        OnText(text); // setText would not report an unchanged text
    else
        m_edit->setText(text);
}

int CValuePair::Value() const {
    return m_slider->value();
}

void CValuePair::NameControls() {
    const QString name = AccessibleNameFromLabel(m_name->text());
    m_slider->setAccessibleName(name);
    m_edit->SetAccessibleLabel(m_name);
}

QWidget* CValuePair::FirstStop() const {
    return m_slider;
}

QWidget* CValuePair::LastStop() const {
    return m_edit;
}

void CValuePair::OnText(const QString& text) {
    const CValuePairRule::TextChange change = m_rule.OnText(text);
    m_fromText = true;
    m_slider->setValue(change.slider);
    m_fromText = false;
    if (change.store && m_store) m_store(*change.store);
}
