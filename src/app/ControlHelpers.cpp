#include "app/ControlHelpers.h"

#include "app/CPlotcareApp.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>
#include <QWidget>

#include <vector>

namespace {

constexpr const char* kIdProperty = "plotcareControlId";

// A writable string property of the widget's class, or an invalid one.
QMetaProperty TextProperty(const QWidget* control, const char* name) {
    const QMetaObject* meta = control->metaObject();
    const int index = meta->indexOfProperty(name);
    if (index < 0) return {};
    QMetaProperty prop = meta->property(index);
    return prop.isWritable() && prop.metaType().id() == QMetaType::QString ? prop : QMetaProperty();
}

}  // namespace

void SetControlId(QWidget* control, int id) {
    if (control) control->setProperty(kIdProperty, id);
}

int ControlId(const QWidget* control) {
    if (!control) return -1;
    bool ok = false;
    const int id = control->property(kIdProperty).toInt(&ok);
    return ok ? id : -1;
}

QWidget* FindControl(QWidget* dialog, int id) {
    if (!dialog) return nullptr;
    for (const auto options : {Qt::FindDirectChildrenOnly, Qt::FindChildrenRecursively}) {
        const QList<QWidget*> children = dialog->findChildren<QWidget*>(QString(), options);
        for (QWidget* child : children)
            if (ControlId(child) == id) return child;
    }
    return nullptr;
}

void SetControlText(QWidget* control, const QString& text) {
    if (!control) return;
    if (auto* box = qobject_cast<QComboBox*>(control)) {
        if (box->isEditable()) box->setEditText(text);
        return;
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) {
        edit->setPlainText(text);
        return;
    }
    if (auto* edit = qobject_cast<QTextEdit*>(control)) {
        edit->setPlainText(text);
        return;
    }
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(text);
        return;
    }
    if (const QMetaProperty prop = TextProperty(control, "text"); prop.isValid()) {
        prop.write(control, text);
        return;
    }
    control->setWindowTitle(text);
}

QString ControlText(const QWidget* control) {
    if (!control) return {};
    if (const auto* box = qobject_cast<const QComboBox*>(control)) return box->currentText();
    if (const auto* edit = qobject_cast<const QPlainTextEdit*>(control)) return edit->toPlainText();
    if (const auto* edit = qobject_cast<const QTextEdit*>(control)) return edit->toPlainText();
    if (const auto* group = qobject_cast<const QGroupBox*>(control)) return group->title();
    if (const QMetaProperty prop = TextProperty(control, "text"); prop.isValid())
        return prop.read(control).toString();
    return control->windowTitle();
}

void ApplyLayout(QWidget* dialog, const int* ids, const ControlRect* rects, int count) {
    for (int i = 0; i < count; ++i) {
        QWidget* control = FindControl(dialog, ids[i]);
        if (!control) continue;
        const ControlRect& r = rects[i];
        control->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
        control->update();
    }
}

void ApplyTexts(CPlotcareApp& app, QWidget* dialog, const int* ids, const int* textIds, int count) {
    for (int i = 0; i < count; ++i) {
        if (textIds[i] == -1) continue;
        if (QWidget* control = FindControl(dialog, ids[i])) SetControlText(control, app.GetText(textIds[i]));
    }
}

void ApplyFonts(CPlotcareApp& app, QWidget* dialog, const int* ids, const int* fontIds, int count) {
    for (int i = 0; i < count; ++i) {
        QWidget* control = FindControl(dialog, ids[i]);
        if (!control) continue;
        control->setFont(app.GetFont(fontIds[i]));
        control->update();
    }
}

void ApplyTexts(QWidget* dialog, const int* ids, const int* textIds, int count) {
    if (CPlotcareApp* app = CPlotcareApp::Current()) ApplyTexts(*app, dialog, ids, textIds, count);
}

void ApplyFonts(QWidget* dialog, const int* ids, const int* fontIds, int count) {
    if (CPlotcareApp* app = CPlotcareApp::Current()) ApplyFonts(*app, dialog, ids, fontIds, count);
}

void ApplyControlRows(QWidget* dialog, const ControlRow* rows, int count) {
    std::vector<int> ids, texts;
    std::vector<ControlRect> rects;
    for (int i = 0; i < count; ++i) {
        ids.push_back(rows[i].id);
        rects.push_back(rows[i].rect);
        texts.push_back(rows[i].text);
    }
    ApplyLayout(dialog, ids.data(), rects.data(), count);
    ApplyFonts(dialog, ids.data(), texts.data(), count);
    ApplyTexts(dialog, ids.data(), texts.data(), count);
}

void ShowWaitCursor(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
