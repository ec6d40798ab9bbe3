#include "app/CDriverSettingsDialog.h"

#include "app/Artwork.h"
#include "app/ShellApp.h"
#include "platform/DocumentProperties.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

CDriverSettingsDialog::CDriverSettingsDialog(const std::string& printer, const QByteArray* block,
                                             QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QString::fromStdString(printer));
    setWindowIcon(Artwork::ProgramIcon());
    setFont(ShellApp::BaseFont());

    const auto options = DocumentProperties::ReadOptions(printer, block);
    if (!options) return;
    m_usable = true;

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    for (const DocumentProperties::Option& option : *options) {
        auto* box = new QComboBox(this);
        for (const DocumentProperties::Choice& choice : option.choices)
            box->addItem(QString::fromStdString(choice.text.empty() ? choice.keyword : choice.text),
                         QString::fromStdString(choice.keyword));
        int current = box->findData(QString::fromStdString(option.current));
        if (current < 0 && !option.current.empty()) {
            // A custom page size is in effect: keep it selectable as it is.
            box->addItem(QString::fromStdString(option.current), QString::fromStdString(option.current));
            current = box->count() - 1;
        }
        box->setCurrentIndex(current);
        const QString label = QString::fromStdString(option.text.empty() ? option.keyword : option.text);
        form->addRow(label + QLatin1Char(':'), box);
        m_rows.push_back({option.keyword, option.current, box});
    }
    auto* fields = new QWidget(this);
    fields->setLayout(form);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(fields);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    layout->addWidget(scroll);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(420, std::min(560, 90 + 32 * static_cast<int>(m_rows.size())));
}

std::vector<std::pair<std::string, std::string>> CDriverSettingsDialog::Changes() const {
    std::vector<std::pair<std::string, std::string>> changes;
    for (const Row& row : m_rows) {
        const std::string chosen = row.box->currentData().toString().toStdString();
        if (!chosen.empty() && chosen != row.initial) changes.emplace_back(row.keyword, chosen);
    }
    return changes;
}

QComboBox* CDriverSettingsDialog::OptionBox(const std::string& keyword) const {
    for (const Row& row : m_rows)
        if (row.keyword == keyword) return row.box;
    return nullptr;
}
