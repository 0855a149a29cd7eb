#include "foundation/sepk_lzw.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "foundation/byte_order.h"
#include "foundation/exceptions.h"

namespace {

constexpr uint8_t kSepkMark[6] = {'S', 'E', 'P', 'K', 0, 0};
constexpr uint8_t kMethodLzw = 2;
constexpr uint8_t kPackVersion = 1;

constexpr uint32_t kClearCode = 256;
constexpr uint32_t kEndCode = 257;
constexpr uint32_t kFirstFreeCode = 258;
constexpr uint32_t kFirstWidth = 9;
constexpr uint32_t kMaxWidth = 12;
constexpr uint32_t kFirstLimit = 511;

// The unpacker's fixed tables; nothing read from a file sizes them.
constexpr uint32_t kRefEntries = 4100;
constexpr uint32_t kRefFullAt = 4099;
constexpr uint32_t kPoolPages = 10;
constexpr uint32_t kPoolPageSize = 16384;
constexpr uint32_t kMaxStringLength = 255;  // one length byte per pooled string
// Strings are copied in 16-byte steps; this much readable room follows every string.
constexpr uint32_t kCopySlack = 16;

// Packer limits: the dictionary never reaches 4093 codes, and a string is never longer than 254.
constexpr uint32_t kPackerCodeLimit = 4093;
constexpr uint32_t kLengthCounterLimit = 253;

// Width the unpacker reads a code with, given its next free code at that moment.
uint32_t UnpackerWidth(uint32_t next) {
    return kFirstWidth + (next >= 511) + (next >= 1023) + (next >= 2047);
}

// Copies n bytes in 16-byte steps: may read and write up to 15 bytes past n. Each step goes
// through a temporary, as the rounded ranges may overlap past the bytes that matter.
inline void CopyRounded(uint8_t* destination, const uint8_t* source, uint32_t n) {
    for (uint32_t i = 0; i < n; i += 16) {
        uint8_t step[16];
        std::memcpy(step, source + i, 16);
        std::memcpy(destination + i, step, 16);
    }
}

String WithName(const char* text, const String& name) {
    if (name.Empty()) return String(text);
    return String(text) + " (" + name + ")";
}

}  // namespace

bool ParseSepkHeader(const uint8_t* bytes, size_t n, SepkHeader& out, const String& name) {
    if (n < sizeof kSepkMark || std::memcmp(bytes, kSepkMark, sizeof kSepkMark) != 0) return false;
    if (n < kSepkHeaderSize) ThrowFatal("corrupt packed data in %s", name.Text());
    SepkHeader header;
    header.headerLength = LoadU16(bytes + 6);
    header.codeStreamSize = LoadU32(bytes + 8);
    header.method = bytes[12];
    header.version = bytes[13];
    header.unpackedSize = LoadU32(bytes + 14);
    if (header.method != kMethodLzw) throw FatalExep(WithName("Only LZW files compression supported", name));
    if (header.version > kPackVersion) throw FatalExep(WithName("Unsupported pack version", name));
    out = header;
    return true;
}

void WriteSepkHeader(uint8_t* out18, const SepkHeader& header) {
    std::memcpy(out18, kSepkMark, sizeof kSepkMark);
    StoreU16(out18 + 6, header.headerLength);
    StoreU32(out18 + 8, header.codeStreamSize);
    out18[12] = header.method;
    out18[13] = header.version;
    StoreU32(out18 + 14, header.unpackedSize);
}

uint64_t MaxUnpackedSize(uint64_t codeStreamBytes) {
    return codeStreamBytes * 8 / kFirstWidth * kMaxStringLength;
}

void CheckUnpackedSize(const SepkHeader& header, uint64_t rawSize, const String& name) {
    const uint64_t codeStream = rawSize - std::min<uint64_t>(rawSize, header.CodeStreamStart());
    if (header.unpackedSize > MaxUnpackedSize(codeStream))
        ThrowFatal("corrupt packed data in %s", name.Text());
}

