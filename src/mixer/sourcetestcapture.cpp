#include "mixer/sourcetestcapture.h"

#include "recording/capturequeue.h"

#include <QCoreApplication>

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
    // The block-ready call was posted before stop() returned; running the
    // waiting events delivers it (and whatever else waits, user input too).
    QCoreApplication::processEvents();
}

} // namespace skywell
