#include "shows/outputnaming.h"

#include "core/clock.h"
#include "core/textcut.h"
#include "core/timetext.h"
#include "shows/show.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace skywell
{

namespace
{

// The pattern used as a printf format with the one text argument: the
// first "%s" takes the name and "%%" is a percent sign; any other "%"
// stays as it is.
QString insertName(const QString &pattern, const QString &name)
{
    QString out;
    bool inserted = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('%') && i + 1 < pattern.size()) {
            const QChar next = pattern[i + 1];
            if (next == QLatin1Char('%')) {
                out += c;
                ++i;
                continue;
            }
            if (next == QLatin1Char('s') && !inserted) {
                out += name;
                inserted = true;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace

QString replaceForbiddenCharacters(QString name)
{
    for (QChar &c : name) {
        switch (c.unicode()) {
        case '\\':
        case '/':
        case ':':
        case '*':
        case '?':
        case '<':
        case '>':
        case '"':
            c = QLatin1Char('-');
            break;
        default:
            break;
        }
    }
    return name;
}

QString outputFileName(const RecordingNaming &naming, const QString &extension, int index, const Clock &clock)
{
    const QString base = formatTimeText(naming.fileNameFormat, clock.now());
    const QString track = QStringLiteral("%1").arg(naming.trackNumber, 2, 10, QLatin1Char('0'));
    QString tail;
    if (index == -1)
        tail = QStringLiteral(".") + extension;
    else if (index <= -2)
        tail = QStringLiteral("(%1).").arg(-index) + extension;
    else if (index == 0)
        tail = QStringLiteral(" - ") + track + QStringLiteral(".") + extension;
    else
        tail = QStringLiteral("(%1) - ").arg(index) + track + QStringLiteral(".") + extension;

    const QByteArray head = replaceForbiddenCharacters(insertName(base, naming.recordingName)).toUtf8();
    const QByteArray end = replaceForbiddenCharacters(tail).toUtf8();
    // Keep the number and the extension; shorten what comes before them.
    const qsizetype room = kMaxFileNameBytes - end.size();
    return QString::fromUtf8(cutUtf8(head, room > 0 ? room : 0) + end);
}

QString trackExtension(std::uint32_t flags)
{
    return (flags & (OUT_WAV | OUT_AUDIO_CD)) ? QStringLiteral("wav") : QStringLiteral("mp3");
}

OutputFilePath uniqueOutputFile(const RecordingNaming &naming, const Clock &clock)
{
    return uniqueOutputFile(naming, trackExtension(naming.flags), clock);
}

OutputFilePath uniqueOutputFile(const RecordingNaming &naming, const QString &extension, const Clock &clock)
{
    return uniqueOutputFile(naming, extension, 0, clock);
}

OutputFilePath uniqueOutputFile(const RecordingNaming &naming, const QString &extension, int firstIndex,
                                const Clock &clock)
{
    int index = firstIndex >= 2 && firstIndex < kMaxNameIndex ? firstIndex : 0;
    QString name = outputFileName(naming, extension, index, clock);
    // Numbers go on as far as they must: a recording never replaces one.
    while (index + 1 < kMaxNameIndex && QFileInfo::exists(naming.mp3Folder + name)) {
        index = index == 0 ? 2 : index + 1;
        name = outputFileName(naming, extension, index, clock);
    }
    return {name, naming.mp3Folder + name, index};
}

QString writePlaylist(const RecordingNaming &naming, const QString &playlistText, const Clock &clock,
                      const QString &replacePath)
{
    if (playlistText.isEmpty())
        return {};
    if (!replacePath.isEmpty()) {
        QSaveFile file(replacePath);
        if (file.open(QIODevice::WriteOnly) && file.write(playlistText.toUtf8()) >= 0 && file.commit())
            return replacePath;
        return {};
    }
    // The first name not taken: an earlier recording's playlist of the same
    // day stays as it is.
    for (int index = 1; index < kMaxNameIndex; ++index) {
        const QString path =
            naming.mp3Folder + outputFileName(naming, QStringLiteral("m3u"), index == 1 ? -1 : -index, clock);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.write(playlistText.toUtf8()) < 0 || !file.flush()) {
                file.remove();
                return {};
            }
            return path;
        }
        if (!QFileInfo::exists(path))
            return {};
    }
    return {};
}

} // namespace skywell
