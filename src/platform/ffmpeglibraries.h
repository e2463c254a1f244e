#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <QString>

namespace skywell
{

#define SKYWELL_FFMPEG_FUNCTIONS(F)                                                                                    \
    F(av_channel_layout_check)                                                                                         \
    F(av_channel_layout_compare)                                                                                       \
    F(av_channel_layout_copy)                                                                                          \
    F(av_channel_layout_default)                                                                                       \
    F(av_channel_layout_uninit)                                                                                        \
    F(av_dict_free)                                                                                                    \
    F(av_dict_get)                                                                                                     \
    F(av_dict_set)                                                                                                     \
    F(av_find_best_stream)                                                                                             \
    F(av_frame_alloc)                                                                                                  \
    F(av_frame_free)                                                                                                   \
    F(av_frame_unref)                                                                                                  \
    F(av_free)                                                                                                         \
    F(av_log_set_level)                                                                                                \
    F(av_opt_get)                                                                                                      \
    F(av_packet_alloc)                                                                                                 \
    F(av_packet_free)                                                                                                  \
    F(av_packet_unref)                                                                                                 \
    F(av_read_frame)                                                                                                   \
    F(av_strerror)                                                                                                     \
    F(avcodec_alloc_context3)                                                                                          \
    F(avcodec_find_decoder)                                                                                            \
    F(avcodec_free_context)                                                                                            \
    F(avcodec_get_name)                                                                                                \
    F(avcodec_open2)                                                                                                   \
    F(avcodec_parameters_to_context)                                                                                   \
    F(avcodec_receive_frame)                                                                                           \
    F(avcodec_send_packet)                                                                                             \
    F(avformat_alloc_context)                                                                                          \
    F(avformat_close_input)                                                                                            \
    F(avformat_find_stream_info)                                                                                       \
    F(avformat_open_input)                                                                                             \
    F(avio_closep)                                                                                                     \
    F(avio_open2)                                                                                                      \
    F(avio_read)                                                                                                       \
    F(swr_alloc_set_opts2)                                                                                             \
    F(swr_convert)                                                                                                     \
    F(swr_free)                                                                                                        \
    F(swr_get_out_samples)                                                                                             \
    F(swr_init)                                                                                                        \
    F(swr_set_matrix)

// The FFmpeg functions the stream decoder calls. FFmpeg's libraries, with
// the dozens of codec libraries they pull in, are loaded when the first
// stream is opened rather than at start: a program at rest that never
// records a stream would otherwise carry them all in memory.
struct FFmpeg {
#define SKYWELL_FFMPEG_MEMBER(name) decltype(&::name) name = nullptr;
    SKYWELL_FFMPEG_FUNCTIONS(SKYWELL_FFMPEG_MEMBER)
#undef SKYWELL_FFMPEG_MEMBER
};

// Loads the libraries once (thread-safe); false with the reason when they
// or one of the functions are missing. The same answer every time.
bool loadFFmpeg(QString &reason);
// The functions; only after loadFFmpeg() said true.
const FFmpeg &ffmpeg();

} // namespace skywell
