// Pack and unpack throughput of the LZW code stream, on a generated corpus or on a file given with
// --corpus=PATH.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/sepk_lzw.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes g_corpus;
Bytes g_packed;

class VectorSink : public ByteSink {
  public:
    void WriteRaw(const uint8_t* bytes, size_t n) override { bytes_.insert(bytes_.end(), bytes, bytes + n); }
    Bytes& Data() { return bytes_; }

  private:
    Bytes bytes_;
};

class SpanSource : public ByteSource {
  public:
    explicit SpanSource(const Bytes& bytes) : bytes_(bytes) {}
    size_t ReadRaw(uint8_t* destination, size_t n) override {
        size_t take = std::min(n, bytes_.size() - position_);
        std::memcpy(destination, bytes_.data() + position_, take);
        position_ += take;
        return take;
    }

  private:
    const Bytes& bytes_;
    size_t position_ = 0;
};

// Deterministic generator, so every run measures the same bytes.
struct Lcg {
    uint64_t state = 0x2545F4914F6CDD1DULL;
    uint32_t Next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(state >> 33);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
};

// Mixed content of a game's data folder: text, tables of small numbers, pixel-like rows with
// runs, and some incompressible bytes.
Bytes GenerateCorpus(size_t size) {
    Lcg rng;
    std::vector<std::string> words;
    for (int i = 0; i < 3000; ++i) {
        std::string w;
        int n = 2 + static_cast<int>(rng.Below(9));
        for (int j = 0; j < n; ++j) w.push_back(static_cast<char>('a' + rng.Below(26)));
        words.push_back(w);
    }
    Bytes out;
    out.reserve(size + 70000);
    while (out.size() < size) {
        uint32_t kind = rng.Below(10);
        if (kind < 4) {
            for (int i = 0; i < 2000; ++i) {
                // Small indices are far more frequent, as in prose.
                uint32_t r = rng.Below(3000);
                const std::string& w = words[r * r / 3000];
                out.insert(out.end(), w.begin(), w.end());
                uint32_t p = rng.Below(20);
                out.push_back(p == 0 ? '\n' : p == 1 ? ',' : p == 2 ? '.' : ' ');
            }
        } else if (kind < 6) {
            uint32_t id = rng.Next() & 0xFFFF;
            for (int i = 0; i < 1500; ++i, ++id) {
                uint32_t fields[4] = {id, rng.Below(100), rng.Below(4) * 250,
                                      0x3F800000u + (rng.Below(64) << 16)};
                for (uint32_t f : fields)
                    for (int b = 0; b < 4; ++b) out.push_back(static_cast<uint8_t>(f >> (8 * b)));
            }
        } else if (kind < 9) {
            for (int row = 0; row < 64; ++row) {
                uint16_t color = static_cast<uint16_t>(rng.Next());
                for (int x = 0; x < 256;) {
                    int run = 1 + static_cast<int>(rng.Below(rng.Below(4) == 0 ? 40 : 4));
                    if (rng.Below(6) == 0) color = static_cast<uint16_t>(rng.Next());
                    for (int k = 0; k < run && x < 256; ++k, ++x) {
                        out.push_back(static_cast<uint8_t>(color));
                        out.push_back(static_cast<uint8_t>(color >> 8));
                    }
                }
            }
        } else {
            for (int i = 0; i < 8192; ++i) out.push_back(static_cast<uint8_t>(rng.Next()));
        }
    }
    out.resize(size);
    return out;
}

Bytes PackAll(const Bytes& data, VectorSink& sink) {
    LzwPacker packer(sink);
    // In pieces, as a writer hands over blocks.
    constexpr size_t kPiece = 64 * 1024;
    for (size_t i = 0; i < data.size(); i += kPiece)
        packer.Write(data.data() + i, std::min(kPiece, data.size() - i));
    packer.Finish();
    return sink.Data();
}

size_t UnpackAll(const Bytes& packed, Bytes& out) {
    SpanSource source(packed);
    LzwUnpacker unpacker("corpus");
    unpacker.Reset();
    size_t total = 0;
    for (;;) {
        size_t got = unpacker.Read(source, out.data(), out.size());
        benchmark::DoNotOptimize(out.data());
        total += got;
        if (got < out.size()) return total;
    }
}

void BM_Pack(benchmark::State& state) {
    VectorSink sink;
    sink.Data().reserve(g_corpus.size());
    for (auto _ : state) {
        sink.Data().clear();
        PackAll(g_corpus, sink);
        benchmark::DoNotOptimize(sink.Data().data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_corpus.size()));
    state.counters["packed_pct"] =
        100.0 * static_cast<double>(g_packed.size()) / static_cast<double>(g_corpus.size());
}

void BM_Unpack(benchmark::State& state) {
    Bytes out(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        if (UnpackAll(g_packed, out) != g_corpus.size()) state.SkipWithError("unpacked size differs");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_corpus.size()));
}

BENCHMARK(BM_Pack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Unpack)->Arg(64 * 1024)->Arg(4096)->Unit(benchmark::kMillisecond);

bool LoadFile(const char* path, Bytes& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* corpusPath = nullptr;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--corpus=", 9) == 0)
            corpusPath = argv[i] + 9;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    if (corpusPath) {
        if (!LoadFile(corpusPath, g_corpus)) {
            std::fprintf(stderr, "cannot read %s\n", corpusPath);
            return 1;
        }
    } else {
        g_corpus = GenerateCorpus(8u << 20);
    }

    try {
        VectorSink sink;
        g_packed = PackAll(g_corpus, sink);
        Bytes out(g_corpus.size() + 1);
        if (UnpackAll(g_packed, out) != g_corpus.size() ||
            std::memcmp(out.data(), g_corpus.data(), g_corpus.size()))
            throw FatalExep(String("round trip differs"));
    } catch (const DExep& e) {
        std::fprintf(stderr, "corpus check failed: %s\n", e.message.Text());
        return 1;
    }
    std::printf("corpus %zu bytes, packed %zu bytes (%.1f%%)\n", g_corpus.size(), g_packed.size(),
                100.0 * static_cast<double>(g_packed.size()) /
                    static_cast<double>(g_corpus.size() ? g_corpus.size() : 1));

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
