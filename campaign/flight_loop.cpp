#include "campaign/flight_loop.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "campaign/flight_collisions.h"
#include "campaign/flight_draw.h"
#include "campaign/flight_lists.h"
#include "campaign/flight_record.h"
#include "campaign/game_manager.h"
#include "campaign/scene_reset.h"
#include "campaign/screen_hooks.h"
#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "foundation/trace_flag.h"
#include "graphics/display.h"
#include "graphics/font.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_presenter.h"
#include "graphics/screen_surface.h"
#include "platform/key_table.h"
#include "platform/timer.h"
#include "script/cleanup_steps.h"
#include "script/native_args.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "shell/draw_layers.h"
#include "shell/game_ids.h"
#include "shell/game_stop.h"
#include "shell/input_device.h"
#include "shell/input_queue.h"
#include "ui/message_box.h"
#include "ui/screen_effects.h"
#include "ui/ui_objects.h"
#include "ui/visual.h"
#include "ui/window_services.h"
#include "world/level.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/supply.h"
#include "world/world_sound.h"

namespace {

constexpr uint32_t kQuestionMessage = 352;
constexpr uint32_t kNoShipMessage = 309;
constexpr uint32_t kLeavingMessage = 500;
constexpr uint32_t kEndedMessage = 501;
constexpr uint32_t kTextColourEntry = 3;
constexpr uint32_t kNoShipBoxStyle = 1;

constexpr int32_t kEndCountdown = 90;
constexpr int32_t kFadeOutAt = 8;
constexpr int32_t kLeavingRise = 3000;  // hundredths of a pixel a frame
constexpr int32_t kBlinkPeriod = 20;
constexpr int32_t kRatePeriod = 100;
constexpr int32_t kHeadUpMargin = 10;
constexpr int32_t kRateTextY = 30;
constexpr int32_t kQuestionWaits = 3;
constexpr int32_t kShipStartRow = 80;  // ships start at screen height x 80 hundredths
constexpr uint32_t kInactiveSleep = 300;
// A paused flight looks for a key this often, sleeping in between.
constexpr uint32_t kPauseSleep = 10;

constexpr int32_t kKeyF5 = 0x74;
constexpr int32_t kKeyF6 = 0x75;
constexpr int32_t kKeyF7 = 0x76;
// Typed in this order, they make collisions harmless to ships for the rest of the flight.
constexpr int32_t kHiddenSequence[] = {'G', 'H', 'O', 'S', 'T'};
constexpr int32_t kHiddenSteps = 5;

constexpr int32_t kNotAlive = 1000000000;

bool gFlightRunning = false;

// Adds the time from its making to its end to a phase counter, when one is installed.
class PhaseClock {
  public:
    explicit PhaseClock(uint64_t FlightPhaseTimes::*phase) : phase_(phase) {
        if (FlightCampaignHooks().phaseTimes != nullptr) start_ = std::chrono::steady_clock::now();
    }
    ~PhaseClock() {
        FlightPhaseTimes* times = FlightCampaignHooks().phaseTimes;
        if (times == nullptr) return;
        const auto spent = std::chrono::steady_clock::now() - start_;
        times->*phase_ +=
            static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(spent).count());
    }
    PhaseClock(const PhaseClock&) = delete;
    PhaseClock& operator=(const PhaseClock&) = delete;

  private:
    uint64_t FlightPhaseTimes::*phase_;
    std::chrono::steady_clock::time_point start_{};
};

// Marks the flight as running while it lives; the layers never outlive the flight with records
// that name frames the scene reset frees.
class RunningFlight {
  public:
    RunningFlight() {
        if (gFlightRunning) ThrowFatal("A flight is already running");
        gFlightRunning = true;
    }
    ~RunningFlight() {
        ClearDrawLayers(GameDrawLayers());
        gFlightRunning = false;
    }
    RunningFlight(const RunningFlight&) = delete;
    RunningFlight& operator=(const RunningFlight&) = delete;
};

