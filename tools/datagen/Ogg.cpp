// The Vorbis encoder loop: analysis blocks out, pages collected into one byte string.
#include "Ogg.h"

#include <vorbis/vorbisenc.h>

#include "Util.h"

namespace datagen
{

std::string EncodeOggVorbis(const std::vector<float>& samples, int channels, int rate, float quality, int serial)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0)
        Fail("vorbis: cannot set up the encoder");
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    std::string bytes;
    auto takePages = [&](bool flush) {
        ogg_page page;
        while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
            bytes.append(reinterpret_cast<const char*>(page.header), size_t(page.header_len));
            bytes.append(reinterpret_cast<const char*>(page.body), size_t(page.body_len));
        }
    };
    ogg_packet header, commentPacket, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codebooks);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentPacket);
    ogg_stream_packetin(&stream, &codebooks);
    takePages(true);

    const size_t frames = samples.size() / size_t(channels);
    const size_t chunk = 4096;
    for (size_t at = 0;; at += chunk) {
        size_t n = at < frames ? std::min(chunk, frames - at) : 0;
        if (n) {
            float** buffer = vorbis_analysis_buffer(&dsp, int(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[(at + i) * size_t(channels) + size_t(c)];
        }
        vorbis_analysis_wrote(&dsp, int(n));
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                takePages(false);
            }
        }
        if (!n)
            break;
    }
    takePages(true);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return bytes;
}

} // namespace datagen
