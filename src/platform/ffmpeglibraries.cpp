#include "platform/ffmpeglibraries.h"

#include <dlfcn.h>

#include <initializer_list>
#include <mutex>

namespace skywell
{

namespace
{

#define SKYWELL_SONAME(base, major) "lib" base ".so." AV_STRINGIFY(major)

FFmpeg g_ffmpeg;
QString g_loadError;

void loadOnce()
{
    // The major versions built against: their functions have these types.
    void *handles[4] = {};
    int at = 0;
    for (const char *name :
         {SKYWELL_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR), SKYWELL_SONAME("swresample", LIBSWRESAMPLE_VERSION_MAJOR),
          SKYWELL_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR), SKYWELL_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR)}) {
        handles[at] = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
        if (!handles[at]) {
            g_loadError = QStringLiteral("FFmpeg's library %1 could not be loaded: %2")
                              .arg(QString::fromLatin1(name), QString::fromLocal8Bit(::dlerror()));
            return;
        }
        ++at;
    }
    auto find = [&handles](const char *name) -> void * {
        for (void *handle : handles) {
            if (void *symbol = ::dlsym(handle, name))
                return symbol;
        }
        return nullptr;
    };
    FFmpeg loaded;
#define SKYWELL_FFMPEG_FIND(name)                                                                                      \
    loaded.name = reinterpret_cast<decltype(loaded.name)>(find(#name));                                                \
    if (!loaded.name) {                                                                                                \
        g_loadError = QStringLiteral("FFmpeg's libraries lack %1").arg(QLatin1String(#name));                          \
        return;                                                                                                        \
    }
    SKYWELL_FFMPEG_FUNCTIONS(SKYWELL_FFMPEG_FIND)
#undef SKYWELL_FFMPEG_FIND
    g_ffmpeg = loaded;
}

} // namespace

bool loadFFmpeg(QString &reason)
{
    static std::once_flag once;
    std::call_once(once, loadOnce);
    if (!g_loadError.isEmpty()) {
        reason = g_loadError;
        return false;
    }
    return true;
}

const FFmpeg &ffmpeg()
{
    return g_ffmpeg;
}

} // namespace skywell
