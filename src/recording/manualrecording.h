#pragma once

#include "recording/recordingroster.h"

#include <QString>

#include <cstdint>

namespace skywell
{

class Prompter;

// Record Now: the Show's request marked manual, ending five hours from now
// unless the user stops it first.
RecordingRequest recordNowRequest(const Show &show, std::int64_t now);

// The Stop Recording button. A listen-only recording ends without a
// question and keeps nothing; any other asks whether to save the current
// recording, Yes by default (No discards the track being recorded).
void stopRecordingFromButton(RecordingRoster &roster, const RunningRecording &recording, Prompter &prompter);

inline constexpr std::int64_t kManualRecordingSeconds = 18000;
inline const QString kSaveRecordingQuestion = QStringLiteral("Would you like to save the current recording?");
inline const QString kAlreadyRecordingText =
    QStringLiteral("Already recording! You must stop the current recording before starting a new one.");

} // namespace skywell
