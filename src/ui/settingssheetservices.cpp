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
    for (const QString &program : {QStringLiteral("pavucontrol"), QStringLiteral("pavucontrol-qt")}) {
        const QString path = QStandardPaths::findExecutable(program);
        if (!path.isEmpty() && QProcess::startDetached(path, {}))
            return true;
    }
    return false;
}

SettingsSheetServices desktopSheetServices(Prompter &prompter, QStringList captureDevices, RecordingSourceTest *test,
                                           CdWriter *cdWriter, QString siteAddress)
{
    SettingsSheetServices services;
    services.captureDevices = std::move(captureDevices);
    services.startSoundMixer = [&prompter] {
        if (!startSoundMixerProgram())
            prompter.information(kNoSoundMixerText);
    };
    if (test)
        services.testSources = [test](const QString &card) { runSourceTestWaiting(*test, card, true); };
    if (cdWriter)
        services.setupCdBurner = [cdWriter] { cdWriter->setupCDBurner(); };
    services.openFileNamesHelp = [&prompter, siteAddress] {
        if (siteAddress.isEmpty())
            prompter.information(kNoSiteAddressText);
        else
            QDesktopServices::openUrl(QUrl(siteAddress + kFileNamesHelpPage));
    };
    return services;
}

} // namespace skywell
