#include "EnsureQtApp.h"
#include "app/CPaintedTexts.h"
#include "app/CTextFit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kShort = QStringLiteral("Save");
const QString kLong =
    QStringLiteral("Save the settings of this custom paper under another name in the slot");

// Each kind of control holding a text, placed at a fixed size on a window.
struct ControlCase {
    const char* name;
    // Makes the control on `window` showing `text`.
    std::function<QWidget*(QWidget* window, const QString& text)> make;
    QSize size;
};

const ControlCase kControls[] = {
    {"label", [](QWidget* w, const QString& t) { return new QLabel(t, w); }, {120, 20}},
    {"wrapped label",
     [](QWidget* w, const QString& t) {
         auto* label = new QLabel(t, w);
         label->setWordWrap(true);
         label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
         return label;
     },
     {120, 40}},
    {"button", [](QWidget* w, const QString& t) { return new QPushButton(t, w); }, {120, 24}},
    {"check box", [](QWidget* w, const QString& t) { return new QCheckBox(t, w); }, {120, 20}},
    {"radio button",
     [](QWidget* w, const QString& t) { return new QRadioButton(t, w); },
     {120, 20}},
    {"group box", [](QWidget* w, const QString& t) { return new QGroupBox(t, w); }, {120, 60}},
    {"tab",
     [](QWidget* w, const QString& t) {
         auto* tabs = new QTabBar(w);
         tabs->setElideMode(Qt::ElideRight);
         tabs->setExpanding(false);
         tabs->setUsesScrollButtons(false);
         tabs->addTab(QStringLiteral("A"));
         tabs->addTab(t);
         return tabs;
     },
     {120, 30}},
    {"combo box item",
     [](QWidget* w, const QString& t) {
         auto* combo = new QComboBox(w);
         combo->addItems({QStringLiteral("A"), t}); // not the current item
         return combo;
     },
     {120, 24}},
    {"list row",
     [](QWidget* w, const QString& t) {
         auto* list = new QListWidget(w);
         list->addItems({QStringLiteral("A"), t});
         list->item(1)->setCheckState(Qt::Unchecked);
         return list;
     },
     {120, 80}},
};

// The window with one control at its case's size, shown.
std::unique_ptr<QWidget> WindowWith(const ControlCase& c, const QString& text, QSize size) {
    EnsureQtApp();
    auto window = std::make_unique<QWidget>();
    window->resize(400, 200);
    QWidget* control = c.make(window.get(), text);
    control->setObjectName(QStringLiteral("control"));
    control->setGeometry(QRect(QPoint(10, 10), size));
    window->show();
    return window;
}

QList<CTextFit::Finding> Check(const ControlCase& c, const QString& text, QSize size) {
    const auto window = WindowWith(c, text, size);
    return CTextFit::Check(window.get(), QStringLiteral("test window"));
}

TEST(TextFit, PassesAShortTextAndReportsALongOneInEveryKindOfControl) {
    for (const ControlCase& c : kControls) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(Check(c, kShort, c.size).isEmpty());
        const QList<CTextFit::Finding> findings = Check(c, kLong, c.size);
        ASSERT_EQ(findings.size(), 1);
        const CTextFit::Finding& f = findings.first();
        EXPECT_EQ(f.window, QStringLiteral("test window"));
        EXPECT_TRUE(f.control.startsWith(QStringLiteral("control")));
        EXPECT_EQ(f.text, kLong);
        EXPECT_TRUE(f.needed.width() > f.available.width() ||
                    f.needed.height() > f.available.height());
        EXPECT_TRUE(f.Describe().contains(kLong));
    }
}

