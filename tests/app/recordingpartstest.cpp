// The program's recording parts on the real sound server: two recordings'
// private sinks side by side, each captured alone, each heard on the
// speakers only while not muted.
#include "app/recordingparts.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "platform/pulsedevices.h"
#include "platform/pulsetestserver.h"
#include "recording/audiofixtures.h"
#include "recording/recordingports.h"
#include "support/eventloop.h"
#include "support/tempenv.h"
#include "support/tonelistener.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

// The suite name puts it among the tests that take turns on the shared
// sound server (it changes the default sink for a moment).

using namespace skywell;
using namespace skywell::test;

namespace
{

// Module lines of the server that mention the text.
int modulesWith(const QString &text)
{
    int count = 0;
    for (const QString &line :
         pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")}).split(u'\n'))
        if (line.contains(text))
            ++count;
    return count;
}

// A player Skywell started for a recording: plays a tone into the sink it
// is given, as the tuner does with PULSE_SINK.
class TonePlayer
{
public:
    TonePlayer(const TempFolder &dir, const QString &sink, double hz)
    {
        const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
        const QString path = dir.file(QStringLiteral("tone%1.wav").arg(hz));
        writeWav(path, format, toneSamples(format, 60.0, hz));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PULSE_SINK"), sink);
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral("paplay"), {path});
    }
    ~TonePlayer() { stop(); }
    void stop()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

// Whether the listener hears only silence for a while, once what was on
// its way has drained (a busy server may apply a change late).
bool quietAfterDrain(ToneListener &listener)
{
    return spinUntil(
        [&] {
            listener.reset();
            return listener.hearMore(8) && listener.loudBlocks() == 0;
        },
        10000);
}

bool hearsTone(ToneListener &listener, double hz)
{
    return spinUntil(
        [&] {
            listener.reset();
            return listener.hearMore(5) && listener.loudBlocks() >= 5 && std::abs(listener.pitch() - hz) < hz * 0.05;
        },
        10000);
}

} // namespace

TEST(PulseMixer, RecordingsSideBySideEachRecordTheirOwnSinkAndAreHeardUnlessMuted)
{
    QString why;
    ASSERT_TRUE(pulseServerAvailable(&why)) << why.toStdString();
    ScopedNullSink speakers(QStringLiteral("skywell_parts_speakers_%1").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(speakers.loaded());
    ScopedDefaultSink asDefault(speakers.name());

    TempFolder dir;
    ManualClock clock(1700000000);
    ActivityLog log(dir.path(), clock);
    Settings settings;
    ScriptedPrompter prompter;
    PulseSourceChoice choice;
    ProgramRecordingParts parts(log, settings, prompter, choice, [] { return true; });

    const std::unique_ptr<PrivateSink> first = parts.privateSink();
    const std::unique_ptr<PrivateSink> second = parts.privateSink();
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->open()) << first->errorText().toStdString();
    ASSERT_TRUE(second->open()) << second->errorText().toStdString();
    ASSERT_NE(first->sinkName().toStdString(), second->sinkName().toStdString());
    // Opening the second left the first in place.
    EXPECT_EQ(modulesWith(QStringLiteral("sink_name=") + first->sinkName()), 1);

    // The mixer's choice points elsewhere: each capture records its own
    // monitor regardless.
    choice.set(speakers.monitor());
    const auto firstCapture = parts.captureOf(first->monitorName());
    const auto secondCapture = parts.captureOf(second->monitorName());
    const auto speakersCapture = parts.captureOf(speakers.monitor());
    ToneListener firstHears(*firstCapture);
    ToneListener secondHears(*secondCapture);
    ToneListener speakersHear(*speakersCapture);

    TonePlayer low(dir, first->sinkName(), 440.0);
    TonePlayer high(dir, second->sinkName(), 1000.0);
    EXPECT_TRUE(hearsTone(firstHears, 440.0)) << "pitch " << firstHears.pitch();
    EXPECT_TRUE(hearsTone(secondHears, 1000.0)) << "pitch " << secondHears.pitch();
    EXPECT_TRUE(quietAfterDrain(speakersHear)) << "a muted recording was heard";

    // Not muted: the first is heard on the speakers, and only it.
    ASSERT_TRUE(first->setHeard(true)) << first->errorText().toStdString();
    EXPECT_TRUE(hearsTone(speakersHear, 440.0)) << "pitch " << speakersHear.pitch();
    EXPECT_TRUE(first->setHeard(true));
    EXPECT_EQ(modulesWith(QStringLiteral("source=") + first->monitorName()), 1);

    // Muted again: the speakers go quiet; the recording goes on.
    ASSERT_TRUE(first->setHeard(false));
    EXPECT_TRUE(quietAfterDrain(speakersHear)) << "still heard after muting";
    EXPECT_TRUE(hearsTone(firstHears, 440.0));

    // The end of a recording that is heard: its player ends, closing takes
    // the loopback along and leaves the other recording's sink alone.
    ASSERT_TRUE(second->setHeard(true));
    EXPECT_TRUE(hearsTone(speakersHear, 1000.0)) << "pitch " << speakersHear.pitch();
    high.stop();
    second->close();
    EXPECT_EQ(modulesWith(second->monitorName()), 0);
    EXPECT_EQ(modulesWith(QStringLiteral("sink_name=") + second->sinkName()), 0);
    EXPECT_EQ(modulesWith(QStringLiteral("sink_name=") + first->sinkName()), 1);
    EXPECT_TRUE(quietAfterDrain(speakersHear));
    EXPECT_TRUE(hearsTone(firstHears, 440.0));
}
