#include "foundation/sepk_lzw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "tests/support/error_message.h"
#include "tools/content/memory_bytes.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromText(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

Bytes Pack(const Bytes& data, size_t chunk = SIZE_MAX) {
    MemoryByteSink sink;
    LzwPacker packer(sink);
    for (size_t i = 0; i < data.size(); i += chunk)
        packer.Write(data.data() + i, std::min(chunk, data.size() - i));
    packer.Finish();
    EXPECT_EQ(packer.CodeStreamBytes(), sink.Bytes().size());
    EXPECT_EQ(packer.InputBytes(), data.size());
    return sink.Bytes();
}

Bytes Unpack(const Bytes& stream, size_t request = 4096, size_t sourceChunk = SIZE_MAX,
             const char* name = "Keys.INPD") {
    MemoryByteSource source(stream, sourceChunk);
    LzwUnpacker unpacker{String(name)};
    unpacker.Reset();
    Bytes out;
    for (;;) {
        size_t old = out.size();
        out.resize(old + request);
        size_t got = unpacker.Read(source, out.data() + old, request);
        out.resize(old + got);
        if (got < request) break;
    }
    return out;
}

// Width of the next code when `entries` strings were added since the last clear.
uint32_t WidthFor(uint32_t entries) {
    uint32_t next = 258 + entries;
    return 9 + (next >= 511) + (next >= 1023) + (next >= 2047);
}

// Writes codes by hand, in the layout the unpacker expects, to build broken streams.
class CodeStreamBuilder {
  public:
    CodeStreamBuilder& Clear() {
        Put(256);
        if (position_) Word();
        entries_ = 0;
        first_ = true;
        return *this;
    }
    CodeStreamBuilder& Code(uint32_t code) {
        Put(code);
        if (!first_) ++entries_;
        first_ = false;
        return *this;
    }
    CodeStreamBuilder& End() {
        Put(257);
        return *this;
    }
    Bytes Take() {
        if (position_) Word();
        return bytes_;
    }

  private:
    void Put(uint32_t code) {
        bits_ |= uint64_t{code} << position_;
        position_ += WidthFor(entries_);
        while (position_ >= 16) Word();
    }
    void Word() {
        bytes_.push_back(static_cast<uint8_t>(bits_));
        bytes_.push_back(static_cast<uint8_t>(bits_ >> 8));
        bits_ >>= 16;
        position_ = position_ >= 16 ? position_ - 16 : 0;
    }
    Bytes bytes_;
    uint64_t bits_ = 0;
    uint32_t position_ = 0;
    uint32_t entries_ = 0;
    bool first_ = true;
};

struct Decoded {
    std::vector<uint32_t> codes;
    std::vector<uint32_t> widths;
    std::vector<size_t> bitOffsets;
};

// Independent reading of a well-formed stream, up to and including the end code.
Decoded DecodeCodes(const Bytes& stream) {
    Decoded d;
    size_t bit = 0;
    uint32_t entries = 0;
    bool first = true;
    for (;;) {
        uint32_t width = WidthFor(entries);
        if (bit + width > stream.size() * 8) {
            ADD_FAILURE() << "stream ran out at bit " << bit;
            return d;
        }
        uint32_t code = 0;
        for (uint32_t i = 0; i < width; ++i, ++bit) code |= ((stream[bit / 8] >> (bit % 8)) & 1u) << i;
        d.codes.push_back(code);
        d.widths.push_back(width);
        d.bitOffsets.push_back(bit - width);
        if (code == 257) return d;
        if (code == 256) {
            bit = (bit + 15) / 16 * 16;
            entries = 0;
            first = true;
            continue;
        }
        if (!first) ++entries;
        first = false;
    }
}

struct Expanded {
    Bytes data;
    std::vector<size_t> codesPerSegment;  // string codes between clears
    size_t longestString = 0;
};

