#pragma once

#include "recording/capturedevice.h"

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

// The capture library the recording code calls: device list, start and
// stop, and a queue of filled blocks. Blocks arrive on the device's thread;
// a queued Qt call (standing for the block-ready message 33669) then runs
// the handler on the thread that called InitACM, which drains the queue
// with GetNextACMBlock and gives each block back with FreeACMBlock.
// All calls come from that thread.
class CaptureLibrary final
{
public:
    explicit CaptureLibrary(CaptureDevice &device);
    ~CaptureLibrary();
    CaptureLibrary(const CaptureLibrary &) = delete;
    CaptureLibrary &operator=(const CaptureLibrary &) = delete;

    // Registers the block-ready handler; it runs on the calling thread.
    void InitACM(std::function<void()> onBlocksReady);
    // Stops capture and drops every queued block.
    void DeinitACM();

    // Device names one by one; false when there are no more.
    bool GetFirstACMDevice(QString &name);
    bool GetNextACMDevice(QString &name);

    // Starts capture on the named sound card. Called again while capture
    // runs on the same card (a split) it keeps capturing without a gap.
    void StartACMRecord(const QString &deviceName);
    // Stops capture; blocks already queued may still be fetched.
    void StopACMRecord();

    // Takes the next queued block; false when the queue is empty.
    bool GetNextACMBlock(AcmBlock *&block);
    void FreeACMBlock(AcmBlock *block);

    bool isRecording() const { return m_recording; }
    std::size_t queuedBlocks() const;

private:
    void enqueue(AcmBlockPtr block);

    CaptureDevice &m_device;
    std::function<void()> m_onBlocksReady;
    // Lives on the InitACM thread; queued calls to it die with it.
    std::unique_ptr<QObject> m_notifier;

    mutable std::mutex m_mutex;
    std::deque<AcmBlockPtr> m_queue;
    bool m_notifyPending = false;

    QStringList m_devices;
    int m_nextDevice = 0;
    bool m_recording = false;
    QString m_recordingDevice;
};

} // namespace skywell
