#pragma once

// Recording parts for tests: every recording the roster starts captures
// through, plays into and downloads with the test's own doubles, which
// the test inspects and feeds.
#include "recording/recordingports.h"
#include "recording/soundcardcapture.h"
#include "recording/streamcapture.h"

#include <memory>

namespace skywell::test
{

// Hand every call to a capture the test owns, and keep the sink the last
// recording started capture with.
class ForwardingSoundCard final : public SoundCardCapture
{
public:
    ForwardingSoundCard(SoundCardCapture &target, BlockSink *lastSink) : m_target(target), m_lastSink(lastSink) {}
    QStringList deviceNames() override { return m_target.deviceNames(); }
    bool start(const QString &name, BlockSink sink) override
    {
        *m_lastSink = sink;
        return m_target.start(name, std::move(sink));
    }
    void stop() override { m_target.stop(); }

private:
    SoundCardCapture &m_target;
    BlockSink *m_lastSink;
};

class ForwardingStream final : public StreamCapture
{
public:
    ForwardingStream(StreamCapture &target, BlockSink *lastSink) : m_target(target), m_lastSink(lastSink) {}
    bool start(const QString &address, BlockSink sink) override
    {
        *m_lastSink = sink;
        return m_target.start(address, std::move(sink));
    }
    void stop() override { m_target.stop(); }
    void setKeepPackets(bool keep) override { m_target.setKeepPackets(keep); }
    void setLevelsWanted(bool wanted) override { m_target.setLevelsWanted(wanted); }

private:
    StreamCapture &m_target;
    BlockSink *m_lastSink;
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
    ForwardingParts(SoundCardCapture &card, StreamCapture &stream, PrivateSink *sink, DirectDownload *download)
        : m_card(card), m_stream(stream), m_sink(sink), m_download(download)
    {
    }
    std::unique_ptr<SoundCardCapture> captureOf(const QString &) override
    {
        return std::make_unique<ForwardingSoundCard>(m_card, &lastSink);
    }
    std::unique_ptr<SoundCardCapture> chosenSourceCapture() override
    {
        return std::make_unique<ForwardingSoundCard>(m_card, &lastSink);
    }
    std::unique_ptr<StreamCapture> streamDevice(const QString &) override
    {
        return std::make_unique<ForwardingStream>(m_stream, &lastSink);
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

    // The sink the last recording started capture with.
    CaptureDevice::BlockSink lastSink;

private:
    SoundCardCapture &m_card;
    StreamCapture &m_stream;
    PrivateSink *m_sink;
    DirectDownload *m_download;
};

} // namespace skywell::test
