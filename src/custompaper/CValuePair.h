#pragma once

#include "custompaper/CValuePairRule.h"

#include <QObject>
#include <functional>

class CDigitEdit;
class QLabel;
class QSlider;
class QWidget;

// One value pair of a setting tab: its name label, the labels of the
// slider's two ends, the slider, the edit box and the unit label, made as
// children of the tab with consecutive control ids (name, left end, slider,
// right end, edit, unit) so the tab places and labels them from its table.
// The pair applies CValuePairRule and hands every value to store to its
// store function.
class CValuePair : public QObject {
    Q_OBJECT
public:
    // Offsets of the controls' ids from the pair's first id.
    enum : int { kName = 0, kLeftEnd, kSlider, kRightEnd, kEdit, kUnit, kControlCount };

    CValuePair(QWidget* tab, int firstId, int minimum, int maximum);

    // Places the row with its top at `top` and labels it from the page's
    // four consecutive text ids from `firstText` (name, left end, right end,
    // unit). A Detail button of the row goes at kDetailLeft..kDetailRight.
    static constexpr int kRowHeight = 24;
    static constexpr int kDetailLeft = 484;
    static constexpr int kDetailRight = 552;
    void Place(int top, int firstText);

    // Called with each value the record takes.
    void SetStore(std::function<void(int)> store) { m_store = std::move(store); }

    // Writes the value into the box as "%d" (the box's rule then cleans it,
    // moves the slider and stores).
    void Load(int value);
    // The slider's position (the value on screen; 0 for an empty box).
    int Value() const;

    // Names the slider and the box after the name label (call once the
    // labels have their texts).
    void NameControls();

    QLabel* NameLabel() const { return m_name; }
    QSlider* Slider() const { return m_slider; }
    CDigitEdit* Edit() const { return m_edit; }
    // The focus order of the pair: slider, then box.
    QWidget* FirstStop() const;
    QWidget* LastStop() const;

private:
    void OnText(const QString& text);

    CValuePairRule m_rule;
    int m_firstId;
    QLabel* m_name = nullptr;
    QSlider* m_slider = nullptr;
    CDigitEdit* m_edit = nullptr;
    std::function<void(int)> m_store;
    bool m_fromText = false;
};
