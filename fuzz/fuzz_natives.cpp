// The game's natives against hostile calls: the game is started headless (the real start-up, every
// catalogue class registered) and the input is a list of steps that make objects of chosen classes
// and call methods and virtual methods on chosen receivers (objects the input made, the engine's
// own objects, deleted ones, class descriptors, objects of another class than the method's) with
// chosen arguments (edge integers such as 0x80000000 and 0xFFFFFFFF, texts, script memory,
// objects), and store such values where scripts may (into the fields natives hand out). A loop that waits for
// frames is stopped after a few of them. An engine error is a normal end of a step; a crash, a sanitizer
// report (overflows included) or any other exception is a hole.
//
// Input: steps until the input ends or kMaxSteps were made; a step is an operation byte and the
// bytes it reads:
//   0  new object: class, argument count, arguments
//   1  method:     receiver, class (bit 7 set: the receiver's own), method number, argument count,
//                  arguments
//   2  virtual:    receiver, virtual method number, argument count, arguments
//   3  delete:     value (as the DeleteObject operation does)
//   4  store:      address value, word offset (low 4 bits), value: a script's store, anywhere
// A value byte's top two bits choose the kind: edge integer; text, script memory or a value an
// earlier call left (field addresses among them); object; class.
// The game is started again every kInputsPerGame inputs, and when a call asked it to quit.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/script_memory.h"
#include "fuzz/game_steps.h"
#include "script/class_manager.h"
#include "script/native_catalogue.h"
#include "script/object_manager.h"
#include "script/operations.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "shell/frame_timer.h"
#include "shell/input_device.h"
#include "shell/input_queue.h"
#include "tests/support/game_harness.h"
#include "tools/content/game_content.h"
#include "tools/content/sound_builder.h"
#include "world/player.h"

namespace {

constexpr uint32_t kMaxSteps = 48;
constexpr uint32_t kMaxArguments = 7;
constexpr uint32_t kInputsPerGame = 1000;
// Game time a step may wait for frames before it is stopped.
constexpr uint32_t kStepBudgetMs = 6 * FrameTimer::kFramePeriod;
// Object IDs whose objects are offered as values and receivers.
constexpr uint32_t kWellKnownIds = 48;

const uint32_t kEdges[] = {
    0,           1,           2,           3,           4,           7,           8,          16,    20,
    100,         255,         256,         1000,        32767,       32768,       65535,      65536, 1000000,
    0x7FFFFFFFu, 0x80000000u, 0x80000001u, 0xC0000000u, 0xFFFFFF9Cu, 0xFFFFFFFEu, 0xFFFFFFFFu};

const char* const kTexts[] = {"",
                              "Default",
                              "P.dpf",
                              "Fuzz.mes",
                              "Fuzz.txt",
                              "Boom",
                              "Chars",
                              "system.mes",
                              "Player1.INPD",
                              "a text long enough to be wrapped over more than one line of a box",
                              "1 2 3",
                              "%d%s%n"};

class FuzzGame {
  public:
    FuzzGame() {
        harness_.AddPicture("P.dpf", {.entries = 3, .frames = 3, .width = 6, .height = 5});
        harness_.AddMessages("Fuzz.mes", {{1, "One"}, {2, "Two %d"}, {3, "Three"}});
        harness_.AddCharacteristics("Fuzz.txt", {{1, {10, std::string("Ten"), -3}}, {2, {0}}});
        harness_.AddSound("Boom", "Sounds\\Boom.wav", WaveFile(64));
        harness_.Start();
        // A pilot with an input device, for the natives that run with one (a dialog's loop).
        auto* pilot = new PlayerObject(harness_.Class("Player"));
        pilot->SetInput(std::make_unique<InputDevice>());
        harness_.Players().AppendObject(pilot);
        pilot_ = WeakObject(pilot);
        for (const char* text : kTexts) texts_.push_back(harness_.Text(text));
        scratch_ = harness_.Cpu().AllocateBlock(kScratchBytes);
        for (const NativeClassRow* row : NativeCatalogue()) {
            if (ZEMAClass* cls = harness_.Classes().Classes().Find(String(row->name)))
                classes_.push_back(cls);
        }
        budget_ = std::make_unique<StepBudget>(harness_, kStepBudgetMs);
    }
    ~FuzzGame() { budget_->Stop(); }
    FuzzGame(const FuzzGame&) = delete;
    FuzzGame& operator=(const FuzzGame&) = delete;

    bool Spoilt() { return harness_.Host().App().QuitRequested(); }

    void Run(InputBytes& in) {
        Processor& cpu = harness_.Cpu();
        wellKnown_.clear();
        for (uint32_t id = 0; id < kWellKnownIds; ++id) {
            if (ScriptObject* object = cpu.Objects().GetObject(id)) wellKnown_.push_back(object->Address());
        }
        if (pilot_.Get() != nullptr) wellKnown_.push_back(pilot_.Address());
        made_.clear();
        results_.clear();
        for (uint32_t step = 0; step < kMaxSteps && in.More(); ++step) Step(in);
        // What the input made goes the way a script deletes it.
        for (const WeakObject& ref : made_) {
            if (ref.Get() != nullptr) Guarded([&] { Delete(ref.Address()); });
        }
        KeyQueue().Drain();
        CharQueue().Drain();
    }

