#pragma once

#include "recording/soundcardcapture.h"

#include <mutex>

namespace skywell::test
{

// Records through a capture device and tells what it hears: how many
// blocks came, how many were not silent, and the pitch of the latest loud
// block (from its zero crossings, good for one pure tone; a mix of tones
// reads as neither).
class ToneListener
{
public:
    ToneListener(SoundCardCapture &device, const QString &deviceName = QStringLiteral("Default Device"));
    ~ToneListener();
    ToneListener(const ToneListener &) = delete;
    ToneListener &operator=(const ToneListener &) = delete;

    // Forgets what was heard so far.
    void reset();
    int blocks() const;
    int loudBlocks() const;
    // Hz of the latest loud block, 0 when none was loud.
    double pitch() const;
    // Waits (running the event loop) until the device has delivered n more
    // blocks; false when it did not within the time.
    bool hearMore(int n, int ms = 10000);

private:
    void take(const CaptureBlock &block);

    SoundCardCapture &m_device;
    mutable std::mutex m_mutex;
    int m_blocks = 0;
    int m_loud = 0;
    double m_pitch = 0;
};

} // namespace skywell::test
