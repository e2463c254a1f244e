#include "cdaudio.h"

#include "imagefile.h"

#include <QFile>
#include <QtEndian>

namespace skywell::cdwrite
{

namespace
{

QString notCdAudio(const QString &path)
{
    return QStringLiteral("Not an audio CD file (WAV, 44.1 kHz, 16-bit, stereo): %1").arg(path);
}

} // namespace

bool openCdWav(const QString &path, CdWav &wav, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("File not found: %1").arg(path);
        return false;
    }
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE") {
        *error = notCdAudio(path);
        return false;
    }
    bool cdFormat = false;
    while (true) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8)
            break;
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        if (chunk.startsWith("fmt ")) {
            const QByteArray body = file.read(size + (size & 1));
            if (body.size() < 16)
                break;
            const quint16 tag = qFromLittleEndian<quint16>(body.constData());
            const quint16 channels = qFromLittleEndian<quint16>(body.constData() + 2);
            const quint32 rate = qFromLittleEndian<quint32>(body.constData() + 4);
            const quint16 bits = qFromLittleEndian<quint16>(body.constData() + 14);
            // 0xFFFE is the extensible header sox writes for some files.
            cdFormat = (tag == 1 || tag == 0xFFFE) && channels == 2 && rate == 44100 && bits == 16;
        } else if (chunk.startsWith("data")) {
            if (!cdFormat)
                break;
            wav.dataOffset = file.pos();
            // A writer that never finished its header leaves the size open:
            // take what the file holds.
            const qint64 available = file.size() - wav.dataOffset;
            wav.dataBytes = (size == 0 || size == 0xFFFFFFFFu) ? available : std::min<qint64>(size, available);
            wav.dataBytes -= wav.dataBytes % 4;
            return true;
        } else {
            file.skip(size + (size & 1));
        }
    }
    *error = notCdAudio(path);
    return false;
}

qint64 trackSectors(qint64 dataBytes)
{
    const qint64 sectors = (dataBytes + kSectorBytes - 1) / kSectorBytes;
    return std::max(sectors, kMinTrackSectors);
}

QString checkAudioTracks(const QStringList &files)
{
    if (files.size() > kMaxTracks)
        return QStringLiteral("An audio CD holds at most %1 tracks; %2 were given.").arg(kMaxTracks).arg(files.size());
    qint64 sectors = 0;
    for (const QString &path : files) {
        CdWav wav;
        QString error;
        if (!openCdWav(path, wav, &error))
            return error;
        sectors += trackSectors(wav.dataBytes);
    }
    if (sectors > kMaxDiscSectors)
        return QStringLiteral("The tracks last %1 minutes; an audio CD holds at most 80.")
            .arg(sectors / kSectorsPerSecond / 60);
    return {};
}

QString cueTime(qint64 sectors)
{
    const qint64 frames = sectors % kSectorsPerSecond;
    const qint64 seconds = sectors / kSectorsPerSecond;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(frames, 2, 10, QLatin1Char('0'));
}

QString writeCueBin(const QStringList &files, const QString &folder, const QString &baseName, QString *error)
{
    const QString binName = baseName + QStringLiteral(".bin");
    ImageFile bin(folder + binName);
    ImageFile cueFile(folder + baseName + QStringLiteral(".cue"));
    const auto failed = [error](const ImageFile &file) {
        *error = file.errorText();
        return QString();
    };
    if (!bin.open())
        return failed(bin);

    QString cue = QStringLiteral("FILE \"%1\" BINARY\n").arg(binName);
    qint64 position = 0;
    int number = 0;
    for (const QString &path : files) {
        CdWav wav;
        if (!openCdWav(path, wav, error))
            return {};
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly) || !in.seek(wav.dataOffset)) {
            *error = QStringLiteral("File not found: %1").arg(path);
            return {};
        }
        qint64 left = wav.dataBytes;
        while (left > 0) {
            const QByteArray block = in.read(std::min<qint64>(left, 1 << 20));
            if (block.isEmpty()) {
                // A track cut short by a read error would burn as silence.
                *error = QStringLiteral("Cannot read %1: %2").arg(path, in.errorString());
                return {};
            }
            // WAV samples are little-endian, as the bin image wants them.
            if (!bin.write(block))
                return failed(bin);
            left -= block.size();
        }
        const qint64 sectors = trackSectors(wav.dataBytes);
        if (!bin.writeZeros(sectors * kSectorBytes - wav.dataBytes))
            return failed(bin);
        cue += QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 %2\n")
                   .arg(++number, 2, 10, QLatin1Char('0'))
                   .arg(cueTime(position));
        position += sectors;
    }
    if (!bin.finish())
        return failed(bin);
    if (!cueFile.open() || !cueFile.write(cue.toUtf8()) || !cueFile.finish())
        return failed(cueFile);
    // Both are on the disk; only now do they take their names, the cue
    // sheet last, so that no cue sheet names a missing or partial image.
    if (!bin.commit())
        return failed(bin);
    if (!cueFile.commit()) {
        bin.discard();
        return failed(cueFile);
    }
    return cueFile.path();
}

} // namespace skywell::cdwrite
