#include "sampleprint/CSampleImageChoice.h"

#include "app/ControlHelpers.h"
#include "custompaper/AccessibleLabel.h"
#include "platform/FileDialogs.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

CSampleImageChoice::CSampleImageChoice(QWidget* dialog)
    : QObject(dialog), m_dialog(dialog), m_group(new QGroupBox(dialog)),
      m_standard(new QRadioButton(dialog)), m_user(new QRadioButton(dialog)),
      m_radios(new QButtonGroup(this)), m_fileLabel(new QLabel(dialog)),
      m_browse(new QPushButton(dialog)) {
    SetControlId(m_group, kGroupBox);
    SetControlId(m_standard, kStandardRadio);
    SetControlId(m_user, kUserRadio);
    SetControlId(m_fileLabel, kFileLabel);
    SetControlId(m_browse, kBrowseButton);
    m_fileLabel->setTextFormat(Qt::PlainText);
    m_fileLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_browse->setAutoDefault(false);
    m_radios->addButton(m_standard, kStandardRadio);
    m_radios->addButton(m_user, kUserRadio);
    connect(m_radios, &QButtonGroup::idToggled, this, [this] { EnableUserControls(); });
    connect(m_browse, &QPushButton::clicked, this, &CSampleImageChoice::Browse);
    EnableUserControls();
}

void CSampleImageChoice::Show(const ImageChoice& choice) {
    // An exclusive group keeps one radio checked; a dialog opened without
    // a record shows neither, until the operator picks one.
    m_radios->setExclusive(false);
    m_standard->setChecked(choice.radio == kStandardRadio);
    m_user->setChecked(choice.radio == kUserRadio);
    m_radios->setExclusive(true);
    m_userPath = QString::fromStdString(choice.userPath);
    m_fileLabel->setText(FileNamePart(m_userPath));
    EnableUserControls();
}

ImageChoice CSampleImageChoice::Choice() const {
    ImageChoice choice;
    choice.radio = m_standard->isChecked() ? kStandardRadio : m_user->isChecked() ? kUserRadio : 0;
    choice.userPath = m_userPath.toStdString();
    return choice;
}

QString CSampleImageChoice::FileNamePart(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.mid(slash + 1);
}

void CSampleImageChoice::Browse() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.filter = QString::fromLatin1(kBitmapFilter);
    const QString path = ChooseOpenFile(m_dialog, request);
    if (path.isEmpty()) return;
    m_userPath = path;
    m_fileLabel->setText(FileNamePart(path));
    m_fileLabel->setAccessibleDescription(path);
}

void CSampleImageChoice::NameControls() {
    m_group->setAccessibleName(AccessibleNameFromLabel(m_group->title()));
    NameControl(m_standard, m_standard->text());
    NameControl(m_user, m_user->text());
    NameControl(m_browse, m_browse->text());
    // The file label is read with the radio it belongs to.
    m_fileLabel->setAccessibleName(AccessibleNameFromLabel(m_user->text()));
}

void CSampleImageChoice::EnableUserControls() {
    const bool user = m_user->isChecked();
    m_browse->setEnabled(user);
    m_fileLabel->setEnabled(user);
}
