#include "burner.h"

#include "cdaudio.h"

#include "core/folders.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

namespace skywell::cdwrite
{

namespace
{

const QString kVolumeId = QStringLiteral("SKYWELL");

// A data CD: 80 minutes of 2048-byte sectors.
constexpr qint64 kDataSectorBytes = 2048;
constexpr qint64 kMaxDataDiscSectors = kMaxDiscSectors;

// xorriso's settings for every data image, up to the files.
QStringList xorrisoImageArguments(const QString &outputDevice)
{
    return {QStringLiteral("-no_rc"),
            QStringLiteral("-iso_rr_pattern"),
            QStringLiteral("off"),
            QStringLiteral("-disk_pattern"),
            QStringLiteral("off"),
            QStringLiteral("-outdev"),
            outputDevice,
            QStringLiteral("-joliet"),
            QStringLiteral("on"),
            QStringLiteral("-volid"),
            kVolumeId};
}

QString megabytes(qint64 sectors)
{
    return QString::number((sectors * kDataSectorBytes + 500'000) / 1'000'000);
}

bool saysNoDisc(const QString &output)
{
    static const char *const marks[] = {"no disk",    "no media",       "no medium",  "medium not present",
                                        "not loaded", "drive is empty", "wrong disk", "cannot load media"};
    const QString lower = output.toLower();
    for (const char *mark : marks) {
        if (lower.contains(QLatin1String(mark)))
            return true;
    }
    return false;
}

bool saysDriveUnusable(const QString &output)
{
    static const char *const marks[] = {"cannot open scsi driver", "rejected because", "permission denied", "not a cd",
                                        "no such device"};
    const QString lower = output.toLower();
    for (const char *mark : marks) {
        if (lower.contains(QLatin1String(mark)))
            return true;
    }
    return false;
}

QString lastLines(const QString &output, int count)
{
    QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.mid(std::max<qsizetype>(0, lines.size() - count)).join(QLatin1Char('\n'));
}

// The lines of a tool's output that say what went wrong (its own error
// lines), else its last lines.
QString problemLines(const QString &program, const QString &output)
{
    QStringList found;
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString text = line.trimmed();
        const bool toolError = text.startsWith(program + QLatin1Char(':')) && !text.contains(QLatin1String("Warning"));
        if (toolError || text.contains(QLatin1String(": FAILURE :")) || text.contains(QLatin1String(": SORRY :")) ||
            text.startsWith(QLatin1String("Cannot ")))
            found << text;
    }
    return found.isEmpty() ? lastLines(output, 3) : found.mid(0, 3).join(QLatin1Char('\n'));
}

} // namespace

QStringList xorrisoMapArguments(const QStringList &files)
{
    QStringList arguments;
    QSet<QString> used;
    for (const QString &file : files) {
        const QFileInfo info(file);
        QString name = info.fileName();
        // Two files of the same name from different folders both go in.
        for (int n = 2; used.contains(name); ++n)
            name = QStringLiteral("%1 (%2).%3").arg(info.completeBaseName()).arg(n).arg(info.suffix());
        used.insert(name);
        arguments << QStringLiteral("-map") << info.absoluteFilePath() << QLatin1Char('/') + name;
    }
    return arguments;
}

Burner::Burner(CdWriteSettings settings, Progress progress)
    : m_settings(std::move(settings)), m_progress(std::move(progress))
{
}

void Burner::report(const QString &text) const
{
    if (m_progress)
        m_progress(text);
}

void Burner::cancel()
{
    m_cancelled = true;
    if (m_running)
        m_running->kill();
}

QString Burner::burn(const CdJob &job)
{
    QString problem = checkFiles(job);
    if (problem.isEmpty())
        problem = job.dataCd ? checkDataImageSize(job) : checkAudioTracks(job.files);
    if (!problem.isEmpty())
        return problem;

    if (m_settings.writeImage) {
        if (!createFolder(m_settings.imageFolder))
            return QStringLiteral("Cannot create the image folder %1").arg(m_settings.imageFolder);
        problem = job.dataCd ? writeDataImage(job) : writeAudioImage(job);
    } else {
        const QString device = chooseDevice(&problem);
        if (!device.isEmpty())
            problem = job.dataCd ? burnDataDisc(job, device) : burnAudioDisc(job, device);
    }
    if (m_cancelled)
        return QStringLiteral("Writing the CD was cancelled.");
    return problem.isEmpty() ? kSuccess : problem;
}

QString Burner::chooseDevice(QString *error) const
{
    if (!m_settings.device.isEmpty()) {
        if (QFileInfo::exists(m_settings.device))
            return m_settings.device;
        *error = QStringLiteral("The CD drive %1 was not found. Choose another drive in the CD writer set-up, "
                                "or let it write an image file instead.")
                     .arg(m_settings.device);
        return {};
    }
    const QStringList drives = findDrives();
    if (drives.isEmpty()) {
        *error = QStringLiteral("No CD drive was found. Connect a CD writer, or set the CD writer up to write "
                                "an image file instead.");
        return {};
    }
    return drives.first();
}

QString Burner::imageBaseName() const
{
    // No blanks: some cue sheet readers do not take them.
    const QString stem =
        QStringLiteral("skywell-cd-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString name = stem;
    for (int n = 2; QFileInfo::exists(m_settings.imageFolder + name + QStringLiteral(".cue")) ||
                    QFileInfo::exists(m_settings.imageFolder + name + QStringLiteral(".bin")) ||
                    QFileInfo::exists(m_settings.imageFolder + name + QStringLiteral(".iso"));
         ++n)
        name = QStringLiteral("%1-%2").arg(stem).arg(n);
    return name;
}

QString Burner::writeAudioImage(const CdJob &job)
{
    report(QStringLiteral("Writing the audio CD image"));
    QString error;
    const QString cue = writeCueBin(job.files, m_settings.imageFolder, imageBaseName(), &error);
    if (cue.isEmpty())
        return error;
    report(QStringLiteral("Written: %1").arg(cue));
    return {};
}

QString Burner::writeDataImage(const CdJob &job)
{
    report(QStringLiteral("Writing the data CD image"));
    const QString iso = m_settings.imageFolder + imageBaseName() + QStringLiteral(".iso");
    QStringList arguments = xorrisoImageArguments(QStringLiteral("stdio:") + iso);
    arguments << xorrisoMapArguments(job.files) << QStringLiteral("-commit");
    const QString problem = runTool(QStringLiteral("xorriso"), QStringLiteral("xorriso"), arguments);
    // No cut-short image is left to be taken for a good one.
    if (!problem.isEmpty() || m_cancelled)
        QFile::remove(iso);
    return problem;
}

QString Burner::checkDataImageSize(const CdJob &job)
{
    // xorriso works out the image's size from the file sizes alone; nothing
    // is written.
    QStringList arguments = xorrisoImageArguments(QStringLiteral("stdio:/dev/null"));
    arguments << xorrisoMapArguments(job.files) << QStringLiteral("-print_size") << QStringLiteral("-rollback_end");
    QString output;
    const QString problem = runTool(QStringLiteral("xorriso"), QStringLiteral("xorriso"), arguments, {}, &output);
    if (!problem.isEmpty())
        return problem;
    static const QRegularExpression sizeLine(QStringLiteral("Image size\\s*:\\s*(\\d+)s"));
    const QRegularExpressionMatch match = sizeLine.match(output);
    if (!match.hasMatch())
        return QStringLiteral("The size of the data CD could not be worked out (xorriso): %1")
            .arg(problemLines(QStringLiteral("xorriso"), output));
    const qint64 sectors = match.captured(1).toLongLong();
    if (sectors > kMaxDataDiscSectors)
        return QStringLiteral("The files make a data CD image of %1 MB; a CD holds at most %2 MB.")
            .arg(megabytes(sectors), megabytes(kMaxDataDiscSectors));
    return {};
}

QString Burner::burnAudioDisc(const CdJob &job, const QString &device)
{
    report(QStringLiteral("Writing the audio CD in %1").arg(device));
    QStringList arguments{QStringLiteral("dev=") + device, QStringLiteral("-dao"), QStringLiteral("-audio"),
                          QStringLiteral("-pad"), QStringLiteral("-eject")};
    for (const QString &file : job.files)
        arguments << QFileInfo(file).absoluteFilePath();
    return runTool(QStringLiteral("wodim"), QStringLiteral("wodim"), arguments, device);
}

QString Burner::burnDataDisc(const CdJob &job, const QString &device)
{
    report(QStringLiteral("Writing the data CD in %1").arg(device));
    QStringList arguments{QStringLiteral("-no_rc"),
                          QStringLiteral("-iso_rr_pattern"),
                          QStringLiteral("off"),
                          QStringLiteral("-disk_pattern"),
                          QStringLiteral("off"),
                          QStringLiteral("-outdev"),
                          device,
                          QStringLiteral("-blank"),
                          QStringLiteral("as_needed"),
                          QStringLiteral("-joliet"),
                          QStringLiteral("on"),
                          QStringLiteral("-volid"),
                          kVolumeId};
    arguments << xorrisoMapArguments(job.files) << QStringLiteral("-commit") << QStringLiteral("-eject")
              << QStringLiteral("all");
    return runTool(QStringLiteral("xorriso"), QStringLiteral("xorriso"), arguments, device);
}

QString Burner::runTool(const QString &program, const QString &package, const QStringList &arguments,
                        const QString &device, QString *outputOut)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return QStringLiteral("The CD writing program \"%1\" is not installed (Debian package %2).")
            .arg(program, package);

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    QString output;
    QString pending;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::readyRead, &loop, [&] {
        pending += QString::fromLocal8Bit(process.readAll()).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        const qsizetype end = pending.lastIndexOf(QLatin1Char('\n'));
        if (end < 0)
            return;
        const QString lines = pending.left(end);
        pending.remove(0, end + 1);
        output += lines + QLatin1Char('\n');
        const QString last = lastLines(lines, 1).simplified();
        if (!last.isEmpty())
            report(last);
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    m_running = &process;
    process.start(path, arguments);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    m_running = nullptr;
    output += pending;
    if (outputOut)
        *outputOut = output;

    if (process.error() == QProcess::FailedToStart)
        return QStringLiteral("The CD writing program \"%1\" could not be started: %2")
            .arg(program, process.errorString());
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return {};
    if (!device.isEmpty() && saysNoDisc(output))
        return QStringLiteral("There is no writable disc in the CD drive %1.").arg(device);
    if (!device.isEmpty() && saysDriveUnusable(output))
        return QStringLiteral("The CD drive %1 cannot be used for writing (is it a CD writer, and may this user use "
                              "it?): %2")
            .arg(device, problemLines(program, output));
    return QStringLiteral("Writing the CD failed (%1): %2").arg(program, problemLines(program, output));
}

} // namespace skywell::cdwrite
