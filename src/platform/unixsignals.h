#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace skywell
{

// Turns SIGTERM and SIGINT into a Qt signal delivered on the main thread,
// so the program can stop its timers and close its files before it ends.
class UnixSignalWatcher final : public QObject
{
    Q_OBJECT
public:
    explicit UnixSignalWatcher(QObject *parent = nullptr);
    ~UnixSignalWatcher() override;

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace skywell
