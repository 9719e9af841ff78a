#include "VideoEncoder.h"

#include "RegularFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <QFileInfo>
#include <vector>

namespace {

QString averr(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

struct CodecDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

enum class Format { Mp4, Webm, Mov, Unknown };

Format formatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mp4"))
        return Format::Mp4;
    if (suffix == QLatin1String("webm"))
        return Format::Webm;
    if (suffix == QLatin1String("mov"))
        return Format::Mov;
    return Format::Unknown;
}

// The encoders and muxer of each format: video, sound, container.
struct Codecs {
    const char* video;
    const char* audio;
    const char* muxer;
};

Codecs codecsOf(Format f) {
    switch (f) {
    case Format::Webm:
        return {"libvpx-vp9", "libopus", "webm"};
    case Format::Mov:
        return {"prores_ks", "pcm_s16le", "mov"};
    default:
        return {"libx264", "aac", "mp4"};
    }
}

AVPixelFormat pixelFormatOf(Format f, bool alpha) {
    if (f == Format::Mov)
        return alpha ? AV_PIX_FMT_YUVA444P10LE : AV_PIX_FMT_YUV422P10LE;
    return f == Format::Webm && alpha ? AV_PIX_FMT_YUVA420P : AV_PIX_FMT_YUV420P;
}

} // namespace

struct VideoEncoder::Impl {
    AVFormatContext* fmt = nullptr;
    std::unique_ptr<AVCodecContext, CodecDeleter> video, audio;
    AVStream* vstream = nullptr;
    AVStream* astream = nullptr;
    std::unique_ptr<AVFrame, FrameDeleter> vframe, aframe;
    std::unique_ptr<AVPacket, PacketDeleter> packet{av_packet_alloc()};
    SwsContext* sws = nullptr;
    SwrContext* swr = nullptr;
    AVAudioFifo* fifo = nullptr;
    int inRate = 44100;
    int64_t lastIndex = -1;
    int64_t audioPts = 0;
    bool headerWritten = false;

    ~Impl() {
        sws_freeContext(sws);
        swr_free(&swr);
        if (fifo)
            av_audio_fifo_free(fifo);
        if (fmt) {
            if (!(fmt->oformat->flags & AVFMT_NOFILE) && fmt->pb)
                avio_closep(&fmt->pb);
            avformat_free_context(fmt);
        }
    }

    // Sends a frame (or the flush, with null) and writes every packet that comes out.
    int encode(AVCodecContext* c, AVStream* s, AVFrame* f) {
        int rc = avcodec_send_frame(c, f);
        if (rc < 0)
            return rc;
        for (;;) {
            rc = avcodec_receive_packet(c, packet.get());
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return 0;
            if (rc < 0)
                return rc;
            av_packet_rescale_ts(packet.get(), c->time_base, s->time_base);
            packet->stream_index = s->index;
            rc = av_interleaved_write_frame(fmt, packet.get());
            if (rc < 0)
                return rc;
        }
    }

    // Encodes whole audio frames from the FIFO; with `all`, the last partial one too.
    int drainAudio(bool all) {
        const int size = audio->frame_size > 0 ? audio->frame_size : 1024;
        while (av_audio_fifo_size(fifo) >= size || (all && av_audio_fifo_size(fifo) > 0)) {
            const int n = std::min(size, av_audio_fifo_size(fifo));
            AVFrame* f = aframe.get();
            int rc = av_frame_make_writable(f);
            if (rc < 0)
                return rc;
            f->nb_samples = n;
            if (av_audio_fifo_read(fifo, reinterpret_cast<void**>(f->data), n) < n)
                return AVERROR(EIO);
            f->pts = audioPts;
            audioPts += n;
            rc = encode(audio.get(), astream, f);
            if (rc < 0)
                return rc;
        }
        return 0;
    }
};

VideoEncoder::VideoEncoder() = default;

namespace {

// FFmpeg's own protocols (tcp:, http:, pipe: ...) are closed: only the file protocol.
int openLocalFile(AVIOContext** pb, const QByteArray& file) {
    AVDictionary* opts = nullptr;
    av_dict_set(&opts, "protocol_whitelist", "file", 0);
    const int rc = avio_open2(pb, file.constData(), AVIO_FLAG_WRITE, nullptr, &opts);
    av_dict_free(&opts);
    return rc;
}

} // namespace

