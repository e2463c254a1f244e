#pragma once

#include "core/settings.h"

#include <QString>

#include <optional>

namespace skywell
{

// What the first start asks: where recordings and temporary files go,
// whether Skywell starts with the desktop session (off unless ticked) and
// whether the recording-source test runs now.
struct FirstRunChoices {
    QString recordingsFolder;
    QString tempFolder;
    bool startAtLogin = false;
    bool runSourceTest = true;
};

// The choices offered first: the loaded (default) settings' folders, not
// starting at login, running the test.
FirstRunChoices firstRunChoices(const Settings &settings);

// Why the choices cannot be taken, or nothing: a folder that is empty, not
// a full path, cannot be created or written (missing folders are created
// here), or one folder for both (temporary files would mix with the
// recordings).
std::optional<QString> firstRunProblem(const FirstRunChoices &choices);

// settings with the chosen folders (ending in "/") and start at login.
Settings settingsFromFirstRun(const Settings &settings, const FirstRunChoices &choices);

inline const QString kRecordingsCaption = QStringLiteral("recordings");
inline const QString kTempFilesCaption = QStringLiteral("temporary files");
inline const QString kSameFolderText =
    QStringLiteral("Please choose a temporary files folder other than the recordings folder: unfinished files "
                   "would otherwise lie among your recordings.");

} // namespace skywell
