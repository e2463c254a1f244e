#pragma once

#include <QString>

namespace skywell
{

class CaptureQueue;

// The capture as the recording-source test drives it.
class SourceTestCapture
{
public:
    virtual ~SourceTestCapture() = default;
    virtual void start(const QString &card) = 0;
    virtual void stop() = 0;
    // Called once capture has stopped and the events waiting then have run:
    // hands any block captured so far that has not yet reached the block
    // handler (which gives them to the source test while it runs).
    virtual void deliverCapturedBlocks() = 0;
};

// The program's capture queue; its blocks reach the handler registered
// with the queue through the event loop, so by the time the test asks they
// have all been delivered.
class QueueSourceTestCapture final : public SourceTestCapture
{
public:
    explicit QueueSourceTestCapture(CaptureQueue &queue) : m_queue(queue) {}
    void start(const QString &card) override;
    void stop() override;
    void deliverCapturedBlocks() override;

private:
    CaptureQueue &m_queue;
};

} // namespace skywell
