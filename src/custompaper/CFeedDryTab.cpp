#include "custompaper/CFeedDryTab.h"

#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CValuePair.h"
#include "custompaper/CustomPaperSlot.h"
#include "platform/MessagePresenter.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kForwardText = 30009; // name, ends and unit: 30009..30012
constexpr int kDrytimeText = 30013; // 30013..30016
constexpr int kDetailText = 30103;

constexpr int kForwardTop = 24;
constexpr int kDrytimeTop = 72;

} // namespace

CFeedDryTab::CFeedDryTab(QWidget* parent) : QWidget(parent) {
    resize(kWidth, kHeight);
    // Created in focus order: feed slider, feed box, Detail, drying time.
    m_forward = new CValuePair(this, kForwardBase, -70, 70);
    m_detail = new QPushButton(this);
    SetControlId(m_detail, kDetailButton);
    m_detail->setAutoDefault(false);
    m_drytime = new CValuePair(this, kDrytimeBase, 0, 50);

    m_forward->Place(kForwardTop, kForwardText);
    m_drytime->Place(kDrytimeTop, kDrytimeText);
    const ControlRow detail = {kDetailButton,
                               {CValuePair::kDetailLeft, kForwardTop, CValuePair::kDetailRight,
                                kForwardTop + CValuePair::kRowHeight},
                               kDetailText};
    ApplyControlRows(this, &detail, 1);
    // Several buttons read "Detail...": the name says which.
    m_detail->setAccessibleName(AccessibleNameFromLabel(m_forward->NameLabel()->text()) +
                                QStringLiteral(" ") + AccessibleNameFromLabel(m_detail->text()));

    setTabOrder(m_forward->FirstStop(), m_forward->LastStop());
    setTabOrder(m_forward->LastStop(), m_detail);
    setTabOrder(m_detail, m_drytime->FirstStop());
    setTabOrder(m_drytime->FirstStop(), m_drytime->LastStop());

    m_forward->SetStore([this](int value) {
        if (!m_record) return;
        m_record->Forward = value;
        if (!m_loading) emit Changed();
    });
    m_drytime->SetStore([this](int value) {
        if (!m_record) return;
        m_record->Drytime = value;
        if (!m_loading) emit Changed();
    });
    connect(m_detail, &QPushButton::clicked, this, &CFeedDryTab::OnDetail);
}

CFeedDryTab::~CFeedDryTab() = default;

void CFeedDryTab::Bind(CustomPaperSlot* record, bool load) {
    m_record = record;
    if (load && record) Load();
}

void CFeedDryTab::Load() {
    if (!m_record) return;
    m_loading = true;
    // Both values are read before either box runs its rule.
    const int forward = m_record->Forward;
    const int drytime = m_record->Drytime;
    m_forward->Load(forward);
    m_drytime->Load(drytime);
    m_loading = false;
}

void CFeedDryTab::StoreShown() {
    if (!m_record) return;
    m_record->Forward = m_forward->Value();
    m_record->Drytime = m_drytime->Value();
}

void CFeedDryTab::EnableDetail(bool on) {
    m_detail->setEnabled(on);
}

QWidget* CFeedDryTab::FirstStop() const {
    return m_forward->FirstStop();
}

QWidget* CFeedDryTab::LastStop() const {
    return m_drytime->LastStop();
}

void CFeedDryTab::OnDetail() {
    if (m_mediaCheck && !m_mediaCheck()) {
        ShowMessage(ShellApp::Text(kTextMediaFirst), MessageIcon::Warning, MessageButtons::Ok,
                    window());
        return;
    }
    emit DetailRequested(DetailKind::PaperFeed);
}
