#include "recording/recordingsession.h"

namespace skywell
{

void RecordingSession::setOutcome(const QString &text)
{
    QString cut = text.left(kMaxOutcomeChars);
    if (cut.size() < text.size() && cut.back().isHighSurrogate())
        cut.chop(1);
    outcomeText = cut;
}

void RecordingSession::addOutcome(const QString &text)
{
    setOutcome(outcomeText.isEmpty() ? text : outcomeText + QStringLiteral("\r\n") + text);
}

QString tempFileName(int slotIndex, char letter)
{
    return QStringLiteral("skywell-%1%2.wav").arg(QLatin1Char(letter)).arg(slotIndex + 1);
}

} // namespace skywell
