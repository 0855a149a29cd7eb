// Planets: the Planet control a star-system window holds, and the planet's own window (the script
// class PlanetZoomed), the screen the player sees while staying at that planet. A planet builds its
// window on first demand through its virtual method 14 and owns it from then on.
#pragma once

#include <cstdint>

#include "foundation/engine_string.h"
#include "script/weak_object.h"
#include "ui/control.h"

class ZEMAClass;
class ZEMADialogObject;
struct NativeClassRow;

// Virtual methods of a planet: its window object (pushed), the hint shown over it, a second name,
// its name (the key of the location), whether to fly there without asking (0 asks), and whether
// arriving and leaving are allowed (0 refuses).
constexpr uint32_t kPlanetViewVirtual = 14;
constexpr uint32_t kPlanetHintVirtual = 15;
constexpr uint32_t kPlanetFullNameVirtual = 16;
constexpr uint32_t kPlanetNameVirtual = 17;
constexpr uint32_t kPlanetNoQuestionVirtual = 18;
constexpr uint32_t kPlanetArriveVirtual = 19;
constexpr uint32_t kPlanetLeaveVirtual = 20;

// Results of a planet window that the galaxy step acts on; 2 and 3 (from the game menu) end it.
constexpr int32_t kPlanetResultGalaxyMap = 11;
constexpr int32_t kPlanetResultMoveToPlanet = 23;
constexpr int32_t kPlanetResultMoveToSystem = 24;

class PlanetObject : public ControlObject {
  public:
    // The control defaults, no window yet.
    PlanetObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t id);
    ~PlanetObject() override;
    PlanetObject(const PlanetObject&) = delete;
    PlanetObject& operator=(const PlanetObject&) = delete;

    // The window while it lives, else null.
    ZEMADialogObject* View() const;
    void SetView(ZEMADialogObject* view);

    // The receiver of a Planet native; FatalExep when it is not a planet.
    static PlanetObject& Of(ScriptObject* receiver);
    // Whether the object's class is "Planet" or derives from it.
    static bool IsPlanet(const ScriptObject* object);

  protected:
    // The window goes with the planet, also while its loop runs (which then stops).
    void ReleaseOwned() override;

  private:
    WeakObject view_;  // owned, but scripts may delete it
};

struct Planet {
    // Virtual methods 14-20 into empty slots, the Control binding, then native 0.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // The planet's window: built once by virtual method 14 and kept. FatalExep when the method
    // leaves something that is not a dialog.
    static ZEMADialogObject& GetView(PlanetObject& planet);
    // The planet's name (virtual method 17).
    static String CallGetName(ScriptObject* planet);
};

struct PlanetZoomed {
    // Virtual method 7 into an empty slot, the Dialog binding, then natives 0 and 19-22.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
