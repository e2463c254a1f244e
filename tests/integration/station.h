#pragma once

#include "support/tempenv.h"

#include <QProcess>
#include <QString>

namespace skywell::test
{

inline const QString kStationTitle = QStringLiteral("Morning Jazz");

// The RMS level (0 to about 0.7) of what a PulseAudio sink plays, recorded
// from its monitor for the given time; -1 when it cannot be recorded.
double recordedLevel(const QString &sink, int milliseconds);

// The tests' own radio station on 127.0.0.1 (tests/e2e/streamserver.py,
// named by $STREAM_SERVER) playing a 440 Hz sine at half scale as MP3 with
// the stream title kStationTitle, and a null sink of their own on the
// PulseAudio server. ready is false when either could not be set up.
class Station final
{
public:
    Station();
    ~Station();
    Station(const Station &) = delete;
    Station &operator=(const Station &) = delete;

    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(port).arg(path); }

    TempFolder folder;
    QProcess server;
    int port = 0;
    QString sink;
    QString moduleIndex;
    bool ready = false;
};

} // namespace skywell::test
