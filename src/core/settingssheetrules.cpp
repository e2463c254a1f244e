#include "core/settingssheetrules.h"

#include "core/autostart.h"
#include "core/folders.h"
#include "core/prompter.h"
#include "core/settingsstore.h"
#include "core/writeprobe.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

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
    // The conversions the C library's strftime fills in, each optionally
    // after the "#" flag (no leading zero), a GNU padding flag, or the E or O
    // modifier. "n" and "t" would put a line break or a tab into names
    // (and so into playlists).
    static const QString timeCodes = QStringLiteral("aAbBcCdDeFgGhHIjklmMpPrRsSTuUVwWxXyYzZ");
    static const QString flags = QStringLiteral("#-_0^");
    if (format.trimmed().isEmpty())
        return kFileNameFormatText;
    int names = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i].category() == QChar::Other_Control)
            return kFileNameFormatText;
        if (format[i] != QLatin1Char('%'))
            continue;
        const auto at = [&format](qsizetype k) { return k < format.size() ? format[k] : QChar(); };
        if (at(i + 1) == QLatin1Char('%')) {
            // "%%" is a "%" once the time is filled in: followed by "s" the
            // name goes there, followed by "%%" it is a percent sign.
            if (at(i + 2) == QLatin1Char('s')) {
                ++names;
                i += 2;
                continue;
            }
            if (at(i + 2) == QLatin1Char('%') && at(i + 3) == QLatin1Char('%')) {
                i += 3;
                continue;
            }
            return kFileNameFormatText;
        }
        qsizetype k = i + 1;
        if (flags.contains(at(k)) && !at(k).isNull())
            ++k;
        if (at(k) == QLatin1Char('E') || at(k) == QLatin1Char('O'))
            ++k;
        if (at(k).isNull() || !timeCodes.contains(at(k)))
            return kFileNameFormatText;
        i = k;
    }
    // A second "%s" would stay in the name as it is.
    return names <= 1 ? std::nullopt : std::optional<QString>(kFileNameFormatText);
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

SheetExtras loadSheetExtras(const SettingsStore &settingsStore)
{
    namespace L = MusicLibrarySettingNames;
    SheetExtras extras;
    extras.dialCommand = settingsStore.readString(SettingNames::dialCommand, SettingsGroup::Options);
    extras.hangUpCommand = settingsStore.readString(SettingNames::hangUpCommand, SettingsGroup::Options);
    extras.libraryHost = settingsStore.readString(L::host, SettingsGroup::Program);
    if (const auto port = settingsStore.readIntValue(L::port, SettingsGroup::Program))
        extras.libraryPort = QString::number(*port);
    extras.libraryPassword = settingsStore.readString(L::password, SettingsGroup::Program);
    extras.libraryFolder = settingsStore.readString(L::folder, SettingsGroup::Program);
    extras.librarySubfolder = settingsStore.readString(L::subfolder, SettingsGroup::Program);
    extras.playerCommand = settingsStore.readString(SettingNames::playerCommand, SettingsGroup::Options);
    extras.catalogueAddress = settingsStore.readString(SettingNames::catalogueAddress, SettingsGroup::Options);
    extras.directoryAddress = settingsStore.readString(SettingNames::stationDirectoryAddress, SettingsGroup::Options);
    return extras;
}

SheetExtras extrasFromPages(const SheetExtras &original, const SheetExtras &pages, unsigned shownPages)
{
    SheetExtras out = original;
    if (shownPages & kTuningPage)
        out.playerCommand = pages.playerCommand.trimmed();
    if (shownPages & kConnectionsPage) {
        out.dialCommand = pages.dialCommand.trimmed();
        out.hangUpCommand = pages.hangUpCommand.trimmed();
    }
    if (shownPages & kOtherPage) {
        out.libraryHost = pages.libraryHost.trimmed();
        out.libraryPort = pages.libraryPort.trimmed();
        out.libraryPassword = pages.libraryPassword;
        out.libraryFolder = pages.libraryFolder.trimmed();
        out.librarySubfolder = pages.librarySubfolder.trimmed();
        out.catalogueAddress = pages.catalogueAddress.trimmed();
        out.directoryAddress = pages.directoryAddress.trimmed();
    }
    return out;
}

