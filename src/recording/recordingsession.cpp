#include "recording/recordingsession.h"

#include "core/timetext.h"

#include <algorithm>
#include <cstring>

namespace skywell
{

void RecordingSession::setOutcome(const QString &text)
{
    if (text.size() <= kMaxOutcomeChars) {
        outcomeText = text;
        return;
    }
    const qsizetype lineEnd = text.lastIndexOf(QStringLiteral("\r\n"), kMaxOutcomeChars - 2);
    QString cut = text.left(lineEnd > 0 ? lineEnd : kMaxOutcomeChars);
    if (lineEnd <= 0 && cut.back().isHighSurrogate())
        cut.chop(1);
    outcomeText = cut;
}

void RecordingSession::addOutcome(const QString &text)
{
    if (outcomeText.isEmpty())
        setOutcome(text);
    else if (outcomeText.size() + 2 + text.size() <= kMaxOutcomeChars)
        outcomeText += QStringLiteral("\r\n") + text;
}

QString unsavedAudioText(std::int64_t lostMs, std::int64_t from, int error)
{
    // Whole seconds, and never "0 seconds" for a loss under half a second.
    const std::int64_t seconds = std::max<std::int64_t>(1, (lostMs + 500) / 1000);
    QString text =
        (seconds == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(seconds)) +
        QStringLiteral(" of audio not saved from %1").arg(formatTimeText(QStringLiteral("%#I:%M:%S %p"), from));
    if (error != 0)
        text += QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
    return text;
}

void RecordingSession::reportUnsavedAudio()
{
    if (unsavedMs <= 0)
        return;
    addOutcome(QStringLiteral("%1 seconds of audio were not saved: pieces too short to keep as tracks")
                   .arg((unsavedMs + 999) / 1000));
}

QString tempFileName(const QString &fileKey, int slotIndex, char letter)
{
    const QString key = fileKey.isEmpty() ? QString() : fileKey + QLatin1Char('-');
    return QStringLiteral("skywell-%1%2%3.wav").arg(key).arg(QLatin1Char(letter)).arg(slotIndex + 1);
}

} // namespace skywell
