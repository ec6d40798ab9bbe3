#pragma once

#include "app/CPaintedTexts.h"

#include <QDialog>
#include <QPixmap>

// One window, two forms: the start-up splash and the about box. The form is
// chosen at construction; the window takes the size of its picture, is
// centred on the screen, and closes on a left click anywhere.
class CSplashDialog : public QDialog, public CPaintedTexts {
    Q_OBJECT
public:
    enum class Form { Splash, About };

    explicit CSplashDialog(Form form, QWidget* parent = nullptr);

    Form GetForm() const { return m_form; }

    // "%d.%d%d" of the program version: 2.1.0 shows "2.10".
    static QString VersionText(int major, int minor, int patch);
    static QString ProgramVersionText();

    // The window's picture with its texts, as painted.
    QPixmap Render() const;

    // The texts on the picture, where they are painted.
    QList<Text> PaintedTexts() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void PaintContents(QPainter& painter) const;

    Form m_form;
    QPixmap m_picture;
    QString m_line1;
    QString m_line2;
    QFont m_font1;
    QFont m_font2;
};
