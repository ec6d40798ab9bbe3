#include "custompaper/CSaveCustomFileDialog.h"

#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CCustomFile.h"
#include "custompaper/CCustomFileSave.h"
#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomFileSavePath.h"
#include "platform/FileDialogs.h"
#include "platform/MessagePresenter.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <iterator>

namespace {

using Dialog = CSaveCustomFileDialog;

constexpr int kFileText = 50601;
constexpr int kNameText = 50602;
constexpr int kOkText = 50650;
constexpr int kCancelText = 50651;
constexpr int kBrowseText = 50652;

constexpr ControlRow kRows[] = {
    {Dialog::kFileLabel, {12, 14, 120, 36}, kFileText},
    {Dialog::kFileName, {126, 14, 318, 36}, -1},
    {Dialog::kBrowse, {324, 13, 408, 37}, kBrowseText},
    {Dialog::kNameLabel, {12, 48, 120, 70}, kNameText},
    {Dialog::kName, {126, 48, 318, 70}, -1},
    {Dialog::kOk, {228, 96, 314, 120}, kOkText},
    {Dialog::kCancel, {322, 96, 408, 120}, kCancelText},
};

QLabel* MakeLabel(QWidget* parent, int id) {
    auto* label = new QLabel(parent);
    SetControlId(label, id);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QPushButton* MakeButton(QWidget* parent, int id) {
    auto* button = new QPushButton(parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

CCustomFileSave Logic() {
    return CCustomFileSave(ShellApp::SelectedDriver());
}

} // namespace

CSaveCustomFileDialog::CSaveCustomFileDialog(const QString& path, CustomFileRecord* record,
                                             QWidget* owner)
    : QDialog(owner), m_path(path), m_record(record) {
    setWindowTitle(ShellApp::Text(kTitle));
    setFont(ShellApp::BaseFont());
    setFixedSize(kWidth, kHeight);

    // Created in focus order: Browse, name, OK, Cancel.
    auto* fileLabel = MakeLabel(this, kFileLabel);
    m_fileName = MakeLabel(this, kFileName);
    m_fileName->setFrameShape(QFrame::StyledPanel);
    m_fileName->setFrameShadow(QFrame::Sunken);
    m_browse = MakeButton(this, kBrowse);
    auto* nameLabel = MakeLabel(this, kNameLabel);
    m_name = new QLineEdit(this);
    SetControlId(m_name, kName);
    m_name->setMaxLength(CCustomFile::kNameLength);
    m_ok = MakeButton(this, kOk);
    m_ok->setDefault(true);
    m_cancel = MakeButton(this, kCancel);
    ApplyControlRows(this, kRows, static_cast<int>(std::size(kRows)));

    m_fileName->setAccessibleName(AccessibleNameFromLabel(fileLabel->text()));
    NameControl(m_name, nameLabel);
    for (QPushButton* button : {m_browse, m_ok, m_cancel})
        button->setAccessibleName(AccessibleNameFromLabel(button->text()));

    connect(m_browse, &QPushButton::clicked, this, &Dialog::RunBrowse);
    connect(m_name, &QLineEdit::textChanged, this, &Dialog::EnableOk);
    connect(m_ok, &QPushButton::clicked, this, &Dialog::RunOk);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    ShowPath();
    if (m_record) m_name->setText(QString::fromStdString(m_record->CustomName));
    EnableOk();
}

CSaveCustomFileDialog::~CSaveCustomFileDialog() = default;

void CSaveCustomFileDialog::ShowPath() {
    // The file's name without its folder; the whole path as a tip.
    const QString name = QFileInfo(m_path).fileName();
    m_fileName->setText(m_fileName->fontMetrics().elidedText(
        name.isEmpty() ? m_path : name, Qt::ElideMiddle, m_fileName->contentsRect().width() - 4));
    m_fileName->setToolTip(m_path);
    m_fileName->setAccessibleDescription(m_path);
}

void CSaveCustomFileDialog::EnableOk() {
    m_ok->setEnabled(!m_path.isEmpty() && CCustomFileSave::NameGiven(m_name->text().toStdString()));
}

void CSaveCustomFileDialog::RunBrowse() {
    if (m_running) return;
    RunningFlag running(m_running);
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.caption = windowTitle();
    request.filter = QString::fromLatin1(CCustomFile::kFileFilter);
    request.defaultExtension = QString::fromLatin1(CCustomFile::kExtension);
    request.initialFolder =
        QString::fromStdString(ReadSavePath(ShellApp::ModelName().toStdString()));
    if (!m_path.isEmpty()) request.initialName = m_path;
    const QString chosen = ChooseSaveFile(this, request);
    if (chosen.isEmpty()) return;
    const QString path = QFileInfo(chosen).absoluteFilePath();
    if (!Logic().MayChoose(path.toStdString())) {
        ShowMessage(ShellApp::Text(CCustomFileSave::kTextNotCustomFile), MessageIcon::Warning,
                    MessageButtons::Ok, this);
        return;
    }
    m_path = path;
    ShowPath();
    EnableOk();
}

void CSaveCustomFileDialog::RunOk() {
    if (m_running) return;
    RunningFlag running(m_running);
    const auto confirm = [this](int) {
        return ShowMessage(ShellApp::Text(CCustomFileSave::kTextOverwrite), MessageIcon::Warning,
                           MessageButtons::YesNo, this) == MessageAnswer::Yes;
    };
    CCustomFileSave::Result result;
    {
        const WaitCursorScope cursor;
        result = Logic().Save(
            m_path.toStdString(), m_name->text().toStdString(), m_record,
            [&](int entry) {
                ShowWaitCursor(false);
                const bool yes = confirm(entry);
                ShowWaitCursor(true);
                return yes;
            },
            m_writeOptions);
    }
    if (const int text = CCustomFileSave::MessageFor(result.outcome))
        ShowMessage(ShellApp::Text(text), MessageIcon::Warning, MessageButtons::Ok, this);
    if (result.outcome != CCustomFileSave::Outcome::Saved) return;
    WriteSavePath(ShellApp::ModelName().toStdString(), m_path.toStdString());
    accept();
}
