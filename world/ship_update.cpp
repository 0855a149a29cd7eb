// The ship's frame: steering from its pilot's actions or mouse, the actor step, keeping it on the
// scene, scrolling the view, firing and stepping its equipment, the slot window, weapon directions
// and the warning sounds.
#include <algorithm>
#include <cstdlib>

#include "foundation/saturating.h"
#include "graphics/display.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "graphics/zema_screen.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "world/level.h"
#include "world/option.h"
#include "world/ship.h"
#include "world/ship_equipment.h"
#include "world/slot.h"
#include "world/world_sound.h"

namespace {

// Input actions the ship reads.
constexpr uint32_t kActionLeft = 0;
constexpr uint32_t kActionRight = 1;
constexpr uint32_t kActionUp = 2;
constexpr uint32_t kActionDown = 3;
constexpr uint32_t kActionPrimary = 4;
constexpr uint32_t kActionSecondary = 5;
constexpr uint32_t kActionSlotWindow = 6;
constexpr uint32_t kActionNextDirection = 7;

constexpr uint32_t kFireMethod = 41;
constexpr uint32_t kWeaponTriggerVirtual = 18;
constexpr uint32_t kEquipmentStepMethod = 42;

// Without a key held, speed runs back toward 0 by this much a frame.
constexpr int32_t kSpeedDecay = 100;
// Pixels from the view's edge at which the view scrolls.
constexpr int32_t kScrollMargin = 150;
// Wheel steps per change of firing direction.
constexpr int32_t kWheelStepsPerDirection = 60;
// Direction changes one frame's wheel may ask for, however far a recording says it turned.
constexpr int32_t kMaxWheelChanges = 64;

constexpr const char* kLackSound = "EnergyLack";
constexpr const char* kDetachedSound = "EquipmentDetached";
constexpr int32_t kLackSoundFrames = 210;
constexpr int32_t kDetachedSoundFrames = 175;

ScreenBuffer* ScreenView(Processor& processor) {
    ScriptObject* object = processor.Objects().GetObject(kScreenId);
    if (object == nullptr) return nullptr;
    auto* screen = dynamic_cast<ZEMAScreen*>(object);
    if (screen == nullptr && object->Class() != nullptr)
        screen = dynamic_cast<ZEMAScreen*>(object->Class()->NativeClass());
    if (screen == nullptr) return nullptr;
    ScreenBuffer& buffer = screen->Buffer();
    return buffer.Surface() != nullptr ? &buffer : nullptr;
}

InputDevice* PilotDevice(const ShipObject& ship) {
    ShipPilot* pilot = ship.Pilot();
    return pilot != nullptr ? pilot->PilotInput() : nullptr;
}

bool Held(const InputDevice& device, uint32_t action) {
    return device.Actions().Held(action) != 0;
}

bool Pressed(const InputDevice& device, uint32_t action) {
    return device.Actions().Pressed(action) == 1;
}

// One axis of key steering: the held key pushes by the acceleration up to the limit; without it
// the speed runs back toward 0, never past it.
int32_t SteerAxis(int32_t speed, bool less, bool more, int32_t acceleration, int32_t limit) {
    int64_t v = speed;
    if (less) {
        v = std::max<int64_t>(v - acceleration, -int64_t{limit});
    } else if (v < 0) {
        v = std::min<int64_t>(v + kSpeedDecay, 0);
    }
    if (more) {
        v = std::min<int64_t>(v + acceleration, limit);
    } else if (v > 0) {
        v = std::max<int64_t>(v - kSpeedDecay, 0);
    }
    return static_cast<int32_t>(v);
}

// Steering toward the pointer; false when the pointer is on the ship, so the keys steer instead.
bool SteerByMouse(ShipObject& ship, const InputDevice& device, int32_t scroll, int32_t limit) {
    const int64_t wantX =
        (int64_t{device.MouseX()} - scroll - ship.X() / 100 - ship.Int(kShipScrollAmount)) * 100;
    const int64_t wantY = (int64_t{device.MouseY()} - ship.Y() / 100) * 100;
    if (wantX == 0 && wantY == 0) return false;
    ship.SetInt(kActorSpeedX, static_cast<int32_t>(std::clamp<int64_t>(wantX, -limit, limit)));
    ship.SetInt(kActorSpeedY, static_cast<int32_t>(std::clamp<int64_t>(wantY, -limit, limit)));
    return true;
}

void Steer(ShipObject& ship, const InputDevice* device, int32_t scroll) {
    const int32_t limit = std::clamp(ship.MaxSpeed(), 0, kShipSpeedCap);
    const int32_t acceleration = limit / 10;
    if (device == nullptr) return;  // nobody steers: the ship keeps its speed
    if (device->MouseEnabled() && SteerByMouse(ship, *device, scroll, limit)) return;
    ship.SetInt(kActorSpeedX, SteerAxis(ship.SpeedX(), Held(*device, kActionLeft),
                                        Held(*device, kActionRight), acceleration, limit));
    ship.SetInt(kActorSpeedY, SteerAxis(ship.SpeedY(), Held(*device, kActionUp), Held(*device, kActionDown),
                                        acceleration, limit));
}

// The view follows a ship near its edge; when the ships are spread too far for that, the ship is
// held inside the view instead. Gives the frame's scroll amount.
int32_t Scroll(ShipObject& ship, LevelObject& level, ScreenBuffer& view, int32_t screenWidth) {
    int64_t s = level.ViewX();
    const int64_t sceneWidth = level.SceneWidth();
    const bool spread = level.ShipSpread() >= screenWidth - 300;
    // The view never leaves the scene: its offset stays between the scene's right end and 0.
    const int64_t lowest = std::min<int64_t>(0, screenWidth - sceneWidth);
    int32_t amount = 0;
    const auto scrollBy = [&](int64_t step) {
        const int64_t next = std::clamp<int64_t>(s - step, lowest, 0);
        amount = static_cast<int32_t>(s - next);
        s = next;
        level.SetViewX(static_cast<int32_t>(s));
        view.SetOrigin(static_cast<int32_t>(s), 0);
    };
    if (s < 0 && ship.X() / 100 + s < kScrollMargin) {
        if (spread) {
            ship.SetInt(kVisualX, SaturateInt32(std::max<int64_t>(ship.X(), -s * 100)));
        } else {
            scrollBy(ship.SpeedX() / 100);
        }
    }
    if (screenWidth - s < sceneWidth && ship.X() / 100 > screenWidth - s - kScrollMargin) {
        if (spread) {
            ship.SetInt(kVisualX, SaturateInt32(std::min<int64_t>(ship.X(), (screenWidth - s) * 100)));
        } else {
            scrollBy(ship.SpeedX() / 100);
        }
    }
    return amount;
}

// Keeps the ship on the scene and scrolls the view after it.
void KeepInScene(ShipObject& ship, Processor& processor) {
    ScreenBuffer* view = ScreenView(processor);
    if (view == nullptr) return;
    const int32_t screenWidth = view->Surface()->Width();
    const int32_t screenHeight = view->Surface()->Height();
    LevelObject* level = LevelObject::Running(processor.Objects());
    const int32_t sceneWidth = level != nullptr ? level->SceneWidth() : screenWidth;
    ship.SetInt(kVisualX, SaturateInt32(std::clamp<int64_t>(
                              ship.X(), 0, std::max<int64_t>(0, int64_t{sceneWidth} * 100))));
    ship.SetInt(kVisualY, SaturateInt32(std::clamp<int64_t>(ship.Y(), 0, int64_t{screenHeight} * 100)));
    ship.SetInt(kShipScrollAmount, level != nullptr ? Scroll(ship, *level, *view, screenWidth) : 0);
}

// Pushes value and calls the ship's own method: scripts may replace the fire and equipment steps.
void CallOwnMethod(Processor& processor, ShipObject& ship, uint32_t method, int32_t value) {
    processor.DataStack().Push(static_cast<uint32_t>(value));
    processor.CallMethod(&ship, ship.Class(), method);
}

void OpenSlotWindow(ShipObject& ship, Processor& processor) {
    const ShipSlotWindow& window = ShipSlotWindowHook();
    if (!window) return;
    ScreenBuffer* view = ScreenView(processor);
    const int32_t viewX = view != nullptr ? view->OriginX() : 0;
    const int32_t viewY = view != nullptr ? view->OriginY() : 0;
    if (view != nullptr) view->SetOrigin(0, 0);
    const WeakObject self(&ship);
    window(ship);
    // The window may have rebuilt the display; the view is looked up again. The window showed its
    // frames: the flight's frame memory is locked again before the flight draws into it.
    if (ScreenBuffer* after = ScreenView(processor)) after->SetOrigin(viewX, viewY);
    if (Display* display = Game().display.get()) display->LockSurface();
    InputDevice* device = self.Get() == &ship ? PilotDevice(ship) : nullptr;
    if (device == nullptr) return;
    LevelObject* level = LevelObject::Running(processor.Objects());
    const int32_t scroll = level != nullptr ? level->ViewX() : 0;
    device->SetMousePosition(SaturateInt32(int64_t{ship.X() / 100} + scroll), ship.Y() / 100);
}

void ChangeDirections(ShipObject& ship, InputDevice& device) {
    if (Pressed(device, kActionNextDirection)) ship.SelectDirections(-1, true);
    const int32_t changes = device.Wheel() / kWheelStepsPerDirection;
    if (changes == 0) return;
    const int32_t count = std::min(std::abs(changes), kMaxWheelChanges);
    for (int32_t i = 0; i < count; ++i) ship.SelectDirections(changes > 0 ? -1 : -2, true);
    device.SetWheel(0);
}

// A warning sound that plays at most once every period frames while its flag is set.
void Warn(ShipObject& ship, Processor& processor, uint32_t flag, uint32_t countdown, const char* sound,
          int32_t period) {
    if (ship.Own(flag) == 0) return;
    if (ship.Int(countdown) == 0) {
        PlayNamedSound(processor, sound);
        ship.SetInt(countdown, period);
    } else {
        ship.SetInt(countdown, ship.Int(countdown) - 1);
    }
}

// The item placed at the slot's point beside the ship, then stepped.
void PlaceAndStep(const ShipObject& ship, const SlotObject& slot, ScriptObject* item, int32_t step) {
    auto* visual = dynamic_cast<VisualObject*>(item);
    if (visual == nullptr) return;
    visual->SetInt(kVisualX, SaturateInt32(int64_t{ship.X()} + int64_t{slot.OffsetX()} * 100));
    visual->SetInt(kVisualY, SaturateInt32(int64_t{ship.Y()} + int64_t{slot.OffsetY()} * 100));
    GTTClass::CallStep(item, step);
}

// A slot's delay runs down first; only a slot without delay has its items act.
bool SlotReady(SlotObject& slot) {
    if (slot.Delay() == 0) return true;
    slot.SetDelay(slot.Delay() - 1);
    return false;
}

void StepWeaponSlot(ShipObject& ship, uint32_t index, int32_t step) {
    SlotObject* slot = ship.SlotAt(kWeaponGroup, static_cast<int32_t>(index));
    if (slot == nullptr || !SlotReady(*slot)) return;
    int32_t dirX = 0;
    int32_t dirY = 0;
    OptionObject* guide = slot->Second();
    if (guide != nullptr && slot->SecondState() != 0) {
        PlaceAndStep(ship, *slot, guide, step);
        // Stepping ran script code: the slot and the guide are looked up again.
        slot = ship.SlotAt(kWeaponGroup, static_cast<int32_t>(index));
        guide = slot != nullptr ? slot->Second() : nullptr;
        if (guide == nullptr) return;
        dirX = guide->Int(kVisualDirX);
        dirY = guide->Int(kVisualDirY);
    } else {
        const DirectionRecord direction = slot->CurrentDirection();
        dirX = direction.x;
        dirY = direction.y;
    }
    OptionObject* weapon = slot->First();
    if (weapon == nullptr) return;
    weapon->SetInt(kVisualDirX, dirX);
    weapon->SetInt(kVisualDirY, dirY);
    if (slot->FirstState() == 0) return;
    const WeakObject weaponRef(weapon);
    PlaceAndStep(ship, *slot, weapon, step);
    slot = ship.SlotAt(kWeaponGroup, static_cast<int32_t>(index));
    weapon = weaponRef.As<OptionObject>();
    if (slot == nullptr || weapon == nullptr) return;
    // Asking for the ammunition may run script code: a slot that went meanwhile places nothing.
    OptionObject* ammunition = LoadedAmmunition(weapon);
    if (ammunition != nullptr && slot->Alive()) PlaceAndStep(ship, *slot, ammunition, step);
}

}  // namespace