Expanded Expand(const std::vector<uint32_t>& codes) {
    Expanded e;
    std::vector<Bytes> dict;
    Bytes previous;
    for (uint32_t code : codes) {
        if (code == 257) break;
        if (code == 256) {
            dict.clear();
            previous.clear();
            e.codesPerSegment.push_back(0);
            continue;
        }
        Bytes string;
        if (code < 256) {
            string = {static_cast<uint8_t>(code)};
        } else if (code - 258 < dict.size()) {
            string = dict[code - 258];
        } else {
            string = previous;
            string.push_back(previous.at(0));
        }
        if (!previous.empty()) {
            Bytes added = previous;
            added.push_back(string[0]);
            e.longestString = std::max(e.longestString, added.size());
            dict.push_back(added);
        }
        ++e.codesPerSegment.back();
        e.data.insert(e.data.end(), string.begin(), string.end());
        previous = string;
    }
    return e;
}

// Small requests go step by step, large ones through the bulk path: both must catch it.
void ExpectUnpackError(const Bytes& stream, const std::string& message) {
    for (size_t request : {size_t{1}, size_t{300}, size_t{1} << 20}) {
        try {
            Unpack(stream, request);
            ADD_FAILURE() << "no error for " << message << " reading " << request;
        } catch (const FatalExep& e) {
            EXPECT_EQ(std::string(e.message.Text()), message);
        }
    }
}

const std::string kCorrupt = "corrupt packed data in Keys.INPD";

}  // namespace

TEST(SepkHeader, WritesAndParsesFields) {
    SepkHeader h;
    h.codeStreamSize = 0x01020304;
    h.unpackedSize = 600;
    uint8_t raw[kSepkHeaderSize];
    WriteSepkHeader(raw, h);
    const Bytes expected = {'S', 'E', 'P', 'K', 0, 0, 16, 0, 4, 3, 2, 1, 2, 1, 0x58, 2, 0, 0};
    EXPECT_EQ(Bytes(raw, raw + kSepkHeaderSize), expected);

    SepkHeader parsed;
    ASSERT_TRUE(ParseSepkHeader(raw, sizeof raw, parsed, "a.bin"));
    EXPECT_EQ(parsed.headerLength, 16);
    EXPECT_EQ(parsed.CodeStreamStart(), 18u);
    EXPECT_EQ(parsed.codeStreamSize, 0x01020304u);
    EXPECT_EQ(parsed.unpackedSize, 600u);

    raw[13] = 0;  // version 0 is accepted
    EXPECT_TRUE(ParseSepkHeader(raw, sizeof raw, parsed, "a.bin"));
    EXPECT_EQ(parsed.version, 0);
}

TEST(SepkHeader, RejectsOtherMethodsAndVersionsNamingTheFile) {
    uint8_t raw[kSepkHeaderSize];
    WriteSepkHeader(raw, SepkHeader{});
    SepkHeader parsed;
    const auto parse = [&] { ParseSepkHeader(raw, sizeof raw, parsed, "Keys.INPD"); };
    raw[12] = 1;
    EXPECT_EQ(ErrorMessage(parse), "Only LZW files compression supported (Keys.INPD)");
    raw[12] = 2;
    raw[13] = 2;
    EXPECT_EQ(ErrorMessage(parse), "Unsupported pack version (Keys.INPD)");
    // Marked as packed but cut short.
    raw[13] = 1;
    EXPECT_THROW(ParseSepkHeader(raw, 12, parsed, "Keys.INPD"), FatalExep);
}

TEST(SepkHeader, UnmarkedDataIsNotPacked) {
    SepkHeader parsed;
    const Bytes notZero = {'S', 'E', 'P', 'K', 0, 1, 16, 0, 0, 0, 0, 0, 2, 1, 0, 0, 0, 0};
    EXPECT_FALSE(ParseSepkHeader(notZero.data(), notZero.size(), parsed, "x"));
    const Bytes lower = {'s', 'E', 'P', 'K', 0, 0, 16, 0, 0, 0, 0, 0, 2, 1, 0, 0, 0, 0};
    EXPECT_FALSE(ParseSepkHeader(lower.data(), lower.size(), parsed, "x"));
    EXPECT_FALSE(ParseSepkHeader(lower.data(), 5, parsed, "x"));
    EXPECT_FALSE(ParseSepkHeader(nullptr, 0, parsed, "x"));
}