// The buffer's origin and clip as they were before the flight, put back however it ends, on the
// display's buffer of the moment (a script may have rebuilt the display meanwhile).
class SavedView {
  public:
    explicit SavedView(Display& display) : display_(display) {
        const ScreenBuffer* buffer = display_.Buffer();
        if (buffer == nullptr) return;
        saved_ = true;
        x_ = buffer->OriginX();
        y_ = buffer->OriginY();
        clip_ = buffer->Clip();
    }
    ~SavedView() {
        ScreenBuffer* buffer = display_.Buffer();
        if (!saved_ || buffer == nullptr) return;
        buffer->SetOrigin(x_, y_);
        buffer->SetClip(clip_);
    }
    SavedView(const SavedView&) = delete;
    SavedView& operator=(const SavedView&) = delete;

  private:
    Display& display_;
    bool saved_ = false;
    int32_t x_ = 0;
    int32_t y_ = 0;
    Rect clip_{};
};

// The members of the flight list under id that are of the kind, in list order.
template <class Kind>
std::vector<Kind*> MembersOf(Processor& processor, uint32_t id) {
    std::vector<Kind*> members;
    if (ObjectManager* list = FlightList(processor, id)) {
        for (const auto* node = list->ObjectList().Head(); node != nullptr; node = node->next) {
            if (auto* member = dynamic_cast<Kind*>(node->item)) members.push_back(member);
        }
    }
    return members;
}

std::vector<ShipObject*> Ships(Processor& processor) {
    return MembersOf<ShipObject>(processor, kShipListId);
}

// Calls visit with each screen effect of the flight (object 33) that is in the state when its turn
// comes. The members are taken first: the calls run scripts, which may change or delete the list.
template <class Visit>
void ForEachEffectIn(Processor& processor, int32_t state, Visit visit) {
    ObjectManager* effects = FlightList(processor, kFlightEffectListId);
    if (effects == nullptr) return;
    std::vector<WeakObject> members;
    for (const auto* node = effects->ObjectList().Head(); node != nullptr; node = node->next)
        members.emplace_back(node->item);
    for (const WeakObject& ref : members) {
        auto* effect = ref.As<ScreenEffectObject>();
        if (effect != nullptr && effect->State() == state) visit(*effect);
    }
}

std::vector<WeakObject> Weak(const auto& objects) {
    std::vector<WeakObject> out;
    out.reserve(objects.size());
    for (const auto* object : objects) out.emplace_back(object);
    return out;
}

class Flight {
  public:
    Flight(Processor& processor, GameManagerObject& manager)
        : cpu_(processor), manager_(manager), display_(GameDisplay()), view_(display_) {}

    int32_t Run();

  private:
    enum class Pass { Go, Leave };

    // --- set-up ---
    // Places the ships; true when one of them can start.
    bool PlaceShips();
    void CreateLevel(const String& className);
    void NewEffect(int32_t framesLeft, int32_t level, int32_t levelStep);
    void ShowNoShipBox();

    // --- one frame ---
    void WaitWhileInactive() const;
    void Pace() const;
    void Census();
    Pass EndHandling();
    void Countdown(Pass& pass);
    void StepLists();
    bool TryLock();
    // Step 11; false when the frame goes on without drawing.
    Pass Keys(bool& draw);
    void HandlePlayKey(int32_t key);
    void Draw();
    void DrawTexts(LevelObject& level, ScreenBuffer& buffer);
    void Collide();
    void Sweep();
    void ClampView(LevelObject& level);
    void CheckStacks();
    void PlaceMice();

    // --- the end ---
    void Finish(bool flew);

    LevelObject* Level() const { return level_.As<LevelObject>(); }
    int32_t ScreenWidth() const;
    int32_t ScreenHeight() const;
    uint32_t Now() const;
    int32_t ResultNow() const;

