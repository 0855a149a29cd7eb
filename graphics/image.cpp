#include "graphics/image.h"

#include <algorithm>
#include <cstring>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "graphics/graphics_kinds.h"

namespace {

// Pictures are read recursively: a file of nested "DPF" blocks must not run the stack out.
constexpr int kMaxPictureDepth = 32;

// Direct part and page size of the frame and sub-image tables.
constexpr unsigned kTableDirect = 5;
constexpr unsigned kTablePage = 10;

bool Is(const uint8_t* signature, const char (&tag)[4]) {
    return std::memcmp(signature, tag, 4) == 0;
}

[[noreturn]] void WrongIndex(const String& picture) {
    if (picture.Empty()) ThrowWarn(0, 0, "Wrong image index");
    ThrowWarn(0, 0, "Wrong image index in \"%s\"", picture.Text());
}

}  // namespace

Image::Image(Image* parent, uint32_t headerSize, bool loadPayload)
    : ScriptObject(nullptr),
      DataBlock(headerSize, loadPayload),
      frames_(kTableDirect, kTablePage, true),
      subImages_(kTableDirect, kTablePage, true),
      parent_(parent) {
    SetKind(kImageKind);
    SetSignature("DPF");
}

Image::Image(const Image& other)
    : ScriptObject(other),
      DataBlock(other),
      frames_(kTableDirect, kTablePage, true),
      subImages_(kTableDirect, kTablePage, true),
      parent_(other.parent_),
      sourceName_(other.sourceName_) {
    SetKind(kImageKind);
    if (other.palette_) palette_ = std::make_unique<PaletteBlock>(*other.palette_);
    for (uint32_t i = 0; i < other.subImages_.End(); ++i) {
        const Image* source = other.subImages_.Get(i);
        if (source == nullptr) continue;
        auto copy = std::make_unique<Image>(*source);
        copy->parent_ = this;
        subImages_.SetAt(copy.release(), i);
    }
    for (uint32_t i = 0; i < other.frames_.End(); ++i) {
        const Frame* source = other.frames_.Get(i);
        if (source != nullptr) frames_.SetAt(std::make_unique<Frame>(*source).release(), i);
    }
}

Image::~Image() = default;

Image* Image::FromAddress(uint32_t address) {
    return static_cast<Image*>(ScriptObject::FromAddress(address, kImageKind, "picture"));
}

int Image::Depth() const {
    int depth = 0;
    for (const Image* p = parent_; p != nullptr; p = p->parent_) ++depth;
    return depth;
}

void Image::ReadChunk(BlockReader& reader, const uint8_t* signature) {
    if (Is(signature, "COL") && !palette_) {
        auto palette = std::make_unique<PaletteBlock>();
        reader >> *palette;
        palette_ = std::move(palette);
    } else if (Is(signature, "IMG")) {
        auto frame = std::make_unique<Frame>();
        reader >> *frame;
        frames_.SetAt(frame.release(), frames_.End());
    } else if (Is(signature, "DPF")) {
        if (Depth() >= kMaxPictureDepth)
            ThrowFatal("Damaged picture \"%s\": sub-images nested too deeply", reader.Name().Text());
        auto sub =
            std::make_unique<Image>(this, HeaderSize() != 0 ? HeaderSize() : kHeaderSize, LoadsPayload());
        reader >> *sub;
        subImages_.SetAt(sub.release(), subImages_.End());
    }
}

uint32_t Image::ChunkSize() const {
    uint32_t size = DataBlock::ChunkSize();
    if (palette_) size += palette_->ChunkSize();
    for (uint32_t i = 0; i < frames_.End(); ++i)
        if (const Frame* f = frames_.Get(i)) size += f->ChunkSize();
    for (uint32_t i = 0; i < subImages_.End(); ++i)
        if (const Image* s = subImages_.Get(i)) size += s->ChunkSize();
    if (palette_ || frames_.End() != 0 || subImages_.End() != 0) size += 8;
    return size;
}

void Image::RetireParts() {
    for (uint32_t i = 0; i < frames_.End(); ++i)
        if (Frame* frame = frames_.Get(i)) frame->Revoke();
    for (uint32_t i = 0; i < subImages_.End(); ++i) RetirePart(subImages_.Get(i));
}

PaletteBlock* Image::EffectivePalette() const {
    for (const Image* p = this; p != nullptr; p = p->parent_)
        if (p->palette_) return p->palette_.get();
    return nullptr;
}