// ---------------------------------------------------------------------------------------------
// Unpacker

struct LzwUnpacker::State {
    // Each string is a length byte followed by its bytes; refs point at the length byte.
    const uint8_t* refs[kRefEntries] = {};
    uint8_t literals[256 * 2 + kCopySlack] = {};
    std::unique_ptr<uint8_t[]> pages[kPoolPages];
    uint32_t page = 0;
    uint32_t pageUsed = 0;

    uint32_t next = kFirstFreeCode;
    uint32_t width = kFirstWidth;
    uint32_t mask = kFirstLimit;
    // No code yet since the last Reset: the stream must open with a clear code.
    bool started = false;
    bool ended = false;
    bool broken = false;
    const uint8_t* previous = nullptr;

    // Bits are taken from whole 16-bit words only; bits % 16 of them belong to the current word.
    uint64_t bits = 0;
    uint32_t bitCount = 0;

    // Not yet delivered part of the last string.
    const uint8_t* rest = nullptr;
    uint32_t restLength = 0;

    static constexpr size_t kInputSize = 8192;
    uint8_t input[kInputSize];
    size_t inputPos = 0;
    size_t inputEnd = 0;
    bool inputDone = false;

    State() {
        for (uint32_t b = 0; b < 256; ++b) {
            literals[2 * b] = 1;
            literals[2 * b + 1] = static_cast<uint8_t>(b);
            refs[b] = &literals[2 * b];
        }
    }

    void ResetDictionary() {
        std::fill(refs + kFirstFreeCode, refs + kRefEntries, nullptr);
        page = 0;
        pageUsed = 0;
        next = kFirstFreeCode;
        width = kFirstWidth;
        mask = kFirstLimit;
        if (!pages[0]) pages[0] = std::make_unique<uint8_t[]>(kPoolPageSize + kCopySlack);
    }

    void ResetStream() {
        ResetDictionary();
        started = false;
        ended = false;
        broken = false;
        previous = nullptr;
        bits = 0;
        bitCount = 0;
        rest = nullptr;
        restLength = 0;
        inputPos = 0;
        inputEnd = 0;
        inputDone = false;
    }

    // Tops the bit buffer up with whole words; a lone trailing byte is never used.
    void Refill(ByteSource& source) {
        while (bitCount <= 48) {
            if (inputEnd - inputPos < 2) {
                if (inputDone) return;
                size_t kept = inputEnd - inputPos;
                if (kept) input[0] = input[inputPos];
                inputPos = 0;
                inputEnd = kept;
                while (inputEnd < 2) {
                    size_t got = source.ReadRaw(input + inputEnd, kInputSize - inputEnd);
                    if (got == 0) {
                        inputDone = true;
                        return;
                    }
                    inputEnd += got;
                }
            }
            size_t words = std::min<size_t>((inputEnd - inputPos) / 2, (64 - bitCount) / 16);
            for (size_t i = 0; i < words; ++i, inputPos += 2) {
                bits |= uint64_t{LoadU16(input + inputPos)} << bitCount;
                bitCount += 16;
            }
        }
    }

    uint32_t ReadCode(ByteSource& source) {
        if (bitCount < width) {
            Refill(source);
            if (bitCount < width) return kEndCode;
        }
        uint32_t code = static_cast<uint32_t>(bits) & mask;
        bits >>= width;
        bitCount -= width;
        return code;
    }

