#pragma once

#include <QHash>
#include <QString>

#include <chrono>
#include <mutex>
#include <optional>

namespace skywell
{

// The web page's sessions: each holds the token a state-changing request
// must carry, and whether its browser gave the password. Also counts wrong
// passwords per client so guessing is slowed to a few tries a minute.
class WebSessions final
{
public:
    struct Session {
        QString csrf;
        bool loggedIn = false;
    };

    // A new session; id receives its cookie value.
    Session create(QString *id, bool loggedIn = false);
    std::optional<Session> find(const QString &id);
    void remove(const QString &id);

    // Wrong passwords from one client within a minute before it must wait.
    static constexpr int kMaxFailures = 10;
    bool locked(const QString &client);
    void recordFailure(const QString &client);

    static QString randomToken();

private:
    using Clock = std::chrono::steady_clock;
    struct Entry {
        Session session;
        Clock::time_point lastUse;
    };
    struct Failures {
        int count = 0;
        Clock::time_point since;
    };
    void dropOld(Clock::time_point now);

    std::mutex m_mutex;
    QHash<QString, Entry> m_sessions;
    QHash<QString, Failures> m_failures;
};

} // namespace skywell
