// A picture: the "DPF" block with an ordered list of frames, an ordered list of sub-images (each a
// picture of its own) and optionally its own palette; a sub-image without one uses the palette of
// the nearest ancestor that has one. Pictures are block objects: a script object of no class that
// is also the block read from the ".dpf" file.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/data_block.h"
#include "foundation/palette_block.h"
#include "foundation/segmented_array.h"
#include "graphics/frame.h"
#include "script/script_object.h"

class Image : public ScriptObject, public DataBlock {
  public:
    static constexpr uint32_t kHeaderSize = 10;

    // parent: the picture that holds this one as a sub-image (not owned), null for a picture.
    explicit Image(Image* parent = nullptr, uint32_t headerSize = kHeaderSize, bool loadPayload = true);
    // Deep copy: palette, sub-images (their parent links pointing into the copy) and frames; the
    // copy keeps the source's parent link.
    Image(const Image& other);
    Image& operator=(const Image&) = delete;
    ~Image() override;

    // The picture a script value refers to; FatalExep when it is not a live picture.
    static Image* FromAddress(uint32_t address);

    // "COL" (the first only), "IMG" and "DPF" sub-blocks; others are skipped.
    void ReadChunk(BlockReader& reader, const uint8_t* signature) override;
    uint32_t ChunkSize() const override;

    uint32_t FrameCount() const { return frames_.End(); }
    uint32_t SubImageCount() const { return subImages_.End(); }
    Image* Parent() const { return parent_; }
    PaletteBlock* OwnPalette() const { return palette_.get(); }
    // Own palette, else the nearest ancestor's, else null.
    PaletteBlock* EffectivePalette() const;

    // Sub-image n, n clamped to the last one; the image itself when there is none or n < 0.
    Image* EntryAt(int32_t n);
    Image* EntryAtChecked(int32_t n);
    // The entry name the picture was read from (the root picture's for a sub-image); "" for one made
    // in memory. Errors of the picture name it.
    void SetSourceName(const String& name) { sourceName_ = name; }
    const String& SourceName() const;
    // Frame n, n clamped to the last one; WarnExep "Wrong image index" (naming the picture's entry)
    // for n < 0 or no frames.
    Frame* GetFrame(int32_t n);
    Frame* GetFrameChecked(int32_t n);

    // Appends the frame. With an effective palette the frame is first remapped from palette to it
    // (and palette dropped); without one palette becomes the own palette.
    void AddFrame(std::unique_ptr<Frame> frame, std::unique_ptr<PaletteBlock> palette);
    // Makes palette the own palette, remapping the frames of this image and of the sub-images that
    // inherit its palette from the old effective palette to the new one. Null does nothing.
    void SetPalette(std::unique_ptr<PaletteBlock> palette);

    // The frame operations over the whole tree.
    void ExpandAllTo16();
    void ConvertAllTo565();
    void ConvertAllTo555();
    // Every frame of the tree becomes indices of palette, which becomes the own palette; the
    // sub-images then inherit it. Null does nothing.
    void ReduceToPalette(std::unique_ptr<PaletteBlock> palette);

  protected:
    void RetireParts() override;

  private:
    template <class Action>
    void ForEachFrame(Action action);
    void RemapInherited(const PaletteBlock* from, const PaletteBlock* to);
    void ReduceFrames(const PaletteBlock* to);
    int Depth() const;

    SegmentedArray<Frame> frames_;
    SegmentedArray<Image> subImages_;
    // Destroyed before the tables, as the tree is taken down from its palette.
    std::unique_ptr<PaletteBlock> palette_;
    Image* parent_;
    String sourceName_;
};
