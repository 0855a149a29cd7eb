#include "shell/shell_natives.h"

#include "script/native_binder.h"
#include "script/zema_class.h"
#include "shell/sound_manager.h"
#include "shell/sound_system.h"

void RegisterShellNatives() {
    RegisterNativeBinder("SoundSystem", [](ZEMAClass& target, const NativeClassRow& row) {
        BindNativeBase(row, target);
        BindSoundSystemMethods(target);
    });
    RegisterNativeBinder("SoundManager", [](ZEMAClass& target, const NativeClassRow& row) {
        BindNativeBase(row, target);
        BindSoundManagerMethods(target);
    });
}
