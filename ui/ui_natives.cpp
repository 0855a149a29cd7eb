#include "ui/ui_natives.h"

#include "script/native_binder.h"
#include "ui/screen_effects.h"
#include "ui/visual.h"

void RegisterUiNatives() {
    RegisterNativeBinder("GTTClass", GTTClass::Bind);
    RegisterNativeBinder("Visual", Visual::Bind);
    RegisterNativeBinder("ScreenEffect", ScreenEffect::Bind);
    RegisterNativeBinder("FadeEffect", FadeEffect::Bind);
}
