#pragma once

#include <QString>

namespace skywell
{

// The sound the recording-source test plays: "zoom.wav" in the program
// folder, a short loud rising tone the program writes itself.
QString testSoundPath(const QString &programFolder);

// Writes the test sound to path unless a file is already there (a user may
// put a sound of their own in its place). False, with the reason in error,
// when it was missing and could not be written.
bool ensureTestSound(const QString &path, QString *error = nullptr);

} // namespace skywell
