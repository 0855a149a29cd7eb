#include "platform/sdl/flac_check.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/audio.h"

namespace {

struct Walk {
    std::span<const uint8_t> data;
    size_t at = 0;
    int streamInfos = 0;
    bool streamInfoLength = true;
    uint32_t channels = 0;
    uint32_t rate = 0;
    bool mismatch = false;
    bool emptyComment = false;
};

Walk& Of(void* client) {
    return *static_cast<Walk*>(client);
}

FLAC__StreamDecoderReadStatus Read(const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes,
                                   void* client) {
    Walk& w = Of(client);
    const size_t n = std::min(*bytes, w.data.size() - w.at);
    if (n > 0) std::memcpy(buffer, w.data.data() + w.at, n);
    w.at += n;
    *bytes = n;
    return n == 0 ? FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM
                  : FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
}

FLAC__StreamDecoderSeekStatus Seek(const FLAC__StreamDecoder*, FLAC__uint64 offset, void* client) {
    Walk& w = Of(client);
    if (offset > w.data.size()) return FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
    w.at = static_cast<size_t>(offset);
    return FLAC__STREAM_DECODER_SEEK_STATUS_OK;
}

FLAC__StreamDecoderTellStatus Tell(const FLAC__StreamDecoder*, FLAC__uint64* offset, void* client) {
    *offset = Of(client).at;
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
}

FLAC__StreamDecoderLengthStatus Length(const FLAC__StreamDecoder*, FLAC__uint64* length, void* client) {
    *length = Of(client).data.size();
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
}

FLAC__bool AtEnd(const FLAC__StreamDecoder*, void* client) {
    return Of(client).at >= Of(client).data.size();
}

// Every frame the mixer would be handed, as it would be handed it.
FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                     const FLAC__int32* const[], void* client) {
    Walk& w = Of(client);
    if (frame->header.channels == w.channels) return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    w.mismatch = true;
    return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
}

void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* client) {
    Walk& w = Of(client);
    if (metadata->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
        // A comment of no length comes as no text at all, which the mixer reads as text.
        const FLAC__StreamMetadata_VorbisComment& comments = metadata->data.vorbis_comment;
        for (FLAC__uint32 i = 0; i < comments.num_comments; ++i)
            w.emptyComment = w.emptyComment || comments.comments[i].entry == nullptr;
        return;
    }
    if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO) return;
    ++w.streamInfos;
    w.streamInfoLength = w.streamInfoLength && metadata->length == FLAC__STREAM_METADATA_STREAMINFO_LENGTH;
    w.channels = metadata->data.stream_info.channels;
    w.rate = metadata->data.stream_info.sample_rate;
}

// Damaged frames are the decoder's to skip, as it does for the mixer too.
void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {}

struct DecoderDeleter {
    void operator()(FLAC__StreamDecoder* d) const { FLAC__stream_decoder_delete(d); }
};

}  // namespace

bool FlacIsPlayable(std::span<const uint8_t> data) {
    std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter> decoder(FLAC__stream_decoder_new());
    Walk walk{data};
    // Every metadata block is read whole, as the mixer reads the comments.
    if (!decoder || !FLAC__stream_decoder_set_metadata_respond_all(decoder.get()) ||
        FLAC__stream_decoder_init_stream(decoder.get(), Read, Seek, Tell, Length, AtEnd, Write, Metadata,
                                         Error, &walk) != FLAC__STREAM_DECODER_INIT_STATUS_OK)
        return false;
    // The metadata must read to its end, with the one stream information block the format allows: the
    // mixer keeps what it took for a block when the metadata fails to read or another one follows.
    if (!FLAC__stream_decoder_process_until_end_of_metadata(decoder.get()) ||
        FLAC__stream_decoder_get_state(decoder.get()) != FLAC__STREAM_DECODER_SEARCH_FOR_FRAME_SYNC ||
        walk.streamInfos != 1 || !walk.streamInfoLength || walk.emptyComment ||
        walk.rate < kLowestSoundRate || walk.rate > kHighestSoundRate)
        return false;
    return FLAC__stream_decoder_process_until_end_of_stream(decoder.get()) && !walk.mismatch &&
           FLAC__stream_decoder_get_state(decoder.get()) == FLAC__STREAM_DECODER_END_OF_STREAM;
}
