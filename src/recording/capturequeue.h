#pragma once

#include "recording/soundcardcapture.h"
#include "recording/streamcapture.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace skywell
{

// What the recording code captures through: a sound card's capture and a
// stream's (either may be missing), the sound cards' list, start and stop,
// and a queue of filled blocks. Blocks arrive on the device's thread;
// a queued Qt call (the "blocks ready" notification) then runs the handler
// on the thread that called init, which drains the queue with takeBlock;
// each block taken belongs to the caller.
// All calls come from that thread.
class CaptureQueue final
{
public:
    explicit CaptureQueue(SoundCardCapture &soundCard, StreamCapture *stream = nullptr);
    // Captures streams only: no sound card to list or start.
    explicit CaptureQueue(StreamCapture &stream);
    ~CaptureQueue();
    CaptureQueue(const CaptureQueue &) = delete;
    CaptureQueue &operator=(const CaptureQueue &) = delete;

    // Registers the block-ready handler; it runs on the calling thread.
    void init(std::function<void()> onBlocksReady);
    // Stops capture and drops every queued block.
    void shutdown();

    // Sound card names one by one; false when there are no more.
    bool firstDevice(QString &name);
    bool nextDevice(QString &name);

    // Starts capture on the named sound card (none: capture does not
    // start). Called again while capture runs on the same card (a split)
    // it keeps capturing without a gap.
    void start(const QString &deviceName);
    // Starts capture of the address through the stream capture (none:
    // capture does not start); like start, a call for the address already
    // captured keeps it running.
    void startStream(const QString &address);
    // Opens the captured stream afresh (nothing heard for too long).
    void reopenStream();
    // Stops capture; blocks already queued may still be fetched.
    void stop();

    // Takes the next queued block; null when the queue is empty.
    CaptureBlockPtr takeBlock();

    bool isRecording() const { return m_recording; }
    std::size_t queuedBlocks() const;

private:
    void enqueue(CaptureBlockPtr block);
    CaptureDevice::BlockSink queueSink();
    // Notes the outcome of starting the device on the name or address.
    void started(CaptureDevice &device, const QString &name, bool running);

    SoundCardCapture *m_soundCard = nullptr;
    StreamCapture *m_stream = nullptr;
    // The device capturing now (the sound card's or the stream's).
    CaptureDevice *m_active = nullptr;
    std::function<void()> m_onBlocksReady;
    // Lives on the init thread; queued calls to it die with it.
    std::unique_ptr<QObject> m_notifier;

    mutable std::mutex m_mutex;
    std::deque<CaptureBlockPtr> m_queue;
    bool m_notifyPending = false;

    QStringList m_devices;
    int m_nextDevice = 0;
    bool m_recording = false;
    // The sound card's name or the stream's address captured now.
    QString m_recordingDevice;
};

} // namespace skywell