  private:
    static constexpr uint32_t kScratchBytes = 4096;
    static constexpr size_t kMaxResults = 16;

    void Step(InputBytes& in) {
        const uint8_t op = in.Next() % 5;
        if (op == 0) {
            ZEMAClass* cls = classes_[in.Next() % classes_.size()];
            const std::vector<uint32_t> arguments = Arguments(in);
            Guarded([&] {
                Push(arguments);
                if (ScriptObject* object = harness_.Cpu().NewObject(cls)) made_.emplace_back(object);
            });
        } else if (op == 1) {
            const uint32_t receiver = Value(in.Next());
            const uint8_t classPick = in.Next();
            const uint8_t number = in.Next();
            const std::vector<uint32_t> arguments = Arguments(in);
            Guarded([&] {
                ScriptObject* object = ScriptObject::FromAddress(receiver, 0, "receiver");
                ZEMAClass* cls =
                    (classPick & 0x80) != 0 ? object->Class() : classes_[classPick % classes_.size()];
                Push(arguments);
                harness_.Cpu().CallMethod(object, cls,
                                          cls != nullptr ? number % (cls->MethodCount() + 1) : 0);
            });
        } else if (op == 2) {
            const uint32_t receiver = Value(in.Next());
            const uint8_t number = in.Next();
            const std::vector<uint32_t> arguments = Arguments(in);
            Guarded([&] {
                ScriptObject* object = ScriptObject::FromAddress(receiver, 0, "receiver");
                const ZEMAClass* cls = object->Class();
                Push(arguments);
                harness_.Cpu().CallVirtual(object,
                                           cls != nullptr ? number % (cls->VirtualMethodCount() + 1) : 0);
            });
        } else if (op == 3) {
            const uint32_t value = Value(in.Next());
            Guarded([&] { Delete(value); });
        } else {
            const uint32_t address = Value(in.Next()) + 4 * (in.Next() % 16);
            const uint32_t value = Value(in.Next());
            Guarded([&] { ScriptStore32(address, value); });
        }
    }

    std::vector<uint32_t> Arguments(InputBytes& in) {
        std::vector<uint32_t> arguments(in.Next() % (kMaxArguments + 1));
        for (uint32_t& value : arguments) value = Value(in.Next());
        return arguments;
    }

    void Push(const std::vector<uint32_t>& arguments) {
        for (uint32_t value : arguments) harness_.Cpu().DataStack().Push(value);
    }

    void Delete(uint32_t value) {
        harness_.Cpu().DataStack().Push(value);
        ProcessorOps::DeleteObject(harness_.Cpu());
    }

    uint32_t Value(uint8_t pick) {
        const uint32_t index = pick & 0x3F;
        switch (pick >> 6) {
            case 0:
                return kEdges[index % std::size(kEdges)];
            case 1: {
                const uint32_t offsets[] = {0, kScratchBytes - 4, kScratchBytes};
                const size_t places = texts_.size() + std::size(offsets) + results_.size();
                const size_t at = index % places;
                if (at < texts_.size()) return texts_[at];
                if (at < texts_.size() + std::size(offsets)) return scratch_ + offsets[at - texts_.size()];
                return results_[at - texts_.size() - std::size(offsets)];
            }
            case 2: {
                // The input's objects (live or deleted) first, then the engine's.
                const size_t count = made_.size() + wellKnown_.size();
                if (count == 0) return 0;
                const size_t at = index % count;
                return at < made_.size() ? made_[at].Address() : wellKnown_[at - made_.size()];
            }
            default:
                return classes_[index % classes_.size()]->Address();
        }
    }

    // Runs a call as the engine runs one; what it left (field addresses, new objects, numbers) is
    // offered to later steps.
    template <class F>
    void Guarded(F&& call) {
        RunGuarded(harness_.Cpu(), *budget_, call, [this](uint32_t value) {
            if (results_.size() == kMaxResults) results_.erase(results_.begin());
            results_.push_back(value);
        });
    }

    GameHarness harness_;
    std::vector<uint32_t> texts_;
    uint32_t scratch_ = 0;
    std::vector<ZEMAClass*> classes_;
    std::vector<uint32_t> wellKnown_;
    std::vector<WeakObject> made_;
    std::vector<uint32_t> results_;
    WeakObject pilot_;
    std::unique_ptr<StepBudget> budget_;
};

}  // namespace

// Objects that the calls make and that end up nowhere are the calls' own leaks, as scripts leak
// them: leak checks would report what scripts may do.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InputBytes in(data, size);
    StartedGame<FuzzGame>(kInputsPerGame).Run(in);
    return 0;
}
