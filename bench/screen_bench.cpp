// A typical 640 x 480 16-bit frame drawn into memory: clear, a full-screen background, 200 masked
// 32 x 32 sprites at varied orientations and 30 lines of text. Reports frames per second and, for
// comparison, the time a plain memcpy takes for the frame's bytes and for as many bytes as the
// frame reads and writes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/config_blocks.h"
#include "fuzz/memory_file.h"
#include "graphics/colour_table.h"
#include "graphics/font.h"
#include "graphics/frame.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "graphics/text_layout.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kSprites = 200;
constexpr int kLines = 30;

std::string U16(uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
std::string U32(uint32_t v) {
    return U16(v & 0xFFFF) + U16(v >> 16);
}
std::string Tag(const char* tag) {
    std::string t(tag);
    t.resize(4, '\0');
    return t;
}

std::string Header(const char* tag, const std::string& fields, const std::string& payload) {
    return Tag(tag) + U16(static_cast<uint32_t>(10 + fields.size())) +
           U32(static_cast<uint32_t>(payload.size())) + fields;
}
std::string SE(const char* tag, const std::string& fields, const std::string& payload) {
    return "SE" + Header(tag, fields, payload) + payload;
}
std::string SC(const char* tag, const std::string& fields, const std::string& payload,
               const std::vector<std::string>& subBlocks) {
    std::string rest = Header(tag, fields, payload) + payload;
    for (const auto& b : subBlocks) rest += b;
    return "SC" + U16(6) + U32(static_cast<uint32_t>(8 + rest.size())) +
           U16(static_cast<uint32_t>(subBlocks.size())) + rest;
}

std::string FrameFields(int32_t ox, int32_t oy, uint32_t depth, uint32_t w, uint32_t h, uint32_t flags) {
    return U32(static_cast<uint32_t>(ox)) + U32(static_cast<uint32_t>(oy)) + std::string(3, '\0') +
           std::string(1, static_cast<char>(depth)) + U32(w) + U32(h) + U32(flags);
}

template <class T>
void ReadBytes(const std::string& bytes, T&& read) {
    MemoryFile file(bytes);
    FileBlockReader reader;
    reader.Open(file.Path());
    read(reader);
}

uint32_t g_seed = 12345;
uint32_t Next() {
    g_seed = g_seed * 214013 + 2531011;
    return (g_seed >> 16) & 0x7FFF;
}

std::unique_ptr<Frame> Background() {
    std::string rows;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) rows += U16(static_cast<uint32_t>((x * 7 + y * 13) & 0xFFFF) | 1);
    auto frame = std::make_unique<Frame>();
    ReadBytes(SE("IMG", FrameFields(0, 0, 16, kWidth, kHeight, 0), rows),
              [&](BlockReader& r) { r >> *frame; });
    return frame;
}

// A round sprite: opaque inside, a soft rim, clear corners.
std::unique_ptr<Frame> Sprite(uint32_t tint) {
    std::string rows, mask;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const double d = std::hypot(x - 15.5, y - 15.5);
            const int alpha = d < 13 ? 255 : d > 16 ? 0 : static_cast<int>((16 - d) * 85);
            rows += U16(alpha > 0 ? (tint + static_cast<uint32_t>(x * 33 + y)) | 1 : 0);
            mask += static_cast<char>(alpha);
        }
    }
    const std::string maskBlock = SE("IMG", FrameFields(0, 0, 8, 32, 32, 0), mask);
    auto frame = std::make_unique<Frame>();
    ReadBytes(SC("IMG", FrameFields(16, 16, 16, 32, 32, kFrameTransparent), rows, {maskBlock}),
              [&](BlockReader& r) { r >> *frame; });
    return frame;
}

// 96 glyphs from ' ', 7 x 10, with a pattern of set bits.
std::unique_ptr<Font> TextFont() {
    std::string widths, heights, offsets, bits;
    for (int i = 0; i < 96; ++i) {
        widths += static_cast<char>(7);
        heights += static_cast<char>(10);
        offsets += static_cast<char>(i % 5 == 0 ? -2 : 0);
        for (int r = 0; r < 10; ++r) bits += static_cast<char>(Next() & 0x7F);
    }
    const std::string fields = U16(96) + U16(32) + U16(12) + U16(1) + U16(2) + U16(1) + U16(1);
    const std::string bytes =
        SC("DFF", fields, U32(1),
           {SE("DFFW", "", widths), SE("DFFH", "", heights), SE("DFFD", "", offsets), SE("DFFS", "", bits)});
    auto font = std::make_unique<Font>();
    ReadBytes(bytes, [&](BlockReader& r) { ReadFontFile(r, *font); });
    return font;
}

struct Placement {
    int32_t x, y;
    uint32_t orientation;
    size_t sprite;
};

class ColourStrip : public ColourTable {
  public:
    uint32_t TableSize() const override { return 10; }
    uint16_t Colour(uint32_t n) const override { return static_cast<uint16_t>(0x1111 * (n + 1)); }
};

struct Scene {
    ScreenSettingsBlock settings;
    ColourStrip colours;
    std::unique_ptr<MemorySurface> surface;
    ScreenBuffer buffer{&colours};
    std::unique_ptr<Frame> background = Background();
    std::vector<std::unique_ptr<Frame>> sprites;
    std::unique_ptr<Font> font = TextFont();
    std::vector<Placement> placements;
    std::vector<std::string> lines;

