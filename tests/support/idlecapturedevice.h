#pragma once

#include "recording/soundcardcapture.h"
#include "recording/streamcapture.h"

#include <QStringList>

namespace skywell::test
{

// A sound card's or a stream's capture that starts and stops; the test
// hands blocks through its sink itself, as the capture's thread would.
class IdleCaptureDevice final : public SoundCardCapture, public StreamCapture
{
public:
    QStringList deviceNames() override { return {QStringLiteral("Test Card")}; }
    bool start(const QString &name, BlockSink blockSink) override
    {
        sink = std::move(blockSink);
        starts << name;
        return startable;
    }
    void stop() override { ++stops; }
    void setKeepPackets(bool) override {}
    void setLevelsWanted(bool) override {}

    bool startable = true;
    // The names (or addresses) capture was started on, and the stops.
    QStringList starts;
    int stops = 0;
    BlockSink sink;
};

} // namespace skywell::test