void ShipObject::StepEquipment(int32_t step) {
    const WeakObject self(this);
    for (uint32_t i = 0; i < SlotCount(kWeaponGroup); ++i) {
        StepWeaponSlot(*this, i, step);
        if (self.Get() != this) return;
    }
    for (uint32_t group = kEnergyGroup; group < kShipGroups; ++group) {
        for (uint32_t i = 0; i < SlotCount(group); ++i) {
            SlotObject* slot = SlotAt(group, static_cast<int32_t>(i));
            if (slot == nullptr || !SlotReady(*slot)) continue;
            OptionObject* item = slot->First();
            if (item != nullptr && slot->FirstState() != 0) PlaceAndStep(*this, *slot, item, step);
            if (self.Get() != this) return;
        }
    }
}

void ShipObject::Fire(int32_t triggerGroup) {
    Processor& processor = Actor::ProcessorOf(this);
    const WeakObject self(this);
    for (uint32_t i = 0; i < SlotCount(kWeaponGroup); ++i) {
        SlotObject* slot = SlotAt(kWeaponGroup, static_cast<int32_t>(i));
        if (slot == nullptr || slot->FirstState() != triggerGroup || slot->Delay() != 0) continue;
        OptionObject* weapon = slot->First();
        if (!IsWeapon(weapon)) continue;
        processor.DataStack().Push(static_cast<uint32_t>(processor.FrameNumber()));
        processor.CallVirtual(weapon, kWeaponTriggerVirtual);
        if (self.Get() != this) return;
    }
}

