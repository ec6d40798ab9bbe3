#include "custompaper/CPaperEditPage.h"

#include "app/CMainWindow.h"
#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CDigitEdit.h"
#include "custompaper/COwnerDrawCombo.h"
#include "custompaper/CPaperSettingsChoice.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <vector>

namespace {

using Page = CPaperEditPage;

// Rows 30 pixels apart; the file page's file row pushes the rest down.
constexpr int kFileRow = 30;
constexpr int kTabHeight = 200;

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

} // namespace

CPaperEditPage::CPaperEditPage(int index, CMainWindow* mainWindow, const Texts& texts,
                               QWidget* firstTab, QWidget* secondTab)
    : CPage(index, mainWindow) {
    const bool fileRow = texts.fileLabel >= 0;
    const int dy = fileRow ? kFileRow : 0;
    const int tabTop = 134 + dy;
    resize(kWidth, tabTop + kTabHeight + 42);
    setFont(ShellApp::BaseFont());

    // Created in focus order.
    QLabel* fileLabel = nullptr;
    if (fileRow) {
        fileLabel = MakeLabel(this, kFileLabel);
        m_fileName = MakeLabel(this, kFileName);
        m_fileName->setFrameShape(QFrame::StyledPanel);
        m_fileName->setFocusPolicy(Qt::NoFocus);
        m_browse = MakeButton(this, kBrowseButton);
    }
    QLabel* nameLabel = MakeLabel(this, kNameLabel);
    m_name = new COwnerDrawCombo(this);
    SetControlId(m_name, kNameSelector);
    QLabel* mediaLabel = MakeLabel(this, kMediaLabel);
    m_media = new COwnerDrawCombo(this);
    SetControlId(m_media, kMediaList);
    m_mediaDetail = MakeButton(this, kMediaDetail);
    QLabel* thicknessLabel = MakeLabel(this, kThicknessLabel);
    // Digits only, 1..16, empty allowed: emptying it is how the operator
    // asks for the platen gap to be chosen afresh.
    m_thickness = new CDigitEdit(CNumberTextRule(CPaperSettingsChoice::kThicknessMin,
                                                 CPaperSettingsChoice::kThicknessMax, true,
                                                 CNumberTextRule::LeavingEmpty::StayEmpty),
                                 this);
    SetControlId(m_thickness, kThicknessEdit);
    QLabel* unit = MakeLabel(this, kThicknessUnit);
    m_pattern = MakeButton(this, kPatternButton);
    QLabel* platenLabel = MakeLabel(this, kPlatenLabel);
    m_platen = new QComboBox(this);
    SetControlId(m_platen, kPlatenList);
    m_tabs = new QTabWidget(this);
    SetControlId(m_tabs, kTabControl);
    m_tabs->addTab(firstTab, ShellApp::Text(texts.firstTab));
    m_tabs->addTab(secondTab, ShellApp::Text(texts.secondTab));
    m_save = MakeButton(this, kSaveButton);
    m_help = MakeButton(this, kHelpButton);

    std::vector<ControlRow> rows = {
        {kNameLabel, {20, 14 + dy, 150, 32 + dy}, texts.nameLabel},
        {kNameSelector, {160, 12 + dy, 460, 34 + dy}, -1},
        {kMediaLabel, {20, 44 + dy, 150, 62 + dy}, texts.mediaLabel},
        {kMediaList, {160, 42 + dy, 460, 64 + dy}, -1},
        {kMediaDetail, {470, 42 + dy, 585, 64 + dy}, texts.mediaDetail},
        {kThicknessLabel, {20, 74 + dy, 150, 92 + dy}, texts.thicknessLabel},
        {kThicknessEdit, {160, 72 + dy, 210, 94 + dy}, -1},
        {kThicknessUnit, {216, 74 + dy, 300, 92 + dy}, texts.thicknessUnit},
        {kPatternButton, {410, 72 + dy, 585, 94 + dy}, texts.pattern},
        {kPlatenLabel, {20, 104 + dy, 150, 122 + dy}, texts.platenLabel},
        {kPlatenList, {160, 102 + dy, 460, 124 + dy}, -1},
        {kTabControl, {15, tabTop, 585, tabTop + kTabHeight}, -1},
        {kSaveButton, {470, tabTop + kTabHeight + 10, 585, tabTop + kTabHeight + 32}, texts.save},
        {kHelpButton, {11, tabTop + kTabHeight + 10, 124, tabTop + kTabHeight + 32}, texts.help},
    };
    if (fileRow) {
        rows.push_back({kFileLabel, {20, 14, 150, 32}, texts.fileLabel});
        rows.push_back({kFileName, {160, 12, 460, 34}, -1});
        rows.push_back({kBrowseButton, {470, 12, 585, 34}, texts.browse});
    }
    ApplyControlRows(this, rows.data(), static_cast<int>(rows.size()));

    // Names for assistive tools: boxes and the edit after their labels,
    // buttons after their texts.
    m_name->SetAccessibleLabel(nameLabel);
    m_media->SetAccessibleLabel(mediaLabel);
    NameControl(m_thickness, thicknessLabel);
    m_thickness->setAccessibleName(m_thickness->accessibleName() + QLatin1Char(' ') +
                                   AccessibleNameFromLabel(unit->text()));
    NameControl(m_platen, platenLabel);
    m_tabs->setAccessibleName(AccessibleNameFromLabel(ShellApp::Text(texts.firstTab)) +
                              QStringLiteral(", ") +
                              AccessibleNameFromLabel(ShellApp::Text(texts.secondTab)));
    m_tabs->tabBar()->setAccessibleName(m_tabs->accessibleName());
    m_mediaDetail->setAccessibleName(AccessibleNameFromLabel(mediaLabel->text()) +
                                     QLatin1Char(' ') +
                                     AccessibleNameFromLabel(m_mediaDetail->text()));
    for (QPushButton* button : {m_pattern, m_save, m_help})
        button->setAccessibleName(AccessibleNameFromLabel(button->text()));
    if (fileRow) {
        m_browse->setAccessibleName(AccessibleNameFromLabel(m_browse->text()));
        m_fileName->setAccessibleName(AccessibleNameFromLabel(fileLabel->text()));
    }

    // Focus order: the rows top to bottom, into the visible tab, then Save
    // and Help.
    QList<QWidget*> chain;
    if (fileRow) chain << m_browse;
    chain << m_name << m_media << m_mediaDetail << m_thickness << m_pattern << m_platen << m_tabs
          << m_save << m_help;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    connect(m_name, &COwnerDrawCombo::SelectionPicked, this, [this](int i) { OnNamePicked(i); });
    connect(m_media, &COwnerDrawCombo::SelectionPicked, this, [this](int i) { OnMediaPicked(i); });
    connect(m_thickness, &QLineEdit::textEdited, this, [this] { OnThicknessTyped(); });
    connect(m_platen, &QComboBox::activated, this, [this](int i) { OnPlatenPicked(i); });
    connect(m_mediaDetail, &QPushButton::clicked, this, [this] { OnMediaDetail(); });
    connect(m_pattern, &QPushButton::clicked, this, [this] { OnPattern(); });
    connect(m_save, &QPushButton::clicked, this, [this] { OnSave(); });
    const int page = index;
    connect(m_help, &QPushButton::clicked, this,
            [this, page] { ShellApp::OpenManual(MainWindow(), page, 0); });
    if (m_browse) connect(m_browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
}

void CPaperEditPage::MirrorChoice(const CPaperSettingsChoice& choice, bool refill) {
    const auto& items = choice.MediaItems();
    {
        const QSignalBlocker block(m_media);
        if (refill || m_media->Count() != static_cast<int>(items.size())) {
            m_media->ResetContent();
            for (const auto& item : items)
                m_media->AddItem(QString::fromStdString(item.name), item.data);
        } else {
            for (std::size_t i = 0; i < items.size(); ++i) {
                m_media->SetItemData(static_cast<int>(i), items[i].data);
                m_media->setItemText(static_cast<int>(i), QString::fromStdString(items[i].name));
            }
        }
        m_media->SetSelection(choice.MediaIndex());
    }
    MirrorThickness(choice);
}

void CPaperEditPage::MirrorThickness(const CPaperSettingsChoice& choice) {
    const QString text = QString::fromStdString(choice.ThicknessText());
    if (m_thickness->text() != text) {
        const QSignalBlocker block(m_thickness);
        const bool typing = m_thickness->hasFocus();
        m_thickness->setText(text);
        // A cleaned text puts the caret at its end.
        if (typing) m_thickness->setCursorPosition(static_cast<int>(text.size()));
    }
    const QSignalBlocker block(m_platen);
    m_platen->clear();
    for (int id : choice.PlatenTexts())
        m_platen->addItem(ShellApp::Text(id));
    m_platen->setCurrentIndex(choice.PlatenIndex());
    m_platen->setEnabled(choice.PlatenEnabled());
}

void CPaperEditPage::SetNameItems(const QStringList& texts, const QList<std::uint32_t>& data,
                                  int selected) {
    const QSignalBlocker block(m_name);
    if (m_name->Count() != texts.size()) {
        m_name->ResetContent();
        for (qsizetype i = 0; i < texts.size(); ++i)
            m_name->AddItem(texts[i], data[i]);
    } else {
        for (qsizetype i = 0; i < texts.size(); ++i) {
            m_name->setItemText(static_cast<int>(i), texts[i]);
            m_name->SetItemData(static_cast<int>(i), data[i]);
        }
    }
    m_name->SetSelection(selected);
}
