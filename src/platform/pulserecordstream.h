#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>

struct pa_stream;

namespace skywell
{

class PulseConnection;

// A record stream of 16-bit stereo from one named source, on a connection
// whose main loop the caller runs (PulseConnection::runOnce). Nothing here
// blocks beyond the connection's time limit, so a stalled server cannot
// hold the caller.
class PulseRecordStream final
{
public:
    // Receives the recorded bytes in order; null data stands for bytes the
    // server lost (a gap), which the receiver fills with silence.
    using Receiver = std::function<void(const std::uint8_t *data, std::size_t bytes)>;

    explicit PulseRecordStream(PulseConnection &connection);
    ~PulseRecordStream();
    PulseRecordStream(const PulseRecordStream &) = delete;
    PulseRecordStream &operator=(const PulseRecordStream &) = delete;

    // Connects to the source at the rate and waits until it records.
    // fragmentBytes is how much the server gathers before it sends.
    bool connect(const QString &source, std::uint32_t rate, std::uint32_t fragmentBytes);
    // Hands everything the server has delivered so far to the receiver.
    // False once the stream has failed (source gone, connection lost).
    bool read(const Receiver &receive);

private:
    PulseConnection &m_connection;
    pa_stream *m_stream = nullptr;
};

} // namespace skywell
