#include "core/firstrunsetup.h"

#include "core/folders.h"
#include "core/settingssheetrules.h"

#include <QDir>
#include <QFileInfo>

namespace skywell
{

FirstRunChoices firstRunChoices(const Settings &settings)
{
    FirstRunChoices choices;
    choices.recordingsFolder = settings.mp3Folder;
    choices.tempFolder = settings.tempFolder;
    return choices;
}

std::optional<QString> firstRunProblem(const FirstRunChoices &choices)
{
    if (auto problem = folderProblem(choices.recordingsFolder.trimmed(), kRecordingsCaption))
        return problem;
    if (auto problem = folderProblem(choices.tempFolder.trimmed(), kTempFilesCaption))
        return problem;
    // Both exist now: compare where they really are (links included).
    const QString recordings = QFileInfo(choices.recordingsFolder.trimmed()).canonicalFilePath();
    const QString temp = QFileInfo(choices.tempFolder.trimmed()).canonicalFilePath();
    if (recordings == temp)
        return kSameFolderText;
    return std::nullopt;
}

Settings settingsFromFirstRun(const Settings &settings, const FirstRunChoices &choices)
{
    Settings out = settings;
    out.mp3Folder = withTrailingSeparator(QDir::cleanPath(choices.recordingsFolder.trimmed()));
    out.tempFolder = withTrailingSeparator(QDir::cleanPath(choices.tempFolder.trimmed()));
    out.startOnBoot = choices.startAtLogin;
    return out;
}

} // namespace skywell
