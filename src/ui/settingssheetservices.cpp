#include "ui/settingssheetservices.h"

#include "core/prompter.h"
#include "mixer/sourcetest.h"
#include "postprocess/cdwriter.h"
#include "ui/sourcetestdialog.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace skywell
{

bool startSoundMixerProgram()
{
    // The sound server's own volume control first, then the sound page of
    // the desktop's settings.
    const std::pair<QString, QStringList> programs[] = {
        {QStringLiteral("pavucontrol"), {}},
        {QStringLiteral("pavucontrol-qt"), {}},
        {QStringLiteral("gnome-control-center"), {QStringLiteral("sound")}},
        {QStringLiteral("systemsettings"), {QStringLiteral("kcm_pulseaudio")}},
        {QStringLiteral("mate-volume-control"), {}},
    };
    for (const auto &[program, arguments] : programs) {
        const QString path = QStandardPaths::findExecutable(program);
        if (!path.isEmpty() && QProcess::startDetached(path, arguments))
            return true;
    }
    return false;
}

SettingsSheetServices desktopSheetServices(Prompter &prompter, QStringList captureDevices,
                                           std::function<RecordingSourceTest *()> test,
                                           std::function<CdWriter *()> cdWriter, QString siteAddress)
{
    SettingsSheetServices services;
    services.captureDevices = std::move(captureDevices);
    services.startSoundMixer = [&prompter] {
        if (!startSoundMixerProgram())
            prompter.information(kNoSoundMixerText);
    };
    services.testSources = [&prompter, test](const QString &card) {
        if (RecordingSourceTest *running = test ? test() : nullptr)
            runSourceTestWaiting(*running, card, true);
        else
            prompter.information(kNotStartedText);
    };
    services.setupCdBurner = [&prompter, cdWriter] {
        if (CdWriter *writer = cdWriter ? cdWriter() : nullptr)
            writer->setupCDBurner();
        else
            prompter.information(kNotStartedText);
    };
    services.openFileNamesHelp = [&prompter, siteAddress] {
        if (siteAddress.isEmpty())
            prompter.information(kNoSiteAddressText);
        else
            QDesktopServices::openUrl(QUrl(siteAddress + kFileNamesHelpPage));
    };
    return services;
}

} // namespace skywell
