#include "core/settingssheetrules.h"

#include "core/autostart.h"
#include "core/folders.h"
#include "core/prompter.h"
#include "core/registry.h"
#include "core/writeprobe.h"

#include <QDir>
#include <QFileInfo>

namespace skywell
{

Settings settingsFromPages(const Settings &original, const Settings &pages, unsigned shownPages)
{
    Settings out = original;
    if (shownPages & kFoldersPage) {
        out.mp3Folder = withTrailingSeparator(pages.mp3Folder);
        out.tempFolder = withTrailingSeparator(pages.tempFolder);
    }
    if (shownPages & kTuningPage) {
        out.connectLeadSeconds = pages.connectLeadSeconds;
        out.retuneSeconds = pages.retuneSeconds;
        out.tuneInBrowser = pages.tuneInBrowser;
    }
    if (shownPages & kConnectionsPage) {
        out.useDialup = pages.useDialup;
        out.useProxy = pages.useProxy;
        out.proxyAddress = pages.proxyAddress;
        out.proxyPort = pages.proxyPort;
    }
    if (shownPages & kSoundMixerPage) {
        out.soundCard = soundCardFromList(pages.soundCard, original.soundCard);
        out.optimizeVolume = pages.optimizeVolume;
    }
    if (shownPages & kOtherPage) {
        out.fileNameFormat = pages.fileNameFormat;
        out.startOnBoot = pages.startOnBoot;
    }
    return out;
}

std::optional<QString> integerProblem(const QString &text, qint64 min, qint64 max)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok)
        return QStringLiteral("Please enter an integer.");
    if (value < min || value > max)
        return QStringLiteral("Please enter an integer between %1 and %2.").arg(min).arg(max);
    return std::nullopt;
}

std::optional<QString> folderProblem(const QString &folder, const QString &caption)
{
    if (folder.trimmed().isEmpty())
        return kEmptyFolderText.arg(caption);
    const QString path = withTrailingSeparator(folder);
    if (!QDir::isAbsolutePath(path))
        return kBadFolderText.arg(folder, caption, QStringLiteral("it is not a full path starting with \"/\""));
    if (!folderExists(path) && !createFolder(path))
        return kBadFolderText.arg(folder, caption, whyCannotWrite(path + QStringLiteral("test")));
    const QFileInfo info(path);
    if (!info.isDir() || !info.isWritable())
        return kBadFolderText.arg(folder, caption, whyCannotWrite(path + QStringLiteral("test")));
    return std::nullopt;
}

std::optional<QString> fileNameFormatProblem(const QString &format)
{
    // strftime codes Skywell's time text knows; "%%" followed by "s" is the
    // name and "%%%%" a percent sign. Anything else after a percent sign
    // would be a code with no value behind it once the time is filled in.
    static const QString timeCodes = QStringLiteral("aAbBcdHIjmMpSUwWxXyYzZ");
    int names = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != QLatin1Char('%'))
            continue;
        if (i + 1 >= format.size())
            return kFileNameFormatText;
        QChar next = format[i + 1];
        if (next == QLatin1Char('%')) {
            if (i + 2 < format.size() && format[i + 2] == QLatin1Char('s')) {
                ++names;
                i += 2;
                continue;
            }
            // "%%%%" is a percent sign in the file name.
            if (format.mid(i, 4) == QStringLiteral("%%%%")) {
                i += 3;
                continue;
            }
            return kFileNameFormatText;
        }
        qsizetype at = i + 1;
        if (next == QLatin1Char('#') && at + 1 < format.size())
            next = format[++at];
        if (!timeCodes.contains(next))
            return kFileNameFormatText;
        i = at;
    }
    return names == 1 ? std::nullopt : std::optional<QString>(kFileNameFormatText);
}

std::optional<QString> proxyPortProblem(const QString &port)
{
    if (port.trimmed().isEmpty())
        return std::nullopt;
    bool ok = false;
    const int value = port.trimmed().toInt(&ok);
    if (!ok || value < 1 || value > 65535)
        return kProxyPortText;
    return std::nullopt;
}

CaptureDeviceList captureDeviceList(const QStringList &devices, const QString &soundCard)
{
    CaptureDeviceList list;
    for (const QString &device : devices) {
        if (!device.contains(QStringLiteral("Skywell")) && !device.contains(QStringLiteral("Default Device")))
            list.items.append(device);
    }
    for (qsizetype i = 0; i < list.items.size() && list.selected < 0; ++i) {
        if (list.items[i].startsWith(soundCard, Qt::CaseInsensitive))
            list.selected = int(i);
    }
    if (list.selected < 0 && !list.items.isEmpty())
        list.selected = 0;
    return list;
}

QString soundCardFromList(const QString &selected, const QString &previous)
{
    return selected.isEmpty() ? previous : selected;
}

bool saveAcceptedSettings(Settings &settings, const Settings &accepted, Registry &registry,
                          const AutostartEntry &autostart, Prompter &prompter)
{
    const bool on = accepted.startOnBoot != 0;
    QString problem;
    if (!autostart.canApply(on, &problem)) {
        prompter.error(kRegistryErrorText.arg(autostart.userEntryPath(), problem));
        return false;
    }
    Settings saved = accepted;
    saved.firstTime = 0;
    if (!saveSettings(saved, registry))
        return false;
    settings = saved;
    if (!autostart.apply(on, &problem))
        prompter.error(kRegistryErrorText.arg(autostart.userEntryPath(), problem));
    return true;
}

} // namespace skywell