    // Spans the whole flight, its set-up and its end: each frame gives back what the frames before
    // destroyed, and the end gives back the scene its reset took. The flight keeps nothing it made
    // across a turn but through weak references.
    ReleaseLoop release_;
    Processor& cpu_;
    // Made before the flight, so its memory stays while the flight runs; scripts may delete it, so
    // it is asked whether it lives before each use.
    GameManagerObject& manager_;
    Display& display_;
    SavedView view_;
    ResourceMarks marks_{};
    StackDepths depths_{};
    WeakObject level_;
    String question_;
    uint32_t textColour_ = 0;
    Font* energyFont_ = nullptr;

    int32_t frame_ = 0;
    int32_t alive_ = 0;
    int32_t countdown_ = kEndCountdown;
    bool flyAwayPlayed_ = false;
    bool question_mode_ = false;
    bool paused_ = false;
    bool showRate_ = false;
    int32_t hiddenStep_ = 0;
    bool answeredYes_ = false;
    bool locked_ = false;
    uint32_t startTick_ = 0;
    uint32_t rateTick_ = 0;
    bool rateTaken_ = false;
    int32_t rate10_ = 0;
    int32_t flightStateSeen_ = kFlightFlying;
};

int32_t Flight::ScreenWidth() const {
    return display_.Surface() != nullptr ? display_.Surface()->Width() : 0;
}

int32_t Flight::ScreenHeight() const {
    return display_.Surface() != nullptr ? display_.Surface()->Height() : 0;
}

uint32_t Flight::Now() const {
    Timer* timer = display_.Services().timer;
    return timer != nullptr ? timer->Milliseconds() : 0;
}

int32_t Flight::ResultNow() const {
    if (flightStateSeen_ == kFlightLeaving) return kFlightShipsLeft;
    return answeredYes_ ? kFlightQuit : kFlightOver;
}

bool Flight::PlaceShips() {
    // Working out a ship's energy runs the scripts of its equipment and its pilot's skills, which
    // may delete ships: the ships there were are placed, each by its place in the list, and one
    // deleted before or during its turn is passed over.
    const std::vector<ShipObject*> ships = Ships(cpu_);
    const ObjectWalk<ShipObject> walk(ships);
    const int64_t n = static_cast<int64_t>(ships.size());
    const int64_t width = ScreenWidth();
    bool able = false;
    walk.ForEachAlive([&](ShipObject& ship) {
        const int64_t i = std::find(ships.begin(), ships.end(), &ship) - ships.begin();
        ship.SetState(kActorAlive);
        ship.RecomputeEnergy();
        if (!ship.Alive()) return;
        ship.SetInt(kVisualX, static_cast<int32_t>((i + 1) * width * 100 / (n + 1)));
        ship.SetInt(kVisualY, ScreenHeight() * kShipStartRow);
        if (ship.Balance() <= 0) {
            ship.SetState(kActorDestroyed);
            return;
        }
        if (ship.MaxSpeed() != 0) {
            able = true;
            ship.ResetDelays();
        }
        InputDevice* input = ship.Pilot() != nullptr ? ship.Pilot()->PilotInput() : nullptr;
        if (input != nullptr && input->MouseEnabled()) ship.PlaceMouse();
    });
    return able;
}

void Flight::PlaceMice() {
    for (ShipObject* ship : Ships(cpu_)) {
        InputDevice* input = ship->Pilot() != nullptr ? ship->Pilot()->PilotInput() : nullptr;
        if (input != nullptr && input->MouseEnabled()) ship->PlaceMouse();
    }
}

void Flight::NewEffect(int32_t framesLeft, int32_t level, int32_t levelStep) {
    if (FlightList(cpu_, kFlightEffectListId) == nullptr) return;
    cpu_.DataStack().Push(static_cast<uint32_t>(framesLeft));
    cpu_.DataStack().Push(static_cast<uint32_t>(level));
    cpu_.DataStack().Push(static_cast<uint32_t>(levelStep));
    std::unique_ptr<ScriptObject, ObjectDiscarder> fade(cpu_.NewObjectByName(String("FadeEffect")));
    if (fade == nullptr) return;
    // Its making is script code, which may have deleted the list: the effect then goes at once.
    ObjectManager* effects = FlightList(cpu_, kFlightEffectListId);
    if (effects == nullptr) {
        DestroyObject(fade.release());
        return;
    }
    effects->AppendObject(fade.get());
    fade.release();
}

