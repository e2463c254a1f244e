#pragma once

#include "recording/capturedevice.h"

#include <QString>
#include <QStringList>

namespace skywell
{

// Capture from a sound card (the sound server, a WAV file, a test).
class SoundCardCapture : public CaptureDevice
{
public:
    // The names of the sound cards it offers.
    virtual QStringList deviceNames() = 0;
    // Starts delivering blocks of the named sound card; "Default Device"
    // means the one the system records from by default. Returns false when
    // capture could not be started at all.
    virtual bool start(const QString &deviceName, BlockSink sink) = 0;
};

} // namespace skywell
