// The script-visible owner of the sound cache: scripts ask it for a sound by file name and get the
// record the cache holds, read from the archive on first use; and they can have it read a list of
// name substitutions. Playing is the SoundSystem's business.
#pragma once

#include <cstdint>

#include "foundation/named_cache.h"
#include "script/zema_class.h"
#include "shell/sound_record.h"

class SoundManager;

// Sounds by file name. Not strict: a file the archive lacks gives a null record.
class SoundCache : public NamedCache<SoundRecord> {
  public:
    SoundCache(SoundManager& owner, unsigned bucketCount, FD::File* archive);
    SoundRecord* Load(BlockReader& reader, const String& name) override;

  private:
    SoundManager& owner_;
};

class SoundManager : public ZEMAClass {
  public:
    SoundManager(MethodRunner* processor, unsigned bucketCount, FD::File* archive);
    // Frees every record of the cache; requests still waiting for them play nothing.
    ~SoundManager() override;

    bool IsKindOf(const char* name) const override;
    void RegisterMethods(ZEMAClass& target) override;
    void ReserveMethodTables(ZEMAClass& target) override;
    const String& ClassName() const override;

    // A new empty record for the cache to fill.
    virtual SoundRecord* NewSoundRecord();
    // The cache's loading step: a new record holding the whole opened entry.
    SoundRecord* LoadSound(BlockReader& reader);

    SoundCache& Sounds() { return sounds_; }

  private:
    SoundCache sounds_;
};

// Binds SoundManager's native methods (4 and 5) into target, after the ZEMAClass ones.
void BindSoundManagerMethods(ZEMAClass& target);
