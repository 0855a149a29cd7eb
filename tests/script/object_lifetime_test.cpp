// Objects that scripts destroy under native code: when their memory goes, clean-up steps and the
// errors of destructor methods, the processor put back after a dropped error, and lists whose items'
// destructors change them.
#include "script/object_lifetime.h"

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "script/cleanup_steps.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/weak_object.h"
#include "tests/script/processor_fixture.h"
#include "tests/support/working_folder.h"
#include "tools/content/script_assembler.h"

namespace {

std::string NotValid(uint32_t address, const char* what) {
    char text[96];
    std::snprintf(text, sizeof text, "Not a valid object at 0x%08X where %s expected", address, what);
    return text;
}

// Counts the deletions of its C++ objects: when the memory goes.
class Counted : public ScriptObject {
  public:
    Counted(ZEMAClass* cls, int& released) : ScriptObject(cls), released_(released) {}
    ~Counted() override { ++released_; }

  private:
    int& released_;
};

// A class of the given name whose method 1 (the destructor method) is the code assembled by body;
// method 0 creates an instance. Uses [itself, ObjectManager]; two fields.
ClassLibraryBuilder WithDestructor(const char* name, void (*body)(ScriptAssembler&)) {
    ScriptAssembler a;
    const uint32_t m0 = a.Method();
    a.Op(Op::CreateInstance);
    a.Return();
    const uint32_t m1 = a.Method();
    body(a);
    a.Return();
    auto b = ClassLibraryBuilder::Named(name, {"ObjectManager"});
    b.instanceFields = 2;
    b.methods = std::vector<uint32_t>{m0, m1};
    b.virtualMethods = std::vector<uint32_t>{0, 0};
    b.code = a.Finish();
    return b;
}

void PushField(ScriptAssembler& a, uint32_t field) {
    a.Op(Op::PushInline, {field});
    a.Op(Op::FieldAddress);
    a.Op(Op::Fetch);
}

class ObjectLifetimeTest : public ProcessorTest {
  protected:
    void SetUp() override {
        OpenArchive({
            WithDestructor("Quiet", [](ScriptAssembler&) {}),
            // Pushes 666, then reads address 0.
            WithDestructor("Failing",
                           [](ScriptAssembler& a) {
                               a.Op(Op::PushInline, {666});
                               a.Op(Op::PushZero);
                               a.Op(Op::Fetch);
                           }),
            // Drops its caller's two values, pushes two of its own, then reads address 0.
            WithDestructor("Clobbering",
                           [](ScriptAssembler& a) {
                               a.Op(Op::Drop);
                               a.Op(Op::Drop);
                               a.Op(Op::PushInline, {111});
                               a.Op(Op::PushInline, {222});
                               a.Op(Op::PushZero);
                               a.Op(Op::Fetch);
                           }),
            // Deletes the object in its field 0.
            WithDestructor("Deleter",
                           [](ScriptAssembler& a) {
                               PushField(a, 0);
                               a.Op(Op::DeleteObject);
                           }),
            // Adds the object in its field 1 to the list in its field 0 (ObjectManager method 4).
            WithDestructor("Appender",
                           [](ScriptAssembler& a) {
                               PushField(a, 1);
                               a.Call(4, 1, ScriptAssembler::Receiver::Field, 0);
                           }),
            // Clears the list in its field 0 (ObjectManager method 13).
            WithDestructor("Clearer",
                           [](ScriptAssembler& a) { a.Call(13, 1, ScriptAssembler::Receiver::Field, 0); }),
        });
        quiet = Cpu().ClassByName("Quiet");
        failing = Cpu().ClassByName("Failing");
        fetchError = ErrorMessage([&] { RunCode({OpWord(Op::PushZero), OpWord(Op::Fetch), kReturnWord}); });
        ClearStacks();
    }

    // Runs code on a Quiet object, as a script would.
    std::string RunScript(std::vector<uint32_t> words) {
        words.push_back(kReturnWord);
        return ErrorMessage([&] { RunOn(quiet, object.get(), words); });
    }