Image* Image::EntryAt(int32_t n) {
    const int64_t last = int64_t{subImages_.End()} - 1;
    const int64_t index = std::min<int64_t>(n, last);
    if (index < 0) return this;
    return subImages_.Get(static_cast<uint32_t>(index));
}

Image* Image::EntryAtChecked(int32_t n) {
    const int64_t last = int64_t{subImages_.End()} - 1;
    const int64_t index = std::min<int64_t>(n, last);
    if (index < 0) return this;
    return *subImages_.AtChecked(static_cast<uint32_t>(index));
}

const String& Image::SourceName() const {
    const Image* root = this;
    while (root->parent_ != nullptr) root = root->parent_;
    return root->sourceName_;
}

Frame* Image::GetFrame(int32_t n) {
    const int64_t index = std::min<int64_t>(n, int64_t{frames_.End()} - 1);
    if (index < 0) WrongIndex(SourceName());
    return frames_.Get(static_cast<uint32_t>(index));
}

Frame* Image::GetFrameChecked(int32_t n) {
    const int64_t index = std::min<int64_t>(n, int64_t{frames_.End()} - 1);
    if (index < 0) WrongIndex(SourceName());
    return *frames_.AtChecked(static_cast<uint32_t>(index));
}

void Image::AddFrame(std::unique_ptr<Frame> frame, std::unique_ptr<PaletteBlock> palette) {
    if (!frame) return;
    if (const PaletteBlock* effective = EffectivePalette()) {
        frame->Remap(palette.get(), effective);
        palette.reset();
    } else {
        SetPalette(std::move(palette));
    }
    frames_.SetAt(frame.release(), frames_.End());
}

void Image::SetPalette(std::unique_ptr<PaletteBlock> palette) {
    if (!palette) return;
    if (const PaletteBlock* old = EffectivePalette()) {
        // Check before touching anything, so a mismatch leaves every frame as it was.
        if (old->Dimension() != palette->Dimension())
            throw WarnExep(0, "Unable to convert palette, because of different palettes dimension.", 0);
        RemapInherited(old, palette.get());
    }
    palette_ = std::move(palette);
}

void Image::RemapInherited(const PaletteBlock* from, const PaletteBlock* to) {
    for (uint32_t i = 0; i < frames_.End(); ++i)
        if (Frame* f = frames_.Get(i)) f->Remap(from, to);
    for (uint32_t i = 0; i < subImages_.End(); ++i) {
        Image* sub = subImages_.Get(i);
        if (sub != nullptr && !sub->palette_) sub->RemapInherited(from, to);
    }
}

template <class Action>
void Image::ForEachFrame(Action action) {
    for (uint32_t i = 0; i < frames_.End(); ++i)
        if (Frame* f = frames_.Get(i)) action(*f);
    for (uint32_t i = 0; i < subImages_.End(); ++i)
        if (Image* sub = subImages_.Get(i)) sub->ForEachFrame(action);
}

void Image::ExpandAllTo16() {
    for (uint32_t i = 0; i < frames_.End(); ++i)
        if (Frame* f = frames_.Get(i)) f->ExpandTo16(EffectivePalette());
    for (uint32_t i = 0; i < subImages_.End(); ++i)
        if (Image* sub = subImages_.Get(i)) sub->ExpandAllTo16();
}

void Image::ConvertAllTo565() {
    ForEachFrame([](Frame& f) { f.ConvertTo565(); });
}

void Image::ConvertAllTo555() {
    ForEachFrame([](Frame& f) { f.ConvertTo555(); });
}

void Image::ReduceToPalette(std::unique_ptr<PaletteBlock> palette) {
    if (!palette) return;
    ReduceFrames(palette.get());
    palette_ = std::move(palette);
}

void Image::ReduceFrames(const PaletteBlock* to) {
    for (uint32_t i = 0; i < frames_.End(); ++i)
        if (Frame* f = frames_.Get(i)) f->ReduceToPalette(EffectivePalette(), to);
    for (uint32_t i = 0; i < subImages_.End(); ++i) {
        Image* sub = subImages_.Get(i);
        if (sub == nullptr) continue;
        sub->ReduceFrames(to);
        // Its frames now index the new palette, which it inherits from here on.
        sub->palette_.reset();
    }
}
