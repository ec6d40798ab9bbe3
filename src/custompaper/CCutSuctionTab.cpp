#include "custompaper/CCutSuctionTab.h"

#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CSuctionControls.h"
#include "custompaper/CValuePairRule.h"
#include "custompaper/CustomPaperSlot.h"

#include <QComboBox>
#include <QLabel>
#include <QSlider>

namespace {

constexpr CSuctionControls::Texts kTexts{30017, 30018, 30019, 30020, 30140, 30150};
constexpr int kThreeWayText = 30025;
constexpr int kThreeWayItems = 30160; // 30160..30162
constexpr int kThreeWayCount = 3;
constexpr int kTop = 12;

} // namespace

CCutSuctionTab::CCutSuctionTab(QWidget* parent) : QWidget(parent) {
    resize(kWidth, kHeight);
    m_controls = new CSuctionControls(this, kFirstId, kTexts, kTop);
    auto* label = new QLabel(this);
    SetControlId(label, kThreeWayLabel);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_threeWay = new QComboBox(this);
    SetControlId(m_threeWay, kThreeWayBox);
    const int top = m_controls->Bottom() + 8;
    const ControlRow rows[] = {
        {kThreeWayLabel, {10, top, 160, top + 22}, kThreeWayText},
        {kThreeWayBox, {166, top, 400, top + 22}, -1},
    };
    ApplyControlRows(this, rows, 2);
    for (int i = 0; i < kThreeWayCount; ++i)
        m_threeWay->addItem(ShellApp::Text(kThreeWayItems + i));
    m_threeWay->setCurrentIndex(0);
    NameControl(m_threeWay, label);
    setTabOrder(m_controls->Slider(), m_threeWay);

    const auto stored = [this](auto member) {
        return [this, member](int value) {
            if (!m_record) return;
            m_record->*member = value;
            if (!m_loading) emit Changed();
        };
    };
    m_controls->storeCut = stored(&CustomPaperSlot::PaperCut);
    m_controls->storeRoller = stored(&CustomPaperSlot::Roller);
    m_controls->storeSuction = stored(&CustomPaperSlot::Paperdraw);
    connect(m_threeWay, &QComboBox::currentIndexChanged, this,
            [store = stored(&CustomPaperSlot::ThreeWay)](int index) {
                if (index >= 0) store(index);
            });
}

CCutSuctionTab::~CCutSuctionTab() = default;

void CCutSuctionTab::Bind(CustomPaperSlot* record, bool load) {
    m_record = record;
    if (load && record) Load();
}

void CCutSuctionTab::Load() {
    if (!m_record) return;
    m_loading = true;
    m_controls->Show(m_record->PaperCut, m_record->Roller, m_record->Paperdraw);
    const int threeWay = CValuePairRule::ChoiceIndex(m_record->ThreeWay);
    m_threeWay->setCurrentIndex(threeWay < m_threeWay->count() ? threeWay : -1);
    // The record takes back what the controls show: a suction level beyond
    // the slider's end becomes the end.
    StoreShown();
    m_loading = false;
}

void CCutSuctionTab::StoreShown() {
    if (!m_record) return;
    if (m_controls->Cut() >= 0) m_record->PaperCut = m_controls->Cut();
    if (m_controls->Roller() >= 0) m_record->Roller = m_controls->Roller();
    m_record->Paperdraw = m_controls->SuctionLevel();
    if (m_threeWay->currentIndex() >= 0) m_record->ThreeWay = m_threeWay->currentIndex();
}

QComboBox* CCutSuctionTab::CutBox() const {
    return m_controls->CutBox();
}

QComboBox* CCutSuctionTab::RollerBox() const {
    return m_controls->RollerBox();
}

QSlider* CCutSuctionTab::SuctionSlider() const {
    return m_controls->Slider();
}

QWidget* CCutSuctionTab::FirstStop() const {
    return m_controls->CutBox();
}

QWidget* CCutSuctionTab::LastStop() const {
    return m_threeWay;
}