    // Stores previous + one byte under the next free code.
    void AddString(uint8_t last, const String& name) {
        uint32_t previousLength = previous[0];
        if (previousLength + 1 > kMaxStringLength) Corrupt(name);
        uint32_t need = previousLength + 2;
        if (pageUsed + need > kPoolPageSize) {
            if (page + 1 >= kPoolPages) throw FatalExep(WithName("Too small block for expand file", name));
            ++page;
            if (!pages[page]) pages[page] = std::make_unique<uint8_t[]>(kPoolPageSize + kCopySlack);
            pageUsed = 0;
        }
        uint8_t* entry = pages[page].get() + pageUsed;
        entry[0] = static_cast<uint8_t>(previousLength + 1);
        CopyRounded(entry + 1, previous + 1, previousLength);
        entry[previousLength + 1] = last;
        pageUsed += need;
        refs[next] = entry;
        ++next;
        if (next == mask) {
            if (width == kMaxWidth) Corrupt(name);
            mask = 2 * mask + 1;
            ++width;
        }
        if (next >= kRefFullAt) throw FatalExep(WithName("Too small REF block for expand file", name));
    }

    // Decodes while every step is the plain case: a defined code or the next one, room for any
    // string, room in the current pool page and no width change. Everything else (clear, end,
    // bad codes, page moves, the last input bytes) is left to the step-by-step path in Read.
    // Works on locals: every byte stored through `out` could otherwise alias the state.
    size_t DecodeFast(uint8_t* out, size_t room) {
        if (!previous || room < kMaxStringLength + kCopySlack) return 0;
        uint64_t b = bits;
        uint32_t count = bitCount;
        const uint32_t w = width;
        const uint32_t m = mask;
        uint32_t nx = next;
        const uint8_t* prev = previous;
        uint8_t* const poolPage = pages[page].get();
        uint32_t used = pageUsed;
        size_t pos = inputPos;
        const size_t end = inputEnd;
        uint8_t* const start = out;
        uint8_t* const stop = out + room - (kMaxStringLength + kCopySlack);
        while (out <= stop) {
            if (count < w) {
                if (end - pos < 8) break;
                uint64_t v = uint64_t{LoadU32(input + pos)} | uint64_t{LoadU32(input + pos + 4)} << 32;
                uint32_t words = (64 - count) / 16;
                if (words < 4) v &= (uint64_t{1} << (16 * words)) - 1;
                b |= v << count;
                pos += 2 * words;
                count += 16 * words;
            }
            uint32_t code = static_cast<uint32_t>(b) & m;
            const uint8_t* string = nullptr;
            uint8_t last;
            if (code < 256 || (code >= kFirstFreeCode && code < nx)) {
                string = refs[code];
                last = string[1];
            } else if (code == nx) {
                last = prev[1];
            } else {
                break;
            }
            uint32_t previousLength = prev[0];
            uint32_t need = previousLength + 2;
            if (nx + 1 >= m || previousLength + 1 > kMaxStringLength || used + need > kPoolPageSize) break;
            b >>= w;
            count -= w;
            uint8_t* entry = poolPage + used;
            entry[0] = static_cast<uint8_t>(previousLength + 1);
            CopyRounded(entry + 1, prev + 1, previousLength);
            entry[previousLength + 1] = last;
            used += need;
            refs[nx++] = entry;
            if (!string) string = entry;
            uint32_t length = string[0];
            CopyRounded(out, string + 1, length);
            out += length;
            prev = string;
        }
        bits = b;
        bitCount = count;
        next = nx;
        previous = prev;
        pageUsed = used;
        inputPos = pos;
        return static_cast<size_t>(out - start);
    }

    [[noreturn]] void Corrupt(const String& name) {
        broken = true;
        ThrowFatal("corrupt packed data in %s", name.Text());
    }

    void Finish() {
        ended = true;
        bits = 0;
        bitCount = 0;
    }
};

LzwUnpacker::LzwUnpacker(String name) : name_(std::move(name)) {}

LzwUnpacker::~LzwUnpacker() = default;

void LzwUnpacker::Reset() {
    if (!state_) state_ = std::make_unique<State>();
    state_->ResetStream();
}

void LzwUnpacker::Free() {
    state_.reset();
}

