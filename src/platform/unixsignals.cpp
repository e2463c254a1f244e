#include "platform/unixsignals.h"

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace skywell
{

namespace
{
int g_signalSockets[2] = {-1, -1};

extern "C" void forwardSignal(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Only async-signal-safe work here: one write to the socket pair.
    [[maybe_unused]] const ssize_t n = ::write(g_signalSockets[0], &byte, 1);
}
} // namespace

UnixSignalWatcher::UnixSignalWatcher(QObject *parent) : QObject(parent)
{
    // The writing end never blocks: a flood of signals while the main loop
    // is busy must not stop the thread the handler interrupted.
    if (g_signalSockets[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSockets) != 0)
        return;
    ::fcntl(g_signalSockets[0], F_SETFL, ::fcntl(g_signalSockets[0], F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(g_signalSockets[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &UnixSignalWatcher::readSignal);

    struct sigaction action {
    };
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

UnixSignalWatcher::~UnixSignalWatcher()
{
    // The program is ending already: a signal that comes now (a second
    // SIGTERM) has nothing more to end and must not cut the last steps
    // short, so the handler stays; nobody reads its bytes any more.
    m_notifier.reset();
}

void UnixSignalWatcher::readSignal()
{
    unsigned char byte = 0;
    if (::read(g_signalSockets[1], &byte, 1) == 1)
        Q_EMIT terminationRequested(byte);
}

} // namespace skywell
