#include "core/requestgate.h"
#include "support/eventloop.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace skywell;
using skywell::test::spinUntil;

namespace
{
struct GateRecorder {
    RequestGate gate;
    QStringList handed; // what reached the handlers, in order
    int quitWarnings = 0;

    GateRecorder()
    {
        QObject::connect(&gate, &RequestGate::messageReady,
                         [this](int message, int code) { handed << QStringLiteral("%1/%2").arg(message).arg(code); });
        QObject::connect(&gate, &RequestGate::terminationReady,
                         [this](int signal) { handed << QStringLiteral("signal %1").arg(signal); });
        QObject::connect(&gate, &RequestGate::quitWhileStarting, [this] { ++quitWarnings; });
    }
};
} // namespace

// Requests that come while starting wait, and go on in their order once
// the gate opens; the first quit warns the start-up once.
TEST(RequestGate, HoldsRequestsUntilOpenedThenHandsThemOnInOrder)
{
    GateRecorder r;
    r.gate.postMessage(1033, 513);
    r.gate.postMessage(1042, 906);
    EXPECT_EQ(r.quitWarnings, 0);
    r.gate.postTermination(15);
    r.gate.postMessage(1042, 902);
    EXPECT_EQ(r.quitWarnings, 1);
    EXPECT_TRUE(r.gate.quitHeld());
    EXPECT_TRUE(r.handed.isEmpty()) << "nothing reaches the handlers before the main loop runs";

    r.gate.open();
    // After the quit there is nothing left to act on ...
    EXPECT_EQ(r.handed,
              QStringList({QStringLiteral("1033/513"), QStringLiteral("1042/906"), QStringLiteral("signal 15")}));
    r.gate.postMessage(1033, 513);
    spinUntil([] { return false; }, 50);
    EXPECT_EQ(r.handed.size(), 3);
    // ... but a repeated termination signal is not swallowed.
    r.gate.postTermination(15);
    ASSERT_TRUE(spinUntil([&] { return r.handed.size() == 4; }, 2000));
    EXPECT_EQ(r.handed.last(), QStringLiteral("signal 15"));
}

// Once open, a request is handed on from the event loop, never from inside
// the handler that received it (a socket's, a signal's).
TEST(RequestGate, OpenGateHandsOnFromTheEventLoop)
{
    GateRecorder r;
    r.gate.open();
    r.gate.postMessage(1042, 906);
    r.gate.postMessage(1033, 513);
    EXPECT_TRUE(r.handed.isEmpty());
    EXPECT_EQ(r.quitWarnings, 0);
    ASSERT_TRUE(spinUntil([&] { return r.handed.size() == 2; }, 2000));
    EXPECT_EQ(r.handed, QStringList({QStringLiteral("1042/906"), QStringLiteral("1033/513")}));
}