TEST(LzwPacker, PacksAbcToTheKnownWords) {
    MemoryByteSink sink;
    LzwPacker packer(sink);
    packer.Write(FromText("abc").data(), 3);
    packer.Finish();
    EXPECT_EQ(sink.Bytes(), (Bytes{0x00, 0x01, 0x61, 0xC4, 0x8C, 0x09, 0x08, 0x00}));
    EXPECT_EQ(packer.CodeStreamBytes(), 8u);
    EXPECT_EQ(packer.InputBytes(), 3u);
    EXPECT_EQ(Unpack(sink.Bytes()), FromText("abc"));

    // Reset starts a fresh stream with fresh counts.
    packer.Reset();
    packer.Write(FromText("abc").data(), 3);
    packer.Finish();
    EXPECT_EQ(packer.CodeStreamBytes(), 8u);
    EXPECT_EQ(sink.Bytes().size(), 16u);
    packer.Finish();  // a second Finish adds nothing
    EXPECT_EQ(sink.Bytes().size(), 16u);
    EXPECT_THROW(packer.Write(FromText("d").data(), 1), FatalExep);
}

TEST(LzwPacker, EmptyInputStillOpensWithClear) {
    Bytes packed = Pack({});
    EXPECT_EQ(packed, (Bytes{0x00, 0x01, 0x01, 0x01}));
    EXPECT_TRUE(Unpack(packed).empty());
    // A bare end code is an empty stream as well.
    EXPECT_TRUE(Unpack({0x01, 0x01}).empty());
}

TEST(LzwPacker, CodeUsedBeforeItIsDefined) {
    Bytes packed = Pack(FromText("aaaa"));
    EXPECT_EQ(DecodeCodes(packed).codes, (std::vector<uint32_t>{256, 97, 258, 97, 257}));
    EXPECT_EQ(Unpack(packed), FromText("aaaa"));
}

TEST(LzwPacker, WidthGrowsOnlyAfterCode511) {
    Bytes zeros(600, 0);
    Bytes packed = Pack(zeros);
    Decoded d = DecodeCodes(packed);
    EXPECT_TRUE(std::all_of(d.widths.begin(), d.widths.end(), [](uint32_t w) { return w == 9; }));
    EXPECT_EQ(Unpack(packed), zeros);

    // Random bytes make one string per code: code j after the clear is written once 257 + j
    // strings exist, so j = 254 is the first 10-bit code, 766 the first 11-bit, 1790 12-bit.
    Bytes data = RandomBytes(4000, 7);
    packed = Pack(data);
    d = DecodeCodes(packed);
    ASSERT_GT(d.codes.size(), 1800u);
    EXPECT_EQ(d.widths[1 + 253], 9u);
    EXPECT_EQ(d.widths[1 + 254], 10u);
    EXPECT_EQ(d.widths[1 + 765], 10u);
    EXPECT_EQ(d.widths[1 + 766], 11u);
    EXPECT_EQ(d.widths[1 + 1790], 12u);
    EXPECT_EQ(Expand(d.codes).data, data);
    EXPECT_EQ(Unpack(packed), data);
}

TEST(LzwPacker, ClearsBeforeCode4093) {
    Bytes data = RandomBytes(20000, 11);
    Bytes packed = Pack(data);
    Decoded d = DecodeCodes(packed);
    // 3835 string codes create 258..4092, then the byte that ended the match and the clear.
    ASSERT_GT(d.codes.size(), 3840u);
    EXPECT_EQ(d.codes[0], 256u);
    EXPECT_EQ(std::count(d.codes.begin() + 1, d.codes.begin() + 3837, 256u), 0);
    EXPECT_LT(d.codes[3836], 256u);
    EXPECT_EQ(d.codes[3837], 256u);
    EXPECT_EQ(d.widths[3837], 12u);
    EXPECT_EQ(d.bitOffsets[3838] % 16, 0u);
    EXPECT_EQ(d.widths[3838], 9u);
    EXPECT_EQ(Unpack(packed), data);
}

