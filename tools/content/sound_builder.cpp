#include "tools/content/sound_builder.h"

#include <FLAC/stream_encoder.h>
#include <lame/lame.h>
#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "tools/content/block_writer.h"

namespace {

constexpr int kToneRate = 22050;
constexpr int kToneSamples = kToneRate / 5;

float Tone(int i) {
    return 0.25f * static_cast<float>(std::sin(2 * 3.14159265358979 * 440.0 * i / kToneRate));
}

std::string BeU16(uint16_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

// Name fields are zero-padded to their width.
std::string Padded(const std::string& text, size_t width) {
    std::string field = text.substr(0, width);
    field.resize(width, '\0');
    return field;
}

// A short looping saw wave as signed 8-bit sample data.
std::string SampleData(size_t bytes) {
    std::string data;
    for (size_t i = 0; i < bytes; ++i) data += static_cast<char>(static_cast<int8_t>((i * 16) % 128 - 64));
    return data;
}

void AppendPage(std::string& out, const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
}

}  // namespace

std::string WaveFile(uint32_t samples, uint32_t rate) {
    std::string pcm;
    for (uint32_t i = 0; i < samples; ++i)
        pcm += LeU16((i / 25) % 2 == 0 ? 2000 : static_cast<uint16_t>(-2000));
    std::string fmt = LeU16(1) + LeU16(1) + LeU32(rate) + LeU32(rate * 2) + LeU16(2) + LeU16(16);
    std::string body = "WAVE";
    body += "fmt " + LeU32(static_cast<uint32_t>(fmt.size())) + fmt;
    body += "data" + LeU32(static_cast<uint32_t>(pcm.size())) + pcm;
    return "RIFF" + LeU32(static_cast<uint32_t>(body.size())) + body;
}

std::string OggVorbisFile() {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, kToneRate, 0.3f) != 0) std::abort();
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    std::string out;
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

    float** buffer = vorbis_analysis_buffer(&dsp, kToneSamples);
    for (int i = 0; i < kToneSamples; ++i) buffer[0][i] = Tone(i);
    vorbis_analysis_wrote(&dsp, kToneSamples);
    vorbis_analysis_wrote(&dsp, 0);  // the end
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
            ogg_stream_packetin(&stream, &packet);
            while (ogg_stream_pageout(&stream, &page) != 0) AppendPage(out, page);
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

std::string Mp3File() {
    std::vector<int16_t> pcm(kToneSamples);
    for (int i = 0; i < kToneSamples; ++i)
        pcm[static_cast<size_t>(i)] = static_cast<int16_t>(Tone(i) * 32767);
    return Mp3FromPcm(pcm, kToneRate);
}

std::string Mp3FromPcm(const std::vector<int16_t>& samples, int rate) {
    lame_global_flags* lame = lame_init();
    lame_set_num_channels(lame, 1);
    lame_set_mode(lame, MONO);
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_brate(lame, 32);
    lame_set_bWriteVbrTag(lame, 0);
    if (lame_init_params(lame) < 0) std::abort();
    std::vector<short> pcm(samples.begin(), samples.end());
    const int count = static_cast<int>(pcm.size());
    std::vector<unsigned char> out(pcm.size() * 5 / 4 + 7200);
    int n = lame_encode_buffer(lame, pcm.data(), pcm.data(), count, out.data(), static_cast<int>(out.size()));
    if (n < 0) std::abort();
    const int flushed = lame_encode_flush(lame, out.data() + n, static_cast<int>(out.size()) - n);
    if (flushed < 0) std::abort();
    lame_close(lame);
    return std::string(out.begin(), out.begin() + n + flushed);
}

std::string FlacFile(unsigned channels) {
    FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
    FLAC__stream_encoder_set_channels(encoder, channels);
    FLAC__stream_encoder_set_bits_per_sample(encoder, 16);
    FLAC__stream_encoder_set_sample_rate(encoder, kToneRate);
    FLAC__stream_encoder_set_blocksize(encoder, 1152);
    std::string out;
    const auto write = [](const FLAC__StreamEncoder*, const FLAC__byte buffer[], size_t bytes, uint32_t,
                          uint32_t, void* client) {
        static_cast<std::string*>(client)->append(reinterpret_cast<const char*>(buffer), bytes);
        return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
    };
    if (FLAC__stream_encoder_init_stream(encoder, write, nullptr, nullptr, nullptr, &out) !=
        FLAC__STREAM_ENCODER_INIT_STATUS_OK)
        std::abort();
    std::vector<FLAC__int32> pcm;
    for (int i = 0; i < kToneSamples; ++i)
        pcm.insert(pcm.end(), channels, static_cast<FLAC__int32>(Tone(i) * 32767));
    if (!FLAC__stream_encoder_process_interleaved(encoder, pcm.data(), kToneSamples) ||
        !FLAC__stream_encoder_finish(encoder))
        std::abort();
    FLAC__stream_encoder_delete(encoder);
    return out;
}

std::string ModFile(const ModTag& tag) {
    constexpr uint16_t kSampleWords = 16;
    std::string mod = Padded("tone", 20);
    // Sample 1: length, finetune, volume, loop start, loop length (lengths in words, big-endian).
    mod += Padded("saw", 22) + BeU16(kSampleWords) + '\0' + '\x40' + BeU16(0) + BeU16(kSampleWords);
    for (int i = 1; i < 31; ++i) mod += Padded("", 22) + BeU16(0) + '\0' + '\0' + BeU16(0) + BeU16(1);
    mod += '\x01';  // one order
    mod += '\x7F';
    mod += std::string(128, '\0');  // the order plays pattern 0
    mod += tag.tag;
    // One pattern of 64 rows: sample 1 at period 428 on the first row of the first channel.
    std::string pattern(static_cast<size_t>(64 * tag.channels * 4), '\0');
    pattern[0] = 0x01;
    pattern[1] = static_cast<char>(0xAC);
    pattern[2] = 0x10;
    return mod + pattern + SampleData(2 * kSampleWords);
}

std::string MtmFile() {
    constexpr uint32_t kSampleBytes = 32;
    std::string mtm = "MTM";
    mtm += '\x10';  // version 1.0
    mtm += Padded("tone", 20);
    mtm += LeU16(1);                 // tracks stored
    mtm += '\0';                     // last pattern
    mtm += '\0';                     // last order
    mtm += LeU16(0);                 // comment length
    mtm += '\x01';                   // samples
    mtm += '\0';                     // attributes
    mtm += '\x40';                   // rows a track
    mtm += '\x04';                   // channels played
    mtm += std::string(32, '\x08');  // pan positions
    // Sample 1: name, length, loop start, loop end, finetune, volume, attributes.
    mtm += Padded("saw", 22) + LeU32(kSampleBytes) + LeU32(0) + LeU32(kSampleBytes) + '\0' + '\x40' + '\0';
    mtm += std::string(128, '\0');  // orders: pattern 0
    // Track 1: sample 1 at a middle note on its first row.
    std::string track(192, '\0');
    track[0] = static_cast<char>(48 << 2);
    track[1] = 0x10;
    mtm += track;
    // Pattern 0: track 1 on the first channel, the empty track elsewhere.
    mtm += LeU16(1);
    for (int c = 1; c < 32; ++c) mtm += LeU16(0);
    return mtm + SampleData(kSampleBytes);
}
