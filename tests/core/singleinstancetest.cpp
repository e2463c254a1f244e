#include "core/singleinstance.h"
#include "support/eventloop.h"
#include "support/tempenv.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>

#include <gtest/gtest.h>
#include <thread>

using namespace skywell;
using skywell::test::ScopedEnv;
using skywell::test::TempFolder;
using skywell::test::spinUntil;

namespace
{
class SingleInstanceTest : public ::testing::Test
{
protected:
    TempFolder runtime;
    ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", runtime.path().toUtf8()};
    const QString programFolder = QStringLiteral("/test/program/folder/");
};

} // namespace

TEST_F(SingleInstanceTest, FirstClaimsSecondHandsOver)
{
    SingleInstance first(programFolder);
    EXPECT_FALSE(first.anotherInstanceRuns());
    ASSERT_TRUE(first.claim());
    QList<InstanceMessage> received;
    QObject::connect(&first, &SingleInstance::messageReceived, [&received](int message, int code) {
        received.append({message, code});
    });

    SingleInstance second(programFolder);
    EXPECT_TRUE(second.anotherInstanceRuns());
    EXPECT_FALSE(second.claim());

    // The sender blocks while it writes, so it runs on a thread of its own
    // here; the receiver needs its event loop.
    bool sent = false;
    std::thread sender([&] {
        sent = second.send(InstanceRequest::Restore) && second.send(InstanceRequest::Import) &&
               second.send(InstanceRequest::Quit);
    });
    EXPECT_TRUE(spinUntil([&] { return received.size() == 3; }));
    sender.join();
    EXPECT_TRUE(sent);
    ASSERT_EQ(received.size(), 3);
    EXPECT_EQ(received[0].message, 1033);
    EXPECT_EQ(received[0].code, 513);
    EXPECT_EQ(received[1].message, 1042);
    EXPECT_EQ(received[1].code, 906);
    EXPECT_EQ(received[2].message, 1042);
    EXPECT_EQ(received[2].code, 902);
}

TEST_F(SingleInstanceTest, OtherProgramFoldersAreOtherInstances)
{
    SingleInstance first(programFolder);
    ASSERT_TRUE(first.claim());
    SingleInstance elsewhere(QStringLiteral("/another/folder/"));
    EXPECT_TRUE(elsewhere.claim());
}

TEST_F(SingleInstanceTest, NobodyToTalkTo)
{
    SingleInstance lonely(programFolder);
    EXPECT_FALSE(lonely.send(InstanceRequest::Quit, 300));
}

TEST_F(SingleInstanceTest, LeftoversOfACrashedInstanceAreTakenOver)
{
    QString socketPath;
    {
        SingleInstance crashed(programFolder);
        socketPath = crashed.socketPath();
    }
    // A socket file nobody listens on and a lock file of a process that is
    // gone, as a killed instance leaves them.
    QFile socketFile(socketPath);
    ASSERT_TRUE(socketFile.open(QIODevice::WriteOnly));
    socketFile.close();
    QString lockPath = socketPath;
    lockPath.replace(QStringLiteral(".sock"), QStringLiteral(".lock"));
    QFile lockFile(lockPath);
    ASSERT_TRUE(lockFile.open(QIODevice::WriteOnly));
    lockFile.write("999999\nskywell\n\n");
    lockFile.close();

    SingleInstance next(programFolder);
    EXPECT_FALSE(next.anotherInstanceRuns());
    ASSERT_TRUE(next.claim());
    bool got = false;
    QObject::connect(&next, &SingleInstance::messageReceived, [&got](int, int) { got = true; });
    SingleInstance sender(programFolder);
    std::thread t([&] { sender.send(InstanceRequest::Restore); });
    EXPECT_TRUE(spinUntil([&] { return got; }));
    t.join();
}
