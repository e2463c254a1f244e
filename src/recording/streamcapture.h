#pragma once

#include "recording/capturedevice.h"

#include <QString>

namespace skywell
{

// Capture straight from an internet radio stream: it opens the address
// itself and delivers the decoded audio, or the packets as sent.
class StreamCapture : public CaptureDevice
{
public:
    // Starts delivering blocks of the stream at the address. Returns false
    // when the address can never be opened.
    virtual bool start(const QString &address, BlockSink sink) = 0;

    // The stream's packets kept as sent (blocks carry them); takes effect
    // at the next start.
    virtual void setKeepPackets(bool keep) = 0;
    // With packets kept, whether they are also decoded for their levels;
    // may change at any time.
    virtual void setLevelsWanted(bool wanted) = 0;
};

} // namespace skywell