void Flight::ShowNoShipBox() {
    const std::vector<PlayerObject*> players = GamePlayers(cpu_);
    // The box runs with the first pilot's device; with none it could never be answered.
    InputDevice* input = players.empty() ? nullptr : players.front()->Input();
    if (input == nullptr) return;
    MessageBox(cpu_, input, nullptr, SystemMessage(cpu_, kNoShipMessage), kNoShipBoxStyle, nullptr, 0);
}

void Flight::CreateLevel(const String& className) {
    ScriptObject* made = cpu_.NewObjectByName(className);
    auto* level = dynamic_cast<LevelObject*>(made);
    if (level == nullptr) {
        DiscardObject(made);
        ThrowFatal("%s is not a level class", className.Text());
    }
    cpu_.Objects().SetObject(level, kLevelId);
    level->SetFlightState(kFlightFlying);
    level_ = WeakObject(level);
}

int32_t Flight::Run() {
    const String className = NativeArgs(cpu_).TextCopy();
    question_ = SystemMessage(cpu_, kQuestionMessage);
    textColour_ = ColourAt(ColourEntryAddress(&manager_, kTextColourEntry));

    marks_ = SaveResourceMarks(cpu_);
    cpu_.SaveStackDepths(depths_);
    CreateFlightLists(cpu_);
    NewEffect(8, 0, 32);

    auto* supply = dynamic_cast<SupplyObject*>(cpu_.Objects().GetObject(kSupplyId));
    if (supply != nullptr) Supply::ChooseSupplier(cpu_, *supply);
    const bool able = PlaceShips();
    startTick_ = Now();
    PublishedFlight().screenHeightX100 = ScreenHeight() * 100;

    if (!able) {
        ShowNoShipBox();
        cpu_.DataStack().Push(kFlightOver);
        Finish(false);
        return kFlightOver;
    }
    // The scripts run so far may have deleted the manager.
    if (manager_.Alive() && manager_.AutoSaveBeforeFlight() && FlightCampaignHooks().autoSave)
        FlightCampaignHooks().autoSave(cpu_);
    if (manager_.Alive()) manager_.SetAutoSaveBeforeFlight(true);
    ShowLoadingScreen(cpu_, 0);

    CreateLevel(className);
    energyFont_ = NamedFont(cpu_, "Energy");
    for (PlayerObject* player : GamePlayers(cpu_)) player->ClearStatusMessage();
    PublishedFlight().hiddenMode = false;
    frame_ = 0;

    for (;;) {
        release_.Turn();
        WaitWhileInactive();
        Pace();
        LevelObject* level = Level();
        // A script deleted the level: nothing is left to fly in.
        if (level == nullptr) break;
        PublishedFlight().sceneWidthX100 = level->SceneWidth() * 100;
        cpu_.SetFrameNumber(frame_);
        std::optional<PhaseClock> stepping(std::in_place, &FlightPhaseTimes::step);
        for (const WeakObject& player : Weak(GamePlayers(cpu_))) {
            auto* pilot = player.As<PlayerObject>();
            if (pilot == nullptr) continue;
            if (pilot->Input() != nullptr) pilot->Input()->Poll();
            GTTClass::CallStep(pilot, frame_);
        }
        Census();
        if (EndHandling() == Pass::Leave) break;
        if (Level() == nullptr) break;
        GTTClass::CallStep(Level(), frame_);
        TryLock();
        StepLists();
        stepping.reset();

        bool draw = true;
        bool leave = false;
        for (;;) {
            if (Keys(draw) == Pass::Leave) {
                leave = true;
                break;
            }
            if (!draw) break;
            Draw();
            if (!question_mode_) break;
            // The question may wait for long: what the drawing's scripts made and destroyed meanwhile
            // goes at each of its rounds.
            release_.Turn();
        }
        if (leave) break;
        level = Level();
        if (level == nullptr) break;
        flightStateSeen_ = level->FlightState();
        if (level->FlightState() == kFlightEnded) break;
        {
            const PhaseClock colliding(&FlightPhaseTimes::collide);
            Collide();
            Sweep();
        }
        if (Level() == nullptr) break;
        ClampView(*Level());
        CheckStacks();
        ++frame_;
    }
    if (locked_ && display_.Surface() != nullptr) display_.Surface()->Unlock();
    locked_ = false;
    const int32_t result = ResultNow();
    cpu_.DataStack().Push(static_cast<uint32_t>(result));
    Finish(true);
    return result;
}

