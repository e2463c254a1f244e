#include "postprocess/converters.h"

#include "core/activitylog.h"
#include "core/filecopy.h"
#include "core/prompter.h"
#include "core/settings.h"
#include "postprocess/processrunner.h"
#include "postprocess/tooljob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace skywell
{

namespace
{

QString inFolder(const QString &path, const QString &folder)
{
    return QDir::isAbsolutePath(path) ? path : folder + path;
}

// Replaces destination by a copy of source; 0 or the error number.
int copyReplacing(const QString &source, const QString &destination)
{
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(destination).canonicalFilePath())
        return QFileInfo::exists(source) ? 0 : ENOENT;
    return copyFileReplacing(source, destination);
}

} // namespace

Converters::Converters(const Settings &settings, QString programFolder, ActivityLog &log, Prompter &prompter,
                       ProcessRunner &runner, RecordingInProgress recording, StatusLine status, ToolPrograms programs,
                       ToolLimits limits)
    : m_settings(settings), m_programFolder(std::move(programFolder)), m_log(log), m_prompter(prompter),
      m_runner(runner), m_recording(std::move(recording)), m_status(std::move(status)), m_programs(std::move(programs)),
      m_limits(limits)
{
}

void Converters::runCustomConversion(const QString &tempFileName, const QString &outputPrefix,
                                     std::function<void(bool)> done)
{
    const QString source = m_settings.tempFolder + tempFileName;
    m_log.logLine(QStringLiteral("Converting WAV using CUSTOM.BAT"), source);
    m_log.logLine(QStringLiteral("Converting to (prefix):"), outputPrefix);

    const QString script = m_programFolder + m_programs.customScriptName;
    const ToolRun run{m_programs.shell, {script, pathArgument(source), outputPrefix}, m_limits.customPolls, {}};
    auto finished = [this, run, done = std::move(done)](const ToolResult &result) {
        if (result.outcome == RunOutcome::NotStarted) {
            m_log.logLine(QStringLiteral("custom.sh WAV file conversion failed"),
                          m_programs.shell + QLatin1Char(' ') + run.arguments.join(QLatin1Char(' ')));
        } else if (result.outcome == RunOutcome::TimedOut) {
            m_log.logLine(QStringLiteral("Custom conversion automatically terminated after 10 minutes."));
        } else if (!result.succeeded()) {
            m_log.logLine(QStringLiteral("custom.sh WAV file conversion failed"),
                          m_programs.customScriptName + QLatin1Char(' ') + result.describe());
        }
        done(result.succeeded());
    };
    // A missing script is a failure to start, not a run that did nothing.
    if (!QFileInfo(script).isFile()) {
        QMetaObject::invokeMethod(
            &m_jobs, [finished] { finished(ToolResult{}); }, Qt::QueuedConnection);
        return;
    }
    ToolJob::start(run, m_runner.pollInterval(), &m_jobs, std::move(finished));
}

QString Converters::intermediatePath(const QString &wavPath)
{
    // The first '.' of the file name, not of the whole path: a dot in a
    // folder name must not send the file into another folder.
    const qsizetype nameStart = wavPath.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = wavPath.indexOf(QLatin1Char('.'), nameStart);
    if (dot <= nameStart)
        return {};
    QString result = wavPath;
    result[dot - 1] = result[dot - 1] == QLatin1Char('~') ? QLatin1Char('!') : QLatin1Char('~');
    return result;
}

bool Converters::decodeMP3ToCDWav(const QString &mp3Path, const QString &wavPath)
{
    m_log.logLine(QStringLiteral("Converting MP3 to WAV: "), mp3Path);
    const QString intermediate = intermediatePath(wavPath);
    if (intermediate.isEmpty())
        return false;

    ToolRun run{m_programs.mp3Decoder,
                {QStringLiteral("--decode"), QStringLiteral("-b"), QStringLiteral("16"), QStringLiteral("-m"),
                 QStringLiteral("s"), pathArgument(mp3Path), pathArgument(intermediate)},
                m_limits.decodePolls,
                {}};
    // A file left from an earlier run must not pass for this run's output.
    QFile::remove(intermediate);
    const ToolResult result = m_runner.run(run);
    if (result.outcome == RunOutcome::NotStarted) {
        m_log.logLine(QStringLiteral("MP3 decoder failed"),
                      run.program + QLatin1Char(' ') + run.arguments.join(QLatin1Char(' ')));
        m_prompter.error(QStringLiteral("MP3 decoder failed"));
        return false;
    }
    // Only a whole decoded file goes on to the conversion.
    if (!stepSucceeded(QStringLiteral("MP3 decoder failed"), run, result, intermediate)) {
        QFile::remove(intermediate);
        return false;
    }
    const bool converted = convertToCDWav(intermediate, wavPath);
    QFile::remove(intermediate);
    return converted;
}