TEST(LzwRoundTrip, RandomAndRepetitiveDataInAnyPieces) {
    std::mt19937 rng(3);
    std::vector<Bytes> inputs = {RandomBytes(1, 1), RandomBytes(70000, 2), Bytes(200000, 0),
                                 Bytes(100000, 'x')};
    Bytes text;
    while (text.size() < 150000) {
        std::string word = "word" + std::to_string(rng() % 300) + (rng() % 5 ? " " : "\n");
        text.insert(text.end(), word.begin(), word.end());
    }
    inputs.push_back(text);
    Bytes mixed;
    for (int i = 0; i < 4000; ++i) {
        Bytes part =
            rng() % 2 ? Bytes(rng() % 400, static_cast<uint8_t>(rng())) : RandomBytes(rng() % 60, rng());
        mixed.insert(mixed.end(), part.begin(), part.end());
    }
    inputs.push_back(mixed);
    for (const Bytes& data : inputs) {
        Bytes packed = Pack(data);
        EXPECT_EQ(Pack(data, 1 + rng() % 700), packed);
        EXPECT_EQ(Unpack(packed), data);
        EXPECT_EQ(Unpack(packed, 1 + rng() % 300, 1 + rng() % 5), data);
        EXPECT_EQ(Expand(DecodeCodes(packed).codes).data, data);
    }
}

TEST(LzwRoundTrip, PoolHungryDataClearsEarly) {
    // Long runs behind varying bytes make many long strings: their pool bytes would pass the
    // unpacker's 10 pages long before 4093 codes.
    std::mt19937 rng(5);
    Bytes data;
    while (data.size() < 600000) {
        data.push_back(static_cast<uint8_t>(1 + rng() % 255));
        data.insert(data.end(), 200, 0);
    }
    Bytes packed = Pack(data);
    Expanded e = Expand(DecodeCodes(packed).codes);
    EXPECT_EQ(e.data, data);
    EXPECT_LT(e.longestString, 254u);
    ASSERT_GT(e.codesPerSegment.size(), 2u);
    EXPECT_LT(e.codesPerSegment[1], 3000u);
    EXPECT_EQ(Unpack(packed), data);
}

TEST(LzwRoundTrip, LengthResetAtEachWidthStep) {
    // A prefix with all byte pairs distinct makes one code per byte; the run of zeros behind it
    // then reaches a 254-byte string at code 510 + prefix length.
    Bytes pairs;
    for (int a = 1; a < 255 && pairs.size() < 2000; ++a) {
        for (int b = a + 1; b <= 255; ++b) {
            pairs.push_back(static_cast<uint8_t>(a));
            pairs.push_back(static_cast<uint8_t>(b));
        }
    }
    for (size_t prefix : {0, 1, 2, 3, 4, 511, 512, 513, 514, 1535, 1536, 1537, 1538}) {
        Bytes data(pairs.begin(), pairs.begin() + static_cast<std::ptrdiff_t>(prefix));
        data.insert(data.end(), 40000, 0);
        Bytes packed = Pack(data);
        EXPECT_EQ(Unpack(packed), data) << "prefix " << prefix;
        EXPECT_EQ(Expand(DecodeCodes(packed).codes).data, data) << "prefix " << prefix;
    }
}

TEST(LzwPacker, ResetOnTheLastByteOfAWrite) {
    Bytes zeros(100000, 0);
    Bytes packed = Pack(zeros);
    EXPECT_EQ(Pack(zeros, 1), packed);

    // Input length up to and including the byte written just before the first inner clear.
    Decoded d = DecodeCodes(packed);
    auto clear = std::find(d.codes.begin() + 1, d.codes.end(), 256u);
    ASSERT_NE(clear, d.codes.end());
    size_t length = Expand(std::vector<uint32_t>(d.codes.begin(), clear)).data.size();

    Bytes exact(length, 0);
    Bytes packedExact = Pack(exact);
    std::vector<uint32_t> codes = DecodeCodes(packedExact).codes;
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes[codes.size() - 2], 256u);  // no string code between the clear and the end
    EXPECT_EQ(Unpack(packedExact), exact);

    MemoryByteSink sink;
    LzwPacker packer(sink);
    packer.Write(exact.data(), exact.size());
    const uint8_t tail[3] = {0, 7, 0};
    packer.Write(tail, 3);
    packer.Finish();
    Bytes expected = exact;
    expected.insert(expected.end(), tail, tail + 3);
    EXPECT_EQ(Unpack(sink.Bytes()), expected);
}

