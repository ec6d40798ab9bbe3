#include "sampleprint/CRangeScale.h"
#include "sampleprint/RangeScaleMath.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using namespace RangeScaleMath;

QApplication& EnsureApp() {
    static int argc = 1;
    static char name[] = "test_rangescale";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// 210 pixels wide: 200 pixels of room for a thumb's left edge.
constexpr Track kFeedTrack{0, 210, -70, 70};

TEST(RangeScaleMathTest, ValuesAndPlacesMapBothWays) {
    struct Case {
        int value;
        int left;
    };
    for (const Case c : {Case{-70, 0}, Case{70, 200}, Case{0, 100}, Case{35, 150}, Case{-35, 50},
                         Case{1, 101}, Case{-80, 0}, Case{100, 200}}) {
        EXPECT_EQ(ThumbLeft(kFeedTrack, c.value), c.left) << c.value;
    }
    struct Back {
        int left;
        int value;
    };
    // Integer division: a place between two values reads the lower one
    // above the minimum's side.
    for (const Back b : {Back{0, -70}, Back{200, 70}, Back{100, 0}, Back{150, 35}, Back{1, -70},
                         Back{2, -69}, Back{199, 69}, Back{-5, -70}, Back{250, 70}}) {
        EXPECT_EQ(ValueAt(kFeedTrack, b.left), b.value) << b.left;
    }
}

TEST(RangeScaleMathTest, TrackWithoutRoomOrRangeKeepsThumbsAtTheLeft) {
    EXPECT_EQ(ThumbLeft(Track{0, 10, -70, 70}, 70), 0);
    EXPECT_EQ(ValueAt(Track{0, 10, -70, 70}, 0), -70);
    EXPECT_EQ(ThumbLeft(Track{0, 210, 5, 5}, 5), 0);
    EXPECT_EQ(ValueAt(Track{0, 210, 5, 5}, 120), 5);
    EXPECT_EQ(ThumbLeft(Track{0, 5, -70, 70}, 0), 0);
}

// A thumb dragged past an end stops there; coming back, it follows again
// only once the pointer is back where it stopped following.
TEST(RangeScaleMathTest, DragStopsAtTheEndsAndWaitsForThePointerOnTheWayBack) {
    struct Step {
        int mouseX;
        int thumbLeft;
    };
    struct Run {
        const char* name;
        Drag start;
        std::vector<Step> steps;
    };
    const std::vector<Run> runs = {
        {"right end, pixel by pixel", {190, 195},
         {{200, 195}, {205, 200}, {206, 200}, {230, 200}, {206, 200}, {205, 200}, {204, 199}, {190, 185}}},
        {"right end, one jump", {190, 195}, {{230, 200}, {210, 200}, {206, 200}, {205, 200}, {200, 195}}},
        {"left end", {5, 10}, {{-20, 0}, {0, 0}, {5, 0}, {6, 1}, {30, 25}}},
        {"free moves", {100, 103}, {{110, 107}, {90, 87}, {103, 100}}},
    };
    for (const Run& run : runs) {
        Drag drag = run.start;
        for (const Step& s : run.steps) {
            drag = MoveDrag(kFeedTrack, drag, s.mouseX);
            EXPECT_EQ(drag.thumbLeft, s.thumbLeft) << run.name << ", mouse at " << s.mouseX;
        }
    }
}

class RangeScaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        window = std::make_unique<QWidget>();
        window->resize(260, 80);
        scale = new CRangeScale(window.get());
        scale->setGeometry(20, 20, 210, 40);
        scale->SetRange(70, -70);
        window->show();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
    }

    // Values reported by a signal, in order.
    static std::vector<int> Values(const QSignalSpy& spy) {
        std::vector<int> v;
        for (const QList<QVariant>& args : spy)
            v.push_back(args.at(0).toInt());
        return v;
    }

    void Drag(const QPoint& from, const std::vector<int>& xs) {
        QTest::mousePress(scale, Qt::LeftButton, {}, from);
        for (int x : xs)
            QTest::mouseMove(scale, QPoint(x, from.y()));
        QTest::mouseRelease(scale, Qt::LeftButton, {}, QPoint(xs.back(), from.y()));
    }

    std::unique_ptr<QWidget> window;
    CRangeScale* scale = nullptr;
};

