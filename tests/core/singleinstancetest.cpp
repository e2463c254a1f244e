#include "core/singleinstance.h"
#include "core/instanceprotocol.h"
#include "support/eventloop.h"
#include "support/tempenv.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace skywell;
using skywell::test::ScopedEnv;
using skywell::test::spinUntil;
using skywell::test::TempFolder;

namespace
{
struct Received {
    int message = 0;
    int code = 0;
    QString importPath;
};

class SingleInstanceTest : public ::testing::Test
{
protected:
    TempFolder runtime;
    ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", runtime.path().toUtf8()};
    TempFolder programFolder;

    // Connects the instance's requests and log notices to lists.
    void record(SingleInstance &instance)
    {
        QObject::connect(&instance, &SingleInstance::messageReceived,
                         [this](int message, int code, const QString &path) {
                             received.append({message, code, path});
                         });
        QObject::connect(&instance, &SingleInstance::notice, [this](const QString &message, const QString &detail) {
            notices << message + QLatin1Char(' ') + detail;
        });
    }

    // The sender blocks while it waits for the answer, so it runs on a
    // thread of its own here; the receiver needs its event loop.
    QString sendFromThread(const SingleInstance &sender, InstanceRequest request, const QString &path = {})
    {
        QString error = QStringLiteral("not sent");
        bool done = false;
        std::thread thread([&] {
            error = sender.send(request, path);
            done = true;
        });
        spinUntil([&] { return done; }, 10000);
        thread.join();
        return error;
    }

    QList<Received> received;
    QStringList notices;
};

} // namespace

TEST_F(SingleInstanceTest, FirstClaimsSecondHandsOverWithTheImportFile)
{
    SingleInstance first(programFolder.path());
    EXPECT_FALSE(first.anotherInstanceRuns());
    ASSERT_EQ(first.claim(), SingleInstance::Claim::Claimed);
    EXPECT_TRUE(first.listenProblem().isEmpty());
    record(first);

    SingleInstance second(programFolder.path());
    EXPECT_TRUE(second.anotherInstanceRuns());
    EXPECT_EQ(second.claim(), SingleInstance::Claim::Taken);

    const QString odd = QStringLiteral("/tmp/a b\n%20 Zürich 100%.skw");
    EXPECT_EQ(sendFromThread(second, InstanceRequest::Restore), QString());
    EXPECT_EQ(sendFromThread(second, InstanceRequest::Import, odd), QString());
    EXPECT_EQ(sendFromThread(second, InstanceRequest::Quit), QString());
    ASSERT_EQ(received.size(), 3);
    EXPECT_EQ(received[0].message, 1033);
    EXPECT_EQ(received[0].code, 513);
    EXPECT_EQ(received[1].message, 1042);
    EXPECT_EQ(received[1].code, 906);
    EXPECT_EQ(received[1].importPath, odd);
    EXPECT_EQ(received[2].message, 1042);
    EXPECT_EQ(received[2].code, 902);
    EXPECT_TRUE(notices.isEmpty()) << notices.join(QLatin1Char('\n')).toStdString();
}

TEST_F(SingleInstanceTest, OtherProgramFoldersAreOtherInstances)
{
    SingleInstance first(programFolder.path());
    ASSERT_EQ(first.claim(), SingleInstance::Claim::Claimed);
    TempFolder elsewhere;
    SingleInstance other(elsewhere.path());
    EXPECT_EQ(other.claim(), SingleInstance::Claim::Claimed);
}

TEST_F(SingleInstanceTest, NobodyToTalkToIsAnError)
{
    SingleInstance lonely(programFolder.path());
    EXPECT_FALSE(lonely.send(InstanceRequest::Quit, QString(), 300).isEmpty());
}

