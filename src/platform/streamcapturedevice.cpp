// Placeholder: opens nothing until the FFmpeg decoder replaces it.
#include "platform/streamcapturedevice.h"
namespace skywell
{
struct StreamCaptureDevice::Worker {
};
StreamCaptureDevice::StreamCaptureDevice(LogLine log, Pace pace) : m_log(std::move(log)), m_pace(pace)
{
}
StreamCaptureDevice::~StreamCaptureDevice() = default;
QStringList StreamCaptureDevice::deviceNames()
{
    return {};
}
bool StreamCaptureDevice::start(const QString &, BlockSink)
{
    return false;
}
void StreamCaptureDevice::stop()
{
}
} // namespace skywell
