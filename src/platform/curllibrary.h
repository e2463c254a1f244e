#pragma once

#include <curl/curl.h>

#include <QString>

namespace skywell
{

#define SKYWELL_CURL_FUNCTIONS(F)                                                                                      \
    F(curl_easy_cleanup)                                                                                               \
    F(curl_easy_getinfo)                                                                                               \
    F(curl_easy_init)                                                                                                  \
    F(curl_easy_setopt)                                                                                                \
    F(curl_easy_strerror)                                                                                              \
    F(curl_global_init)                                                                                                \
    F(curl_multi_add_handle)                                                                                           \
    F(curl_multi_cleanup)                                                                                              \
    F(curl_multi_info_read)                                                                                            \
    F(curl_multi_init)                                                                                                 \
    F(curl_multi_perform)                                                                                              \
    F(curl_multi_poll)                                                                                                 \
    F(curl_multi_remove_handle)                                                                                        \
    F(curl_multi_wakeup)                                                                                               \
    F(curl_slist_append)                                                                                               \
    F(curl_slist_free_all)

// The libcurl functions the HTTP transfer calls. libcurl, with the TLS,
// Kerberos and other libraries it pulls in, is loaded (and initialised)
// by the first transfer rather than at start: a program at rest carries
// none of it.
struct Curl {
#define SKYWELL_CURL_MEMBER(name) decltype(&::name) name = nullptr;
    SKYWELL_CURL_FUNCTIONS(SKYWELL_CURL_MEMBER)
#undef SKYWELL_CURL_MEMBER
};

// Loads and initialises libcurl once (thread-safe); false with the reason
// when it or one of the functions is missing. The same answer every time.
bool loadCurl(QString &reason);
// The functions; only after loadCurl() said true.
const Curl &curl();

} // namespace skywell
