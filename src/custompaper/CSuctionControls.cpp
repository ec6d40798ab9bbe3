#include "custompaper/CSuctionControls.h"

#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CValuePairRule.h"

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <vector>

namespace {

// Columns of the tab: labels, then the boxes and the slider.
constexpr int kLabelLeft = 10;
constexpr int kLabelRight = 160;
constexpr int kBoxLeft = 166;
constexpr int kBoxRight = 400;
constexpr int kRowHeight = 22;
constexpr int kRowStep = 32;
// The slider's ticks sit 60 pixels apart; each tick label is centred on its
// tick and as wide as the step.
constexpr int kTickStep = 60;
constexpr int kSliderMargin = 30; // room for half a tick label on each side

QLabel* MakeLabel(QWidget* parent, int id, Qt::Alignment alignment = Qt::AlignLeft) {
    auto* label = new QLabel(parent);
    SetControlId(label, id);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

QComboBox* MakeBox(QWidget* parent, int id) {
    auto* box = new QComboBox(parent);
    SetControlId(box, id);
    return box;
}

} // namespace

CSuctionControls::CSuctionControls(QWidget* tab, int firstId, const Texts& texts, int top)
    : QObject(tab) {
    // Created in focus order: cut box, roller box, slider.
    auto* cutLabel = MakeLabel(tab, firstId + kCutLabel);
    m_cut = MakeBox(tab, firstId + kCutBox);
    auto* rollerLabel = MakeLabel(tab, firstId + kRollerLabel);
    m_roller = MakeBox(tab, firstId + kRollerBox);
    auto* suctionLabel = MakeLabel(tab, firstId + kSuctionLabel);
    m_slider = new QSlider(Qt::Horizontal, tab);
    SetControlId(m_slider, firstId + kSuctionSlider);
    m_slider->setRange(0, CValuePairRule::kSuctionPositions - 1);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(1);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setTickInterval(1);
    m_slider->setFocusPolicy(Qt::StrongFocus);
    for (int i = 0; i < CValuePairRule::kSuctionPositions; ++i)
        MakeLabel(tab, firstId + kFirstTick + i, Qt::AlignHCenter);

    const int roller = top + kRowStep;
    const int suction = roller + kRowStep;
    // The slider spans the tick labels' centres plus half a handle on each
    // side, so that each position's handle stands over its label.
    const int handle = m_slider->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, m_slider);
    const int firstCentre = kBoxLeft + kSliderMargin;
    const int lastCentre = firstCentre + kTickStep * (CValuePairRule::kSuctionPositions - 1);
    const int sliderLeft = firstCentre - handle / 2;
    const int sliderRight = lastCentre + (handle + 1) / 2;
    const int ticksTop = suction + 26;
    m_bottom = ticksTop + 18;
    std::vector<ControlRow> rows = {
        {firstId + kCutLabel, {kLabelLeft, top, kLabelRight, top + kRowHeight}, texts.cutLabel},
        {firstId + kCutBox, {kBoxLeft, top, kBoxRight, top + kRowHeight}, -1},
        {firstId + kRollerLabel,
         {kLabelLeft, roller, kLabelRight, roller + kRowHeight},
         texts.rollerLabel},
        {firstId + kRollerBox, {kBoxLeft, roller, kBoxRight, roller + kRowHeight}, -1},
        {firstId + kSuctionLabel,
         {kLabelLeft, suction, kLabelRight, suction + kRowHeight},
         texts.suctionLabel},
        {firstId + kSuctionSlider, {sliderLeft, suction, sliderRight, suction + 26}, -1},
    };
    for (int i = 0; i < CValuePairRule::kSuctionPositions; ++i) {
        const int centre = kBoxLeft + kSliderMargin + i * kTickStep;
        rows.push_back({firstId + kFirstTick + i,
                        {centre - kTickStep / 2, ticksTop, centre + kTickStep / 2, m_bottom},
                        texts.firstTick + i});
    }
    ApplyControlRows(tab, rows.data(), static_cast<int>(rows.size()));

    // The cut box lists its items in the order the operator reads them,
    // which is not the order of their text ids; item index = stored value.
    for (int offset : {0, 3, 1, 2})
        m_cut->addItem(ShellApp::Text(texts.cutItems + offset));
    for (int offset = 0; offset < 4; ++offset)
        m_roller->addItem(ShellApp::Text(texts.rollerItems + offset));
    m_cut->setCurrentIndex(0);
    m_roller->setCurrentIndex(0);

    NameControl(m_cut, cutLabel);
    NameControl(m_roller, rollerLabel);
    NameControl(m_slider, suctionLabel);

    connect(m_cut, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_showing && index >= 0 && storeCut) storeCut(index);
    });
    connect(m_roller, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_showing && index >= 0 && storeRoller) storeRoller(index);
    });
    // The level is taken when the operator lets go of the slider; a move by
    // key or wheel has nothing to let go of and is taken at once.
    connect(m_slider, &QSlider::sliderReleased, this, [this] {
        if (!m_showing && storeSuction) storeSuction(SuctionLevel());
    });
    connect(m_slider, &QSlider::valueChanged, this, [this] {
        if (!m_showing && !m_slider->isSliderDown() && storeSuction) storeSuction(SuctionLevel());
    });
}

void CSuctionControls::Show(int cut, int roller, int suctionLevel) {
    m_showing = true;
    m_cut->setCurrentIndex(
        CValuePairRule::ChoiceIndex(cut) < m_cut->count() ? CValuePairRule::ChoiceIndex(cut) : -1);
    m_roller->setCurrentIndex(CValuePairRule::ChoiceIndex(roller) < m_roller->count()
                                  ? CValuePairRule::ChoiceIndex(roller)
                                  : -1);
    m_slider->setValue(CValuePairRule::SuctionPosition(suctionLevel));
    m_showing = false;
}

int CSuctionControls::Cut() const {
    return m_cut->currentIndex();
}

int CSuctionControls::Roller() const {
    return m_roller->currentIndex();
}

int CSuctionControls::SuctionLevel() const {
    return CValuePairRule::SuctionLevel(m_slider->value());
}
