// The slider control through its public interface: properties, real mouse events and keys,
// the events it raises and their order.

#include <gtest/gtest.h>

#include <QTest>
#include <string>
#include <vector>

#include "ui/Slider.h"

namespace zeb {
namespace {

using Events = std::vector<std::string>;

QImage SolidImage(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Records the slider's events by name, in the order they arrive.
class EventLog {
  public:
    explicit EventLog(Slider& slider) {
        QObject::connect(&slider, &Slider::Click, [this] { events_.push_back("Click"); });
        QObject::connect(&slider, &Slider::ArrivedFirst,
                         [this] { events_.push_back("ArrivedFirst"); });
        QObject::connect(&slider, &Slider::ArrivedLast,
                         [this] { events_.push_back("ArrivedLast"); });
        QObject::connect(&slider, &Slider::Change, [this] { events_.push_back("Change"); });
        QObject::connect(&slider, &Slider::MouseDown,
                         [this](int) { events_.push_back("MouseDown"); });
        QObject::connect(&slider, &Slider::MouseUp, [this](int) { events_.push_back("MouseUp"); });
        QObject::connect(&slider, &Slider::MouseMove,
                         [this](int) { events_.push_back("MouseMove"); });
    }
    Events Take() { return std::exchange(events_, {}); }

  private:
    Events events_;
};

// A channel threshold slider as the main window sets it up: vertical, 0..25, a 16 x 23 thumb
// on a 15 x 110 rail picture, so its travel is 87 pixels.
class ChannelSliderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        slider.resize(16, 110);
        slider.SetBackColor(0x80000007);
        slider.SetRailStyle(kRailPicture);
        slider.SetSliderImage(SolidImage(16, 23, qRgb(200, 200, 200)));
        slider.SetRailImage(SolidImage(15, 110, qRgb(40, 40, 40)));
        ASSERT_TRUE(slider.SetMax(25));
        slider.show();
        log.Take();
    }

    // Thumb centre at the given thumb top, for pressing on the thumb.
    static QPoint OnThumb(float top) { return QPoint(8, static_cast<int>(top) + 11); }

    Slider slider;
    EventLog log{slider};
};

TEST_F(ChannelSliderTest, SizesItselfToThePicturesAndPlacesTheThumbByValue) {
    EXPECT_EQ(slider.size(), QSize(16, 110));
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 87.0f);
    EXPECT_FLOAT_EQ(slider.ThumbLeft(), 0.0f);

    ASSERT_TRUE(slider.SetValue(10));
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 52.2f);
    ASSERT_TRUE(slider.SetValue(25));
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 0.0f);
    ASSERT_TRUE(slider.SetValue(0));
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 87.0f);
    EXPECT_EQ(log.Take(), (Events{"Change", "Change", "ArrivedLast", "Change", "ArrivedFirst"}));
}

TEST_F(ChannelSliderTest, DraggingTheThumbSnapsItToTheNearestValue) {
    QTest::mousePress(&slider, Qt::LeftButton, {}, OnThumb(87));
    EXPECT_TRUE(slider.Dragging());
    EXPECT_EQ(log.Take(), Events{"MouseDown"});

    // Held 11 pixels below the thumb's top: a pointer at 51 puts the top at 40.
    QTest::mouseMove(&slider, QPoint(8, 51));
    EXPECT_EQ(slider.Value(), 14);
    EXPECT_NEAR(slider.ThumbTop(), 38.28f, 1e-4);
    EXPECT_EQ(log.Take(), (Events{"Change", "MouseMove"}));

    // A small move that rounds to the same value raises only MouseMove.
    QTest::mouseMove(&slider, QPoint(8, 50));
    EXPECT_EQ(slider.Value(), 14);
    EXPECT_NEAR(slider.ThumbTop(), 38.28f, 1e-4);
    EXPECT_EQ(log.Take(), Events{"MouseMove"});

    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(8, 50));
    EXPECT_FALSE(slider.Dragging());
    EXPECT_EQ(log.Take(), (Events{"Click", "MouseUp"}));
}

TEST_F(ChannelSliderTest, DraggingAboveTheRailStopsAtMaxAndArrivesOnce) {
    QTest::mousePress(&slider, Qt::LeftButton, {}, OnThumb(87));
    EXPECT_EQ(log.Take(), Events{"MouseDown"});
    QTest::mouseMove(&slider, QPoint(8, -30));
    EXPECT_EQ(slider.Value(), 25);
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 0.0f);
    QTest::mouseMove(&slider, QPoint(8, -60));
    QTest::mouseMove(&slider, QPoint(30, -90));
    EXPECT_EQ(slider.Value(), 25);
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 0.0f);
    EXPECT_EQ(log.Take(), (Events{"Change", "ArrivedLast", "MouseMove", "MouseMove", "MouseMove"}));

    // Released outside: no Click, but the drag ends.
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(30, -90));
    EXPECT_EQ(log.Take(), Events{"MouseUp"});
    EXPECT_FALSE(slider.Dragging());
}