void Flight::WaitWhileInactive() const {
    while (!display_.Services().Active()) display_.Services().Pause(kInactiveSleep);
}

void Flight::Pace() const {
    if (FlightCampaignHooks().framePacing)
        GameFrameWait();
    else
        CheckGameStop();
}

void Flight::Census() {
    alive_ = 0;
    int32_t smallest = kNotAlive;
    int32_t largest = 0;
    for (ShipObject* ship : Ships(cpu_)) {
        if (ship->State() != kActorAlive) continue;
        ++alive_;
        smallest = std::min(smallest, ship->X());
        largest = std::max(largest, ship->X());
    }
    if (LevelObject* level = Level()) {
        level->SetShipSpread(alive_ == 0 ? 0 : static_cast<int32_t>((int64_t{largest} - smallest) / 100));
    }
}

void Flight::Countdown(Pass& pass) {
    if (countdown_ == kFadeOutAt) NewEffect(8, 256, -32);
    if (--countdown_ <= 0) pass = Pass::Leave;
}

Flight::Pass Flight::EndHandling() {
    LevelObject* level = Level();
    if (level == nullptr) return Pass::Leave;
    Pass pass = Pass::Go;
    if (alive_ == 0 || level->Finished()) {
        Countdown(pass);
        if (pass == Pass::Leave) {
            if (LevelObject* still = Level()) still->SetFlightState(kFlightEnded);
            flightStateSeen_ = kFlightEnded;
        }
        return pass;
    }
    if (level->FlightState() != kFlightLeaving) return pass;
    if (!flyAwayPlayed_) {
        PlayNamedSound(cpu_, "Misc\\FlyAway.mp3");
        flyAwayPlayed_ = true;
    }
    for (ShipObject* ship : Ships(cpu_)) {
        if (ship->State() == kActorAlive)
            ship->SetInt(kVisualY, SaturateInt32(int64_t{ship->Y()} - kLeavingRise));
    }
    Countdown(pass);
    if (pass == Pass::Leave) flightStateSeen_ = kFlightLeaving;
    return pass;
}

bool Flight::TryLock() {
    if (!locked_ && display_.Surface() != nullptr) locked_ = display_.Surface()->Lock();
    return locked_;
}

void Flight::StepLists() {
    static constexpr uint32_t kOrder[] = {kFlightList7Id,  kFlightList31Id, kFlightActorListId,
                                          kShipListId,     kFlightList35Id, kShotsManagerId,
                                          kFlightList11Id, kTestRunListId,  kBonusListId};
    std::vector<WeakObject> members;
    for (size_t n = 0; n < std::size(kOrder); ++n) {
        const uint32_t id = kOrder[n];
        LevelObject* level = Level();
        const bool leaving = level != nullptr && level->FlightState() == kFlightLeaving;
        if (!(id == kShipListId && leaving)) {
            AliveActors(cpu_, id, members);
            for (const WeakObject& member : members) {
                if (ActorObject* actor = AliveActor(member)) GTTClass::CallStep(actor, frame_);
            }
        }
        if (n + 1 < std::size(kOrder)) TryLock();
    }
    if (auto* supply = cpu_.Objects().GetObject(kSupplyId)) GTTClass::CallStep(supply, frame_);
    ForEachEffectIn(cpu_, kEffectRunning,
                    [this](ScreenEffectObject& effect) { GTTClass::CallStep(&effect, frame_); });
}

