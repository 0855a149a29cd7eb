#include "world/world_sound.h"

#include "foundation/engine_string.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "shell/sound_manager.h"
#include "shell/sound_system.h"

void PlayNamedSound(Processor& processor, const char* name) {
    auto* sounds = dynamic_cast<SoundManager*>(processor.Objects().GetObject(kSoundManagerId));
    auto* system = dynamic_cast<SoundSystem*>(processor.Objects().GetObject(kSoundSystemId));
    if (sounds == nullptr || system == nullptr) return;
    SoundRecord* record = sounds->Sounds().Get(String(name));
    if (record != nullptr) system->PostPlay(record);
}
