#include "platform/curllibrary.h"

#include "platform/sharedlibraries.h"

#include <mutex>

namespace skywell
{

namespace
{

Curl g_curl;
QString g_loadError;

void loadOnce()
{
    static SharedLibraries libraries;
    QString reason;
    // libcurl's file name carries its major version, 4 since 2007.
    if (!libraries.open({"libcurl.so.4"}, reason)) {
        g_loadError = QStringLiteral("libcurl: ") + reason;
        return;
    }
    Curl loaded;
#define SKYWELL_CURL_FIND(name)                                                                                        \
    if (!libraries.find(#name, loaded.name)) {                                                                         \
        g_loadError = QStringLiteral("libcurl lacks %1").arg(QLatin1String(#name));                                    \
        return;                                                                                                        \
    }
    SKYWELL_CURL_FUNCTIONS(SKYWELL_CURL_FIND)
#undef SKYWELL_CURL_FIND
    if (loaded.curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        g_loadError = QStringLiteral("libcurl could not be initialised");
        return;
    }
    g_curl = loaded;
}

} // namespace

bool loadCurl(QString &reason)
{
    static std::once_flag once;
    std::call_once(once, loadOnce);
    if (!g_loadError.isEmpty()) {
        reason = g_loadError;
        return false;
    }
    return true;
}

const Curl &curl()
{
    return g_curl;
}

} // namespace skywell