TEST_F(RangeScaleTest, SetThumbLimitsAndNeverLetsTheThumbsCross) {
    QSignalSpy mins(scale, &CRangeScale::MinChanged);
    QSignalSpy maxes(scale, &CRangeScale::MaxChanged);
    EXPECT_EQ(scale->UpperValue(), 70);
    EXPECT_EQ(scale->LowerValue(), -70);
    EXPECT_EQ(scale->ThumbRect(CRangeScale::kMaxThumb).left(), 200);

    scale->SetThumb(CRangeScale::kMinThumb, 10, true); // a free move: nothing to correct
    EXPECT_EQ(scale->LowerValue(), 10);
    EXPECT_EQ(scale->ThumbRect(CRangeScale::kMinThumb).left(), 114);
    scale->SetThumb(CRangeScale::kMaxThumb, 100, true); // limited to 70: no change
    EXPECT_EQ(scale->UpperValue(), 70);
    EXPECT_TRUE(Values(mins).empty());
    EXPECT_TRUE(Values(maxes).empty());

    scale->SetThumb(CRangeScale::kMaxThumb, 5, true); // below the "min" value: held at it
    EXPECT_EQ(scale->UpperValue(), 10);
    EXPECT_EQ(scale->ThumbRect(CRangeScale::kMaxThumb).left(), 114);
    EXPECT_EQ(Values(maxes), std::vector<int>{10});

    scale->SetThumb(CRangeScale::kMaxThumb, 40, true);
    scale->SetThumb(CRangeScale::kMinThumb, 60, true); // above the "max" value: held at it
    EXPECT_EQ(scale->LowerValue(), 40);
    EXPECT_EQ(Values(mins), std::vector<int>{40});

    scale->SetThumb(CRangeScale::kMinThumb, -80, true);
    EXPECT_EQ(scale->LowerValue(), -70);
    EXPECT_EQ(Values(mins), std::vector<int>{40}) << "a limited but free move reports nothing";
}

TEST_F(RangeScaleTest, DraggingMovesThumbsReportsValuesAndPushesTheOtherThumb) {
    QSignalSpy mins(scale, &CRangeScale::MinChanged);
    QSignalSpy maxes(scale, &CRangeScale::MaxChanged);
    // The "min" thumb stands above the groove at the left end.
    const QPoint minThumb = scale->ThumbRect(CRangeScale::kMinThumb).center();
    Drag(minThumb, {minThumb.x() + 50, minThumb.x() + 100});
    EXPECT_EQ(scale->LowerValue(), 0);
    EXPECT_EQ(Values(mins), (std::vector<int>{-35, 0}));
    EXPECT_FALSE(scale->IsDragging());

    // The "max" thumb below the groove, dragged left past the "min" one: the
    // "min" thumb goes along, reported after the "max" thumb.
    const QPoint maxThumb = scale->ThumbRect(CRangeScale::kMaxThumb).center();
    mins.clear();
    Drag(maxThumb, {maxThumb.x() - 150});
    EXPECT_EQ(scale->UpperValue(), -35);
    EXPECT_EQ(scale->LowerValue(), -35);
    EXPECT_EQ(Values(maxes), std::vector<int>{-35});
    EXPECT_EQ(Values(mins), std::vector<int>{-35});

    // Past the end and back: the thumb waits at the end for the pointer.
    maxes.clear();
    const QPoint at = scale->ThumbRect(CRangeScale::kMaxThumb).center();
    QTest::mousePress(scale, Qt::LeftButton, {}, at);
    QTest::mouseMove(scale, QPoint(at.x() + 150, at.y())); // the thumb reaches the end
    QTest::mouseMove(scale, QPoint(at.x() + 190, at.y()));
    QTest::mouseMove(scale, QPoint(at.x() + 151, at.y()));
    EXPECT_EQ(scale->UpperValue(), 70);
    EXPECT_EQ(scale->ThumbRect(CRangeScale::kMaxThumb).left(), 200);
    QTest::mouseMove(scale, QPoint(at.x() + 140, at.y()));
    EXPECT_EQ(scale->ThumbRect(CRangeScale::kMaxThumb).left(), 190);
    QTest::mouseRelease(scale, Qt::LeftButton, {}, QPoint(at.x() + 140, at.y()));
    EXPECT_EQ(Values(maxes), (std::vector<int>{70, 63}));

    // A press beside the thumbs takes nothing.
    Drag(QPoint(5, 20), {100});
    EXPECT_EQ(scale->LowerValue(), -35);
}

