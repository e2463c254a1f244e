#pragma once

// Recording parts for tests: every recording the roster starts captures
// through, plays into and downloads with the test's own doubles, which
// the test inspects and feeds.
#include "recording/capturedevice.h"
#include "recording/recordingports.h"

#include <memory>

namespace skywell::test
{

// Hands every call to a device the test owns, and notes which one the
// last recording started.
class ForwardingDevice final : public CaptureDevice
{
public:
    ForwardingDevice(CaptureDevice &target, CaptureDevice **lastStarted) : m_target(target), m_lastStarted(lastStarted)
    {
    }
    QStringList deviceNames() override { return m_target.deviceNames(); }
    bool start(const QString &name, BlockSink sink) override
    {
        *m_lastStarted = &m_target;
        return m_target.start(name, std::move(sink));
    }
    void stop() override { m_target.stop(); }

private:
    CaptureDevice &m_target;
    CaptureDevice **m_lastStarted;
};

class ForwardingSink final : public PrivateSink
{
public:
    explicit ForwardingSink(PrivateSink &target) : m_target(target) {}
    bool open() override { return m_target.open(); }
    QString sinkName() const override { return m_target.sinkName(); }
    QString monitorName() const override { return m_target.monitorName(); }
    StreamMove moveStreamsOf(const QList<qint64> &ids) override { return m_target.moveStreamsOf(ids); }
    void close() override { m_target.close(); }
    bool setHeard(bool heard) override { return m_target.setHeard(heard); }
    QString errorText() const override { return m_target.errorText(); }

private:
    PrivateSink &m_target;
};

class ForwardingDownload final : public DirectDownload
{
public:
    explicit ForwardingDownload(DirectDownload &target) : m_target(target) {}
    void start(const QString &url, const QString &path, std::function<void(const DirectDownloadResult &)> done) override
    {
        m_target.start(url, path, std::move(done));
    }
    void stop() override { m_target.stop(); }
    bool running() const override { return m_target.running(); }
    bool liveStream() const override { return m_target.liveStream(); }

private:
    DirectDownload &m_target;
};

// Sound-card recordings capture through card, stream recordings through
// stream; sinks and downloads are the given ones (none: null).
class ForwardingParts final : public RecordingParts
{
public:
    ForwardingParts(CaptureDevice &card, CaptureDevice &stream, PrivateSink *sink, DirectDownload *download)
        : m_card(card), m_stream(stream), m_sink(sink), m_download(download)
    {
    }
    std::unique_ptr<CaptureDevice> captureOf(const QString &) override
    {
        return std::make_unique<ForwardingDevice>(m_card, &lastStarted);
    }
    std::unique_ptr<CaptureDevice> chosenSourceCapture() override
    {
        return std::make_unique<ForwardingDevice>(m_card, &lastStarted);
    }
    std::unique_ptr<CaptureDevice> streamDevice(const QString &) override
    {
        return std::make_unique<ForwardingDevice>(m_stream, &lastStarted);
    }
    std::unique_ptr<PrivateSink> privateSink() override
    {
        return m_sink ? std::make_unique<ForwardingSink>(*m_sink) : nullptr;
    }
    std::unique_ptr<DirectDownload> directDownload() override
    {
        return m_download ? std::make_unique<ForwardingDownload>(*m_download) : nullptr;
    }
    void setSink(PrivateSink *sink) { m_sink = sink; }

    // The device the last recording started capture on.
    CaptureDevice *lastStarted = nullptr;

private:
    CaptureDevice &m_card;
    CaptureDevice &m_stream;
    PrivateSink *m_sink;
    DirectDownload *m_download;
};

} // namespace skywell::test