// A killed instance leaves an empty lock file and a socket nobody listens on.
TEST_F(SingleInstanceTest, LeftoversOfAKilledInstanceAreTakenOver)
{
    QString socketPath;
    {
        SingleInstance killed(programFolder.path());
        ASSERT_EQ(killed.claim(), SingleInstance::Claim::Claimed);
        socketPath = killed.socketPath();
    }
    QFile socketFile(socketPath);
    ASSERT_TRUE(socketFile.open(QIODevice::WriteOnly));
    socketFile.close();
    QFile lockFile(programFolder.file(QStringLiteral("skywell.lock")));
    ASSERT_TRUE(lockFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lockFile.close();

    SingleInstance next(programFolder.path());
    EXPECT_FALSE(next.anotherInstanceRuns());
    ASSERT_EQ(next.claim(), SingleInstance::Claim::Claimed);
    record(next);
    SingleInstance sender(programFolder.path());
    EXPECT_EQ(sendFromThread(sender, InstanceRequest::Restore), QString());
    EXPECT_EQ(received.size(), 1);
}

// Whatever a process of this user writes to the socket, the instance says
// so in the log and goes on taking requests.
TEST_F(SingleInstanceTest, NonsenseOnTheSocketIsRefusedAndTheInstanceGoesOn)
{
    SingleInstance instance(programFolder.path());
    ASSERT_EQ(instance.claim(), SingleInstance::Claim::Claimed);
    record(instance);

    const QList<QByteArray> nonsense = {
        QByteArray(),                              // nothing, then the end
        QByteArray("hello\n"),                     // not a request
        QByteArray("1042 906 \n"),                 // an import without a file
        QByteArray("1042 906 a%00b\n"),            // a file name with a zero byte
        QByteArray(3 * kMaxRequestLineBytes, 'x'), // far too long, no line end
        QByteArray("1033\0 513\n", 10),            // binary
        QByteArray("1042 906 /a/b c d\n"),         // too many words
    };
    for (const QByteArray &bytes : nonsense) {
        const int before = int(notices.size());
        QLocalSocket socket;
        socket.connectToServer(instance.socketPath());
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(bytes);
        socket.flush();
        spinUntil([&] { return false; }, 50);
        socket.disconnectFromServer();
        EXPECT_TRUE(spinUntil([&] { return notices.size() > before; }, 5000)) << bytes.left(40).toStdString();
    }
    EXPECT_TRUE(received.isEmpty());
    for (const QString &notice : std::as_const(notices))
        EXPECT_TRUE(notice.startsWith(QStringLiteral("Ignored a request from a second start:")))
            << notice.toStdString();

    SingleInstance sender(programFolder.path());
    EXPECT_EQ(sendFromThread(sender, InstanceRequest::Restore), QString());
    EXPECT_EQ(received.size(), 1);
}

// A logout removes the runtime folder: the instance listens again, in the
// folder a second start now looks in, and stays the only one.
TEST_F(SingleInstanceTest, ListensAgainWhenTheRuntimeFolderGoes)
{
    TempFolder tmp;
    ScopedEnv tmpEnv{"TMPDIR", tmp.path().toUtf8()};
    SingleInstance instance(programFolder.path());
    ASSERT_EQ(instance.claim(), SingleInstance::Claim::Claimed);
    record(instance);
    ASSERT_TRUE(QDir(runtime.path()).removeRecursively());

    SingleInstance second(programFolder.path());
    EXPECT_EQ(second.claim(), SingleInstance::Claim::Taken);
    EXPECT_TRUE(spinUntil([&] { return instance.socketPath().startsWith(tmp.path()); }, 5000));
    EXPECT_EQ(sendFromThread(second, InstanceRequest::Restore), QString());
    EXPECT_EQ(received.size(), 1);
}

TEST_F(SingleInstanceTest, ControlRequestsWaitForTheHandlerAndGetItsAnswer)
{
    SingleInstance first(programFolder.path());
    ASSERT_EQ(first.claim(), SingleInstance::Claim::Claimed);
    record(first);
    SingleInstance second(programFolder.path());
    // Blanks, a line end and non-ASCII travel percent-encoded.
    const QByteArray request = QStringLiteral("{\"name\":\"a b\\n Zürich 100% \U0001F3B7\"}").toUtf8();
    QString error = QStringLiteral("not sent");
    QByteArray reply;
    std::atomic<bool> done = false;
    std::thread thread([&] {
        error = second.sendControl(request, reply);
        done = true;
    });
    // Taken before anyone answers: it waits, without a refusal.
    spinUntil([] { return false; }, 300);
    EXPECT_FALSE(done);
    first.setControlHandler([](const QByteArray &got) { return "{\"got\":" + got + "}\nignored"; });
    spinUntil([&] { return done.load(); }, 10000);
    thread.join();
    EXPECT_EQ(error, QString());
    // One line back: a line end in the answer cannot cut it short.
    EXPECT_EQ(reply, "{\"got\":" + request + "} ignored");
    EXPECT_TRUE(received.isEmpty());
    EXPECT_TRUE(notices.isEmpty()) << notices.join(QLatin1Char('\n')).toStdString();
}
