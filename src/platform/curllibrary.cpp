#include "platform/curllibrary.h"

#include "platform/sharedlibraries.h"

namespace skywell
{

namespace
{

LoadedFunctions<Curl> g_curl;

QString fill(SharedLibraries &libraries, Curl &loaded)
{
    QString reason;
    // libcurl's file name carries its major version, 4 since 2007.
    if (!libraries.open({"libcurl.so.4"}, reason))
        return QStringLiteral("libcurl: ") + reason;
#define SKYWELL_CURL_FIND(name) SKYWELL_FIND_OR_RETURN(libraries, loaded, name, QStringLiteral("libcurl lacks "))
    SKYWELL_CURL_FUNCTIONS(SKYWELL_CURL_FIND)
#undef SKYWELL_CURL_FIND
    if (loaded.curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return QStringLiteral("libcurl could not be initialised");
    return {};
}

} // namespace

bool loadCurl(QString &reason)
{
    return g_curl.load(fill, reason);
}

const Curl &curl()
{
    return g_curl.table();
}

} // namespace skywell