bool saveSheetExtras(const SheetExtras &original, const SheetExtras &accepted, SettingsStore &settingsStore)
{
    namespace L = MusicLibrarySettingNames;
    SettingsStore::Values profile;
    if (accepted.dialCommand != original.dialCommand)
        profile.append({SettingNames::dialCommand, accepted.dialCommand});
    if (accepted.hangUpCommand != original.hangUpCommand)
        profile.append({SettingNames::hangUpCommand, accepted.hangUpCommand});
    if (accepted.playerCommand != original.playerCommand)
        profile.append({SettingNames::playerCommand, accepted.playerCommand});
    if (accepted.catalogueAddress != original.catalogueAddress)
        profile.append({SettingNames::catalogueAddress, accepted.catalogueAddress});
    if (accepted.directoryAddress != original.directoryAddress)
        profile.append({SettingNames::stationDirectoryAddress, accepted.directoryAddress});
    SettingsStore::Values library;
    const auto text = [&library](const QString &name, const QString &was, const QString &now) {
        if (now != was)
            library.append({name, now});
    };
    text(L::host, original.libraryHost, accepted.libraryHost);
    text(L::password, original.libraryPassword, accepted.libraryPassword);
    text(L::folder, original.libraryFolder, accepted.libraryFolder);
    text(L::subfolder, original.librarySubfolder, accepted.librarySubfolder);
    if (accepted.libraryPort != original.libraryPort) {
        const int port = accepted.libraryPort.isEmpty() ? L::defaultPort : accepted.libraryPort.toInt();
        library.append({L::port, port});
    }
    return (profile.isEmpty() || settingsStore.writeValues(profile, SettingsGroup::Options)) &&
           (library.isEmpty() || settingsStore.writeValues(library, SettingsGroup::Program));
}

namespace
{
// The first word of a command line as a shell splits it: blanks end it,
// single and double quotes and backslashes quote.
QString firstShellWord(const QString &line)
{
    QString word;
    QChar quote;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quote.isNull() && c.isSpace())
            break;
        if (c == quote) {
            quote = QChar();
        } else if (quote.isNull() && (c == QLatin1Char('\'') || c == QLatin1Char('"'))) {
            quote = c;
        } else if (c == QLatin1Char('\\') && quote != QLatin1Char('\'') && i + 1 < line.size()) {
            word += line[++i];
        } else {
            word += c;
        }
    }
    return word;
}
} // namespace

std::optional<QString> commandProblem(const QString &command, bool required)
{
    const QString line = command.trimmed();
    if (line.isEmpty())
        return required ? std::optional<QString>(kNoDialCommandText) : std::nullopt;
    const QString program = firstShellWord(line);
    const QString path = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(path);
    if (program.isEmpty() || path.isEmpty() || !info.isFile() || !info.isExecutable())
        return kCommandNotFoundText.arg(program, line);
    return std::nullopt;
}

bool dialupShown(bool useDialup, const QString &dialCommand)
{
    return useDialup || !dialCommand.trimmed().isEmpty();
}

std::optional<QString> libraryHostProblem(const QString &host)
{
    const QString name = host.trimmed();
    if (name.isEmpty())
        return std::nullopt;
    // A name or an address as the server's connection takes it: no scheme,
    // no path, no port (the port has its own box), no blanks.
    QUrl url;
    url.setHost(name, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || name.contains(u':') || name.contains(u'/'))
        return kLibraryHostText;
    return std::nullopt;
}

std::optional<QString> serverAddressProblem(const QString &address, const QString &what)
{
    const QString text = address.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QStringLiteral("http") && scheme != QStringLiteral("https")) ||
        url.host().isEmpty() || text.contains(u' '))
        return kServerAddressText.arg(what);
    return std::nullopt;
}

std::optional<QString> libraryPortProblem(const QString &port)
{
    return proxyPortProblem(port);
}

std::optional<QString> libraryFolderProblem(const QString &folder)
{
    if (folder.trimmed().isEmpty() || QDir::isAbsolutePath(folder.trimmed()))
        return std::nullopt;
    return kLibraryFolderText;
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

bool saveAcceptedSettings(Settings &settings, const Settings &accepted, SettingsStore &settingsStore,
                          const AutostartEntry &autostart, Prompter &prompter)
{
    const bool on = accepted.startOnBoot;
    QString problem;
    if (!autostart.canApply(on, &problem)) {
        prompter.error(kSettingsErrorText.arg(autostart.userEntryPath(), problem));
        return false;
    }
    Settings saved = accepted;
    saved.firstTime = false;
    if (!saveSettings(saved, settingsStore))
        return false;
    settings = saved;
    if (!autostart.apply(on, &problem))
        prompter.error(kSettingsErrorText.arg(autostart.userEntryPath(), problem));
    return true;
}

} // namespace skywell