size_t LzwUnpacker::Read(ByteSource& source, uint8_t* destination, size_t n) {
    if (!state_) Reset();
    State& s = *state_;
    if (s.broken) s.Corrupt(name_);
    size_t produced = 0;
    while (produced < n) {
        if (s.restLength) {
            size_t take = std::min<size_t>(s.restLength, n - produced);
            if (destination) std::memcpy(destination + produced, s.rest, take);
            s.rest += take;
            s.restLength -= static_cast<uint32_t>(take);
            produced += take;
            continue;
        }
        if (s.ended) break;
        if (destination) {
            produced += s.DecodeFast(destination + produced, n - produced);
            if (produced == n) break;
        }
        uint32_t code = s.ReadCode(source);
        if (code == kEndCode) {
            s.Finish();
            break;
        }
        if (code == kClearCode) {
            // A clear ends its word. Repeated clears are harmless.
            do {
                s.ResetDictionary();
                s.bits >>= s.bitCount % 16;
                s.bitCount -= s.bitCount % 16;
                code = s.ReadCode(source);
            } while (code == kClearCode);
            s.started = true;
            if (code == kEndCode) {
                s.Finish();
                break;
            }
            if (code > 255) s.Corrupt(name_);
            s.previous = s.refs[code];
            s.rest = s.previous + 1;
            s.restLength = 1;
            continue;
        }
        if (!s.started) s.Corrupt(name_);
        const uint8_t* string;
        if (code < s.next) {
            string = s.refs[code];
            s.AddString(string[1], name_);
        } else if (code == s.next) {
            s.AddString(s.previous[1], name_);
            string = s.refs[code];
        } else {
            s.Corrupt(name_);
        }
        s.previous = string;
        uint32_t length = string[0];
        if (destination && n - produced >= length + kCopySlack) {
            CopyRounded(destination + produced, string + 1, length);
            produced += length;
        } else {
            s.rest = string + 1;
            s.restLength = length;
        }
    }
    return produced;
}

// ---------------------------------------------------------------------------------------------
// Packer

struct LzwPacker::State {
    explicit State(ByteSink& s) : sink(&s) {}

    // Dictionary: open-addressed table from (prefix code, byte) to the code of that string. An
    // entry holds the 20-bit key above the 12-bit code; 0 is free (no string has code 0).
    static constexpr uint32_t kTableBits = 14;
    static constexpr uint32_t kTableSize = 1u << kTableBits;
    static uint32_t Slot(uint32_t key) { return (key * 0x9E3779B1u) >> (32 - kTableBits); }

    ByteSink* sink;
    uint32_t table[kTableSize] = {};
    uint32_t next = kFirstFreeCode;
    uint32_t width = kFirstWidth;
    uint32_t limit = kFirstLimit;
    int32_t current = -1;  // code of the current string, -1 when there is none
    uint32_t currentLength = 0;
    uint32_t lengthCounter = 0;
    bool started = false;
    bool finished = false;

    // Mirror of the unpacker's string pool, so that a clear comes before it would overflow.
    uint32_t poolPage = 0;
    uint32_t poolUsed = 0;

    uint32_t bits = 0;
    uint32_t position = 0;
    uint32_t streamBytes = 0;
    uint32_t inputBytes = 0;

    // Completed words wait here until the end of the public call that made them.
    uint8_t out[4096];
    size_t outUsed = 0;

    void ResetDictionary() {
        std::memset(table, 0, sizeof table);
        next = kFirstFreeCode;
        width = kFirstWidth;
        limit = kFirstLimit;
        poolPage = 0;
        poolUsed = 0;
        bits = 0;
        position = 0;
    }

    void Flush() {
        if (outUsed == 0) return;
        size_t n = outUsed;
        outUsed = 0;
        sink->WriteRaw(out, n);
    }

    void PutWord(uint32_t word) {
        if (outUsed + 2 > sizeof out) Flush();
        StoreU16(out + outUsed, static_cast<uint16_t>(word));
        outUsed += 2;
        streamBytes += 2;
    }