void ShipObject::PlaceMouse() {
    InputDevice* device = PilotDevice(*this);
    if (device == nullptr || !device->MouseEnabled()) return;
    LevelObject* level = LevelObject::Running(Actor::ProcessorOf(this).Objects());
    const int64_t scroll = level != nullptr ? level->ViewX() : 0;
    device->SetMousePosition(SaturateInt32(X() / 100 + scroll + Int(kShipScrollAmount)), Y() / 100);
}

void Ship::Update(ShipObject& ship, int32_t step) {
    Processor& processor = Actor::ProcessorOf(&ship);
    const WeakObject self(&ship);
    if (ship.Grace() != 0) ship.SetGrace(ship.Grace() - 1);
    LevelObject* level = LevelObject::Running(processor.Objects());
    Steer(ship, PilotDevice(ship), level != nullptr ? level->ViewX() : 0);
    Actor::Step(ship);
    KeepInScene(ship, processor);

    CallOwnMethod(processor, ship, kEquipmentStepMethod, step);
    if (self.Get() != &ship) return;
    // Script code ran: the pilot and its device are asked for again at each use.
    if (InputDevice* device = PilotDevice(ship)) {
        const bool mouse = device->MouseEnabled();
        if (Held(*device, kActionPrimary) || (mouse && device->MouseButtons().Held(0) != 0)) {
            CallOwnMethod(processor, ship, kFireMethod, 1);
            if (self.Get() != &ship) return;
        }
    }
    if (InputDevice* device = PilotDevice(ship)) {
        const bool mouse = device->MouseEnabled();
        if (Held(*device, kActionSecondary) || (mouse && device->MouseButtons().Held(1) != 0)) {
            CallOwnMethod(processor, ship, kFireMethod, 2);
            if (self.Get() != &ship) return;
        }
    }
    if (InputDevice* device = PilotDevice(ship); device != nullptr && Pressed(*device, kActionSlotWindow)) {
        OpenSlotWindow(ship, processor);
        if (self.Get() != &ship) return;
    }
    if (InputDevice* device = PilotDevice(ship)) ChangeDirections(ship, *device);

    Warn(ship, processor, kShipEnergyLack, kShipLackSoundCountdown, kLackSound, kLackSoundFrames);
    Warn(ship, processor, kShipEquipmentDetached, kShipDetachSoundCountdown, kDetachedSound,
         kDetachedSoundFrames);
}
