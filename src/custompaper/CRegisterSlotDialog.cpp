#include "custompaper/CRegisterSlotDialog.h"

#include "app/CPlotcareApp.h"
#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "comm/CPrinterLink.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CRegisterSlot.h"
#include "custompaper/CustomPaperSlot.h"
#include "maintenance/ReadyWait.h"
#include "platform/MessagePresenter.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <iterator>

namespace {

using Dialog = CRegisterSlotDialog;

constexpr int kTitleText = 30600;
constexpr int kDestinationText = 30601;
constexpr int kNameText = 30602;
constexpr int kOkText = 30650;
constexpr int kCancelText = 30651;

constexpr ControlRow kRows[] = {
    {Dialog::kDestinationLabel, {12, 14, 140, 36}, kDestinationText},
    {Dialog::kDestination, {146, 14, 388, 36}, -1},
    {Dialog::kNameLabel, {12, 48, 140, 70}, kNameText},
    {Dialog::kName, {146, 48, 388, 70}, -1},
    {Dialog::kOk, {208, 96, 294, 120}, kOkText},
    {Dialog::kCancel, {302, 96, 388, 120}, kCancelText},
};

QLabel* MakeLabel(QWidget* parent, int id) {
    auto* label = new QLabel(parent);
    SetControlId(label, id);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

} // namespace

CRegisterSlotDialog::CRegisterSlotDialog(CCustomPaperTable& table, QWidget* owner)
    : QDialog(owner), m_table(table) {
    setWindowTitle(ShellApp::Text(kTitleText));
    setFont(ShellApp::BaseFont());
    setFixedSize(kWidth, kHeight);

    // Created in focus order.
    auto* destinationLabel = MakeLabel(this, kDestinationLabel);
    m_destination = new QComboBox(this);
    SetControlId(m_destination, kDestination);
    auto* nameLabel = MakeLabel(this, kNameLabel);
    m_name = new QLineEdit(this);
    SetControlId(m_name, kName);
    m_name->setMaxLength(CustomPaperSlot::kNameLength);
    m_ok = new QPushButton(this);
    SetControlId(m_ok, kOk);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    SetControlId(m_cancel, kCancel);
    m_cancel->setAutoDefault(false);
    ApplyControlRows(this, kRows, static_cast<int>(std::size(kRows)));

    NameControl(m_destination, destinationLabel);
    NameControl(m_name, nameLabel);
    for (QPushButton* button : {m_ok, m_cancel})
        button->setAccessibleName(AccessibleNameFromLabel(button->text()));

    for (int slot = 1; slot <= CRegisterSlot::kSlotCount; ++slot)
        m_destination->addItem(QStringLiteral("#%1").arg(slot));

    connect(m_destination, &QComboBox::currentIndexChanged, this, &Dialog::OnDestination);
    connect(m_name, &QLineEdit::textChanged, this, &Dialog::OnName);
    connect(m_ok, &QPushButton::clicked, this, &Dialog::RunOk);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    const int initial = CRegisterSlot(m_table).InitialDestination();
    if (m_destination->currentIndex() == initial)
        OnDestination(initial);
    else
        m_destination->setCurrentIndex(initial);
    OnName();
}

CRegisterSlotDialog::~CRegisterSlotDialog() = default;

void CRegisterSlotDialog::OnDestination(int index) {
    if (const auto name = CRegisterSlot(m_table).NameFor(index))
        m_name->setText(QString::fromStdString(*name));
    OnName();
}

void CRegisterSlotDialog::OnName() {
    m_ok->setEnabled(CRegisterSlot::OkEnabled(m_name->text().toStdString()));
}

void CRegisterSlotDialog::RunOk() {
    if (m_running) return;
    RunningFlag running(m_running);
    const std::string printer = ShellApp::SelectedPrinter();
    CPrinterLink link(ShellApp::BidiLibrary());
    const CRegisterSlot logic(m_table);
    CRegisterSlot::Steps steps;
    steps.review = ShellApp::Mode() == CPlotcareApp::kModeReview;
    steps.ready = [&] { return WaitUntilReady(link, printer, true, this) == 1; };
    steps.confirmOverwrite = [this] {
        return ShowMessage(ShellApp::Text(CRegisterSlot::kTextOverwrite), MessageIcon::Warning,
                           MessageButtons::YesNo, this) == MessageAnswer::Yes;
    };
    const auto write = logic.TableWrite(printer);
    steps.write = [&](int index, const std::string& name) {
        const WaitCursorScope cursor;
        return write(index, name);
    };
    const int destination = m_destination->currentIndex();
    const CRegisterSlot::Outcome outcome =
        logic.Register(destination, m_name->text().toStdString(), steps);
    const CRegisterSlot::Message message = CRegisterSlot::MessageFor(outcome);
    if (message.text != 0)
        ShowMessage(ShellApp::Text(message.text),
                    message.information ? MessageIcon::Information : MessageIcon::Warning,
                    MessageButtons::Ok, this);
    if (outcome != CRegisterSlot::Outcome::Written) return;
    m_written = destination;
    accept();
}
