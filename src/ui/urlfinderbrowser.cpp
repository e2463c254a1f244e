#include "ui/urlfinderbrowser.h"

#include "tuning/streamaddressrules.h"

#include <QLabel>
#include <QListWidget>
#include <QNetworkReply>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <functional>

namespace skywell
{

namespace
{

const char kStartPage[] = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>How to find a stream address</title>
<style>body{font-family:sans-serif;margin:1.5em;line-height:1.4}</style></head>
<body><h2>How to find a station's stream address</h2>
<ol>
<li>Type the address of the station's web page into <b>URL:</b> in the Skywell URL Finder window and choose
<b>Go</b>.</li>
<li>Start the station's player on its page. The streams the page asks for or links to appear in the list
below the page: double-click one to add it as a Show.</li>
<li>A player that opens in a pop-up window opens here instead. <b>Get Popup URL:</b> fills in the address of
that pop-up, or of the stream a page asked for last.</li>
<li><b>Add Show</b> starts a new Show with the address beside it.</li>
</ol></body></html>)";

// The finder's pages: a pop-up window a page opens (a station's player)
// is shown in the finder's own view instead, and its address is kept.
class FinderPage final : public QWebEnginePage
{
public:
    FinderPage(QWebEngineProfile *profile, QObject *parent, std::function<void(const QUrl &)> popupOpened)
        : QWebEnginePage(profile, parent), m_popupOpened(std::move(popupOpened))
    {
    }

protected:
    QWebEnginePage *createWindow(WebWindowType) override
    {
        // A page only to learn where the pop-up goes.
        auto *popup = new QWebEnginePage(profile(), this);
        connect(popup, &QWebEnginePage::urlChanged, this, [this, popup](const QUrl &url) {
            if (url.isEmpty() || popup->property("seen").toBool())
                return;
            popup->setProperty("seen", true);
            popup->deleteLater();
            m_popupOpened(url);
        });
        return popup;
    }

private:
    std::function<void(const QUrl &)> m_popupOpened;
};

bool isOwnPage(const QUrl &url)
{
    return url.scheme() == QStringLiteral("data") || url.scheme() == QStringLiteral("about");
}

} // namespace

void StreamRequestWatcher::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    const QString address = info.requestUrl().toString();
    QMetaObject::invokeMethod(
        this, [this, address] { Q_EMIT requested(address); }, Qt::QueuedConnection);
}

UrlFinderBrowser::UrlFinderBrowser(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // A profile of its own, kept in memory, so the watcher sees only the
    // finder's requests and nothing of the browsing stays behind.
    m_profile = new QWebEngineProfile(this);
    auto *watcher = new StreamRequestWatcher(m_profile);
    m_profile->setUrlRequestInterceptor(watcher);
    m_view = new QWebEngineView(this);
    m_view->setPage(new FinderPage(m_profile, m_view, [this](const QUrl &url) {
        m_lastFound = url.toString();
        Q_EMIT found(m_lastFound);
        m_view->setUrl(url);
    }));
    layout->addWidget(m_view, 1);
    layout->addWidget(new QLabel(QStringLiteral("Streams this page asked for (double-click to add as a Show):")));
    m_streams = new QListWidget(this);
    m_streams->setObjectName(QStringLiteral("streams"));
    m_streams->setMaximumHeight(110);
    layout->addWidget(m_streams);

    connect(watcher, &StreamRequestWatcher::requested, this, &UrlFinderBrowser::consider);
    connect(m_view, &QWebEngineView::urlChanged, this,
            [this](const QUrl &url) { Q_EMIT addressChanged(isOwnPage(url) ? QString() : url.toString()); });
    connect(m_streams, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { Q_EMIT streamChosen(item->text()); });
    connect(m_view, &QWebEngineView::loadFinished, this, &UrlFinderBrowser::considerLinks);
}

UrlFinderBrowser::~UrlFinderBrowser()
{
    // The page goes before the profile it was made with.
    delete m_view;
}

void UrlFinderBrowser::load(const QString &address)
{
    m_view->setUrl(QUrl::fromUserInput(address));
}

void UrlFinderBrowser::showStartPage()
{
    m_view->setHtml(QString::fromUtf8(kStartPage));
}

void UrlFinderBrowser::back()
{
    m_view->back();
}

void UrlFinderBrowser::consider(const QString &address)
{
    if (m_seen.contains(address))
        return;
    m_seen.insert(address);
    switch (streamAddressKind(address)) {
    case StreamAddressKind::Playlist:
    case StreamAddressKind::AudioFile:
        addStream(address);
        return;
    case StreamAddressKind::NotAudio:
        return;
    case StreamAddressKind::Unknown:
        break;
    }
    // Only the type tells: ask for the headers, not the stream.
    QNetworkRequest request{QUrl(address)};
    request.setTransferTimeout(5000);
    QNetworkReply *reply = m_network.head(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply, address] {
        reply->deleteLater();
        if (isAudioContentType(reply->header(QNetworkRequest::ContentTypeHeader).toByteArray()))
            addStream(address);
    });
}

void UrlFinderBrowser::considerLinks()
{
    // Streams a page only links to count too; by their address alone, so
    // that a page of many links sends no burst of requests.
    m_view->page()->runJavaScript(
        QStringLiteral("Array.from(document.links, function (a) { return a.href; })"), [this](const QVariant &links) {
            for (const QVariant &link : links.toList()) {
                const QString address = link.toString();
                const StreamAddressKind kind = streamAddressKind(address);
                if ((kind == StreamAddressKind::Playlist || kind == StreamAddressKind::AudioFile) &&
                    !m_seen.contains(address)) {
                    m_seen.insert(address);
                    addStream(address);
                }
            }
        });
}

void UrlFinderBrowser::addStream(const QString &address)
{
    m_lastFound = address;
    m_streams->addItem(address);
    if (!m_streams->currentItem())
        m_streams->setCurrentRow(0);
    Q_EMIT found(address);
}

} // namespace skywell
