#include "graphics/image_manager.h"

#include <memory>
#include <set>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "foundation/palette_block.h"
#include "graphics/direction_to_frame.h"
#include "graphics/frame.h"
#include "graphics/video_mode.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_catalogue.h"

namespace {

constexpr unsigned kMaxBuckets = 1u << 16;
constexpr const char* kUnsupportedMode = "Screen mode not supported by ImageManager yet.";

ImageManager& ManagerOf(ScriptObject* receiver) {
    auto* manager = dynamic_cast<ImageManager*>(receiver);
    // A script class derived from ImageManager reaches the manager through its native class.
    if (manager == nullptr && receiver != nullptr && receiver->Class() != nullptr)
        manager = dynamic_cast<ImageManager*>(receiver->Class()->NativeClass());
    if (manager == nullptr) throw FatalExep(String("ImageManager expected as receiver"));
    return *manager;
}

uint32_t AddressOf(const Image* image) {
    return image != nullptr ? image->Address() : 0;
}

// Method 0: pops an ignored value, an archive and a bucket count; pushes a new manager.
void NewNative(ScriptObject* receiver) {
    ImageManager& self = ManagerOf(receiver);
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    args.Word();  // not used
    const uint32_t archive = args.Word();
    const uint32_t buckets = args.Word();
    // Only the archive the engine already reads from can be named.
    FD::File* file = self.Pictures().Archive();
    if (archive != 0 && FD::File::FromAddress(archive) != file)
        throw FatalExep(String("Unknown archive given to ImageManager"));
    if (archive == 0) file = nullptr;
    if (buckets == 0 || buckets > kMaxBuckets) throw FatalExep(String("Bad bucket count for ImageManager"));
    auto manager =
        std::make_unique<ImageManager>(self.Settings(), self.GetProcessor(), buckets, file, nullptr);
    manager->ReserveMethodTables(*manager);
    manager->RegisterMethods(*manager);
    runner.PushObject(self.Adopt(std::move(manager)));
}

void GetImageNative(ScriptObject* receiver) {
    ImageManager& self = ManagerOf(receiver);
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    stack.Push(AddressOf(self.GetImage(args.TextCopy())));
}

void LoadSubstitutionsNative(ScriptObject* receiver) {
    ImageManager& self = ManagerOf(receiver);
    self.Pictures().LoadSubstitutions(NativeArgs(receiver).TextCopy());
}

void HasSubImagesNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    stack.Push(Image::FromAddress(args.Word())->SubImageCount() > 0 ? 1 : 0);
}

void FrameCountNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    stack.Push(Image::FromAddress(args.Word())->FrameCount());
}

void SubImageCountNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    stack.Push(Image::FromAddress(args.Word())->SubImageCount());
}

void SubImageNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    const auto n = args.Int();
    stack.Push(AddressOf(Image::FromAddress(args.Word())->EntryAt(n)));
}

void FrameNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    const auto n = args.Int();
    const Frame* frame = Image::FromAddress(args.Word())->GetFrame(n);
    stack.Push(frame != nullptr ? frame->Address() : 0);
}

void GetRecolouredNative(ScriptObject* receiver) {
    ImageManager& self = ManagerOf(receiver);
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    const String code = args.TextCopy();
    const String name = args.TextCopy();
    stack.Push(AddressOf(self.GetRecoloured(name, code)));
}

void FrameHeightNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    stack.Push(Frame::FromAddress(args.Word())->Height());
}

void FrameWidthNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    stack.Push(Frame::FromAddress(args.Word())->Width());
}

// Method 14: pops b, a and a picture; pushes the orientation, then the sub-image for (a, b).
void DirectionSubImageNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    const auto b = args.Int();
    const auto a = args.Int();
    Image* picture = Image::FromAddress(args.Word());
    uint32_t orientation = 0;
    Image* sub = DirectionToFrame(a, b, *picture, orientation);
    stack.Push(orientation);
    stack.Push(AddressOf(sub));
}

// The five-bit field a code character names, at the given bit positions of blue, green, red.
uint32_t Field(uint32_t pixel, char source, const int (&shift)[3]) {
    if (source < '1' || source > '3') return 0;
    return (pixel >> shift[source - '1']) & 0x1F;
}

void RecolourPalette(PaletteBlock& palette, const char* code) {
    for (uint32_t i = 0; i < palette.Count(); ++i) {
        uint8_t* entry = palette.Payload() + 4 * size_t{i};
        // Sources 1-3 are blue, green, red; 0 is the unused byte.
        const uint8_t before[4] = {entry[3], entry[0], entry[1], entry[2]};
        for (int k = 0; k < 3; ++k) entry[k] = before[code[k] - '0'];
    }
}

void RecolourFrame(Frame& frame, const char* code, int32_t pixelFormat) {
    if (frame.BitsPerPixel() != 16 || !frame.HasPixels()) return;
    static const int k555[3] = {0, 5, 10};
    // The top five bits of green; its lowest bit ends up 0.
    static const int k565[3] = {0, 6, 11};
    const int(&shift)[3] = pixelFormat == 555 ? k555 : k565;
    for (uint64_t y = 0; frame.Width() != 0 && y < frame.Height(); ++y) {
        for (uint64_t x = 0; x < frame.Width(); ++x) {
            const uint32_t v = frame.PixelAt(x, y);
            frame.SetPixel(x, y,
                           (Field(v, code[2], shift) << shift[2]) | (Field(v, code[1], shift) << shift[1]) |
                               Field(v, code[0], shift));
        }
    }
}

}  // namespace