TEST_F(ChannelSliderTest, PressOnTheRailJumpsTheThumbBeforeMouseDown) {
    // Centre of the thumb under the pointer: top = 20 - 11 = 9, value rounded(78 / 87 x 25).
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(8, 20));
    EXPECT_EQ(slider.Value(), 22);
    EXPECT_NEAR(slider.ThumbTop(), 87.0f - 87.0f * 22 / 25, 1e-4);
    EXPECT_EQ(log.Take(), (Events{"Change", "MouseMove", "MouseDown"}));

    // Pressing again where the thumb already is holds it where it was grabbed.
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(8, 20));
    log.Take();
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(8, 20));
    EXPECT_EQ(log.Take(), Events{"MouseDown"});
}

TEST_F(ChannelSliderTest, OtherButtonsStartNoDragButEndOne) {
    QTest::mousePress(&slider, Qt::RightButton, {}, QPoint(8, 20));
    EXPECT_FALSE(slider.Dragging());
    EXPECT_EQ(slider.Value(), 0);
    QTest::mouseRelease(&slider, Qt::RightButton, {}, QPoint(8, 20));
    EXPECT_EQ(log.Take(), Events{});

    QTest::mousePress(&slider, Qt::LeftButton, {}, OnThumb(87));
    QTest::mouseRelease(&slider, Qt::RightButton, {}, OnThumb(87));
    EXPECT_FALSE(slider.Dragging());
    EXPECT_EQ(log.Take(), (Events{"MouseDown", "MouseUp"}));
}

TEST_F(ChannelSliderTest, ShiftStateCarriesTheModifierKeys) {
    std::vector<int> shifts;
    QObject::connect(&slider, &Slider::MouseDown, [&](int shift) { shifts.push_back(shift); });
    QTest::mousePress(&slider, Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier, OnThumb(87));
    EXPECT_EQ(shifts, std::vector<int>{5});
}

TEST_F(ChannelSliderTest, DisabledSliderIgnoresPressesButStillClicks) {
    slider.SetEnabled(false);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(8, 20));
    EXPECT_FALSE(slider.Dragging());
    EXPECT_EQ(slider.Value(), 0);
    QTest::mouseMove(&slider, QPoint(8, 5));
    EXPECT_EQ(slider.Value(), 0);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(8, 5));
    EXPECT_EQ(log.Take(), Events{"Click"});
}

TEST_F(ChannelSliderTest, KeysActAsDragsToTheirValue) {
    // The mouse: grab the thumb, move it one value up, let go over it.
    QTest::mousePress(&slider, Qt::LeftButton, {}, OnThumb(87));
    QTest::mouseMove(&slider, QPoint(8, 95));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(8, 95));
    ASSERT_EQ(slider.Value(), 1);
    const Events drag = log.Take();
    const float dragTop = slider.ThumbTop();

    ASSERT_TRUE(slider.SetValue(0));
    log.Take();
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.Value(), 1);
    EXPECT_EQ(slider.ThumbTop(), dragTop);
    EXPECT_EQ(log.Take(), drag);
    EXPECT_FALSE(slider.Dragging());

    QTest::keyClick(&slider, Qt::Key_PageUp);  // a fifth of 0..25
    EXPECT_EQ(slider.Value(), 6);
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(slider.Value(), 25);
    EXPECT_EQ(log.Take(),
              (Events{"MouseDown", "Change", "MouseMove", "Click", "MouseUp",  //
                      "MouseDown", "Change", "ArrivedLast", "MouseMove", "Click", "MouseUp"}));
    // At an end a key still drags, to the same value: nothing changes.
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(log.Take(), (Events{"MouseDown", "MouseMove", "Click", "MouseUp"}));
    QTest::keyClick(&slider, Qt::Key_Home);
    QTest::keyClick(&slider, Qt::Key_PageDown);
    QTest::keyClick(&slider, Qt::Key_Down);
    EXPECT_EQ(slider.Value(), 0);
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 87.0f);

    std::vector<int> shifts;
    QObject::connect(&slider, &Slider::MouseMove, [&](int shift) { shifts.push_back(shift); });
    QTest::keyClick(&slider, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(shifts, std::vector<int>{2});

    // Disabled, the slider takes no drag from the keyboard either.
    slider.SetEnabled(false);
    log.Take();
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.Value(), 1);
    EXPECT_EQ(log.Take(), Events{});
}

TEST_F(ChannelSliderTest, SettingTheSameValueRaisesAndRedrawsNothing) {
    ASSERT_TRUE(slider.SetValue(7));
    log.Take();
    const uint64_t redraws = slider.RedrawCount();
    EXPECT_TRUE(slider.SetValue(7));
    EXPECT_EQ(slider.RedrawCount(), redraws);
    EXPECT_EQ(log.Take(), Events{});
}

