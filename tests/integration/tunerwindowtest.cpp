// The tuner's window on the offscreen platform with the real player: it
// starts at full volume, Stop silences the sink and Play brings the stream
// back, the volume control changes what plays, the stream title shows in
// the window title, and the Tuner values place it under the main window.
#include "integration/station.h"
#include "support/eventloop.h"

#include "streamplayer.h"
#include "tunerwindow.h"

#include <QApplication>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <clocale>

namespace skywell
{
namespace
{

using test::recordedLevel;

TEST(TunerWindow, StopPlayVolumeAndTitle)
{
    test::Station station;
    ASSERT_TRUE(station.ready);
    qputenv("PULSE_SINK", station.sink.toUtf8());
    tuner::StreamPlayer player;
    ASSERT_EQ(player.initialize(), QString());
    tuner::TunerWindow window(player);
    window.place(100, 300, 600);
    window.show();
    EXPECT_EQ(window.geometry().left(), 100);
    EXPECT_EQ(window.geometry().top(), 300);
    EXPECT_EQ(window.geometry().width(), 500);
    auto *stop = window.findChild<QPushButton *>();
    auto *volume = window.findChild<QSlider *>();
    ASSERT_TRUE(stop && volume);
    EXPECT_EQ(volume->value(), 100);

    player.play(station.url(QStringLiteral("stream.mp3")));
    EXPECT_TRUE(test::spinUntil([&] { return recordedLevel(station.sink, 1000) > 0.3; }, 15000));
    EXPECT_TRUE(
        test::spinUntil([&] { return window.windowTitle() == QStringLiteral("Skywell Tuner - Morning Jazz"); }, 5000));

    QTest::mouseClick(stop, Qt::LeftButton);
    EXPECT_EQ(stop->text(), QStringLiteral("Play"));
    EXPECT_TRUE(test::spinUntil([&] { return recordedLevel(station.sink, 500) < 0.001; }, 5000));
    QTest::mouseClick(stop, Qt::LeftButton);
    EXPECT_TRUE(test::spinUntil([&] { return recordedLevel(station.sink, 1000) > 0.3; }, 15000));

    volume->setValue(0);
    EXPECT_TRUE(test::spinUntil([&] { return recordedLevel(station.sink, 500) < 0.001; }, 5000));
    volume->setValue(100);
    EXPECT_TRUE(test::spinUntil([&] { return recordedLevel(station.sink, 1000) > 0.3; }, 5000));
}

} // namespace
} // namespace skywell

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
