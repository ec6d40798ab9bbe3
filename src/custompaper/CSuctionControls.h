#pragma once

#include <QObject>
#include <functional>

class QComboBox;
class QLabel;
class QSlider;
class QWidget;

// The controls both cut tabs share: the cut method box, the roll tension
// box and the paper suction slider with its five tick labels, made as
// children of the tab with consecutive control ids from `firstId` (see the
// offsets) and labelled from consecutive text ids of the tab's page.
class CSuctionControls : public QObject {
    Q_OBJECT
public:
    enum : int {
        kCutLabel = 0,
        kCutBox,
        kRollerLabel,
        kRollerBox,
        kSuctionLabel,
        kSuctionSlider,
        kFirstTick, // five tick labels, positions 0..4
        kControlCount = kFirstTick + 5,
    };

    // The page's text ids: the cut label, the roller label and the suction
    // label, its first tick label (four more follow), the first item of the
    // cut box (its items are base, +3, +1, +2) and of the roller box (base
    // .. +3).
    struct Texts {
        int cutLabel;
        int rollerLabel;
        int suctionLabel;
        int firstTick;
        int cutItems;
        int rollerItems;
    };

    // Places the controls with their top at `top`, one row 32 pixels apart
    // each (cut, roller), then the suction slider with its ticks below it.
    CSuctionControls(QWidget* tab, int firstId, const Texts& texts, int top);

    // Called with each value the record takes from the operator's changes.
    std::function<void(int)> storeCut;
    std::function<void(int)> storeRoller;
    std::function<void(int)> storeSuction; // the level, 0..-4

    // Shows the stored values (a negative choice selects the first item; a
    // choice past the last item leaves the box without selection); sends
    // nothing to the store functions.
    void Show(int cut, int roller, int suctionLevel);
    // The values on screen; -1 for a box without selection.
    int Cut() const;
    int Roller() const;
    int SuctionLevel() const;

    QComboBox* CutBox() const { return m_cut; }
    QComboBox* RollerBox() const { return m_roller; }
    QSlider* Slider() const { return m_slider; }
    // The bottom of the slider's tick labels.
    int Bottom() const { return m_bottom; }

private:
    QComboBox* m_cut = nullptr;
    QComboBox* m_roller = nullptr;
    QSlider* m_slider = nullptr;
    bool m_showing = false;
    int m_bottom = 0;
};
