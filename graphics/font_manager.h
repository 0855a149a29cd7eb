// The script-visible owner of the font cache: scripts and native code ask it for a font by file
// name and get the font read from the archive on first use, switched to the variant that serves the
// current language; a list file can make one font name stand for another.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/named_cache.h"
#include "graphics/font.h"
#include "script/zema_class.h"

class FontManager;
class LanguageBlock;

// Fonts by file name. Strict: a font the archive lacks is an error.
class FontCache : public NamedCache<Font> {
  public:
    // owner null: fonts are read without a language being selected.
    FontCache(FontManager* owner, unsigned bucketCount, FD::File* archive);
    Font* Load(BlockReader& reader, const String& name) override;

  private:
    FontManager* owner_;
};

class FontManager : public ZEMAClass {
  public:
    // language: the "Language.LCFG" block (not owned); null reads as language 1.
    FontManager(MethodRunner* processor, unsigned bucketCount, FD::File* archive,
                const LanguageBlock* language);
    // Frees every font of the cache.
    ~FontManager() override;

    bool IsKindOf(const char* name) const override;
    void RegisterMethods(ZEMAClass& target) override;
    void ReserveMethodTables(ZEMAClass& target) override;
    const String& ClassName() const override;

    // The cache's loading step: a font with its variants, the current language selected.
    Font* LoadFont(BlockReader& reader);
    // The cached font (substitutions followed, loaded on first use) in the current language.
    Font* GetFont(const String& name);
    void LoadSubstitutions(const String& listName) { fonts_.LoadSubstitutions(listName); }

    uint32_t CurrentLanguage() const;
    const LanguageBlock* Language() const { return language_; }
    FontCache& Fonts() { return fonts_; }
    // Keeps a manager that method 0 made for a script until this one goes; scripts may not
    // delete it. Gives its script value.
    uint32_t Adopt(std::unique_ptr<FontManager> made);

  private:
    FontCache fonts_;
    const LanguageBlock* language_;
    std::vector<std::unique_ptr<FontManager>> made_;
};

// Binds FontManager's native methods (0, 4 and 5) into target, after the ZEMAClass ones.
void BindFontManagerMethods(ZEMAClass& target);
