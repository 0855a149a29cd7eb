// Screens for drawing tests: small surfaces of each depth and pixel format, top-down or bottom-up
// as the window-bitmap kind lays them out, a colour table, a stand-in processor for natives, and
// pictures of surface contents as text.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/config_blocks.h"
#include "graphics/colour_table.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "script/method_runner.h"
#include "script/native_handler.h"
#include "script/zema_class.h"

class TestColours : public ColourTable {
  public:
    explicit TestColours(std::vector<uint16_t> colours) : colours_(std::move(colours)) {}
    uint32_t TableSize() const override { return static_cast<uint32_t>(colours_.size()); }
    uint16_t Colour(uint32_t n) const override { return n < colours_.size() ? colours_[n] : 0; }

  private:
    std::vector<uint16_t> colours_;
};

// Rows stored last row first, as a bottom-up window bitmap holds them.
class BottomUpSurface : public ScreenSurface {
  public:
    BottomUpSurface(ScreenSettingsBlock* settings, int32_t rowAlignment)
        : ScreenSurface(settings, nullptr, rowAlignment), memory_(FrameBytes() == 0 ? 1 : FrameBytes()) {
        SetPixels(memory_.data());
    }
    int32_t RowStep() const override { return -Pitch(); }
    uint8_t* RowAddress(int32_t y) const override {
        return Pixels() + static_cast<intptr_t>(Height() - y - 1) * Pitch();
    }
    uint8_t* PixelAddress(int32_t x, int32_t y) const override {
        return RowAddress(y) + static_cast<intptr_t>(BytesPerPixel()) * x;
    }

  private:
    std::vector<uint8_t> memory_;
};

// Depth 8 or 16; format 555 or 565 (16-bit only).
struct ScreenKind {
    int depth;
    int format;
    bool bottomUp;
};

inline std::string KindName(const ScreenKind& kind) {
    return (kind.depth == 8 ? std::string("Indexed") : "Format" + std::to_string(kind.format)) +
           (kind.bottomUp ? "BottomUp" : "TopDown");
}

const std::vector<ScreenKind> kAllScreens = {{8, 0, false},   {8, 0, true},     {16, 555, false},
                                             {16, 555, true}, {16, 565, false}, {16, 565, true}};
const std::vector<ScreenKind> kDeepScreens = {
    {16, 555, false}, {16, 555, true}, {16, 565, false}, {16, 565, true}};

class TestScreen {
  public:
    TestScreen(ScreenKind kind, int width, int height, std::vector<uint16_t> colours = {})
        : kind_(kind), colours_(std::move(colours)), buffer_(&colours_) {
        settings_.SetMode(static_cast<uint16_t>(kind.depth), static_cast<uint16_t>(width),
                          static_cast<uint16_t>(height));
        settings_.pixelFormat = kind.format;
        // Odd alignments give pitches wider than the rows, so row addressing is exercised.
        if (kind.bottomUp)
            surface_ = std::make_unique<BottomUpSurface>(&settings_, 8);
        else
            surface_ = std::make_unique<MemorySurface>(&settings_, nullptr, 8);
        buffer_.SetSurface(surface_.get());
    }

    ScreenBuffer& Buffer() { return buffer_; }
    ScreenSurface& Surface() { return *surface_; }
    ScreenSettingsBlock& Settings() { return settings_; }
    const ScreenKind& Kind() const { return kind_; }

    uint32_t At(int x, int y) const {
        const uint8_t* p = surface_->PixelAddress(x, y);
        return kind_.depth == 16 ? uint32_t{p[0]} | uint32_t{p[1]} << 8 : p[0];
    }
    void Set(int x, int y, uint32_t value) {
        uint8_t* p = surface_->PixelAddress(x, y);
        p[0] = static_cast<uint8_t>(value);
        if (kind_.depth == 16) p[1] = static_cast<uint8_t>(value >> 8);
    }
    void Fill(uint32_t value) {
        for (int y = 0; y < surface_->Height(); ++y)
            for (int x = 0; x < surface_->Width(); ++x) Set(x, y, value);
    }
    std::vector<uint32_t> Snapshot() const {
        std::vector<uint32_t> all;
        for (int y = 0; y < surface_->Height(); ++y)
            for (int x = 0; x < surface_->Width(); ++x) all.push_back(At(x, y));
        return all;
    }
    // Rows of characters separated by '/', one per pixel: the legend's character for its value,
    // '?' for others.
    std::string Picture(const std::map<uint32_t, char>& legend) const {
        std::string text;
        for (int y = 0; y < surface_->Height(); ++y) {
            for (int x = 0; x < surface_->Width(); ++x) {
                auto found = legend.find(At(x, y));
                text += found != legend.end() ? found->second : '?';
            }
            if (y + 1 < surface_->Height()) text += '/';
        }
        return text;
    }

  private:
    ScreenKind kind_;
    ScreenSettingsBlock settings_;
    TestColours colours_;
    std::unique_ptr<ScreenSurface> surface_;
    ScreenBuffer buffer_;
};

// Records single-line text and frame draws instead of drawing them.
class RecordingBuffer : public ScreenBuffer {
  public:
    using Call = std::tuple<std::string, int32_t, int32_t, uint32_t, int32_t, int32_t, uint32_t>;
    using FrameCall = std::tuple<const Frame*, int32_t, int32_t, uint32_t, uint32_t>;
    using ScreenBuffer::ScreenBuffer;
    void DrawText(const char* text, int32_t x, int32_t y, uint32_t colour, int32_t hAlign, int32_t vAlign,
                  uint32_t flags) override {
        calls.emplace_back(text, x, y, colour, hAlign, vAlign, flags);
    }
    void DrawFrameBlended(const Frame* frame, int32_t x, int32_t y, uint32_t orientation,
                          uint32_t mode) override {
        frames.emplace_back(frame, x, y, orientation, mode);
    }
    std::vector<Call> calls;
    std::vector<FrameCall> frames;
};

// Only the data stack of the processor: natives are called directly.
class StackRunner : public MethodRunner {
  public:
    void CallMethod(ScriptObject*, ZEMAClass*, uint32_t) override { std::abort(); }
    void CallVirtual(ScriptObject*, uint32_t) override { std::abort(); }
    DStack<uint32_t>& DataStack() override { return stack; }
    void PushObject(uint32_t address) override { stack.Push(address); }

    DStack<uint32_t> stack{64};
};

// Runs native method n of the class on the object.
inline void CallNative(ZEMAClass& cls, ScriptObject& object, uint32_t n) {
    NativeHandlerAt(ScriptLoad32(cls.GetMethod(n) + 4))(&object);
}

inline void PrintTo(const ScreenKind& kind, std::ostream* os) {
    *os << KindName(kind);
}