TEST(LzwUnpacker, StreamWithoutEndCodeStopsAtTheEnd) {
    Bytes stream = CodeStreamBuilder().Clear().Code('h').Code('i').Code('!').Take();
    EXPECT_EQ(Unpack(stream), FromText("hi!"));
    stream.push_back(0xFF);  // a lone trailing byte is not a word
    EXPECT_EQ(Unpack(stream), FromText("hi!"));
}

TEST(LzwUnpacker, PartialReadsSkipsAndRestart) {
    Bytes data = RandomBytes(3000, 9);
    data.insert(data.end(), 5000, 'q');
    Bytes packed = Pack(data);
    MemoryByteSource source(packed, 3);
    LzwUnpacker unpacker("k");
    unpacker.Reset();
    Bytes first(10);
    EXPECT_EQ(unpacker.Read(source, first.data(), 10), 10u);
    EXPECT_EQ(unpacker.Read(source, nullptr, 4000), 4000u);
    Bytes rest(10000);
    EXPECT_EQ(unpacker.Read(source, rest.data(), rest.size()), data.size() - 4010);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), data.begin()));
    EXPECT_TRUE(std::equal(data.begin() + 4010, data.end(), rest.begin()));
    EXPECT_EQ(unpacker.Read(source, rest.data(), 1), 0u);

    unpacker.Free();
    source.Seek(0);
    unpacker.Reset();
    EXPECT_EQ(unpacker.Read(source, rest.data(), rest.size()), data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), rest.begin()));
}

TEST(LzwUnpacker, CorruptStreamsNameTheFile) {
    // A code beyond the next free code.
    ExpectUnpackError(CodeStreamBuilder().Clear().Code('a').Code(259).End().Take(), kCorrupt);
    // After a clear only a byte may follow.
    ExpectUnpackError(CodeStreamBuilder().Clear().Code(258).End().Take(), kCorrupt);
    ExpectUnpackError(CodeStreamBuilder().Clear().Code('a').Code('b').Clear().Code(300).Take(), kCorrupt);
    // The stream must open with a clear.
    ExpectUnpackError(CodeStreamBuilder().Code('a').Code('b').End().Take(), kCorrupt);
    // Repeated clears are accepted.
    EXPECT_EQ(Unpack(CodeStreamBuilder().Clear().Clear().Code('a').End().Take()), FromText("a"));

    // The width may not pass 12 bits: one string per literal until the 4095th code.
    CodeStreamBuilder wide;
    wide.Clear();
    for (int i = 0; i < 4095 - 258 + 1; ++i) wide.Code(i % 256);
    ExpectUnpackError(wide.End().Take(), kCorrupt);

    // Each code the next free one makes strings one byte longer, past what a length byte holds.
    CodeStreamBuilder longer;
    longer.Clear().Code('z');
    for (uint32_t c = 258; c < 258 + 260; ++c) longer.Code(c);
    ExpectUnpackError(longer.End().Take(), kCorrupt);

    // A bad stream stays bad on the next call.
    MemoryByteSource source(CodeStreamBuilder().Code('a').End().Take());
    LzwUnpacker unpacker("Keys.INPD");
    unpacker.Reset();
    uint8_t out[4];
    EXPECT_THROW(unpacker.Read(source, out, 4), FatalExep);
    EXPECT_THROW(unpacker.Read(source, out, 4), FatalExep);
}

TEST(LzwUnpacker, PoolExhaustion) {
    // Grow one string to 250 bytes, then repeat it: every repeat stores another 251 bytes.
    CodeStreamBuilder b;
    b.Clear().Code(0);
    uint32_t c = 258;
    for (; c < 258 + 248; ++c) b.Code(c);
    for (int i = 0; i < 700; ++i) b.Code(c - 1);
    ExpectUnpackError(b.End().Take(), "Too small block for expand file (Keys.INPD)");
}

TEST(LzwUnpacker, GarbageNeverEscapesAsAnythingButFatalExep) {
    std::mt19937 rng(17);
    for (int i = 0; i < 300; ++i) {
        Bytes stream = RandomBytes(1 + rng() % 3000, rng());
        stream[0] = 0x00;
        stream[1] = 0x01;
        try {
            Bytes out = Unpack(stream, 1 + rng() % 100);
            EXPECT_LE(out.size(), 255u * stream.size());
        } catch (const FatalExep&) {
        }
    }
}