VideoEncoder::~VideoEncoder() {
    if (isOpen())
        finish();
}

bool VideoEncoder::isOpen() const {
    return d_ && d_->headerWritten;
}

bool VideoEncoder::canWrite(const QString& path, QString* why) {
    const Format format = formatOf(path);
    if (format == Format::Unknown) {
        if (why)
            *why = QStringLiteral("the file must end in .mp4, .webm or .mov");
        return false;
    }
    const Codecs codecs = codecsOf(format);
    for (const char* n : {codecs.video, codecs.audio})
        if (!avcodec_find_encoder_by_name(n)) {
            if (why)
                *why = QStringLiteral("this FFmpeg has no %1 encoder").arg(QString::fromLatin1(n));
            return false;
        }
    // A video is a file on this computer: never a URL FFmpeg would connect to, a FIFO or
    // a device.
    if (path.contains(QLatin1String("://")) || path.startsWith(QLatin1String("pipe:"))) {
        if (why)
            *why = QStringLiteral("%1 is not a file name").arg(path);
        return false;
    }
    if (const auto problem = files::notWritableTarget(path)) {
        if (why)
            *why = QStringLiteral("%1 %2").arg(path, *problem);
        return false;
    }
    return true;
}

bool VideoEncoder::open(const Settings& s) {
    if (!canWrite(s.path, &error_))
        return false;
    if (s.width <= 0 || s.height <= 0 || s.width % 2 || s.height % 2 || s.fps <= 0) {
        error_ = QStringLiteral("the picture must have an even, positive size");
        return false;
    }
    av_log_set_level(AV_LOG_ERROR); // the encoders' statistics are not for the operator
    auto d = std::make_unique<Impl>();
    d->inRate = s.sampleRate;
    const Format format = formatOf(s.path);
    const bool webm = format == Format::Webm;
    const Codecs codecs = codecsOf(format);
    const QByteArray file = QFile::encodeName(s.path);
    int rc = avformat_alloc_output_context2(&d->fmt, nullptr, codecs.muxer, file.constData());
    if (rc < 0 || !d->fmt) {
        error_ = averr(rc);
        return false;
    }

    // Video: a key frame every second, so a cut-off file loses at most its last second.
    const AVCodec* vc = avcodec_find_encoder_by_name(codecs.video);
    d->video.reset(avcodec_alloc_context3(vc));
    AVCodecContext* v = d->video.get();
    v->width = s.width;
    v->height = s.height;
    v->time_base = AVRational{1, s.fps};
    v->framerate = AVRational{s.fps, 1};
    v->gop_size = s.fps;
    // No B-frames: the picture starts at time zero with the sound, and frames leave the
    // encoder as soon as they are made.
    v->max_b_frames = 0;
    v->pix_fmt = pixelFormatOf(format, s.alpha);
    v->color_range = AVCOL_RANGE_MPEG;
    if (d->fmt->oformat->flags & AVFMT_GLOBALHEADER)
        v->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (format == Format::Mov) {
        // ProRes 4444 (with its alpha) or 422 HQ: what editors cut without converting.
        av_opt_set(v->priv_data, "profile", s.alpha ? "4444" : "hq", 0);
        av_opt_set(v->priv_data, "vendor", "apl0", 0);
        // A fixed quantiser: the encoder's own search for each slice's costs most of its
        // time, and flat colours with hard edges keep well at a fine fixed step.
        v->flags |= AV_CODEC_FLAG_QSCALE;
        v->global_quality = FF_QP2LAMBDA * 4;
        // The board's alpha is all or nothing but for the edges of its rounded corners:
        // eight bits keep it exactly and cost half the coding of sixteen.
        if (s.alpha)
            av_opt_set_int(v->priv_data, "alpha_bits", 8, 0);
    } else if (webm) {
        // Real-time speed: a recording must keep up with the board on an ordinary machine.
        av_opt_set(v->priv_data, "deadline", "realtime", 0);
        av_opt_set_int(v->priv_data, "cpu-used", 8, 0);
        // An export is cut and laid over other footage: finer steps, the alpha's edges too.
        av_opt_set_int(v->priv_data, "crf", s.forExport ? 18 : 30, 0);
        v->bit_rate = 0;
        av_opt_set_int(v->priv_data, "row-mt", 1, 0);
    } else {
        av_opt_set(v->priv_data, "preset", "veryfast", 0);
        // No look-ahead: each frame is written as soon as it is encoded, so what a crash
        // cuts off is only the fragment being written.
        av_opt_set(v->priv_data, "tune", "animation,zerolatency", 0);
        av_opt_set(v->priv_data, "crf", "18", 0);
        // Flat colours and hard edges gain little from trellis quantisation, which costs
        // a good part of the encoder's time.
        av_opt_set(v->priv_data, "x264-params", "trellis=0", 0);
    }
    v->thread_count = 2;
    if ((rc = avcodec_open2(v, vc, nullptr)) < 0) {
        error_ = QStringLiteral("video encoder: ") + averr(rc);
        return false;
    }
    d->vstream = avformat_new_stream(d->fmt, nullptr);
    d->vstream->time_base = v->time_base;
    d->vstream->avg_frame_rate = v->framerate;
    avcodec_parameters_from_context(d->vstream->codecpar, v);

    // Sound: AAC and PCM keep the mixer's rate; Opus only takes 48 kHz.
    const AVCodec* ac = avcodec_find_encoder_by_name(codecs.audio);
    d->audio.reset(avcodec_alloc_context3(ac));
    AVCodecContext* a = d->audio.get();
    a->sample_rate = webm ? 48000 : s.sampleRate;
    a->sample_fmt = webm                    ? AV_SAMPLE_FMT_FLT
                    : format == Format::Mov ? AV_SAMPLE_FMT_S16
                                            : AV_SAMPLE_FMT_FLTP;
    av_channel_layout_default(&a->ch_layout, 2);
    a->bit_rate = webm ? 128000 : format == Format::Mov ? 0 : 192000;
    a->time_base = AVRational{1, a->sample_rate};
    if (d->fmt->oformat->flags & AVFMT_GLOBALHEADER)
        a->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // FFmpeg's AAC encoder spends more time searching than the chimes and the voice need.
    if (format == Format::Mp4)
        av_opt_set(a->priv_data, "aac_coder", "fast", 0);
    if ((rc = avcodec_open2(a, ac, nullptr)) < 0) {
        error_ = QStringLiteral("audio encoder: ") + averr(rc);
        return false;
    }
    d->astream = avformat_new_stream(d->fmt, nullptr);
    d->astream->time_base = a->time_base;
    avcodec_parameters_from_context(d->astream->codecpar, a);

    AVChannelLayout stereo;
    av_channel_layout_default(&stereo, 2);
    if ((rc = swr_alloc_set_opts2(&d->swr, &a->ch_layout, a->sample_fmt, a->sample_rate, &stereo,
                                  AV_SAMPLE_FMT_FLT, s.sampleRate, 0, nullptr)) < 0 ||
        (rc = swr_init(d->swr)) < 0) {
        error_ = QStringLiteral("resampler: ") + averr(rc);
        return false;
    }
    d->fifo = av_audio_fifo_alloc(a->sample_fmt, 2, a->sample_rate);
    d->aframe.reset(av_frame_alloc());
    d->aframe->format = a->sample_fmt;
    av_channel_layout_copy(&d->aframe->ch_layout, &a->ch_layout);
    d->aframe->sample_rate = a->sample_rate;
    d->aframe->nb_samples = a->frame_size > 0 ? a->frame_size : 1024;
    av_frame_get_buffer(d->aframe.get(), 0);

    d->vframe.reset(av_frame_alloc());
    d->vframe->format = v->pix_fmt;
    d->vframe->width = v->width;
    d->vframe->height = v->height;
    av_frame_get_buffer(d->vframe.get(), 0);
    d->sws = sws_getContext(s.width, s.height, AV_PIX_FMT_BGRA, s.width, s.height, v->pix_fmt,
                            SWS_POINT, nullptr, nullptr, nullptr);

    if (!(d->fmt->oformat->flags & AVFMT_NOFILE) && (rc = openLocalFile(&d->fmt->pb, file)) < 0) {
        error_ = QStringLiteral("cannot write %1: %2").arg(s.path, averr(rc));
        return false;
    }
    // Every packet goes to the disk as it is written, so what a crash leaves is complete up
    // to the fragment before it.
    d->fmt->flags |= AVFMT_FLAG_FLUSH_PACKETS;
    d->fmt->flush_packets = 1;
    AVDictionary* opts = nullptr;
    if (webm) {
        av_dict_set(&opts, "cluster_time_limit", "1000", 0);
    } else if (s.forExport || format == Format::Mov) {
        // A finished file for an editor: its index at the front.
        av_dict_set(&opts, "movflags", "+faststart", 0);
    } else {
        // Fragmented MP4: every second is a self-contained fragment, so a crash leaves a
        // file that plays up to its last second without any repair.
        av_dict_set(&opts, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
        av_dict_set(&opts, "frag_duration", "1000000", 0);
    }
    rc = avformat_write_header(d->fmt, &opts);
    av_dict_free(&opts);
    if (rc < 0) {
        error_ = QStringLiteral("cannot start %1: %2").arg(s.path, averr(rc));
        return false;
    }
    d->headerWritten = true;
    d_ = std::move(d);
    error_.clear();
    return true;
}

bool VideoEncoder::addFrame(const QImage& frame, int64_t index) {
    if (!isOpen() || index <= d_->lastIndex)
        return false;
    AVCodecContext* v = d_->video.get();
    QImage img = frame.format() == QImage::Format_ARGB32 || frame.format() == QImage::Format_RGB32
                     ? frame
                     : frame.convertToFormat(QImage::Format_ARGB32);
    if (img.width() != v->width || img.height() != v->height) {
        error_ = QStringLiteral("a frame of %1x%2 in a %3x%4 video")
                     .arg(img.width())
                     .arg(img.height())
                     .arg(v->width)
                     .arg(v->height);
        return false;
    }
    AVFrame* f = d_->vframe.get();
    if (av_frame_make_writable(f) < 0)
        return false;
    const uint8_t* src[1] = {img.constBits()};
    const int stride[1] = {static_cast<int>(img.bytesPerLine())};
    sws_scale(d_->sws, src, stride, 0, img.height(), f->data, f->linesize);
    f->pts = index;
    d_->lastIndex = index;
    const int rc = d_->encode(v, d_->vstream, f);
    if (rc < 0) {
        error_ = QStringLiteral("video: ") + averr(rc);
        return false;
    }
    return true;
}

bool VideoEncoder::addAudio(const float* stereo, int frames) {
    if (!isOpen() || frames <= 0)
        return false;
    AVCodecContext* a = d_->audio.get();
    const int outMax = swr_get_out_samples(d_->swr, frames);
    std::vector<uint8_t*> planes(2, nullptr);
    int linesize = 0;
    if (av_samples_alloc(planes.data(), &linesize, 2, outMax, a->sample_fmt, 0) < 0)
        return false;
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(stereo)};
    const int got = swr_convert(d_->swr, planes.data(), outMax, in, frames);
    int rc = 0;
    if (got > 0 &&
        av_audio_fifo_write(d_->fifo, reinterpret_cast<void**>(planes.data()), got) < got)
        rc = AVERROR(ENOMEM);
    av_freep(&planes[0]);
    if (rc == 0)
        rc = d_->drainAudio(false);
    if (rc < 0) {
        error_ = QStringLiteral("audio: ") + averr(rc);
        return false;
    }
    return true;
}

bool VideoEncoder::finish() {
    if (!isOpen())
        return false;
    // The resampler holds back a few milliseconds of sound; they belong at the end.
    const int tail = swr_get_out_samples(d_->swr, 0);
    if (tail > 0) {
        uint8_t* planes[2] = {nullptr, nullptr};
        int linesize = 0;
        if (av_samples_alloc(planes, &linesize, 2, tail, d_->audio->sample_fmt, 0) >= 0) {
            const int got = swr_convert(d_->swr, planes, tail, nullptr, 0);
            if (got > 0)
                av_audio_fifo_write(d_->fifo, reinterpret_cast<void**>(planes), got);
            av_freep(&planes[0]);
        }
    }
    bool ok = d_->drainAudio(true) >= 0;
    ok = d_->encode(d_->audio.get(), d_->astream, nullptr) >= 0 && ok;
    ok = d_->encode(d_->video.get(), d_->vstream, nullptr) >= 0 && ok;
    ok = av_write_trailer(d_->fmt) >= 0 && ok;
    d_.reset();
    if (!ok)
        error_ = QStringLiteral("the file could not be finished");
    return ok;
}
