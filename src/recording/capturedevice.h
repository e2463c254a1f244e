#pragma once

#include "recording/captureblock.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace skywell
{

// A source of captured blocks (the sound server, a WAV file, a test). It
// delivers blocks from its own thread through the sink it is given.
class CaptureDevice
{
public:
    using BlockSink = std::function<void(CaptureBlockPtr)>;

    virtual ~CaptureDevice() = default;

    // The names of the capture devices (sound cards) it offers.
    virtual QStringList deviceNames() = 0;
    // Starts delivering blocks of the named device; "Default Device" means
    // the device the system records from by default. Returns false when
    // capture could not be started at all.
    virtual bool start(const QString &deviceName, BlockSink sink) = 0;
    // Stops delivering; no block reaches the sink after it returns.
    virtual void stop() = 0;

    // A stream's packets kept as sent (blocks carry them), and whether
    // they are also decoded for their levels. Devices that read no stream
    // ignore both.
    virtual void setKeepPackets(bool /*keep*/) {}
    virtual void setLevelsWanted(bool /*wanted*/) {}
};

} // namespace skywell
