#include "sampleprint/CSampleDetailDialog.h"

#include "app/CPlotcareApp.h"
#include "app/ControlHelpers.h"
#include "comm/CPrinterLink.h"
#include "custompaper/AccessibleLabel.h"
#include "maintenance/ReadyWait.h"
#include "maintenance/SelectedMediaDriver.h"
#include "platform/MessagePresenter.h"
#include "sampleprint/CSampleImageChoice.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

CSampleDetailDialog::SetupHook& Hook() {
    static CSampleDetailDialog::SetupHook hook;
    return hook;
}

QPushButton* MakeButton(QWidget* parent, int id) {
    auto* button = new QPushButton(parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace

CSampleDetailDialog::CSampleDetailDialog(QWidget* parent, CPlotcareApp& app, const SampleRecord& record,
                                         const Form& form)
    : QDialog(parent), m_app(app), m_record(record), m_form(form),
      m_driverMedia(SelectedMediaDriver()->Media()) {
    setModal(true);
    setFont(app.BaseFont());
    setFixedSize(form.size);
}

CSampleDetailDialog::~CSampleDetailDialog() = default;

void CSampleDetailDialog::SetProcedureSetupHook(SetupHook hook) {
    Hook() = std::move(hook);
}

void CSampleDetailDialog::CreateCommonControls() {
    m_sampleButton = MakeButton(this, kSampleButton);
    m_imageChoice = new CSampleImageChoice(this);
    m_helpButton = MakeButton(this, kHelpButton);
    m_closeButton = MakeButton(this, kCloseButton);
    connect(m_sampleButton, &QPushButton::clicked, this, [this] { RunSamplePrint(); });
    connect(m_helpButton, &QPushButton::clicked, this, &CSampleDetailDialog::OpenHelp);
    connect(m_closeButton, &QPushButton::clicked, this, &CSampleDetailDialog::reject);
}

void CSampleDetailDialog::ApplyForm(const ControlRow* rows, int count) {
    ApplyControlRows(this, rows, count);
    setWindowTitle(m_app.GetText(m_form.captionText));
    m_imageChoice->Show(ReadImageChoice(m_app.ModelName().toStdString(), m_form.dialog, m_record));
    m_imageChoice->NameControls();
    for (QPushButton* button : {m_sampleButton, m_helpButton, m_closeButton})
        NameControl(button, button->text());
}

QLabel* CSampleDetailDialog::AddLabel(int id, Qt::Alignment align) {
    auto* label = new QLabel(this);
    SetControlId(label, id);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(align);
    return label;
}

TextLookup CSampleDetailDialog::Texts() const {
    CPlotcareApp* app = &m_app;
    return [app](int id) { return app->GetText(id).toStdString(); };
}

MediaNameLookup CSampleDetailDialog::MediaNames() const {
    const MediaTypeList::DriverMedia* media = &m_driverMedia;
    return [media](int id) {
        for (const auto& [mediaId, name] : *media)
            if (mediaId == id) return name;
        return std::string();
    };
}

CSampleProcedure::Outcome CSampleDetailDialog::RunSamplePrint() {
    if (m_running) return CSampleProcedure::Outcome::Nothing;
    RunningFlag running(m_running);
    const SamplePlan plan = BuildPlan();

    CSampleProcedure::Setup setup;
    setup.library = m_app.GetDriverSettingsLibrary();
    setup.printerName = m_app.GetPrinterName().toStdString();
    setup.portName = m_app.GetPortName().toStdString();
    setup.driverName = m_app.GetDriverName().toStdString();
    const QByteArray* devMode = m_app.GetDriverSettings();
    setup.devMode = devMode ? devMode->constData() : nullptr;
    setup.modelName = m_app.ModelName().toStdString();
    if (m_app.GetMode() != CPlotcareApp::kModeReview) {
        CBidiLibrary* bidi = m_app.GetBidiLibrary();
        const std::string printer = setup.printerName;
        setup.readyCheck = [this, bidi, printer] {
            CPrinterLink link(bidi);
            return WaitUntilReady(link, printer, true, this);
        };
    }
    if (Hook()) Hook()(setup);

    // Input to this dialog is dropped until the procedure ends; painting
    // and the busy dialog go on.
    qApp->installEventFilter(this);
    CSampleProcedure procedure(std::move(setup));
    const CSampleProcedure::Outcome outcome = procedure.Run(plan, m_imageChoice->Choice());
    qApp->removeEventFilter(this);

    if (const int text = CSampleProcedure::MessageText(outcome); text != 0)
        ShowMessage(m_app.GetText(text), MessageIcon::Warning, MessageButtons::Ok, this);
    return outcome;
}

bool CSampleDetailDialog::eventFilter(QObject* watched, QEvent* event) {
    if (m_running && watched->isWidgetType() && IsUserInput(event->type()) &&
        static_cast<QWidget*>(watched)->window() == this)
        return true;
    return QDialog::eventFilter(watched, event);
}

void CSampleDetailDialog::closeEvent(QCloseEvent* event) {
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CSampleDetailDialog::reject() {
    if (!m_running) QDialog::reject();
}

void CSampleDetailDialog::OpenHelp() {
    const bool file = m_record.file != nullptr;
    m_app.OpenManual(this, file ? m_form.fileHelpPage : m_form.slotHelpPage,
                     file ? m_form.fileHelpTopic : m_form.slotHelpTopic);
}

void CSampleDetailDialog::showEvent(QShowEvent* event) {
    CentreOverOwner();
    QDialog::showEvent(event);
}

void CSampleDetailDialog::CentreOverOwner() {
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner) return;
    const QPoint centre = owner->mapToGlobal(owner->rect().center());
    move(centre - QPoint(width() / 2, height() / 2));
}
