#pragma once

#include <QNetworkAccessManager>
#include <QSet>
#include <QWebEngineUrlRequestInterceptor>
#include <QWidget>

class QListWidget;
class QWebEngineProfile;
class QWebEngineView;

namespace skywell
{

// Hears every request the embedded browser's pages make and passes its
// address on to the user-interface thread.
class StreamRequestWatcher final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

Q_SIGNALS:
    void requested(const QString &address);
};

// The URL Finder's embedded browser and, below it, the audio streams the
// pages it shows have asked for: playlists and audio files by their
// address, anything else by the type a HEAD request reports.
class UrlFinderBrowser final : public QWidget
{
    Q_OBJECT
public:
    explicit UrlFinderBrowser(QWidget *parent = nullptr);
    ~UrlFinderBrowser() override;

    void load(const QString &address);
    // A page of its own that tells how to find a stream's address.
    void showStartPage();
    void back();
    // The address of the pop-up window or of the stream that the pages
    // asked for last; empty when none.
    QString lastFoundAddress() const { return m_lastFound; }

Q_SIGNALS:
    // A navigation ended on this address.
    void addressChanged(const QString &address);
    // The user double-clicked a found stream.
    void streamChosen(const QString &address);

private:
    void consider(const QString &address);
    void addStream(const QString &address);

    QWebEngineProfile *m_profile = nullptr;
    QWebEngineView *m_view = nullptr;
    QListWidget *m_streams = nullptr;
    QNetworkAccessManager m_network;
    QSet<QString> m_seen;
    QString m_lastFound;
};

} // namespace skywell
