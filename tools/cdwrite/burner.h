#pragma once

#include "cdjob.h"
#include "cdwritesettings.h"

#include <QString>

#include <functional>

class QProcess;

namespace skywell::cdwrite
{

// Writes one job: an audio CD from WAV files (wodim) or a data CD from any
// files (xorriso), or the same as an image file (cue/bin or ISO 9660) when
// the set-up asks for images. Every tool gets its arguments as a list.
class Burner final
{
public:
    using Progress = std::function<void(const QString &)>;

    static inline const QString kSuccess = QStringLiteral("Success");

    Burner(CdWriteSettings settings, Progress progress);

    // "Success" or the text of the problem.
    QString burn(const CdJob &job);

    // Stops the tool that runs now; burn() then reports the cancellation.
    void cancel();

private:
    QString writeAudioImage(const CdJob &job);
    QString writeDataImage(const CdJob &job);
    // Empty when the data CD's image fits the disc, else the sizes.
    QString checkDataImageSize(const CdJob &job);
    QString burnAudioDisc(const CdJob &job, const QString &device);
    QString burnDataDisc(const CdJob &job, const QString &device);
    QString chooseDevice(QString *error) const;
    QString imageBaseName() const;
    // Runs a tool to its end, passing its output lines to the progress
    // callback. Empty on success, else the text of the problem; outputOut
    // receives all it printed.
    QString runTool(const QString &program, const QString &package, const QStringList &arguments,
                    const QString &device = {}, QString *outputOut = nullptr);
    void report(const QString &text) const;

    CdWriteSettings m_settings;
    Progress m_progress;
    QProcess *m_running = nullptr;
    bool m_cancelled = false;
};

// xorriso arguments that put each file into the image's top folder.
QStringList xorrisoMapArguments(const QStringList &files);

} // namespace skywell::cdwrite
