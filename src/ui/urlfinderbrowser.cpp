#include "ui/urlfinderbrowser.h"

#include "tuning/streamaddressrules.h"

#include <QLabel>
#include <QListWidget>
#include <QNetworkReply>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace skywell
{

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
    m_view->setPage(new QWebEnginePage(m_profile, m_view));
    layout->addWidget(m_view, 1);
    layout->addWidget(new QLabel(QStringLiteral("Streams this page asked for (double-click to add as a Show):")));
    m_streams = new QListWidget(this);
    m_streams->setObjectName(QStringLiteral("streams"));
    m_streams->setMaximumHeight(110);
    layout->addWidget(m_streams);

    connect(watcher, &StreamRequestWatcher::requested, this, &UrlFinderBrowser::consider);
    connect(m_view, &QWebEngineView::urlChanged, this,
            [this](const QUrl &url) { Q_EMIT addressChanged(url.toString()); });
    connect(m_streams, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { Q_EMIT streamChosen(item->text()); });
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

void UrlFinderBrowser::addStream(const QString &address)
{
    m_streams->addItem(address);
}

} // namespace skywell
