#pragma once

#include "recording/captureblock.h"

#include <functional>

namespace skywell
{

// What every source of captured blocks shares (a sound card's capture, a
// stream's, a test's): it delivers blocks from its own thread through the
// sink it was started with, until stopped.
class CaptureDevice
{
public:
    using BlockSink = std::function<void(CaptureBlockPtr)>;

    virtual ~CaptureDevice() = default;

    // Stops delivering; no block reaches the sink after it returns.
    virtual void stop() = 0;
};

} // namespace skywell
