#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QLineEdit>
#include <QRect>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

// One QApplication for the whole test program, made before any widget.
inline QApplication& EnsureApp() {
    static int argc = 1;
    static char name[] = "test_custompaper_controls";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A shown, active window holding the control under test and a plain edit
// that the focus can move to.
class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        window = std::make_unique<QWidget>();
        layout = new QVBoxLayout(window.get());
        other = new QLineEdit(window.get());
        layout->addWidget(other);
    }

    template <typename T> T* Add(T* control) {
        layout->insertWidget(0, control);
        if (window->isVisible()) QApplication::processEvents(); // the layout shows it later
        return control;
    }

    void Show() {
        window->show();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
    }

    std::unique_ptr<QWidget> window;
    QVBoxLayout* layout = nullptr;
    QLineEdit* other = nullptr;
};

// Keeps a picture for a person to look at when PLOTCARE_CONTROLS_PNG names
// a folder.
inline void KeepPicture(const QImage& image, const char* name) {
    const QByteArray folder = qgetenv("PLOTCARE_CONTROLS_PNG");
    if (!folder.isEmpty()) image.save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
}

// The darkest pixel of `rect` in `image`: the colour of the strokes of dark
// text on a light ground, whatever the antialiasing around them.
inline QColor Darkest(const QImage& image, const QRect& rect) {
    QColor darkest = Qt::white;
    const QRect area = rect.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qGray(c.rgb()) < qGray(darkest.rgb())) darkest = c;
        }
    return darkest;
}

// True when two colours differ by at most `tolerance` in every channel.
inline bool Near(const QColor& a, const QColor& b, int tolerance = 24) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// How many pixels of `rect` in `image` have exactly `colour`.
inline int CountColour(const QImage& image, const QRect& rect, const QColor& colour) {
    int n = 0;
    const QRect area = rect.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y).rgb() == colour.rgb() ? 1 : 0;
    return n;
}
