#include "custompaper/CFileCutTab.h"

#include "custompaper/CSuctionControls.h"
#include "custompaper/CustomFileRecord.h"

#include <QComboBox>
#include <QSlider>

namespace {

constexpr CSuctionControls::Texts kTexts{50023, 50024, 50025, 50026, 50140, 50150};
constexpr int kTop = 12;

} // namespace

CFileCutTab::CFileCutTab(QWidget* parent) : QWidget(parent) {
    resize(kWidth, kHeight);
    m_controls = new CSuctionControls(this, kFirstId, kTexts, kTop);
    const auto stored = [this](auto member) {
        return [this, member](int value) {
            if (!m_record) return;
            m_record->*member = value;
            if (!m_loading) emit Changed();
        };
    };
    m_controls->storeCut = stored(&CustomFileRecord::PaperCut);
    m_controls->storeRoller = stored(&CustomFileRecord::Roller);
    m_controls->storeSuction = stored(&CustomFileRecord::Paperdraw);
}

CFileCutTab::~CFileCutTab() = default;

void CFileCutTab::Bind(CustomFileRecord* record, bool load) {
    m_record = record;
    if (load && record) Load();
}

void CFileCutTab::Load() {
    if (!m_record) return;
    m_loading = true;
    m_controls->Show(m_record->PaperCut, m_record->Roller, m_record->Paperdraw);
    StoreShown();
    m_loading = false;
}

void CFileCutTab::StoreShown() {
    if (!m_record) return;
    if (m_controls->Cut() >= 0) m_record->PaperCut = m_controls->Cut();
    if (m_controls->Roller() >= 0) m_record->Roller = m_controls->Roller();
    m_record->Paperdraw = m_controls->SuctionLevel();
}

QComboBox* CFileCutTab::CutBox() const {
    return m_controls->CutBox();
}

QComboBox* CFileCutTab::RollerBox() const {
    return m_controls->RollerBox();
}

QSlider* CFileCutTab::SuctionSlider() const {
    return m_controls->Slider();
}

QWidget* CFileCutTab::FirstStop() const {
    return m_controls->CutBox();
}

QWidget* CFileCutTab::LastStop() const {
    return m_controls->Slider();
}
