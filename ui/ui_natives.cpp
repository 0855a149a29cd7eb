#include "ui/ui_natives.h"

#include "script/native_binder.h"
#include "ui/control.h"
#include "ui/gtime.h"
#include "ui/heaven_control.h"
#include "ui/list_box.h"
#include "ui/multi_control.h"
#include "ui/picture_controls.h"
#include "ui/screen_effects.h"
#include "ui/script_dialog.h"
#include "ui/slider.h"
#include "ui/text_controls.h"
#include "ui/time_control.h"
#include "ui/visual.h"

void RegisterUiNatives() {
    RegisterNativeBinder("GTTClass", GTTClass::Bind);
    RegisterNativeBinder("Visual", Visual::Bind);
    RegisterNativeBinder("Dialog", ZEMADialog::Bind);
    RegisterNativeBinder("Control", Control::Bind);
    RegisterNativeBinder("StaticText", StaticText::Bind);
    RegisterNativeBinder("TextButton", TextButton::Bind);
    RegisterNativeBinder("CheckButton", CheckButton::Bind);
    RegisterNativeBinder("MultiLineControl", MultiLineControl::Bind);
    RegisterNativeBinder("MultiLineButton", MultiLineButton::Bind);
    RegisterNativeBinder("Edit", EditControl::Bind);
    RegisterNativeBinder("PicturesSetControl", PicturesSetControl::Bind);
    RegisterNativeBinder("RectangleControl", RectangleControl::Bind);
    RegisterNativeBinder("OpenWindowControl", OpenWindowControl::Bind);
    RegisterNativeBinder("CloseWindowControl", CloseWindowControl::Bind);
    RegisterNativeBinder("Button", DButton::Bind);
    RegisterNativeBinder("GTime", GTimeObject::Bind);
    RegisterNativeBinder("Slider", Slider::Bind);
    RegisterNativeBinder("MultiControl", MultiControl::Bind);
    RegisterNativeBinder("ListBox", ListBox::Bind);
    RegisterNativeBinder("HeavenControl", HeavenControl::Bind);
    RegisterNativeBinder("TimeControl", TimeControl::Bind);
    RegisterNativeBinder("ScreenEffect", ScreenEffect::Bind);
    RegisterNativeBinder("FadeEffect", FadeEffect::Bind);
}
