#include "custompaper/CFileQualityTab.h"

#include "app/CPlotcareApp.h"
#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/COwnerDrawCombo.h"
#include "custompaper/CValuePair.h"
#include "custompaper/CustomFileRecord.h"

#include <QLabel>
#include <QPushButton>
#include <iterator>

namespace {

using Tab = CFileQualityTab;

constexpr int kModeText = 50010;
constexpr int kModeItems = 50160; // modes 1..4: 50160..50163
constexpr int kModeCount = 4;
constexpr int kDefaultMode = 2;
constexpr int kModeDetailText = 50104;
constexpr int kDensityText = 50011; // 50011..50014
constexpr int kDensityDetailText = 50105;
constexpr int kForwardText = 50015; // 50015..50018
constexpr int kForwardDetailText = 50106;
constexpr int kDrytimeText = 50019; // 50019..50022

constexpr int kModeTop = 10;
constexpr int kDensityTop = 48;
constexpr int kForwardTop = 84;
constexpr int kDrytimeTop = 120;

QPushButton* MakeButton(QWidget* parent, int id) {
    auto* button = new QPushButton(parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

ControlRow DetailRow(int id, int top, int text) {
    return {id,
            {CValuePair::kDetailLeft, top, CValuePair::kDetailRight, top + CValuePair::kRowHeight},
            text};
}

// "Detail..." thrice: each button is named after its row.
void NameDetail(QPushButton* button, const QString& rowName) {
    button->setAccessibleName(AccessibleNameFromLabel(rowName) + QStringLiteral(" ") +
                              AccessibleNameFromLabel(button->text()));
}

} // namespace

CFileQualityTab::CFileQualityTab(QWidget* parent) : QWidget(parent) {
    resize(kWidth, kHeight);
    // Created in focus order, row by row.
    auto* modeLabel = new QLabel(this);
    SetControlId(modeLabel, kModeLabel);
    modeLabel->setTextFormat(Qt::PlainText);
    modeLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_mode = new COwnerDrawCombo(this);
    SetControlId(m_mode, kModeBox);
    m_modeDetail = MakeButton(this, kModeDetail);
    m_density = new CValuePair(this, kDensityBase, -50, 50);
    m_densityDetail = MakeButton(this, kDensityDetail);
    m_forward = new CValuePair(this, kForwardBase, -70, 70);
    m_forwardDetail = MakeButton(this, kForwardDetail);
    m_drytime = new CValuePair(this, kDrytimeBase, 0, 50);

    const ControlRow rows[] = {
        {kModeLabel, {10, kModeTop, 160, kModeTop + 22}, kModeText},
        {kModeBox, {166, kModeTop, 420, kModeTop + 22}, -1},
        DetailRow(kModeDetail, kModeTop - 1, kModeDetailText),
        DetailRow(kDensityDetail, kDensityTop, kDensityDetailText),
        DetailRow(kForwardDetail, kForwardTop, kForwardDetailText),
    };
    ApplyControlRows(this, rows, static_cast<int>(std::size(rows)));
    m_density->Place(kDensityTop, kDensityText);
    m_forward->Place(kForwardTop, kForwardText);
    m_drytime->Place(kDrytimeTop, kDrytimeText);
    m_mode->SetAccessibleLabel(modeLabel);
    NameDetail(m_modeDetail, modeLabel->text());
    NameDetail(m_densityDetail, m_density->NameLabel()->text());
    NameDetail(m_forwardDetail, m_forward->NameLabel()->text());

    // The box starts with all four modes, the first selected.
    for (int mode = 1; mode <= kModeCount; ++mode)
        m_mode->AddItem(ShellApp::Text(kModeItems + mode - 1), static_cast<std::uint32_t>(mode));
    m_mode->SetSelection(0);

    setTabOrder(m_mode, m_modeDetail);
    setTabOrder(m_modeDetail, m_density->FirstStop());
    setTabOrder(m_density->FirstStop(), m_density->LastStop());
    setTabOrder(m_density->LastStop(), m_densityDetail);
    setTabOrder(m_densityDetail, m_forward->FirstStop());
    setTabOrder(m_forward->FirstStop(), m_forward->LastStop());
    setTabOrder(m_forward->LastStop(), m_forwardDetail);
    setTabOrder(m_forwardDetail, m_drytime->FirstStop());
    setTabOrder(m_drytime->FirstStop(), m_drytime->LastStop());

    const auto stored = [this](auto member) {
        return [this, member](int value) {
            if (!m_record) return;
            m_record->*member = value;
            if (!m_loading) emit Changed();
        };
    };
    m_density->SetStore(stored(&CustomFileRecord::Density));
    m_forward->SetStore(stored(&CustomFileRecord::Forward));
    m_drytime->SetStore(stored(&CustomFileRecord::Drytime));
    connect(m_mode, &COwnerDrawCombo::SelectionPicked, this,
            [this, store = stored(&CustomFileRecord::Mode)](int index) {
                const int mode = m_mode->ItemValue(index);
                if (mode != COwnerDrawCombo::kError) store(mode);
            });
    connect(m_modeDetail, &QPushButton::clicked, this,
            [this] { emit DetailRequested(DetailKind::PrintQuality); });
    connect(m_densityDetail, &QPushButton::clicked, this,
            [this] { emit DetailRequested(DetailKind::ColorDensity); });
    connect(m_forwardDetail, &QPushButton::clicked, this,
            [this] { emit DetailRequested(DetailKind::PaperFeed); });
}

CFileQualityTab::~CFileQualityTab() = default;

const CMediaTable* CFileQualityTab::MediaTable() const {
    if (m_media) return m_media;
    const CPlotcareApp* app = CPlotcareApp::Current();
    return app ? app->GetMediaTable() : nullptr;
}

void CFileQualityTab::Bind(CustomFileRecord* record, bool load) {
    m_record = record;
    if (load && record) Load();
}

void CFileQualityTab::Load() {
    if (!m_record) return;
    m_loading = true;
    const CustomFileRecord shown = *m_record;
    RebuildModes(shown.MediaId);
    const int item = m_mode->FindValue(shown.Mode);
    m_mode->SetSelection(item == COwnerDrawCombo::kError ? 0 : item);
    m_density->Load(shown.Density);
    m_forward->Load(shown.Forward);
    m_drytime->Load(shown.Drytime);
    const int mode = m_mode->SelectedValue();
    if (mode != COwnerDrawCombo::kError) m_record->Mode = mode;
    m_loading = false;
}

void CFileQualityTab::RebuildModes(int mediaId) {
    m_mode->ResetContent();
    const CMediaTable* media = MediaTable();
    int preferred = COwnerDrawCombo::kError;
    for (int mode = 1; mode <= kModeCount; ++mode) {
        if (!media || media->ModeMw(mediaId, mode) == -1) continue;
        const int item = m_mode->AddItem(ShellApp::Text(kModeItems + mode - 1),
                                         static_cast<std::uint32_t>(mode));
        if (mode == kDefaultMode) preferred = item;
    }
    m_mode->SetSelection(preferred != COwnerDrawCombo::kError ? preferred : 0);
}

void CFileQualityTab::EnableDetail(bool on) {
    for (QPushButton* button : {m_modeDetail, m_densityDetail, m_forwardDetail})
        button->setEnabled(on);
}

QPushButton* CFileQualityTab::DetailButton(DetailKind kind) const {
    switch (kind) {
    case DetailKind::PrintQuality:
        return m_modeDetail;
    case DetailKind::ColorDensity:
        return m_densityDetail;
    case DetailKind::PaperFeed:
        return m_forwardDetail;
    }
    return nullptr;
}

QWidget* CFileQualityTab::FirstStop() const {
    return m_mode;
}

QWidget* CFileQualityTab::LastStop() const {
    return m_drytime->LastStop();
}
