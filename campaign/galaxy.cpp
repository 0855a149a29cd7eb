#include "campaign/galaxy.h"

#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "campaign/date_steps.h"
#include "campaign/game_manager.h"
#include "campaign/help_system.h"
#include "campaign/planet.h"
#include "campaign/scene_reset.h"
#include "campaign/star_system_window.h"
#include "campaign/star_systems.h"
#include "foundation/exceptions.h"
#include "graphics/display.h"
#include "graphics/image.h"
#include "graphics/image_manager.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "script/native_args.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/sspl_block.h"
#include "shell/game_ids.h"
#include "ui/dialog_window.h"
#include "ui/gtime.h"
#include "ui/input_holder.h"
#include "ui/message_box.h"
#include "ui/script_dialog.h"
#include "ui/text_controls.h"
#include "ui/ui_objects.h"
#include "ui/window_services.h"
#include "world/event_manager.h"
#include "world/player.h"
#include "world/running_processor.h"

namespace {

constexpr uint32_t kGalaxyMapMethod = 8;
constexpr uint32_t kGalaxyStepMethod = 7;
constexpr int32_t kGalaxyStars = 200;
constexpr uint32_t kCloseButtonText = 119;
constexpr uint32_t kNoFuelText = 351;
constexpr uint32_t kMessageStyle = 1;
constexpr int32_t kTypingSpeed = 200;
constexpr uint32_t kReachColour = 7;
constexpr int32_t kMargin = 10;
constexpr int32_t kGalaxyTipsNumber = 3;
constexpr const char* kGalaxyTipsEvent = "HELP_GALAXY_WINDOW";
// The map's own loop ends with this when a star system was clicked: the trip runs outside the loop,
// as it resets the scene, and the scene reset replaces the pilots whose device the loop reads.
constexpr int32_t kTripAsked = -2;

int32_t RotatedAngle() {
    static int32_t angle = 0;
    const int32_t now = angle;
    angle = (angle + 1) % 360;
    return now;
}

ObjectManager* PlayerList(Processor& processor) {
    return processor.Objects().ListAt(kPlayerListId);
}

// The first player, fetched afresh at each use: a scene reset rebuilds the players. The list's
// cursor goes back to its head.
PlayerObject& FirstPlayer(Processor& processor) {
    ObjectManager* players = PlayerList(processor);
    if (players == nullptr) ThrowFatal("No player list for the galaxy");
    players->Seek(0);
    auto* node = players->ObjectList().Head();
    auto* player = node != nullptr ? dynamic_cast<PlayerObject*>(node->item) : nullptr;
    if (player == nullptr) ThrowFatal("No player in the galaxy");
    return *player;
}

void ResetPlayerCursor(Processor& processor) {
    if (ObjectManager* players = PlayerList(processor)) players->Seek(0);
}

SSPLBlock& Location(Processor& processor) {
    SSPLBlock* location = CurrentLocationBlock(processor);
    if (location == nullptr) ThrowFatal("No current location");
    return *location;
}

StarSystemZoomedObject* SystemWindow(Processor& processor, uint32_t id) {
    return StarSystemZoomedObject::AsWindow(processor.Objects().GetObject(id));
}

// Whether the window or a planet window of one of its planets runs its loop now.
bool RunsALoop(StarSystemZoomedObject* window) {
    if (window == nullptr) return false;
    if (window->Window().Running()) return true;
    DialogWindow& list = window->Window();
    for (uint32_t i = 0; i < list.ControlCount(); ++i) {
        auto* planet = dynamic_cast<PlanetObject*>(list.ControlAt(i));
        ZEMADialogObject* view = planet != nullptr ? planet->View() : nullptr;
        if (view != nullptr && view->Window().Running()) return true;
    }
    return false;
}

// The galaxy replaces the star-system windows (objects 17 and 20) and their planets: called from a
// script running inside one of them, it would delete the window whose loop is under way.
void RefuseInsideSystemWindows(Processor& processor, const char* what) {
    if (RunsALoop(SystemWindow(processor, kStarSystemWindowId)) ||
        RunsALoop(SystemWindow(processor, kStarSystemViewId)))
        ThrowFatal("%s cannot run from inside a star-system or planet window", what);
}

int32_t ClampToInt(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

struct GalaxyMapState {
    Processor& processor;
    std::optional<int32_t> trip;  // the number of the system clicked
};

void ShowTipsOnce(Processor& processor, DialogWindow& window) {
    const String key(kGalaxyTipsEvent);
    if (EventManager::AnyHasEvent(processor, key)) return;
    HelpSystem::ShowTips(processor, &window, "Help.mes", kGalaxyTipsNumber, kHelpIsTip);
    EventManager::RecordEventAll(processor, key, 0, String(""), 0);
}

void DrawReach(Processor& processor) {
    StarSystemRecord* current = StarSystemList::Of(processor).Find(Location(processor).First());
    ScreenBuffer* buffer = GameDisplay().Buffer();
    if (current == nullptr || buffer == nullptr) return;
    const int32_t radius = ClampToInt(LargestFuelTotal(processor) / kFuelPerGalaxyPixel);
    const uint32_t colour = ColourAt(ColourEntryAddress(current, kReachColour));
    buffer->DrawCircleDots(current->Int(kVisualX), current->Int(kVisualY), radius, radius, colour,
                           RotatedAngle());
}

void GalaxyWindowCallback(GalaxyMapState& state, DialogWindow& window, int32_t code, int32_t, int32_t p2) {
    Processor& processor = state.processor;
    switch (code) {
        case kEventStart:
            ShowTipsOnce(processor, window);
            return;
        case kEventPointer:
        case kEventRest:
            if (StarSystemRecord* system = StarSystemRecord::AsStarSystem(window.FindControl(p2)))
                window.SetHint(system->DisplayName());
            return;
        case kEventBeforeDraw:
            DrawReach(processor);
            return;
        case kEventPrimary:
            if (p2 == kGalaxyCloseButtonId) {
                window.SetResult(0);
            } else if (StarSystemRecord::AsStarSystem(window.FindControl(p2)) != nullptr) {
                state.trip = p2;
                window.SetResult(kTripAsked);
            }
            return;
        default:
            return;
    }
}

// The trip to the system with the number, asked on the map: its window runs, and a planet chosen
// there makes the move (fuel and days). Sets the map's result when the map is to end.
void TripToSystem(Processor& processor, DialogWindow& map, int32_t number) {
    auto* target = StarSystemRecord::AsStarSystem(map.FindControl(number));
    if (target == nullptr) return;
    SSPLBlock& location = Location(processor);
    StarSystemRecord* current = StarSystemList::Of(processor).Find(location.First());
    if (current == nullptr) ThrowFatal("Star system list is empty");
    const int64_t d = PlaceDistance(target->Int(kVisualX), target->Int(kVisualY), current->Int(kVisualX),
                                    current->Int(kVisualY));
    if (!SystemTripAllowed(LargestFuelTotal(processor), d)) {
        // The map's own device may belong to a pilot an earlier trip's scene reset replaced.
        PlayerObject& player = FirstPlayer(processor);
        MessageBox(processor, &ScriptInputDevice(&player, "input device"), &map,
                   SystemMessage(processor, kNoFuelText), kMessageStyle, nullptr, kTypingSpeed);
        return;
    }
    const ResourceMarks marks = SaveResourceMarks(processor);
    {
        StarSystemZoomedObject* view = target->CreateView(processor);
        if (view == nullptr) ThrowFatal("Star system %s has no window", target->Name().Text());
        // The window's making is script code, which may have replaced the location; the planets'
        // names asked while selecting may change it again, so its name is a copy.
        const SSPLBlock& here = Location(processor);
        const std::string planet(here.Second());
        if (view->Name().View() == here.First()) view->SelectPlanet(planet);
        const int32_t result = view->Run(FirstPlayer(processor));
        if (result == 0) {
            map.SetResult(0);
        } else if (result == 1) {
            TakeFuel(processor, SystemTripFuel(d));
            GTime days;
            days.Set(0, ClampToInt(d * kDaysPerGalaxyPixel), 0, 0, 0);
            AdvanceDateBy(processor, days);
            map.SetResult(1);
        }
    }
    ResetScene(processor, marks, true);
}

Processor& ProcessorOf(ScriptObject* receiver) {
    return RunningProcessor(receiver, "GameManager");
}

// The campaign's script calls these round after round, between flights: what the rounds before made
// and destroyed is given back as each begins.
void GalaxyStepNative(ScriptObject* receiver) {
    Processor& processor = ProcessorOf(receiver);
    processor.ReleaseBetweenCalls(receiver);
    GalaxyStep(processor, receiver);
}

void GalaxyMapNative(ScriptObject* receiver) {
    Processor& processor = ProcessorOf(receiver);
    processor.ReleaseBetweenCalls(receiver);
    const int32_t result = GalaxyMap(processor);
    processor.DataStack().Push(static_cast<uint32_t>(result));
}

}  // namespace

int64_t SystemTripFuel(int64_t distance) {
    return kFuelPerGalaxyPixel * distance;
}

bool SystemTripAllowed(int64_t fuel, int64_t distance) {
    return fuel >= SystemTripFuel(distance);
}

int32_t GalaxyMap(Processor& processor) {
    RefuseInsideSystemWindows(processor, "The galaxy map");
    StarSystemList& systems = StarSystemList::Of(processor);
    Display& display = GameDisplay();
    auto* images = dynamic_cast<ImageManager*>(processor.Objects().GetObject(kImageManagerId));
    if (images == nullptr) ThrowFatal("No image manager for the galaxy map");
    Image* cursorPicture = images->GetImage(String("Misc\\GalaxyCursor.dpf"));
    if (cursorPicture == nullptr) ThrowFatal("No picture Misc\\GalaxyCursor.dpf");
    if (display.Surface() == nullptr) ThrowFatal("No screen for the galaxy map");
    const int32_t width = display.Surface()->Width();
    const int32_t height = display.Surface()->Height();
    ResetPlayerCursor(processor);

    DialogWindow map(&processor, &display, cursorPicture->EntryAt(0));
    GalaxyMapState state{processor, std::nullopt};
    map.SetCallback([&state](DialogWindow& window, int32_t code, int32_t p1, int32_t p2) {
        GalaxyWindowCallback(state, window, code, p1, p2);
    });
    map.AddControl(&NewControlByName(processor, "HeavenControl", {static_cast<uint32_t>(kGalaxyStars), 0}),
                   kListOwned);
    const std::string_view here = Location(processor).First();
    std::optional<int32_t> currentId;
    for (uint32_t i = 0; i < systems.Count(); ++i) {
        StarSystemRecord* system = systems.At(i);
        if (system == nullptr) continue;
        if (!currentId) currentId = system->Id();
        if (std::string_view(system->Name().Text()) == here) currentId = system->Id();
        map.AddControl(system, kNeverOwned);
    }
    if (!currentId) ThrowFatal("Star system list is empty");
    ControlObject& close = NewControlByName(
        processor, "TextButton",
        {static_cast<uint32_t>(width - kMargin), static_cast<uint32_t>(height - kMargin),
         SystemMessageAddress(processor, kCloseButtonText), static_cast<uint32_t>(kGalaxyCloseButtonId)});
    close.SetInt(kTextHorizontalAlign, 2);
    close.SetInt(kTextVerticalAlign, 2);
    map.AddControl(&close, kListOwned);

    // The map opens with a click on the current system, whose window runs at once.
    state.trip = currentId;
    map.SetResult(kNoResult);
    // Each trip's reset destroys what the one before it made: given back at the next turn. What the
    // map and this frame keep (its controls, the systems, the cursor) is older than the loop.
    ReleaseLoop release;
    for (;;) {
        release.Turn();
        if (state.trip) {
            const int32_t number = *state.trip;
            state.trip.reset();
            map.SetResult(kNoResult);
            TripToSystem(processor, map, number);
        }
        if (map.Result() != kNoResult && map.Result() != kTripAsked) break;
        PlayerObject& player = FirstPlayer(processor);
        map.Run(ScriptInputDevice(&player, "input device"), &player);
        if (map.Result() != kTripAsked) break;
    }
    ResetPlayerCursor(processor);
    const int32_t result = map.Result();
    // Closed here rather than by the destructor, so that errors of script destructors are heard.
    map.Close();
    if (result != 1) return 0;
    MakeLastSystemCurrent(processor, Location(processor));
    return -1;
}

void GalaxyStep(Processor& processor, ScriptObject* gameManager) {
    RefuseInsideSystemWindows(processor, "The galaxy step");
    EnterCurrentLocation(processor, Location(processor));
    // Each reset destroys the players, ships and windows the one before it made: given back at the
    // next turn. Everything a turn uses is asked for again; the manager is older than the loop.
    ReleaseLoop release;
    for (;;) {
        release.Turn();
        const ResourceMarks marks = SaveResourceMarks(processor);
        int32_t result = kNoResult;
        {
            StarSystemZoomedObject* system = SystemWindow(processor, kStarSystemWindowId);
            if (system == nullptr) ThrowFatal("No current star-system window");
            auto* planet = dynamic_cast<PlanetObject*>(system->SelectedPlanet());
            if (planet == nullptr) ThrowFatal("Star system is empty!");
            ZEMADialogObject& view = Planet::GetView(*planet);
            result = view.Run(FirstPlayer(processor));
            GameManagerObject& manager = GameManagerObject::Get(processor);
            switch (result) {
                case 2:
                case 3:
                    break;
                case kPlanetResultGalaxyMap: {
                    ZEMAClass* cls = processor.ClassByName(String("GameManager"));
                    processor.CallMethod(gameManager, cls, kGalaxyMapMethod);
                    processor.DataStack().Pop();
                    break;
                }
                case kPlanetResultMoveToPlanet: {
                    StarSystemZoomedObject* current = SystemWindow(processor, kStarSystemWindowId);
                    if (current == nullptr) ThrowFatal("No current star-system window");
                    const String planetName = manager.PendingPlanet();
                    current->SelectPlanet(planetName.View());
                    SSPLBlock& location = Location(processor);
                    const String system = String::FromBytes(location.First().data(), location.First().size());
                    location.SetNames(system.View(), planetName.View());
                    break;
                }
                case kPlanetResultMoveToSystem: {
                    const String system = manager.PendingSystem();
                    const String planetName = manager.PendingPlanet();
                    SSPLBlock asked;
                    asked.SetNames(system.View(), planetName.View());
                    EnterCurrentLocation(processor, asked);
                    Location(processor).SetNames(system.View(), planetName.View());
                    break;
                }
                default:
                    break;
            }
        }
        ResetScene(processor, marks, true);
        if (result == 2 || result == 3) return;
    }
}

void RegisterGalaxyMethods() {
    GameManager::SetMethodHandler(kGalaxyStepMethod, GalaxyStepNative);
    GameManager::SetMethodHandler(kGalaxyMapMethod, GalaxyMapNative);
}
