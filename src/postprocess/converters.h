#pragma once

#include "postprocess/toolprograms.h"

#include <QObject>
#include <QString>

#include <functional>

namespace skywell
{

class ActivityLog;
class ProcessRunner;
class Prompter;
struct Settings;
struct ToolResult;
struct ToolRun;

// The tools that finish audio files: the user's conversion script, the MP3
// decoder and the CD-format converter. The script runs beside the event
// loop and reports when it is done; the CD-format steps wait for their tool.
class Converters final
{
public:
    Converters(const Settings &settings, QString programFolder, ActivityLog &log, Prompter &prompter,
               ProcessRunner &runner, RecordingInProgress recording, StatusLine status = {}, ToolPrograms programs = {},
               ToolLimits limits = {});

    // Hands tempFolder + tempFileName and the output prefix to custom.sh;
    // done gets false when the script is missing, cannot start, failed, or
    // was stopped at the limit (logged; the caller reports it).
    void runCustomConversion(const QString &tempFileName, const QString &outputPrefix, std::function<void(bool)> done);

    // Decodes an MP3 file to an intermediate WAV file and converts that to
    // CD format at wavPath; the intermediate file is removed.
    bool decodeMP3ToCDWav(const QString &mp3Path, const QString &wavPath);

    // Decodes a track for an audio CD to CD format at wavPath: an MP3 as
    // decodeMP3ToCDWav does, an AAC, Ogg Vorbis or Opus track with FFmpeg
    // (through an intermediate file, so a failed run leaves no wavPath).
    bool decodeForAudioCd(const QString &trackPath, const QString &wavPath);

    // Converts to 44100 Hz, 16-bit, stereo. Relative names are taken in the
    // temporary folder (source) and the recordings folder (destination).
    // While a long recording is in progress the file is copied instead.
    bool convertToCDWav(const QString &source, const QString &destination);

    // The path whose file name has the character before its first '.'
    // replaced by '~' ('!' when it already is '~'); empty when the file name
    // has no such character.
    static QString intermediatePath(const QString &wavPath);

    // A recording longer than this (seconds) is "long": no conversion runs
    // beside it.
    static constexpr std::int64_t kLongRecordingSeconds = 4800;

private:
    // True when the tool exited with 0 and left a non-empty output file;
    // otherwise logs failureLine with the tool's name and error output.
    bool stepSucceeded(const QString &failureLine, const ToolRun &run, const ToolResult &result,
                       const QString &output) const;
    bool longRecordingInProgress() const;
    void setStatus(const QString &text) const;

    const Settings &m_settings;
    QString m_programFolder;
    ActivityLog &m_log;
    Prompter &m_prompter;
    ProcessRunner &m_runner;
    RecordingInProgress m_recording;
    StatusLine m_status;
    ToolPrograms m_programs;
    ToolLimits m_limits;
    // The parent of the script runs under way: they end with us.
    QObject m_jobs;
};

} // namespace skywell
