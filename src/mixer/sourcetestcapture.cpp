#include "mixer/sourcetestcapture.h"

#include "recording/capturequeue.h"

namespace skywell
{

void QueueSourceTestCapture::start(const QString &card)
{
    m_queue.start(card);
}

void QueueSourceTestCapture::stop()
{
    m_queue.stop();
}

void QueueSourceTestCapture::deliverCapturedBlocks()
{
    // Nothing left: the block-ready call posted before stop() returned ran
    // in the event loop before the test asked.
}

} // namespace skywell
