#include "web/webstart.h"

#include "core/activitylog.h"
#include "core/settingsstore.h"
#include "web/webpassword.h"

namespace skywell
{

std::unique_ptr<WebServer> startWebServer(ControlService &control, ActivityLog &log, SettingsStore &settingsStore,
                                          const QString &commandLineAddress, const QString &recordingsFolder,
                                          StationFinder *stations, QString *refusal)
{
    refusal->clear();
    const QString text = commandLineAddress.isEmpty()
                             ? settingsStore.readString(kWebAddressSetting, SettingsGroup::Program)
                             : commandLineAddress;
    if (text.trimmed().isEmpty())
        return nullptr;
    QString password = settingsStore.readString(kWebPasswordSetting, SettingsGroup::Program);
    if (!password.isEmpty() && !WebPassword::isHashed(password)) {
        password = WebPassword::hash(password);
        settingsStore.writeString(kWebPasswordSetting, password, SettingsGroup::Program);
        log.logLine(QStringLiteral("Web page password stored hashed"));
    }
    *refusal = webStartRefusal(text, !password.isEmpty());
    auto server = std::make_unique<WebServer>(control, log);
    if (refusal->isEmpty()) {
        server->setRecordingsFolder(recordingsFolder);
        server->setPasswordHash(password);
        server->setStationFinder(stations);
        const QString error = server->start(*parseWebAddress(text));
        if (!error.isEmpty())
            *refusal = QStringLiteral("The web page was not started: %1.").arg(error);
    }
    if (refusal->isEmpty())
        return server;
    log.logLine(*refusal);
    return nullptr;
}

} // namespace skywell