    void WriteCode(uint32_t code, uint32_t codeWidth) {
        bits |= code << position;
        position += codeWidth;
        if (position >= 16) {
            PutWord(bits);
            bits >>= 16;
            position -= 16;
        }
    }

    void CompleteWord() {
        if (position) PutWord(bits);
        bits = 0;
        position = 0;
    }

    void Start() {
        WriteCode(kClearCode, kFirstWidth);
        CompleteWord();
        started = true;
    }

    // Accounts the unpacker's pool bytes for a new string of `length` bytes.
    void PoolAdd(uint32_t length) {
        uint32_t need = length + 1;
        if (poolUsed + need > kPoolPageSize) {
            ++poolPage;
            poolUsed = 0;
        }
        poolUsed += need;
    }

    bool PoolMightOverflow() const {
        return poolPage + 1 >= kPoolPages && poolUsed + kMaxStringLength + 1 > kPoolPageSize;
    }

    void Pack(const uint8_t* p, const uint8_t* end) {
        if (!started) Start();
        if (p == end) return;
        if (current < 0) {
            current = *p++;
            currentLength = 1;
            lengthCounter = 1;
        }
        uint32_t code = static_cast<uint32_t>(current);
        uint32_t length = currentLength;
        while (p != end) {
            uint8_t b = *p++;
            ++lengthCounter;
            uint32_t key = (code << 8) | b;
            uint32_t slot = Slot(key);
            uint32_t entry;
            while ((entry = table[slot]) != 0 && entry >> 12 != key) slot = (slot + 1) & (kTableSize - 1);
            if (entry) {
                code = entry & 0xFFF;
                ++length;
                continue;
            }
            WriteCode(code, width);
            uint32_t k = next++;
            table[slot] = (key << 12) | k;
            PoolAdd(length + 1);
            if (next == kPackerCodeLimit || lengthCounter == kLengthCounterLimit || PoolMightOverflow()) {
                // The unpacker adds code k when it reads b and may widen right then, so b and the
                // clear go out in the widths it will read them with.
                WriteCode(b, UnpackerWidth(k));
                WriteCode(kClearCode, UnpackerWidth(k + 1));
                CompleteWord();
                ResetDictionary();
                if (p == end) {
                    current = -1;
                    return;
                }
                code = *p++;
                length = 1;
                lengthCounter = 1;
                continue;
            }
            if (k == limit) {
                limit = 2 * limit + 1;
                ++width;
            }
            lengthCounter = 0;
            code = b;
            length = 1;
        }
        current = static_cast<int32_t>(code);
        currentLength = length;
    }
};

LzwPacker::LzwPacker(ByteSink& sink) : state_(std::make_unique<State>(sink)) {
    Reset();
}

LzwPacker::~LzwPacker() = default;

void LzwPacker::Reset() {
    State& s = *state_;
    s.ResetDictionary();
    s.current = -1;
    s.currentLength = 0;
    s.lengthCounter = 0;
    s.started = false;
    s.finished = false;
    s.streamBytes = 0;
    s.inputBytes = 0;
    s.outUsed = 0;
}

void LzwPacker::Write(const uint8_t* bytes, size_t n) {
    State& s = *state_;
    if (s.finished) throw FatalExep(String("LZW packer written after Finish"));
    s.inputBytes += static_cast<uint32_t>(n);
    s.Pack(bytes, bytes + n);
    s.Flush();
}

void LzwPacker::Finish() {
    State& s = *state_;
    if (s.finished) return;
    // Even an empty stream opens with a clear code.
    if (!s.started) s.Start();
    if (s.current >= 0) s.WriteCode(static_cast<uint32_t>(s.current), s.width);
    s.WriteCode(kEndCode, s.width);
    s.CompleteWord();
    s.current = -1;
    s.finished = true;
    s.Flush();
}

uint32_t LzwPacker::CodeStreamBytes() const {
    return state_->streamBytes;
}

uint32_t LzwPacker::InputBytes() const {
    return state_->inputBytes;
}
