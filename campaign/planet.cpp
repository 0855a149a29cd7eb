#include "campaign/planet.h"

#include "campaign/game_manager.h"
#include "campaign/in_game_menu.h"
#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "script/cleanup_steps.h"
#include "script/create_native.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/script_object.h"
#include "script/zema_class.h"
#include "ui/dialog_window.h"
#include "ui/interface_pictures.h"
#include "ui/script_dialog.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"
#include "world/running_processor.h"

namespace {

constexpr int32_t kHeavenStars = 200;
constexpr uint32_t kGalaxyButtonId = 11;
constexpr uint32_t kGameMenuButtonId = 21;
constexpr uint32_t kGameMenuNoSaveButtonId = 25;
constexpr uint32_t kGalaxyButtonText = 100;
constexpr uint32_t kGameMenuButtonText = 350;
constexpr int32_t kGalaxyButtonHelp = 40;
constexpr int32_t kGameMenuButtonHelp = 41;
constexpr int32_t kTimeHelp = 42;
constexpr int32_t kMargin = 10;

// Texts handed to scripts stay for the program's life: scripts may keep their addresses.
uint32_t UnknownNameText() {
    static const ScriptBuffer<char> text = CopyTextToScript("Unknown");
    return ToScript(text.get());
}

uint32_t UnknownFullNameText() {
    static const ScriptBuffer<char> text = CopyTextToScript("Unknown planet");
    return ToScript(text.get());
}

Processor& ProcessorOf(ScriptObject* object) {
    return RunningProcessor(object, "Planet");
}

void ScreenSize(const ScriptObject* from, int32_t& width, int32_t& height) {
    if (!InterfaceScreenSize(from, width, height)) ThrowFatal("No screen for the planet window");
}

// Calls a virtual method of the object and pops the one value it leaves.
uint32_t AskVirtual(Processor& processor, ScriptObject* object, uint32_t number) {
    processor.CallVirtual(object, number);
    return processor.DataStack().Pop();
}

void PushZeroNative(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(0);
}

void PushMinusOneNative(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(-1));
}

void NameNative(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(UnknownNameText());
}

void FullNameNative(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(UnknownFullNameText());
}

// The hint is the name: virtual method 17 leaves it on the stack for the caller.
void HintNative(ScriptObject* receiver) {
    RunnerOf(receiver).CallVirtual(receiver, kPlanetNameVirtual);
}

void AddOwned(ZEMADialogObject& dialog, ControlObject& control) {
    dialog.Window().AddControl(&control, kListOwned);
}

// The default planet window: stars, the empty planet, the planet's hint, and the galaxy and
// game-menu buttons.
void OpenViewNative(ScriptObject* receiver) {
    Processor& processor = ProcessorOf(receiver);
    int32_t width = 0;
    int32_t height = 0;
    ScreenSize(receiver, width, height);
    ScriptObject* made = processor.NewObjectByName(String("PlanetZoomed"));
    auto* view = dynamic_cast<ZEMADialogObject*>(made);
    if (view == nullptr) {
        DiscardObject(made);
        ThrowFatal("Class PlanetZoomed made no dialog");
    }
    try {
        AddOwned(*view, NewControlByName(processor, "HeavenControl", {Word(kHeavenStars), 0}));
        Image* planets = InterfacePicture(receiver, "Planets\\EmptyPlanets.dpf");
        if (planets == nullptr) ThrowFatal("No picture Planets\\EmptyPlanets.dpf");
        AddOwned(*view, NewControlByName(processor, "Control",
                                         {planets->EntryAt(0)->Address(), Word(width), Word(height), 0}));
        const uint32_t hint = AskVirtual(processor, receiver, kPlanetHintVirtual);
        AddOwned(*view, NewControlByName(processor, "StaticText", {Word(kMargin), Word(kMargin), hint, 0}));
        ControlObject& galaxy =
            NewControlByName(processor, "TextButton",
                             {Word(width - kMargin), Word(kMargin),
                              SystemMessageAddress(processor, kGalaxyButtonText), kGalaxyButtonId});
        galaxy.SetInt(kTextHorizontalAlign, 2);
        AddOwned(*view, galaxy);
        ControlObject& menu =
            NewControlByName(processor, "TextButton",
                             {Word(width - kMargin), Word(height - kMargin),
                              SystemMessageAddress(processor, kGameMenuButtonText), kGameMenuButtonId});
        menu.SetInt(kTextHorizontalAlign, 2);
        menu.SetInt(kTextVerticalAlign, 2);
        AddOwned(*view, menu);
    } catch (...) {
        DiscardObject(view);
        throw;
    }
    // The controls' creation is script code, which may have deleted the window.
    view->CheckAlive("planet window");
    processor.DataStack().Push(view->Address());
}

// The standard buttons of a planet window and the game time; menuId is the game-menu button's.
void BuildControls(ScriptObject* receiver, uint32_t menuId) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    Processor& processor = ProcessorOf(receiver);
    int32_t width = 0;
    int32_t height = 0;
    ScreenSize(receiver, width, height);
    const String help("Help.mes");

    ControlObject& galaxy =
        NewControlByName(processor, "TextButton",
                         {Word(width - kMargin), Word(kMargin),
                          SystemMessageAddress(processor, kGalaxyButtonText), kGalaxyButtonId});
    galaxy.SetInt(kTextHorizontalAlign, 2);
    galaxy.SetHelpText(help.Text(), kGalaxyButtonHelp);
    AddOwned(dialog, galaxy);

    ControlObject& menu = NewControlByName(processor, "TextButton",
                                           {Word(width - kMargin), Word(height - kMargin),
                                            SystemMessageAddress(processor, kGameMenuButtonText), menuId});
    menu.SetInt(kTextHorizontalAlign, 2);
    menu.SetInt(kTextVerticalAlign, 2);
    menu.SetHelpText(help.Text(), kGameMenuButtonHelp);
    AddOwned(dialog, menu);

    ControlObject& time =
        NewControlByName(processor, "TimeControl", {Word(kMargin), Word(height - kMargin), 0});
    time.SetInt(kTextHorizontalAlign, 0);
    time.SetInt(kTextVerticalAlign, 2);
    time.SetHelpText(help.Text(), kTimeHelp);
    AddOwned(dialog, time);
}

