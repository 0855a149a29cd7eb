#include "ui/ui_natives.h"

#include "script/native_binder.h"
#include "ui/visual.h"

void RegisterUiNatives() {
    RegisterNativeBinder("GTTClass", GTTClass::Bind);
    RegisterNativeBinder("Visual", Visual::Bind);
}