TEST_F(ChannelSliderTest, RefusedSetsKeepEveryValue) {
    ASSERT_TRUE(slider.SetValue(12));
    log.Take();
    EXPECT_FALSE(slider.SetValue(26));
    EXPECT_FALSE(slider.SetValue(-1));
    EXPECT_FALSE(slider.SetMax(0));   // not above Min
    EXPECT_FALSE(slider.SetMin(25));  // not below Max
    EXPECT_EQ(slider.Value(), 12);
    EXPECT_EQ(slider.Min(), 0);
    EXPECT_EQ(slider.Max(), 25);
    EXPECT_EQ(log.Take(), Events{});
}

TEST_F(ChannelSliderTest, LoweringMaxLeavesValueAboveIt) {
    ASSERT_TRUE(slider.SetValue(20));
    const float top = slider.ThumbTop();
    log.Take();
    EXPECT_TRUE(slider.SetMax(15));
    EXPECT_EQ(slider.Value(), 20);
    EXPECT_FLOAT_EQ(slider.ThumbTop(), top);
    EXPECT_EQ(log.Take(), Events{});
    // The value is now outside the range, so setting it again is refused.
    EXPECT_FALSE(slider.SetValue(20));
    EXPECT_TRUE(slider.SetValue(15));
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 0.0f);
}

TEST_F(ChannelSliderTest, SettingMinResetsValueToIt) {
    ASSERT_TRUE(slider.SetValue(20));
    log.Take();
    EXPECT_TRUE(slider.SetMin(5));
    EXPECT_EQ(slider.Value(), 5);
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 87.0f);
    EXPECT_EQ(log.Take(), (Events{"Change", "ArrivedFirst"}));
    // Value 12 of 5..25 sits 7/20 of the travel up.
    ASSERT_TRUE(slider.SetValue(12));
    EXPECT_NEAR(slider.ThumbTop(), 87.0f - 87.0f * 7 / 20, 1e-4);
}

TEST_F(ChannelSliderTest, DrawsTheRailAndThumbPictures) {
    ASSERT_TRUE(slider.SetValue(25));
    const QImage& picture = slider.Picture();
    ASSERT_EQ(picture.size(), QSize(16, 110));
    EXPECT_EQ(picture.pixel(8, 5), qRgb(200, 200, 200));  // thumb at the top
    EXPECT_EQ(picture.pixel(8, 60), qRgb(40, 40, 40));    // rail
    EXPECT_EQ(picture.pixel(15, 60), qRgb(0, 0, 0));      // background beside the rail
}

// A slider without pictures, drawn with edges.
class EdgeSliderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        slider.resize(30, 100);
        slider.SetBackColor(0x0000FF);  // red
        slider.show();
    }
    // Pixels that are neither the background nor inside the thumb.
    int RailPixels() const {
        const QImage& picture = slider.Picture();
        const QRect thumb(0, static_cast<int>(slider.ThumbTop()), 16, 16);
        int count = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (!thumb.contains(x, y) && picture.pixel(x, y) != qRgb(255, 0, 0)) {
                    ++count;
                }
            }
        }
        return count;
    }
    Slider slider;
};

TEST_F(EdgeSliderTest, TakesTheThumbWidthAndKeepsItsLength) {
    EXPECT_EQ(slider.size(), QSize(16, 100));
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 84.0f);
}

TEST_F(EdgeSliderTest, EdgeStylesDrawARailAndUnknownStylesDoNot) {
    EXPECT_GT(RailPixels(), 0);
    slider.SetRailStyle(7);
    EXPECT_EQ(RailPixels(), 0);
    // The default thumb is still drawn: a button-face block with a raised edge.
    const QImage& picture = slider.Picture();
    EXPECT_EQ(picture.pixel(8, 92), ToQColor(kButtonFaceColour).rgb());
    EXPECT_EQ(picture.pixel(0, 84), ToQColor(0x80000016).rgb());   // light top-left
    EXPECT_EQ(picture.pixel(15, 99), ToQColor(0x80000015).rgb());  // dark bottom-right
}

TEST_F(EdgeSliderTest, HorizontalSliderRunsLeftToRight) {
    slider.SetOrientation(kHorizontal);
    slider.resize(100, 40);
    EXPECT_EQ(slider.size(), QSize(100, 16));
    ASSERT_TRUE(slider.SetMax(20));
    ASSERT_TRUE(slider.SetValue(5));
    EXPECT_FLOAT_EQ(slider.ThumbLeft(), 21.0f);
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 0.0f);

    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(90, 8));
    EXPECT_EQ(slider.Value(), 20);  // left 82 of 84: rounded(19.52)
    EXPECT_FLOAT_EQ(slider.ThumbLeft(), 84.0f);
    QTest::mouseMove(&slider, QPoint(-10, 8));
    EXPECT_EQ(slider.Value(), 0);
    EXPECT_FLOAT_EQ(slider.ThumbLeft(), 0.0f);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(-10, 8));
}

TEST_F(EdgeSliderTest, ParkThumbMovesOnlyTheThumb) {
    ASSERT_TRUE(slider.SetValue(10));
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 0.0f);
    slider.ParkThumb();
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 84.0f);
    EXPECT_EQ(slider.Value(), 10);
}

}  // namespace
}  // namespace zeb
