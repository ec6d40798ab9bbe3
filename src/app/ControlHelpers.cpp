#include "app/ControlHelpers.h"

#include "app/CPlotcareApp.h"

#include <QComboBox>
#include <QGroupBox>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>
#include <QWidget>

#include <cstdint>
#include <limits>

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

// Bytes of the UTF-8 sequence that `lead` begins; 1 for a byte that begins
// none (ASCII, a stray continuation byte, an invalid byte).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

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

void NormalizeNumberText(std::string& text, int minimum, int maximum, bool emptyAllowed) {
    std::size_t minus = 0;
    std::string digits;
    digits.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '-') {
            ++minus;
            ++i;
        } else if (c >= '0' && c <= '9') {
            digits += static_cast<char>(c);
            ++i;
        } else {
            // A multi-byte character goes whole; a broken one as far as its
            // continuation bytes go, never past the end of the text.
            const std::size_t length = SequenceLength(c);
            std::size_t n = 1;
            while (n < length && i + n < text.size() && IsContinuation(static_cast<unsigned char>(text[i + n])))
                ++n;
            i += n;
        }
    }
    const bool negative = minus % 2 == 1;

    if (digits.empty()) {
        text = negative && minimum < 0 ? "-" : "";
        if (!emptyAllowed) text += '0';
        return;
    }
    // Saturates far beyond the int range, so a long run of digits clamps.
    constexpr std::int64_t kCap = std::int64_t{1} << 40;
    std::int64_t v = 0;
    for (const char d : digits) {
        v = v * 10 + (d - '0');
        if (v > kCap) v = kCap;
    }
    if (negative) v = -v;
    if (v > maximum) {
        text = std::to_string(maximum);
    } else if (v < minimum) {
        text = std::to_string(minimum);
    } else if (v == 0 && negative && minimum < 0) {
        text = "-0";
    } else {
        text = std::to_string(v);
    }
}

QString NormalizeNumberText(const QString& text, int minimum, int maximum, bool emptyAllowed) {
    std::string bytes = text.toStdString();
    NormalizeNumberText(bytes, minimum, maximum, emptyAllowed);
    return QString::fromStdString(bytes);
}
