#include "graphics/font_manager.h"

#include <cstring>
#include <memory>
#include <set>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "script/method_runner.h"
#include "script/native_args.h"

namespace {

constexpr uint32_t kMaxBuckets = 1u << 16;

FontManager& ManagerOf(ScriptObject* receiver) {
    auto* manager = dynamic_cast<FontManager*>(receiver);
    if (manager == nullptr) throw FatalExep(String("FontManager expected as receiver"));
    return *manager;
}

// Method 0: pops a value (not used), the archive and the bucket count; pushes a new manager with
// the same language block.
void NewManagerHandler(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    args.Word();  // not used
    const uint32_t archive = args.Word();
    const uint32_t buckets = args.Word();
    // Only the archive the engine already reads from can be named.
    auto* known = dynamic_cast<FontManager*>(receiver->Class());
    if (known == nullptr) throw FatalExep(String("FontManager expected as receiver"));
    FD::File* file = nullptr;
    if (archive != 0) {
        if (FD::File::FromAddress(archive) != known->Fonts().Archive())
            throw FatalExep(String("Unknown archive given to FontManager"));
        file = known->Fonts().Archive();
    }
    if (buckets == 0 || buckets > kMaxBuckets) throw FatalExep(String("Bad bucket count for FontManager"));
    auto manager = std::make_unique<FontManager>(known->GetProcessor(), buckets, file, known->Language());
    manager->ReserveMethodTables(*manager);
    manager->RegisterMethods(*manager);
    runner.PushObject(known->Adopt(std::move(manager)));
}

// Method 4: pops a font file name; pushes the font.
void GetFontHandler(ScriptObject* receiver) {
    FontManager& manager = ManagerOf(receiver);
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    Font* font = manager.GetFont(args.TextCopy());
    stack.Push(font != nullptr ? font->Address() : 0);
}

// Method 5: pops a list file name; reads it into the substitutions.
void LoadSubstitutionsHandler(ScriptObject* receiver) {
    FontManager& manager = ManagerOf(receiver);
    manager.LoadSubstitutions(NativeArgs(receiver).TextCopy());
}

const String& ManagerName() {
    static const String* name = new String("FontManager");
    return *name;
}

}  // namespace

void BindFontManagerMethods(ZEMAClass& target) {
    target.SetMethod(NewManagerHandler, 0);
    target.SetMethod(GetFontHandler, 4);
    target.SetMethod(LoadSubstitutionsHandler, 5);
}

FontCache::FontCache(FontManager* owner, unsigned bucketCount, FD::File* archive)
    : NamedCache<Font>(bucketCount, false, archive, true), owner_(owner) {}

Font* FontCache::Load(BlockReader& reader, const String&) {
    Font* font = nullptr;
    if (owner_ != nullptr) {
        font = owner_->LoadFont(reader);
    } else {
        auto made = std::make_unique<Font>(1, Font::kHeaderSize, true, nullptr);
        ReadFontFile(reader, *made);
        font = made.release();
    }
    // The cache hands the same font out again: a script must not delete it.
    if (font != nullptr) font->KeepForEngine();
    return font;
}

FontManager::FontManager(MethodRunner* processor, unsigned bucketCount, FD::File* archive,
                         const LanguageBlock* language)
    : ZEMAClass(processor), fonts_(this, bucketCount, archive), language_(language) {}

FontManager::~FontManager() {
    // Substituted names share fonts: each is freed once.
    std::set<Font*> fonts;
    for (Font* f = fonts_.First(); f != nullptr; f = fonts_.Next()) fonts.insert(f);
    for (Font* f : fonts) delete f;
}

uint32_t FontManager::Adopt(std::unique_ptr<FontManager> made) {
    made->KeepForEngine();
    made_.push_back(std::move(made));
    return made_.back()->Address();
}

bool FontManager::IsKindOf(const char* name) const {
    return std::strcmp(name, "FontManager") == 0 || ZEMAClass::IsKindOf(name);
}

void FontManager::RegisterMethods(ZEMAClass& target) {
    BindZEMAClassMethods(target);
    BindFontManagerMethods(target);
}

void FontManager::ReserveMethodTables(ZEMAClass& target) {
    target.ReserveMethods(6, 2);
}

const String& FontManager::ClassName() const {
    return ManagerName();
}

uint32_t FontManager::CurrentLanguage() const {
    return language_ != nullptr ? language_->Language() : 1;
}

Font* FontManager::LoadFont(BlockReader& reader) {
    auto font = std::make_unique<Font>(1, Font::kHeaderSize, true, nullptr);
    ReadFontFile(reader, *font);
    font->SelectLanguage(CurrentLanguage());
    return font.release();
}

Font* FontManager::GetFont(const String& name) {
    Font* font = fonts_.Get(name);
    if (font != nullptr) font->SelectLanguage(CurrentLanguage());
    return font;
}
