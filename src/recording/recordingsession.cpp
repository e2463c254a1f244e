#include "recording/recordingsession.h"

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

void RecordingSession::reportUnsavedAudio()
{
    if (unsavedMs <= 0)
        return;
    addOutcome(QStringLiteral("%1 seconds of audio were not saved: pieces too short to keep as tracks")
                   .arg((unsavedMs + 999) / 1000));
}

QString tempFileName(int slotIndex, char letter)
{
    return QStringLiteral("skywell-%1%2.wav").arg(QLatin1Char(letter)).arg(slotIndex + 1);
}

} // namespace skywell