void BuildControlsNative(ScriptObject* receiver) {
    BuildControls(receiver, kGameMenuButtonId);
}

void BuildControlsAltNative(ScriptObject* receiver) {
    BuildControls(receiver, kGameMenuNoSaveButtonId);
}

void RequestPlanetNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs args(receiver);
    const String planet = args.TextCopy();
    GameManagerObject::Get(ProcessorOf(receiver)).SetPendingPlanet(planet);
    dialog.Window().SetResult(kPlanetResultMoveToPlanet);
}

void RequestLocationNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs args(receiver);
    const String system = args.TextCopy();
    const String planet = args.TextCopy();
    GameManagerObject& manager = GameManagerObject::Get(ProcessorOf(receiver));
    manager.SetPendingSystem(system);
    manager.SetPendingPlanet(planet);
    dialog.Window().SetResult(kPlanetResultMoveToSystem);
}

// Only commands act: the galaxy button ends the window; the game-menu buttons end it when the
// player leaves the game from the menu.
void OnEventNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t id = args.Int();
    args.Int();
    const int32_t code = args.Int();
    if (code != kEventPrimary) return;
    if (id == static_cast<int32_t>(kGalaxyButtonId)) {
        dialog.Window().SetResult(kPlanetResultGalaxyMap);
        return;
    }
    if (id != static_cast<int32_t>(kGameMenuButtonId) && id != static_cast<int32_t>(kGameMenuNoSaveButtonId))
        return;
    const uint32_t flags = id == static_cast<int32_t>(kGameMenuButtonId) ? 0 : kGameMenuNoSave;
    const int32_t answer = OpenGameMenu(ProcessorOf(receiver), &dialog.Window(), flags);
    if (answer == 2 || answer == 3) dialog.Window().SetResult(answer);
}

}  // namespace

PlanetObject::PlanetObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t id)
    : ControlObject(cls, picture, x, y, id) {}

PlanetObject::~PlanetObject() {
    ReleaseOwnedQuietly();
}

void PlanetObject::ReleaseOwned() {
    ScriptObject* view = view_.Get();
    view_.Reset();
    CleanupSteps steps(this);
    // A window whose loop runs now is closed all the same: the loop stops at its next check.
    steps.Run([view] {
        if (view != nullptr && view->Alive()) DestroyObject(view);
    });
    steps.Finish();
    ControlObject::ReleaseOwned();
}

ZEMADialogObject* PlanetObject::View() const {
    return view_.As<ZEMADialogObject>();
}

void PlanetObject::SetView(ZEMADialogObject* view) {
    view_ = WeakObject(view);
}

PlanetObject& PlanetObject::Of(ScriptObject* receiver) {
    return ReceiverOf<PlanetObject>(receiver, "Planet object expected");
}

bool PlanetObject::IsPlanet(const ScriptObject* object) {
    return object != nullptr && object->Class() != nullptr && object->Class()->InheritsFrom("Planet") &&
           dynamic_cast<const PlanetObject*>(object) != nullptr;
}

void Planet::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(OpenViewNative, kPlanetViewVirtual);
    target.SetVirtualMethod(HintNative, kPlanetHintVirtual);
    target.SetVirtualMethod(FullNameNative, kPlanetFullNameVirtual);
    target.SetVirtualMethod(NameNative, kPlanetNameVirtual);
    target.SetVirtualMethod(PushZeroNative, kPlanetNoQuestionVirtual);
    target.SetVirtualMethod(PushMinusOneNative, kPlanetArriveVirtual);
    target.SetVirtualMethod(PushMinusOneNative, kPlanetLeaveVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<PlanetObject, "class", uint32_t, int32_t, int32_t, int32_t>,
                     kCreateObjectMethod);
}

ZEMADialogObject& Planet::GetView(PlanetObject& planet) {
    if (ZEMADialogObject* view = planet.View()) return *view;
    Processor& processor = ProcessorOf(&planet);
    const uint32_t value = AskVirtual(processor, &planet, kPlanetViewVirtual);
    ScriptObject* made = ScriptObject::FromAddress(value, 0, "planet window");
    made->CheckAlive("planet window");
    auto* view = dynamic_cast<ZEMADialogObject*>(made);
    if (view == nullptr) ThrowFatal("The planet's window is not a dialog");
    if (!planet.Alive()) {
        // The method deleted the planet: the window it made for it would be nobody's.
        DestroyObject(view);
        planet.CheckAlive("planet");
    }
    planet.SetView(view);
    return *view;
}

String Planet::CallGetName(ScriptObject* planet) {
    Processor& processor = ProcessorOf(planet);
    const uint32_t text = AskVirtual(processor, planet, kPlanetNameVirtual);
    NativeArgs args(processor);
    processor.DataStack().Push(text);
    return args.TextCopy();
}

void PlanetZoomed::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(OnEventNative, kDialogEventVirtual);
    BindNativeBase(row, target);
    target.SetMethod(BuildControlsNative, 19);
    target.SetMethod(RequestPlanetNative, 20);
    target.SetMethod(RequestLocationNative, 21);
    target.SetMethod(BuildControlsAltNative, 22);
}