// A hidden control is not checked; a control of another window (a popup,
// a child dialog) belongs to that window's check, where the part of it that
// lies outside the window is not seen.
TEST(TextFit, LeavesHiddenControlsAndOtherWindowsAlone) {
    const auto window = WindowWith(kControls[0], kLong, {120, 20});
    window->findChild<QWidget*>(QStringLiteral("control"))->hide();
    auto* dialog = new QWidget(window.get(), Qt::Dialog);
    new QLabel(kLong, dialog);
    dialog->resize(50, 20);
    dialog->show();
    EXPECT_TRUE(CTextFit::Check(window.get()).isEmpty());
    EXPECT_EQ(CTextFit::Check(dialog).size(), 1);
}

// The narrowest width at which a control shows `text` whole, found with
// the checker itself.
int NarrowestFit(const ControlCase& c, const QString& text) {
    for (int width = 10; width < 400; ++width)
        if (Check(c, text, {width, c.size.height()}).isEmpty()) return width;
    return -1;
}

// The "&" of a mnemonic is not drawn and takes no room; "&&" draws one "&".
TEST(TextFit, MeasuresTextsAsTheControlDrawsThem) {
    for (const ControlCase& c :
         {kControls[2], kControls[3], kControls[4], kControls[5], kControls[6]}) {
        SCOPED_TRACE(c.name);
        const int plain = NarrowestFit(c, QStringLiteral("Register"));
        ASSERT_GT(plain, 10);
        EXPECT_EQ(NarrowestFit(c, QStringLiteral("&Register")), plain);
        EXPECT_GT(NarrowestFit(c, QStringLiteral("R&&egister")), plain);
    }
    // A label hides it only as the mnemonic of its buddy.
    const ControlCase& label = kControls[0];
    const int plain = NarrowestFit(label, QStringLiteral("Register"));
    EXPECT_GT(NarrowestFit(label, QStringLiteral("&Register")), plain);
    const auto window = WindowWith(label, QStringLiteral("&Register"), {plain, 20});
    static_cast<QLabel*>(window->findChild<QWidget*>(QStringLiteral("control")))
        ->setBuddy(new QPushButton(window.get()));
    EXPECT_TRUE(CTextFit::Check(window.get()).isEmpty());
}

// A wrapped label that is tall enough for its lines still must not break a
// word that is wider than itself.
TEST(TextFit, ReportsAWordWiderThanAWrappedLabel) {
    const ControlCase& wrapped = kControls[1];
    const QString text = QStringLiteral("Die Papiervorschubkorrekturwerte bleiben");
    const QList<CTextFit::Finding> findings = Check(wrapped, text, {120, 200});
    ASSERT_EQ(findings.size(), 1);
    EXPECT_EQ(findings.first().text, QStringLiteral("Papiervorschubkorrekturwerte"));
    EXPECT_GT(findings.first().needed.width(), findings.first().available.width());
    EXPECT_TRUE(Check(wrapped, text, {300, 200}).isEmpty());
    // The same words in a label too short for their lines.
    EXPECT_EQ(Check(wrapped, kLong, {120, 40}).size(), 1);
    EXPECT_TRUE(Check(wrapped, kLong, {120, 200}).isEmpty());
}

// Texts a widget paints itself are checked in the rectangles it reports.
class PaintedWidget : public QWidget, public CPaintedTexts {
public:
    QList<Text> texts;
    QList<Text> PaintedTexts() const override { return texts; }
};

TEST(TextFit, ChecksTheTextsAWidgetPaints) {
    EnsureQtApp();
    PaintedWidget window;
    window.resize(300, 300);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    window.texts = {{kShort, QRect(10, 10, 100, 20), window.font(), flags, QStringLiteral("title")},
                    {kLong, QRect(10, 40, 100, 20), window.font(), flags, QStringLiteral("status")},
                    {kLong, QRect(10, 60, 100, 200), window.font(), flags | Qt::TextWordWrap,
                     QStringLiteral("note")}};
    const QList<CTextFit::Finding> findings = CTextFit::Check(&window, QStringLiteral("painted"));
    ASSERT_EQ(findings.size(), 1);
    EXPECT_EQ(findings.first().control, QStringLiteral("status"));
    EXPECT_EQ(findings.first().available, QSize(100, 20));
}

} // namespace
