#include "platform/ffmpeglibraries.h"

#include "platform/sharedlibraries.h"

namespace skywell
{

namespace
{

#define SKYWELL_SONAME(base, major) "lib" base ".so." AV_STRINGIFY(major)

LoadedFunctions<FFmpeg> g_ffmpeg;

QString fill(SharedLibraries &libraries, FFmpeg &loaded)
{
    // The major versions built against: their functions have these types.
    QString reason;
    if (!libraries.open({SKYWELL_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR),
                         SKYWELL_SONAME("swresample", LIBSWRESAMPLE_VERSION_MAJOR),
                         SKYWELL_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR),
                         SKYWELL_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR)},
                        reason))
        return QStringLiteral("FFmpeg: ") + reason;
#define SKYWELL_FFMPEG_FIND(name)                                                                                      \
    SKYWELL_FIND_OR_RETURN(libraries, loaded, name, QStringLiteral("FFmpeg's libraries lack "))
    SKYWELL_FFMPEG_FUNCTIONS(SKYWELL_FFMPEG_FIND)
#undef SKYWELL_FFMPEG_FIND
    return {};
}

} // namespace

bool loadFFmpeg(QString &reason)
{
    return g_ffmpeg.load(fill, reason);
}

const FFmpeg &ffmpeg()
{
    return g_ffmpeg.table();
}

} // namespace skywell
