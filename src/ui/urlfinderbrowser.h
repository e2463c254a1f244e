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

// The URL Finder's browser window (the skywell-urlfinder program) and,
// below the page, the audio streams the pages it shows have asked for or
// link to: playlists and audio files by their address, anything else a
// page asked for by the type a HEAD request reports.
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
    // A stream or pop-up was found; lastFoundAddress() is now this.
    void found(const QString &address);
    // The user double-clicked a found stream (or pressed Enter on it).
    void streamChosen(const QString &address);

private:
    void consider(const QString &address);
    void considerLinks();
    void addStream(const QString &address);

    QWebEngineProfile *m_profile = nullptr;
    QWebEngineView *m_view = nullptr;
    QListWidget *m_streams = nullptr;
    QNetworkAccessManager m_network;
    QSet<QString> m_seen;
    QString m_lastFound;
};

} // namespace skywell
