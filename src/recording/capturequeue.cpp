#include "recording/capturequeue.h"

#include <QMetaObject>

namespace skywell
{

CaptureQueue::CaptureQueue(SoundCardCapture &soundCard, StreamCapture *stream)
    : m_soundCard(&soundCard), m_stream(stream)
{
}

CaptureQueue::CaptureQueue(StreamCapture &stream) : m_stream(&stream)
{
}

CaptureQueue::~CaptureQueue()
{
    shutdown();
}

void CaptureQueue::init(std::function<void()> onBlocksReady)
{
    m_onBlocksReady = std::move(onBlocksReady);
    m_notifier = std::make_unique<QObject>();
}

void CaptureQueue::shutdown()
{
    stop();
    std::lock_guard lock(m_mutex);
    m_queue.clear();
    m_notifyPending = false;
    m_notifier.reset();
}

bool CaptureQueue::firstDevice(QString &name)
{
    m_devices = m_soundCard ? m_soundCard->deviceNames() : QStringList();
    m_nextDevice = 0;
    return nextDevice(name);
}

bool CaptureQueue::nextDevice(QString &name)
{
    if (m_nextDevice >= m_devices.size())
        return false;
    name = m_devices.at(m_nextDevice++);
    return true;
}

void CaptureQueue::start(const QString &deviceName)
{
    if (m_recording && m_active == m_soundCard && deviceName == m_recordingDevice)
        return;
    stop();
    if (m_soundCard)
        started(*m_soundCard, deviceName, m_soundCard->start(deviceName, queueSink()));
}

void CaptureQueue::startStream(const QString &address)
{
    if (m_recording && m_active == m_stream && address == m_recordingDevice)
        return;
    stop();
    if (m_stream)
        started(*m_stream, address, m_stream->start(address, queueSink()));
}

void CaptureQueue::started(CaptureDevice &device, const QString &name, bool running)
{
    m_recording = running;
    m_active = running ? &device : nullptr;
    m_recordingDevice = running ? name : QString();
}

void CaptureQueue::reopenStream()
{
    if (!m_recording || m_active != m_stream)
        return;
    const QString address = m_recordingDevice;
    stop();
    startStream(address);
}

void CaptureQueue::stop()
{
    if (!m_recording)
        return;
    if (m_active)
        m_active->stop();
    m_active = nullptr;
    m_recording = false;
    m_recordingDevice.clear();
}

CaptureBlockPtr CaptureQueue::takeBlock()
{
    std::lock_guard lock(m_mutex);
    if (m_queue.empty())
        return nullptr;
    CaptureBlockPtr block = std::move(m_queue.front());
    m_queue.pop_front();
    return block;
}

std::size_t CaptureQueue::queuedBlocks() const
{
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

CaptureDevice::BlockSink CaptureQueue::queueSink()
{
    return [this](CaptureBlockPtr block) { enqueue(std::move(block)); };
}

// Runs on the device's thread.
void CaptureQueue::enqueue(CaptureBlockPtr block)
{
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(block));
    // One notification covers every block queued before the handler runs.
    if (m_notifyPending || !m_notifier)
        return;
    m_notifyPending = true;
    QMetaObject::invokeMethod(
        m_notifier.get(),
        [this] {
            {
                std::lock_guard lock(m_mutex);
                m_notifyPending = false;
            }
            if (m_onBlocksReady)
                m_onBlocksReady();
        },
        Qt::QueuedConnection);
}

} // namespace skywell