bool ValidRecolourCode(const char* code) {
    if (code == nullptr) return false;
    for (int k = 0; k < 3; ++k)
        if (code[k] < '0' || code[k] > '3') return false;
    return true;
}

void RecolourImage(Image& image, const char* code, int32_t pixelFormat) {
    if (PaletteBlock* palette = image.OwnPalette()) RecolourPalette(*palette, code);
    for (uint32_t i = 0; i < image.SubImageCount(); ++i)
        if (Image* sub = image.EntryAt(static_cast<int32_t>(i)); sub != nullptr && sub != &image)
            RecolourImage(*sub, code, pixelFormat);
    for (uint32_t i = 0; i < image.FrameCount(); ++i)
        if (Frame* frame = image.GetFrame(static_cast<int32_t>(i))) RecolourFrame(*frame, code, pixelFormat);
}

PictureCache::PictureCache(ImageManager* owner, unsigned bucketCount, FD::File* archive)
    : NamedCache<Image>(bucketCount, false, archive, true), owner_(owner) {}

Image* PictureCache::Load(BlockReader& reader, const String& name) {
    Image* image =
        owner_ != nullptr ? owner_->LoadPicture(reader, name) : NamedCache<Image>::Load(reader, name);
    // The cache hands the same picture out again: a script must not delete it.
    if (image != nullptr) {
        image->KeepForEngine();
        image->SetSourceName(name);
    }
    return image;
}

ImageManager::ImageManager(ScreenSettingsBlock* settings, MethodRunner* processor, unsigned bucketCount,
                           FD::File* archive, PaletteBlock* defaultPalette)
    : NativeDescriptor(processor, NativeClassRowOf("ImageManager")),
      settings_(settings),
      defaultPalette_(defaultPalette),
      pictures_(this, bucketCount, archive) {}

uint32_t ImageManager::Adopt(std::unique_ptr<ImageManager> made) {
    made->KeepForEngine();
    made_.push_back(std::move(made));
    return made_.back()->Address();
}

ImageManager::~ImageManager() {
    // Aliases share pictures: each is destroyed once.
    std::set<Image*> pictures;
    for (Image* p = pictures_.First(); p != nullptr; p = pictures_.Next()) pictures.insert(p);
    for (Image* p : pictures) delete p;
}

template <class Action>
void ImageManager::ForEachPicture(Action action) {
    std::set<Image*> done;
    for (Image* p = pictures_.First(); p != nullptr; p = pictures_.Next())
        if (done.insert(p).second) action(*p);
}

Image* ImageManager::LoadPicture(BlockReader& reader, const String& name) {
    if (settings_ == nullptr) throw FatalExep(String(kUnsupportedMode));
    const uint32_t bits = settings_->BitsPerPixel();
    if (bits != 8 && bits != 16) ThrowScreenModeError(kUnsupportedMode, *settings_);
    if (bits == 8 && defaultPalette_ == nullptr)
        ThrowFatal("No palette to load \"%s\" for the 8-bit screen mode", name.Text());
    auto image = std::make_unique<Image>();
    reader >> *image;
    if (bits == 8) {
        image->ReduceToPalette(std::make_unique<PaletteBlock>(*defaultPalette_));
    } else {
        image->ExpandAllTo16();
        if (settings_->pixelFormat == 565) image->ConvertAllTo565();
    }
    return image.release();
}

void ImageManager::ConvertAllTo565() {
    ForEachPicture([](Image& p) { p.ConvertAllTo565(); });
}

void ImageManager::ConvertAllTo555() {
    ForEachPicture([](Image& p) { p.ConvertAllTo555(); });
}

Image* ImageManager::GetRecoloured(const String& name, const String& code) {
    if (!ValidRecolourCode(code.Text()))
        ThrowFatal("Wrong colour code \"%s\" for picture %s", code.Text(), name.Text());
    const String key = name + code;
    if (HashEntry<Image>* entry = pictures_.FindEntry(key)) return entry->value;
    Image* source = pictures_.Get(name);
    auto copy = std::make_unique<Image>(*source);
    RecolourImage(*copy, code.Text(), settings_ != nullptr ? settings_->pixelFormat : 565);
    Image* kept = copy.release();
    kept->KeepForEngine();
    pictures_.FindOrAdd(key, kept, 2);
    return kept;
}

void ImageManager::RegisterMethods(ZEMAClass& target) {
    Bind(target, Row());
}

void ImageManager::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetMethod(GetImageNative, 4);
    target.SetMethod(LoadSubstitutionsNative, 5);
    target.SetMethod(HasSubImagesNative, 6);
    target.SetMethod(FrameCountNative, 7);
    target.SetMethod(SubImageCountNative, 8);
    target.SetMethod(SubImageNative, 9);
    target.SetMethod(FrameNative, 10);
    target.SetMethod(GetRecolouredNative, 11);
    target.SetMethod(FrameHeightNative, 12);
    target.SetMethod(FrameWidthNative, 13);
    target.SetMethod(DirectionSubImageNative, 14);
    BindNativeBase(row, target);
    target.SetMethod(NewNative, 0);
}