    ZEMAClass* quiet = nullptr;
    ZEMAClass* failing = nullptr;
    std::string fetchError;
};

// --- when the memory goes ---

TEST_F(ObjectLifetimeTest, DestroyedObjectsKeepTheirMemoryWhileHeld) {
    int released = 0;
    auto* lone = new Counted(quiet, released);
    DestroyObject(lone);
    EXPECT_EQ(released, 1) << "nothing holds: at once";

    Counted* held = nullptr;
    uint32_t address = 0;
    {
        const ReleaseHold hold;
        held = new Counted(quiet, released);
        address = held->Address();
        const WeakObject weak(held);
        DestroyObject(held);
        EXPECT_EQ(released, 1);
        EXPECT_TRUE(held->Destroyed());
        EXPECT_FALSE(held->Alive());
        EXPECT_EQ(weak.Get(), nullptr);
        EXPECT_EQ(ErrorMessage([&] { ScriptObject::FromAddress(address, 0, "object"); }),
                  NotValid(address, "object"));
        EXPECT_EQ(ErrorMessage([&] { Cpu().CallVirtual(held, 0); }), NotValid(address, "receiver"));
        EXPECT_EQ(DestroyedAwaitingRelease(), 1u);
    }
    EXPECT_EQ(released, 2);
    EXPECT_EQ(DestroyedAwaitingRelease(), 0u);
}

TEST_F(ObjectLifetimeTest, ALoopTurnReleasesOnlyWhatWasMadeSinceItBegan) {
    int before = 0;
    int during = 0;
    int inner = 0;
    {
        const ReleaseHold hold;
        auto* old = new Counted(quiet, before);
        ReleaseLoop loop;
        auto* made = new Counted(quiet, during);
        DestroyObject(old);
        DestroyObject(made);
        {
            // A loop inside a turn of the outer one: what the outer turn made before it began is
            // not its to release, even when destroyed inside it.
            auto* outerMade = new Counted(quiet, inner);
            ReleaseLoop nested;
            DestroyObject(outerMade);
            nested.Turn();
            EXPECT_EQ(inner, 0);
        }
        loop.Turn();
        EXPECT_EQ(during, 1);
        EXPECT_EQ(inner, 1);
        EXPECT_EQ(before, 0) << "a frame below the loop may hold it";
    }
    EXPECT_EQ(before, 1);
}

// --- clean-up steps ---

TEST_F(ObjectLifetimeTest, CleanupStepsPassTheFirstErrorOnAndUndoTheOnesDropped) {
    struct Row {
        const char* name;
        CleanupSteps::FirstError mode;
        std::vector<uint32_t> data;  // after the three steps
        std::string passedOn;
        std::vector<const char*> logged;
    };
    const std::vector<Row> rows{
        {"first passed on", CleanupSteps::FirstError::kPassOn, {1, 3}, "first", {"second"}},
        {"all logged", CleanupSteps::FirstError::kLog, {3}, "no error", {"first", "second"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const WorkingFolder folder;
        ClearStacks();
        const std::string error = ErrorMessage([&] {
            CleanupSteps steps(Cpu(), row.mode);
            steps.Run([&] {
                Cpu().DataStack().Push(1);
                ThrowFatal("first");
            });
            steps.Run([&] {
                Cpu().DataStack().Push(2);
                ThrowFatal("second");
            });
            steps.Run([&] { Cpu().DataStack().Push(3); });
            steps.Finish();
        });
        EXPECT_EQ(error, row.passedOn);
        EXPECT_EQ(Data(), row.data);
        for (const char* text : row.logged) {
            EXPECT_NE(folder.Log().find(std::string(" : ") + text + "\n"), std::string::npos) << folder.Log();
        }
    }
}

TEST_F(ObjectLifetimeTest, WhileAnErrorUnwindsEveryStepErrorIsLoggedAndOthersNamedByTheirText) {
    const WorkingFolder folder;
    struct Owner {
        Processor& cpu;
        ~Owner() {
            CleanupSteps steps(cpu);
            steps.Run([] { ThrowFatal("late"); });
            steps.Run([] { throw std::bad_alloc(); });
            steps.Finish();
        }
    };
    EXPECT_EQ(ErrorMessage([&] {
                  const Owner owner{Cpu()};
                  ThrowFatal("on its way");
              }),
              "on its way");
    EXPECT_NE(folder.Log().find(" : late\n"), std::string::npos) << folder.Log();
    EXPECT_NE(folder.Log().find(" : std::bad_alloc\n"), std::string::npos) << folder.Log();
}

TEST_F(ObjectLifetimeTest, ASavedStateWithContentsUndoesWhatAFailedStepPoppedAndWrote) {
    SetData({10, 20, 30});
    const RunnerState saved = Cpu().SaveState(true);
    Cpu().DataStack().Pop();
    Cpu().DataStack().Pop();
    Cpu().DataStack().Push(666);
    Cpu().LocalsStack().Push(5);
    Cpu().SetPC(0x1234);
    Cpu().RestoreState(saved);
    EXPECT_EQ(Data(), (std::vector<uint32_t>{10, 20, 30}));
    EXPECT_EQ(Cpu().LocalsStack().Depth(), 0u);
    EXPECT_EQ(Cpu().PC(), saved.pc);
}

// --- destructor methods that fail ---

// A script deletes a list whose item's destructor method fails: the error reaches the script once
// the list and its items are gone; a second failing item is logged, and the processor stands where
// the first error left it (its 666 and 0 pushed, the second's not).
TEST_F(ObjectLifetimeTest, AFailingDestructorMethodReachesTheScriptThatDeleted) {
    for (int failingItems : {1, 2}) {
        SCOPED_TRACE(failingItems);
        const WorkingFolder folder;
        ClearStacks();
        auto* list = new ObjectManager(&Cpu(), 1);
        std::vector<WeakObject> items;
        for (int i = 0; i < failingItems; ++i) {
            auto* item = new ScriptObject(failing);
            items.emplace_back(item);
            list->AppendObject(item);
        }
        const WeakObject listRef(list);
        EXPECT_EQ(RunScript({OpWord(Op::PushInline), list->Address(), OpWord(Op::DeleteObject),
                             OpWord(Op::PushInline), 42}),
                  fetchError);
        EXPECT_EQ(listRef.Get(), nullptr);
        for (const WeakObject& item : items) EXPECT_EQ(item.Get(), nullptr);
        EXPECT_EQ(Data(), (std::vector<uint32_t>{666, 0}));
        EXPECT_EQ(folder.Log().find(fetchError) != std::string::npos, failingItems == 2) << folder.Log();
    }
}

// Between two calls of a native that scripts call round after round, what was made and destroyed
// since the innermost hold began goes; what is older, and the receivers of the script frames still
// running, stay.
TEST_F(ObjectLifetimeTest, BetweenCallsWhatTheRoundsMadeAndDestroyedGoes) {
    const ReleaseHold caller;
    auto* older = new ScriptObject(quiet);
    const ReleaseHold innermost;
    auto* made = new ScriptObject(quiet);
    auto* running = new ScriptObject(quiet);
    const uint32_t runningAddress = running->Address();
    DestroyObject(older);
    DestroyObject(made);
    DestroyObject(running);
    Cpu().ObjectStack().Push(runningAddress);
    Cpu().ReleaseBetweenCalls(nullptr);
    EXPECT_EQ(DestroyedAwaitingRelease(), 2u) << "the older one and the running frame's receiver";
    // The running frame's receiver keeps its header: no new object is given its address.
    auto* next = new ScriptObject(quiet);
    EXPECT_NE(next->Address(), runningAddress);
    DestroyObject(next);
    Cpu().ObjectStack().Pop();
    Cpu().ReleaseBetweenCalls(nullptr);
    EXPECT_EQ(DestroyedAwaitingRelease(), 1u) << "the older one";
}

TEST_F(ObjectLifetimeTest, DiscardingPutsTheProcessorBackWhereItStood) {
    // One destructor only pushes before it fails; the other also overwrites its caller's values.
    for (const char* cls : {"Failing", "Clobbering"}) {
        SCOPED_TRACE(cls);
        const WorkingFolder folder;
        SetData({7, 8});
        Cpu().SetPC(0x2000);
        const RunnerState before = Cpu().SaveState(false);
        auto* item = new ScriptObject(Cpu().ClassByName(cls));
        const WeakObject ref(item);
        DiscardObject(item);
        EXPECT_EQ(ref.Get(), nullptr);
        EXPECT_EQ(Data(), (std::vector<uint32_t>{7, 8}));
        EXPECT_EQ(Cpu().PC(), before.pc);
        for (int i = 0; i < RunnerState::kStacks; ++i)
            EXPECT_EQ(Cpu().SaveState(false).depths[i], before.depths[i]);
        EXPECT_NE(folder.Log().find(fetchError), std::string::npos) << folder.Log();
    }
}

// After a first error that passes on, a later step that overwrites what lies below it and fails is
// undone whole: the processor stands where the first error left it.
TEST_F(ObjectLifetimeTest, AStepLoggedAfterTheFirstErrorIsUndoneWhole) {
    const WorkingFolder folder;
    SetData({7, 8});
    std::string first;
    {
        CleanupSteps steps(Cpu());
        steps.Run([&] { DestroyObject(new ScriptObject(failing)); });
        steps.Run([&] { DestroyObject(new ScriptObject(Cpu().ClassByName("Clobbering"))); });
        first = ErrorMessage([&] { steps.Finish(); });
    }
    EXPECT_EQ(first, fetchError);
    EXPECT_EQ(Data(), (std::vector<uint32_t>{7, 8, 666, 0}));
}

// --- lists whose items' destructors change them ---

TEST_F(ObjectLifetimeTest, ClearingAListWhoseItemsChangeOrDeleteIt) {
    struct Row {
        const char* itemClass;  // the first item's
        bool listSurvives;
        bool keepsTheAdded;
    };
    const std::vector<Row> rows{
        {"Deleter", false, false},
        {"Appender", true, true},
        {"Clearer", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.itemClass);
        const ReleaseHold hold;
        auto* list = new ObjectManager(&Cpu(), 1);
        const WeakObject listRef(list);
        auto* first = new ScriptObject(Cpu().ClassByName(row.itemClass));
        auto* added = new ScriptObject(quiet);
        first->Field(0) = list->Address();
        first->Field(1) = added->Address();
        const WeakObject firstRef(first);
        const WeakObject second(new ScriptObject(quiet));
        list->AppendObject(first);
        list->AppendObject(second.Get());
        EXPECT_EQ(ErrorMessage([&] { list->ClearList(); }), "no error");
        EXPECT_EQ(firstRef.Get(), nullptr);
        EXPECT_EQ(second.Get(), nullptr);
        EXPECT_EQ(listRef.Get() != nullptr, row.listSurvives);
        if (row.listSurvives) {
            EXPECT_EQ(list->ObjectList().Count(), row.keepsTheAdded ? 1u : 0u);
            DestroyObject(list);
        }
        if (!row.keepsTheAdded) DestroyObject(added);
    }
}

TEST_F(ObjectLifetimeTest, AWalkVisitsWhatWasThereWhenItBegan) {
    auto* list = new ObjectManager(&Cpu(), 1);
    std::vector<ScriptObject*> made;
    for (int i = 0; i < 3; ++i) {
        made.push_back(new ScriptObject(quiet));
        list->AppendObject(made.back());
    }
    std::vector<ScriptObject*> visited;
    {
        const ObjectWalk<> walk(ObjectWalk<>::ItemsOf(list->ObjectList()));
        walk.ForEachAlive([&](ScriptObject& entry) {
            visited.push_back(&entry);
            // What a script might do from the first visit: destroy the next, add one, move the cursor.
            if (visited.size() == 1) {
                DestroyObject(made[1]);
                list->AppendObject(new ScriptObject(quiet));
                list->ObjectList().First();
            }
        });
    }
    EXPECT_EQ(visited, (std::vector<ScriptObject*>{made[0], made[2]}));
    DestroyObject(list);
}

}  // namespace
