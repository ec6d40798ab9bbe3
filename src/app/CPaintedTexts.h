#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>

// A widget that paints texts into rectangles it chooses, instead of into
// controls that measure themselves, lists those texts here: where it paints
// them, with which font and drawText flags. Its painting uses the same list,
// so that the text fit check sees exactly what the operator sees.
class CPaintedTexts {
public:
    struct Text {
        QString text;
        QRect rect; // in the widget's coordinates
        QFont font;
        int flags = 0;
        QString name; // what the text is, for reports
    };

    virtual ~CPaintedTexts() = default;
    virtual QList<Text> PaintedTexts() const = 0;
};
