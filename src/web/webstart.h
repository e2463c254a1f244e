#pragma once

#include "web/webserver.h"

#include <QString>

#include <memory>

namespace skywell
{

class SettingsStore;
class StationFinder;

// Per-user values (under the Program settings group) of the web page: where it is
// served ("[ADDRESS:]PORT", empty: not at all) and its password, kept
// hashed.
inline const QString kWebAddressSetting = QStringLiteral("WebAddress");
inline const QString kWebPasswordSetting = QStringLiteral("WebPassword");

// Starts the web page at the address of the command line ("--web"), else
// of the setting; null when neither names one, or when it may not or
// cannot start: refusal then receives why (also logged) for the caller to
// print. A password found unhashed in the setting is replaced by its hash.
std::unique_ptr<WebServer> startWebServer(ControlService &control, ActivityLog &log, SettingsStore &settingsStore,
                                          const QString &commandLineAddress, const QString &recordingsFolder,
                                          StationFinder *stations, QString *refusal);

} // namespace skywell
