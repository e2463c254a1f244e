#include "platform/pulsesoundplayer.h"
#include "mixer/testsound.h"
#include "platform/pulsetestserver.h"
#include "support/tempenv.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace skywell;
using namespace skywell::test;

// The test sound on a server of the test's own: played to its end before
// the call returns (the source test stops capture right after it). A
// missing file and a server that stopped answering fail with a reason,
// within the time limit, instead of freezing the program.
TEST(PulseSoundPlayer, PlaysToTheEndOrFailsWithAReason)
{
    PrivatePulseServer server;
    ASSERT_TRUE(server.start());
    ScopedEnv address("PULSE_SERVER", server.address().toLocal8Bit());
    TempFolder dir;
    const QString sound = testSoundPath(dir.path());
    ASSERT_TRUE(ensureTestSound(sound));
    PulseSoundPlayer speakers;

    QString error;
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(speakers.playToEnd(sound, &error)) << error.toStdString();
    EXPECT_GE(timer.elapsed(), 390) << "returned before the 0.4 s sound was played";

    error.clear();
    EXPECT_FALSE(speakers.playToEnd(dir.file(QStringLiteral("none.wav")), &error));
    EXPECT_FALSE(error.isEmpty());

    ASSERT_TRUE(server.freeze());
    error.clear();
    timer.restart();
    EXPECT_FALSE(speakers.playToEnd(sound, &error));
    EXPECT_LT(timer.elapsed(), 3 * PulseSoundPlayer::kDefaultTimeout.count());
    EXPECT_FALSE(error.isEmpty());
    server.thaw();
}
