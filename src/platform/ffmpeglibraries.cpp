#include "platform/ffmpeglibraries.h"

#include "platform/sharedlibraries.h"

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
    static SharedLibraries libraries;
    QString reason;
    if (!libraries.open({SKYWELL_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR),
                         SKYWELL_SONAME("swresample", LIBSWRESAMPLE_VERSION_MAJOR),
                         SKYWELL_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR),
                         SKYWELL_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR)},
                        reason)) {
        g_loadError = QStringLiteral("FFmpeg: ") + reason;
        return;
    }
    FFmpeg loaded;
#define SKYWELL_FFMPEG_FIND(name)                                                                                      \
    if (!libraries.find(#name, loaded.name)) {                                                                         \
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