Flight::Pass Flight::Keys(bool& draw) {
    InputQueue& keys = KeyQueue();
    if (question_mode_) {
        if (keys.Empty()) return Pass::Go;
        const int32_t key = keys.ReadInt();
        LevelObject* level = Level();
        if (key == 'Y') {
            answeredYes_ = true;
            if (level != nullptr) level->SetFlightState(kFlightEnded);
            flightStateSeen_ = kFlightEnded;
            return Pass::Leave;
        }
        if (key == 'N' || key == VK_ESCAPE) {
            PlaceMice();
            question_mode_ = false;
            draw = false;
        } else if (key == kKeyF5) {
            if (level != nullptr) level->SetFlightState(kFlightLeaving);
            question_mode_ = false;
            draw = false;
        }
        // The devices were not polled while the question waited: the answer and what was pressed
        // meanwhile are no fresh presses to the flight that goes on.
        if (!question_mode_) {
            if (Input* input = CurrentInputServices().input) input->HearAllPresses();
        }
        if (!draw && locked_ && display_.Surface() != nullptr) {
            display_.Surface()->Unlock();
            locked_ = false;
        }
        return Pass::Go;
    }
    if (paused_) {
        while (keys.Empty()) display_.Services().Pause(kPauseSleep);
    }
    if (!keys.Empty()) HandlePlayKey(keys.ReadInt());
    return Pass::Go;
}

void Flight::HandlePlayKey(int32_t key) {
    if (key == VK_ESCAPE) {
        question_mode_ = true;
    } else if (key == kKeyF6) {
        showRate_ = !showRate_;
    } else if (key == kKeyF7) {
        paused_ = !paused_;
    } else if (hiddenStep_ < kHiddenSteps && key == kHiddenSequence[hiddenStep_]) {
        if (++hiddenStep_ == kHiddenSteps) PublishedFlight().hiddenMode = true;
        return;
    }
    // Any key but the next of the sequence starts it over.
    hiddenStep_ = 0;
}

void Flight::Draw() {
    std::optional<PhaseClock> drawing(std::in_place, &FlightPhaseTimes::draw);
    if (!locked_) {
        display_.LockSurface();
        locked_ = true;
    }
    LevelObject* level = Level();
    ScreenBuffer* buffer = display_.Buffer();
    if (level == nullptr || buffer == nullptr) return;
    if (level->BackgroundColour() != kNoBackgroundFill && display_.Surface() != nullptr)
        display_.Surface()->Fill(static_cast<uint32_t>(level->BackgroundColour()));

    const uint16_t flags = display_.Surface() != nullptr && display_.Surface()->Settings() != nullptr
                               ? display_.Surface()->Settings()->Flags()
                               : 0;
    DrawLayerLists& layers = GameDrawLayers();
    ClearDrawLayers(layers);
    std::vector<WeakObject> members;
    auto registerList = [&](uint32_t id, bool blinkGrace) {
        AliveActors(cpu_, id, members);
        for (const WeakObject& member : members) {
            ActorObject* actor = AliveActor(member);
            if (actor == nullptr) continue;
            auto* ship = blinkGrace ? dynamic_cast<ShipObject*>(actor) : nullptr;
            if (ship != nullptr && ship->Grace() != 0 && frame_ % 2 != 0) continue;
            RegisterActorFrames(cpu_, *actor, layers);
        }
    };
    registerList(kFlightList7Id, false);
    registerList(kFlightList31Id, false);
    level = Level();
    if (level == nullptr) return;
    if (level->LayerMode() == 0) {
        DrawFlightLayers(*buffer, layers, flags);
        ClearDrawLayers(layers);
    }
    registerList(kFlightActorListId, false);
    registerList(kShipListId, true);
    for (uint32_t id : {kFlightList35Id, kShotsManagerId, kFlightList11Id, kTestRunListId, kBonusListId})
        registerList(id, false);
    level = Level();
    if (level == nullptr) return;
    if (level->BackgroundColour() != kNoBackgroundFill && level->LayerMode() != 0 &&
        (flags & kPairEffects) != 0)
        TintFlightLayers(*buffer, layers, static_cast<uint32_t>(level->BackgroundColour()),
                         level->TintValue());
    DrawFlightLayers(*buffer, layers, flags);
    DrawTexts(*level, *buffer);
    drawing.reset();
    {
        const PhaseClock presenting(&FlightPhaseTimes::present);
        if (display_.Presenter() != nullptr) display_.Presenter()->ShowFrame();
        locked_ = false;
    }
}