bool Converters::decodeForAudioCd(const QString &trackPath, const QString &wavPath)
{
    if (trackPath.endsWith(QLatin1String(".mp3")))
        return decodeMP3ToCDWav(trackPath, wavPath);
    const QString suffix = QFileInfo(trackPath).suffix();
    const QString kind = suffix == QLatin1String("aac")    ? QStringLiteral("AAC")
                         : suffix == QLatin1String("ogg")  ? QStringLiteral("Ogg Vorbis")
                         : suffix == QLatin1String("opus") ? QStringLiteral("Ogg Opus")
                                                           : suffix.toUpper();
    const QString failure = kind + QStringLiteral(" decoder failed");
    m_log.logLine(QStringLiteral("Converting %1 to WAV: ").arg(kind), trackPath);
    const QString intermediate = intermediatePath(wavPath);
    if (intermediate.isEmpty())
        return false;

    // "file:" keeps a name with a colon from passing for a protocol.
    ToolRun run{m_programs.audioDecoder,
                {QStringLiteral("-nostdin"), QStringLiteral("-v"),      QStringLiteral("error"),
                 QStringLiteral("-y"),       QStringLiteral("-i"),      QStringLiteral("file:") + trackPath,
                 QStringLiteral("-map"),     QStringLiteral("0:a:0"),   QStringLiteral("-map_metadata"),
                 QStringLiteral("-1"),       QStringLiteral("-fflags"), QStringLiteral("+bitexact"),
                 QStringLiteral("-ac"),      QStringLiteral("2"),       QStringLiteral("-ar"),
                 QStringLiteral("44100"),    QStringLiteral("-c:a"),    QStringLiteral("pcm_s16le"),
                 QStringLiteral("-f"),       QStringLiteral("wav"),     QStringLiteral("file:") + intermediate},
                m_limits.decodePolls,
                {}};
    QFile::remove(intermediate);
    const ToolResult result = m_runner.run(run);
    if (result.outcome == RunOutcome::NotStarted) {
        m_log.logLine(failure, run.program + QLatin1Char(' ') + run.arguments.join(QLatin1Char(' ')));
        m_prompter.error(failure);
        return false;
    }
    // FFmpeg writes CD format already: the whole file takes the WAV's
    // name in one step, or nothing does.
    if (!stepSucceeded(failure, run, result, intermediate)) {
        QFile::remove(intermediate);
        return false;
    }
    if (::rename(QFile::encodeName(intermediate).constData(), QFile::encodeName(wavPath).constData()) != 0) {
        m_log.logLine(failure, QStringLiteral("Cannot rename %1 to %2: %3")
                                   .arg(intermediate, wavPath, QString::fromLocal8Bit(std::strerror(errno))));
        QFile::remove(intermediate);
        return false;
    }
    return true;
}

bool Converters::stepSucceeded(const QString &failureLine, const ToolRun &run, const ToolResult &result,
                               const QString &output) const
{
    QString problem;
    if (!result.succeeded())
        problem = result.describe();
    else if (QFileInfo(output).size() <= 0)
        problem = QStringLiteral("left no output file %1").arg(output);
    else
        return true;
    if (result.succeeded() && !result.errorOutput.isEmpty())
        problem += QStringLiteral(": ") + result.errorOutput.simplified().right(600);
    m_log.logLine(failureLine, QFileInfo(run.program).fileName() + QLatin1Char(' ') + problem);
    return false;
}

bool Converters::longRecordingInProgress() const
{
    if (!m_recording)
        return false;
    const std::optional<RecordingSpan> span = m_recording();
    return span && span->startTime > 0 && span->endTime > 0 && span->endTime - span->startTime > kLongRecordingSeconds;
}

void Converters::setStatus(const QString &text) const
{
    if (m_status)
        m_status(text);
}

bool Converters::convertToCDWav(const QString &source, const QString &destination)
{
    const QString sourcePath = inFolder(source, m_settings.tempFolder);
    const QString destinationPath = inFolder(destination, m_settings.mp3Folder);

    // Converting beside a long recording would cost it processor time.
    if (longRecordingInProgress()) {
        const int error = copyReplacing(sourcePath, destinationPath);
        if (error != 0)
            m_log.logLine(QStringLiteral("Could not copy %1 to %2:").arg(sourcePath, destinationPath),
                          QString::fromLocal8Bit(std::strerror(error)));
        return error == 0;
    }

    m_log.logLine(QStringLiteral("Converting WAV to CD Burner Quality"), sourcePath);
    setStatus(QStringLiteral("Converting WAV to CD Burner Quality"));

    // sox writes a neighbour file that replaces the destination only when
    // the conversion worked: a failed run leaves no half-written file, and
    // converting in place works (sox cannot write the file it reads).
    const QString output = destinationPath + QStringLiteral(".cd.wav");
    QFile::remove(output);
    ToolRun run{m_programs.wavConverter,
                {pathArgument(sourcePath), QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-b"),
                 QStringLiteral("16"), QStringLiteral("-c"), QStringLiteral("2"), pathArgument(output)},
                m_limits.convertPolls,
                {}};
    const ToolResult result = m_runner.run(run);
    if (result.outcome == RunOutcome::NotStarted) {
        m_log.logLine(QStringLiteral("WAV Converter encoder failed"),
                      run.program + QLatin1Char(' ') + run.arguments.join(QLatin1Char(' ')));
        m_prompter.error(QStringLiteral("WAV Converter failed"));
        return false;
    }
    if (!stepSucceeded(QStringLiteral("WAV Converter encoder failed"), run, result, output)) {
        QFile::remove(output);
        return false;
    }
    // One step: the destination is the old file or the new one, never none.
    if (::rename(QFile::encodeName(output).constData(), QFile::encodeName(destinationPath).constData()) != 0) {
        m_log.logLine(QStringLiteral("WAV Converter encoder failed"),
                      QStringLiteral("Cannot rename %1 to %2: %3")
                          .arg(output, destinationPath, QString::fromLocal8Bit(std::strerror(errno))));
        QFile::remove(output);
        return false;
    }
    return true;
}

} // namespace skywell