TEST_F(RangeScaleTest, KeyboardPicksAThumbAndMovesIt) {
    QSignalSpy mins(scale, &CRangeScale::MinChanged);
    QSignalSpy maxes(scale, &CRangeScale::MaxChanged);
    scale->setFocus();
    EXPECT_EQ(scale->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    EXPECT_EQ(scale->FocusThumb(), CRangeScale::kMinThumb);
    QTest::keyClick(scale, Qt::Key_Right);
    QTest::keyClick(scale, Qt::Key_Right);
    EXPECT_EQ(scale->LowerValue(), -68);
    QTest::keyClick(scale, Qt::Key_PageUp);
    EXPECT_EQ(scale->LowerValue(), -54);
    QTest::keyClick(scale, Qt::Key_Down);
    QTest::keyClick(scale, Qt::Key_Left);
    EXPECT_EQ(scale->UpperValue(), 69);
    QTest::keyClick(scale, Qt::Key_Home); // pushes the "min" thumb down to the end
    EXPECT_EQ(scale->UpperValue(), -70);
    EXPECT_EQ(scale->LowerValue(), -70);
    QTest::keyClick(scale, Qt::Key_Up);
    QTest::keyClick(scale, Qt::Key_End); // and the "max" thumb up
    EXPECT_EQ(scale->UpperValue(), 70);
    EXPECT_EQ(scale->LowerValue(), 70);
    EXPECT_EQ(Values(mins), (std::vector<int>{-69, -68, -54, -70, 70}));
    EXPECT_EQ(Values(maxes), (std::vector<int>{69, -70, 70}));
    QTest::keyClick(scale, Qt::Key_Left); // moves from the "max" value down
    EXPECT_EQ(scale->LowerValue(), 69);
    EXPECT_EQ(scale->ThumbRect(CRangeScale::kMinThumb).left(), ThumbLeft(kFeedTrack, 69));
}

TEST_F(RangeScaleTest, AccessibleAsASliderWithTheRangeAsValue) {
    scale->setAccessibleName("Adjustment Value");
    scale->SetThumbNames("min", "max");
    scale->SetThumb(CRangeScale::kMinThumb, -35, true);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(scale);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Slider);
    EXPECT_EQ(a->text(QAccessible::Name), "Adjustment Value");
    EXPECT_EQ(a->text(QAccessible::Value), "min -35, max 70");
}

// The groove's four lines, ticks in the dark shadow except under a thumb,
// thumbs in the face colour with their 3-D edges.
TEST_F(RangeScaleTest, DrawsGrooveTicksAndThumbsInThePaletteColours) {
    scale->SetThumb(CRangeScale::kMinThumb, -35, true);
    scale->SetThumb(CRangeScale::kMaxThumb, 35, true);
    scale->clearFocus(); // a focused thumb is filled with the highlight
    const QImage image = scale->grab().toImage();
    const QPalette pal = scale->palette();
    const int mid = 20;
    EXPECT_EQ(image.pixel(30, mid - 2), pal.color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(30, mid - 1), pal.color(QPalette::Shadow).rgb());
    EXPECT_EQ(image.pixel(30, mid), pal.color(QPalette::Midlight).rgb());
    EXPECT_EQ(image.pixel(30, mid + 1), pal.color(QPalette::Light).rgb());
    // Ticks at 5 + i * 200 / 9; the "min" thumb covers 50..59, so tick 2
    // (at 49) stays dark and none shows inside the thumb.
    const int tick2 = 5 + 2 * 200 / 9;
    EXPECT_EQ(image.pixel(tick2, mid - 5), pal.color(QPalette::Shadow).rgb());
    EXPECT_EQ(image.pixel(tick2, mid + 4), pal.color(QPalette::Shadow).rgb());
    const QRect minThumb = scale->ThumbRect(CRangeScale::kMinThumb);
    EXPECT_EQ(image.pixel(minThumb.center().x(), minThumb.top() + 4), pal.color(QPalette::Button).rgb());
    EXPECT_EQ(image.pixel(minThumb.left(), minThumb.top() + 2), pal.color(QPalette::Light).rgb());
    EXPECT_EQ(image.pixel(minThumb.right(), minThumb.top() + 2), pal.color(QPalette::Shadow).rgb());
    const QRect maxThumb = scale->ThumbRect(CRangeScale::kMaxThumb);
    EXPECT_EQ(maxThumb.left(), 150);
    EXPECT_EQ(image.pixel(maxThumb.center().x(), maxThumb.bottom() - 3), pal.color(QPalette::Button).rgb());
    EXPECT_EQ(image.pixel(maxThumb.right(), maxThumb.bottom() - 3), pal.color(QPalette::Shadow).rgb());

    scale->setFocus();
    scale->SetFocusThumb(CRangeScale::kMaxThumb);
    const QImage focused = scale->grab().toImage();
    EXPECT_EQ(focused.pixel(maxThumb.center().x(), maxThumb.bottom() - 3), pal.color(QPalette::Highlight).rgb());
    EXPECT_EQ(focused.pixel(minThumb.center().x(), minThumb.top() + 4), pal.color(QPalette::Button).rgb());
}

} // namespace