void Flight::DrawTexts(LevelObject& levelAtStart, ScreenBuffer& buffer) {
    const WeakObject levelRef(&levelAtStart);
    const int32_t width = ScreenWidth();
    const int32_t height = ScreenHeight();
    const int32_t viewX = levelAtStart.ViewX();
    char text[96];

    int32_t position = 0;
    for (ShipObject* ship : Ships(cpu_)) {
        if (ship->State() != kActorAlive) continue;
        const int32_t x = (position == 0 ? kHeadUpMargin : width - kHeadUpMargin) - viewX;
        const int32_t align = position == 0 ? 0 : 2;
        std::snprintf(text, sizeof text, "%d", ship->Balance() / 100);
        buffer.DrawTextAlignedWithFont(text, x, height - kHeadUpMargin, textColour_, energyFont_, align, 2,
                                       0);
        if (auto* pilot = dynamic_cast<PlayerObject*>(ship->Owner())) {
            std::snprintf(text, sizeof text, "%d", pilot->Experience());
            buffer.DrawTextAlignedWithFont(text, x, kHeadUpMargin, textColour_, energyFont_, align, 0, 0);
        }
        if (++position == 2) break;
    }

    if (question_mode_) {
        buffer.DrawTextAligned(question_.Text(), width / 2 - viewX, height / 2, textColour_, 1, 1, 0);
        // The frozen frame is held back for three frame periods before it is shown.
        for (int32_t i = 0; i < kQuestionWaits; ++i) Pace();
    } else if (frame_ % kBlinkPeriod < kBlinkPeriod / 2) {
        const std::vector<PlayerObject*> players = GamePlayers(cpu_);
        const int64_t slots = static_cast<int64_t>(players.size()) + 1;
        for (size_t i = 0; i < players.size(); ++i) {
            PlayerObject& player = *players[i];
            if (player.StatusDuration() <= 0) continue;
            const auto y = static_cast<int32_t>(height / slots * static_cast<int64_t>(i + 1));
            buffer.DrawTextAligned(player.StatusText().Text(), width / 2 - viewX, y,
                                   ColourAt(player.StatusColour()), 1, 1, 0);
        }
    }

    if (showRate_) {
        if (frame_ % kRatePeriod == 0) {
            const uint32_t now = Now();
            rate10_ = rateTaken_ && now != rateTick_ ? static_cast<int32_t>(1000000u / (now - rateTick_)) : 0;
            rateTaken_ = true;
            rateTick_ = now;
        }
        std::snprintf(text, sizeof text, "FPS: %d.%d Time: %d", rate10_ / 10, rate10_ % 10, frame_);
        buffer.DrawTextAligned(text, kHeadUpMargin - viewX, kRateTextY, textColour_, 0, 0, 0);
    }

    if (auto* level = levelRef.As<LevelObject>()) CallScriptMethod7(level);
    ForEachEffectIn(cpu_, kEffectRunning, [](ScreenEffectObject& effect) { CallScriptMethod7(&effect); });

    auto* level = levelRef.As<LevelObject>();
    if (level == nullptr || frame_ % kBlinkPeriod < kBlinkPeriod / 2) return;
    if (alive_ == 0 || level->Finished())
        buffer.DrawTextAligned(SystemMessage(cpu_, kEndedMessage).Text(), width / 2, height / 2, textColour_,
                               1, 1, 0);
    if (level->FlightState() == kFlightLeaving)
        buffer.DrawTextAligned(SystemMessage(cpu_, kLeavingMessage).Text(), width / 2, height / 2,
                               textColour_, 1, 1, 0);
}

