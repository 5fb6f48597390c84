// The competition window offscreen: the race started, ticked and stopped, the track rendered.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "tests/ui/UiShots.h"
#include "ui/CompetitionForm.h"
#include "ui/CompetitionTrack.h"
#include "ui/canvas/QtCanvas.h"

namespace klt {
namespace {

class FakeFeed : public ICompetitionFeed {
public:
    TCompetitorValues Rider(int rider) const override { return riders[rider == 2 ? 1 : 0]; }
    TCompetitorValues riders[2] = {{250, 36.2, 1000}, {310, 41.7, 2000}};
};

QColor Colour(TRgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// The track of the race as the window draws it.
QImage TrackImage(const TCompetitionRaceState& race, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    TQtCanvas canvas(painter);
    canvas.Prepare({0, 0, 0}, PaletteColor, 0, size.width(), size.height());
    DrawCompetitionTrack(canvas, race);
    return image;
}

// The pixel just behind a marker's front, inside its lane.
QColor BehindFront(const QImage& image, int rider, double metres) {
    const TCanvasPoint front = CompetitionMarkerFront({image.width(), image.height()}, rider, metres);
    return image.pixelColor(front.x - 3, front.y - image.height() / 10);
}

TEST(CompetitionForm, StartTicksStopAndReset) {
    FakeFeed feed;
    TCompetitionForm form(feed);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Competition");
    EXPECT_EQ(form.StartButton().text(), "&Start");
    EXPECT_EQ(form.CountDownLabel().text(), "1:00");
    EXPECT_EQ(form.PowerLabel(2).text(), "310");

    QTest::mouseClick(&form.StartButton(), Qt::LeftButton);
    EXPECT_EQ(form.StartButton().text(), "&Stop");
    feed.riders[0] = {280, 38.0, 1012};
    feed.riders[1].metres = 2009;
    form.RaceTick();
    EXPECT_EQ(form.CountDownLabel().text(), "0:59");
    EXPECT_EQ(form.PowerLabel(1).text(), "280");
    EXPECT_DOUBLE_EQ(form.Race().Metres(1), 12);

    QTest::keyClick(&form.StartButton(), Qt::Key_Space);
    EXPECT_EQ(form.StartButton().text(), "&Reset");
    form.RaceTick(); // a tick already queued when the race stopped moves nothing
    EXPECT_EQ(form.CountDownLabel().text(), "0:59");
    QTest::mouseClick(&form.StartButton(), Qt::LeftButton);
    EXPECT_EQ(form.StartButton().text(), "&Start");
    EXPECT_EQ(form.CountDownLabel().text(), "1:00");
}

TEST(CompetitionForm, ClosingStopsTheTimersAndTellsTheLiveWindow) {
    FakeFeed feed;
    TCompetitionForm form(feed);
    form.show();
    QSignalSpy closed(&form, &TCompetitionForm::Closed);
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(&form.StartButton(), Qt::LeftButton);
    EXPECT_TRUE(form.TimersActive());
    QTest::keyClick(&form.StartButton(), Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.TimersActive());
    EXPECT_EQ(closed.count(), 1);
}

TEST(CompetitionForm, TheTrackShowsBothMarkersAndTheRiderBehindBlinks) {
    FakeFeed feed;
    TCompetitionRaceState race(feed);
    race.PressButton();
    feed.riders[0].metres += 5000;
    feed.riders[1].metres += 15000;
    race.Tick();
    race.PressButton();

    const QSize size(1000, 240);
    QImage image = TrackImage(race, size);
    EXPECT_EQ(BehindFront(image, 1, 5000), Colour(CompetitionRiderColour(1)));
    EXPECT_EQ(BehindFront(image, 2, 15000), Colour(CompetitionRiderColour(2)));
    EXPECT_LT(CompetitionMarkerFront({1000, 240}, 1, 5000).x, CompetitionMarkerFront({1000, 240}, 2, 15000).x);

    race.BlinkTick(); // rider 1 is behind
    image = TrackImage(race, size);
    EXPECT_NE(BehindFront(image, 1, 5000), Colour(CompetitionRiderColour(1)));
    EXPECT_EQ(BehindFront(image, 2, 15000), Colour(CompetitionRiderColour(2)));
}

// With KLT_UI_SHOTS naming a folder, the window is saved there as a picture.
TEST(CompetitionForm, CanBeGrabbed) {
    FakeFeed feed;
    TCompetitionForm form(feed);
    form.show();
    QTest::mouseClick(&form.StartButton(), Qt::LeftButton);
    for (int second = 0; second < 51; ++second) {
        feed.riders[0].metres += 190;
        feed.riders[1].metres += 230;
        form.RaceTick();
    }
    const QPixmap shot = form.grab();
    EXPECT_FALSE(shot.isNull());
    test::SaveUiShot(shot, "competition.png");
}

} // namespace
} // namespace klt
