// The window of one star system: a modal script dialog (class "StarSystemZoomed" or a script class
// derived from it) that shows the system's planets. While it runs the game date moves on by the
// chosen step, a dotted circle shows how far the fleet's fuel reaches, and a click on a planet
// travels there at a cost of fuel and days. Its script class may refuse entering, leaving or
// travelling through virtual methods 10-12.
#pragma once

#include <cstdint>

#include "foundation/engine_string.h"
#include "script/weak_object.h"
#include "ui/script_dialog.h"

class ControlObject;
class Processor;
struct NativeClassRow;

// Virtual methods of the window's class; each answers 0 to refuse.
constexpr uint32_t kEnterSystemVirtual = 10;
constexpr uint32_t kLeaveSystemVirtual = 11;
constexpr uint32_t kTravelInSystemVirtual = 12;

// Window results.
constexpr int32_t kSystemResultStay = 0;
constexpr int32_t kSystemResultTravelled = 1;
constexpr int32_t kSystemResultGalaxy = 2;

// Fuel is counted in hundredths: a pixel of travel inside a system costs 200.
constexpr int64_t kFuelPerPixel = 200;
// Message texts of "system.mes": not fuel enough, the question before travelling, and the texts of
// the window's buttons.
constexpr uint32_t kNoFuelMessage = 351;
constexpr uint32_t kTravelQuestionMessage = 481;

class StarSystemZoomedObject : public ZEMADialogObject {
  public:
    explicit StarSystemZoomedObject(ZEMAClass* cls);
    ~StarSystemZoomedObject() override;

    // The selected planet while it lives in this window, else null.
    ControlObject* SelectedPlanet() const;
    void SetSelectedPlanet(ControlObject* planet);
    const String& Name() const { return name_; }
    const String& DisplayName() const { return displayName_; }
    void SetNames(const String& name, const String& displayName);

    // Walks the window's planets, selecting each until one is named planetName; FatalExep "Star
    // system is empty!" when none ends up selected.
    void SelectPlanet(std::string_view planetName);
    // Native 19: the buttons, the time display and the four date-step buttons.
    void BuildControls();

    // The receiver of a StarSystemZoomed native; FatalExep when it is not a star-system window.
    static StarSystemZoomedObject& Of(ScriptObject* receiver);
    // The star-system window an object is, or null.
    static StarSystemZoomedObject* AsWindow(ScriptObject* object);

    // The game date moves on unless a message box is over the window; the script's step is not run.
    void StepWindow(int32_t frame) override;
    // The reach circle round the selected planet, then the controls.
    void DrawWindowControls() override;

  private:
    WeakObject selectedPlanet_;
    String name_;
    String displayName_;
};

// The largest running total of the fuel charge over each player's energy-source slots, in
// hundredths (0 without players).
int64_t LargestFuelTotal(Processor& processor);
// Takes need hundredths from every player's energy sources, first slot first; a ship holding less
// is emptied.
void TakeFuel(Processor& processor, int64_t need);

// The straight-line distance between two places, on the screen or on the galaxy map, truncated.
int64_t PlaceDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// A trip between planets of a system distance pixels apart: the fuel it takes from each ship, and
// whether a fleet whose largest fuel total is fuel may make it (fuel counts in whole units here).
int64_t PlanetTripFuel(int64_t distance);
bool PlanetTripAllowed(int64_t fuel, int64_t distance);

// Travel to a planet of the window (a click on it): the trip inside the system the player is in,
// or entering the system when the window is not the current one. Sets the window's result.
void TravelToPlanet(Processor& processor, StarSystemZoomedObject& window, ControlObject& planet);

// The StarSystemZoomed class: virtual methods 2, 7 and 9-12 into empty slots, the Dialog binding,
// then natives 0 and 19.
struct StarSystemZoomed {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
