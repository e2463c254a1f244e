#include "web/websessions.h"

#include <QByteArray>
#include <QRandomGenerator>

namespace skywell
{

namespace
{
constexpr auto kSessionLife = std::chrono::hours(12);
constexpr auto kFailureWindow = std::chrono::minutes(1);
constexpr qsizetype kMaxSessions = 1000;
} // namespace

QString WebSessions::randomToken()
{
    QByteArray bytes(24, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

void WebSessions::dropOld(Clock::time_point now)
{
    for (auto it = m_sessions.begin(); it != m_sessions.end();)
        it = now - it->lastUse > kSessionLife ? m_sessions.erase(it) : std::next(it);
    // Many clients that never come back: the least recently used go first,
    // those that never gave the password before any that did, so a flood
    // of new sessions cannot log anyone out.
    while (m_sessions.size() >= kMaxSessions) {
        auto oldest = m_sessions.begin();
        for (auto it = m_sessions.begin(); it != m_sessions.end(); ++it)
            if (std::pair(it->session.loggedIn, it->lastUse) < std::pair(oldest->session.loggedIn, oldest->lastUse))
                oldest = it;
        m_sessions.erase(oldest);
    }
}

WebSessions::Session WebSessions::create(QString *id, bool loggedIn)
{
    const std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    dropOld(now);
    *id = randomToken();
    Entry entry{Session{randomToken(), loggedIn}, now};
    m_sessions.insert(*id, entry);
    return entry.session;
}

std::optional<WebSessions::Session> WebSessions::find(const QString &id)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_sessions.find(id);
    if (id.isEmpty() || it == m_sessions.end() || Clock::now() - it->lastUse > kSessionLife)
        return std::nullopt;
    it->lastUse = Clock::now();
    return it->session;
}

void WebSessions::remove(const QString &id)
{
    const std::lock_guard lock(m_mutex);
    m_sessions.remove(id);
}

bool WebSessions::locked(const QString &client)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_failures.find(client);
    if (it == m_failures.end())
        return false;
    if (Clock::now() - it->since > kFailureWindow) {
        m_failures.erase(it);
        return false;
    }
    return it->count >= kMaxFailures;
}

void WebSessions::recordFailure(const QString &client)
{
    const std::lock_guard lock(m_mutex);
    Failures &failures = m_failures[client];
    if (failures.count == 0 || Clock::now() - failures.since > kFailureWindow)
        failures = Failures{0, Clock::now()};
    ++failures.count;
}

} // namespace skywell
