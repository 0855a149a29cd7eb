#include "ui/ui_natives.h"

#include "script/native_binder.h"

void RegisterUiNatives() {}