void Flight::Collide() {
    LevelObject* level = Level();
    CollideFlight(cpu_, level != nullptr && level->FlightState() == kFlightLeaving);
    for (const WeakObject& ref : Weak(Ships(cpu_))) {
        auto* ship = ref.As<ShipObject>();
        if (ship == nullptr || ship->State() != kActorDestroyed) continue;
        cpu_.CallVirtual(ship, kExplodeVirtual);
        if (auto* still = ref.As<ShipObject>()) still->SetState(kActorGone);
    }
}

void Flight::Sweep() {
    for (uint32_t id : {kFlightList35Id, kFlightActorListId, kFlightList7Id, kFlightList31Id, kShotsManagerId,
                        kFlightList11Id, kTestRunListId}) {
        if (ObjectManager* list = FlightList(cpu_, id)) SweepActorList(*list);
    }
    ForEachEffectIn(cpu_, kEffectFinished, [this](ScreenEffectObject& effect) {
        if (ObjectManager* list = FlightList(cpu_, kFlightEffectListId)) RemoveFromList(*list, &effect);
    });
}

void Flight::ClampView(LevelObject& level) {
    const int32_t width = ScreenWidth();
    if (int64_t{level.ViewX()} + level.SceneWidth() >= width) return;
    level.SetViewX(level.SceneWidth() < width ? 0 : width - level.SceneWidth());
    if (ScreenBuffer* buffer = display_.Buffer()) buffer->SetOrigin(level.ViewX(), 0);
}

void Flight::CheckStacks() {
    if (!TraceFlag()) return;
    if (cpu_.SameStackDepths(depths_) == 0) ThrowWarn(0, 0, "Stacks are not clear");
    cpu_.RestoreStackDepths(depths_);
}

void Flight::Finish(bool flew) {
    // Every step of the end runs, whatever a script destructor of the flight's objects does; the
    // first error passes on once the scene is reset.
    CleanupSteps steps(cpu_);
    if (flew) {
        EmptyFlightLists(cpu_, steps);
        steps.Run([this] { cpu_.Objects().SetObject(nullptr, kLevelId); });
        GTime duration;
        duration.Set(0, 0, frame_ / 2000 + 5, frame_ % 2000 / 20, 0);
        if (manager_.Alive()) manager_.GameTime().Add(duration);
        steps.Run([this] {
            if (FlightCampaignHooks().stampLastDate) FlightCampaignHooks().stampLastDate(cpu_);
        });
    }
    const uint32_t endTick = Now();
    steps.Run([this] {
        if (auto* supply = dynamic_cast<SupplyObject*>(cpu_.Objects().GetObject(kSupplyId)))
            supply->ReleaseHeld();
    });
    AppendFpsRecord(endTick - startTick_, frame_);
    ClearDrawLayers(GameDrawLayers());
    steps.Run([this] { ResetScene(cpu_, marks_, false); });
    // The flight's last turn: nothing it made is used from here on.
    energyFont_ = nullptr;
    release_.Turn();
    steps.Finish();
}

}  // namespace

void FlightLoop(Processor& processor, ScriptObject& gameManager) {
    RunningFlight running;
    auto* manager = dynamic_cast<GameManagerObject*>(&gameManager);
    if (manager == nullptr) ThrowFatal("The flight needs the GameManager");
    manager->CheckAlive("GameManager");
    Flight(processor, *manager).Run();
}

bool FlightRunning() {
    return gFlightRunning;
}

FlightHooks& FlightCampaignHooks() {
    static FlightHooks hooks;
    return hooks;
}

void FlightLoopNative(ScriptObject* receiver) {
    Processor& processor = Actor::ProcessorOf(receiver);
    // The campaign's script flies round after round: what the rounds before made and destroyed is
    // given back as each flight begins.
    processor.ReleaseBetweenCalls(receiver);
    FlightLoop(processor, GameManagerObject::Of(receiver));
}