    Scene() {
        settings.SetMode(16, kWidth, kHeight);
        settings.pixelFormat = 565;
        settings.SetFlags(kDrawThroughMask);
        surface = std::make_unique<MemorySurface>(&settings, nullptr, 4);
        buffer.SetSurface(surface.get());
        buffer.SetFont(font.get());
        for (uint32_t i = 0; i < 8; ++i) sprites.push_back(Sprite(i * 0x0841));
        const uint32_t orientations[] = {0, 1, 2, 3, 5, 6};
        for (int i = 0; i < kSprites; ++i) {
            // Some sprites hang over the edges and are clipped.
            placements.push_back({static_cast<int32_t>(Next() % (kWidth + 24)) - 12,
                                  static_cast<int32_t>(Next() % (kHeight + 24)) - 12, orientations[i % 6],
                                  static_cast<size_t>(i) % sprites.size()});
        }
        for (int i = 0; i < kLines; ++i)
            lines.push_back("Line " + std::to_string(i) +
                            ": Shields $1100%$n  Energy 4500  Cargo 12/40  $$ 1999");
    }

    void Draw() {
        surface->Fill(0);
        buffer.DrawFrameBlended(background.get(), 0, 0, 0, 0);
        for (const Placement& p : placements)
            buffer.DrawFrame(sprites[p.sprite].get(), p.x, p.y, p.orientation);
        for (int i = 0; i < kLines; ++i)
            buffer.DrawText(lines[static_cast<size_t>(i)].c_str(), 8, 8 + 15 * i, 0xFFFF, 0, 0, 0);
    }

    // Bytes read and written: the fill, the background copy, each sprite pixel (source, mask,
    // screen read and write) and the text boxes.
    double TouchedBytes() const {
        const double frame = surface->FrameBytes();
        double sprite = 0;
        for (const Placement& p : placements) {
            const int64_t x0 = std::max(0, p.x - 16), x1 = std::min(kWidth, p.x + 16);
            const int64_t y0 = std::max(0, p.y - 16), y1 = std::min(kHeight, p.y + 16);
            if (x1 > x0 && y1 > y0) sprite += 7.0 * double((x1 - x0) * (y1 - y0));
        }
        double text = 0;
        for (const auto& line : lines) text += 2.0 * TextWidth(*font, line.c_str()) * font->LineHeight();
        return frame + 2 * frame + sprite + text;
    }
};

// Seconds one memcpy of n bytes takes, best of many.
double MemcpySeconds(size_t n) {
    std::vector<uint8_t> from(n, 1), to(n, 0);
    double best = 1e9;
    for (int round = 0; round < 200; ++round) {
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(to.data(), from.data(), n);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        best =
            std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void BM_TypicalFrame(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        scene.Draw();
        benchmark::DoNotOptimize(scene.surface->Pixels());
        benchmark::ClobberMemory();
    }
    const double frameBytes = static_cast<double>(scene.surface->FrameBytes());
    const double copy = MemcpySeconds(scene.surface->FrameBytes());
    // A memcpy of n bytes reads n and writes n.
    const double bound = copy * scene.TouchedBytes() / (2 * frameBytes);
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["memcpy_frame_us"] = copy * 1e6;
    state.counters["touched_MB"] = scene.TouchedBytes() / 1e6;
    state.counters["memcpy_bound_us"] = bound * 1e6;
    // The bound's time over the frame's time: 1 would be memcpy speed.
    state.counters["bound_share"] =
        benchmark::Counter(bound * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

double Least(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

BENCHMARK(BM_TypicalFrame)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Least);

// The parts of the frame alone.
void BM_FramePart(benchmark::State& state) {
    Scene scene;
    const int part = static_cast<int>(state.range(0));
    for (auto _ : state) {
        switch (part) {
            case 0:
                scene.surface->Fill(0);
                break;
            case 1:
                scene.buffer.DrawFrameBlended(scene.background.get(), 0, 0, 0, 0);
                break;
            case 2:
                for (const Placement& p : scene.placements)
                    scene.buffer.DrawFrame(scene.sprites[p.sprite].get(), p.x, p.y, p.orientation);
                break;
            default:
                for (int i = 0; i < kLines; ++i)
                    scene.buffer.DrawText(scene.lines[static_cast<size_t>(i)].c_str(), 8, 8 + 15 * i, 0xFFFF,
                                          0, 0, 0);
                break;
        }
        benchmark::ClobberMemory();
    }
    static const char* const kNames[] = {"fill", "background", "sprites", "text"};
    state.SetLabel(kNames[part]);
}
BENCHMARK(BM_FramePart)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Least);

// The sprites again, all at one orientation, to compare the walks.
void BM_SpritesTurned(benchmark::State& state) {
    Scene scene;
    const auto orientation = static_cast<uint32_t>(state.range(0));
    for (auto _ : state) {
        for (const Placement& p : scene.placements)
            scene.buffer.DrawFrame(scene.sprites[p.sprite].get(), p.x, p.y, orientation);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SpritesTurned)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Arg(5)
    ->Arg(6)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", Least);

// For comparison with the fill above: the same memory written in 64-bit words of four pixels.
void BM_FillInWords(benchmark::State& state) {
    Scene scene;
    const uint64_t word = 0x0001000100010001ull * 0x1234;
    uint8_t* pixels = scene.surface->Pixels();
    const uint64_t words = scene.surface->FrameBytes() / 8;
    for (auto _ : state) {
        for (uint64_t i = 0; i < words; ++i) std::memcpy(pixels + 8 * i, &word, 8);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FillInWords)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Least);

void BM_MemcpyFrame(benchmark::State& state) {
    const size_t n = size_t{kWidth} * kHeight * 2;
    std::vector<uint8_t> from(n, 1), to(n, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), n);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Least);

}  // namespace

BENCHMARK_MAIN();
