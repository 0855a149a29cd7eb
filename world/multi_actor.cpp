#include "world/multi_actor.h"

#include <algorithm>

#include "foundation/exceptions.h"
#include "script/cleanup_steps.h"
#include "script/create_native.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_walk.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "shell/draw_layers.h"
#include "world/entry_defaults.h"

namespace {

// A member leaving play (managers that also hold it let go of it as it goes); one the engine keeps or
// one already being destroyed is left alone.
void DestroyMember(ScriptObject* member) {
    if (member == nullptr || member->KeptByEngine() || !member->Alive()) return;
    DestroyObject(member);
}

// MultiActors inside MultiActors call each other natively, below the processor's own bound on
// nested script calls: each handler that reaches into the members counts its depth here.
constexpr int kMaxMultiNesting = 32;
thread_local int multiNesting = 0;

class NestingGuard {
  public:
    NestingGuard() {
        if (multiNesting >= kMaxMultiNesting) ThrowFatal("MultiActors nested too deeply");
        ++multiNesting;
    }
    ~NestingGuard() { --multiNesting; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
};

void MultiStep(ScriptObject* receiver) {
    NestingGuard nesting;
    MultiActorObject& multi = MultiActorObject::Of(receiver);
    MultiActor::Step(multi, NativeArgs(receiver).Int());
}

void MultiEntryCount(ScriptObject* receiver) {
    NestingGuard nesting;
    MultiActorObject& multi = MultiActorObject::Of(receiver);
    const uint32_t count = MultiActor::EntryCount(multi);
    NativeArgs(receiver).Stack().Push(count);
}

// Virtual methods 8 to 12, 16 and 17: asked of the member holding the entry.
template <uint32_t Number>
void MemberEntry(ScriptObject* receiver) {
    NestingGuard nesting;
    MultiActorObject& multi = MultiActorObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t i = args.Int();
    int32_t within = 0;
    ActorObject* member = multi.MemberOfEntry(i, within);
    if (member != nullptr) {
        args.Stack().Push(static_cast<uint32_t>(within));
        RunnerOf(member).CallVirtual(member, Number);
    } else if (Number == kDamageTableVirtual) {
        args.Stack().Push(multi.DamageTableAddress());
    } else if (Number == kArmourTableVirtual) {
        args.Stack().Push(multi.ArmourTableAddress());
    } else {
        PushEntryDefaults(multi, Number, args.Stack());
    }
}

void MultiHit(ScriptObject* receiver) {
    NestingGuard nesting;
    MultiActorObject& multi = MultiActorObject::Of(receiver);
    NativeArgs args(receiver);
    const uint32_t table = args.Word();
    const uint32_t attacker = args.Word();
    const int32_t entry = args.Int();
    int32_t within = 0;
    ActorObject* member = multi.MemberOfEntry(entry, within);
    if (member == nullptr) {
        Actor::TakeHit(multi, table,
                       attacker != 0 ? ScriptObject::FromAddress(attacker, 0, "attacker") : nullptr, entry);
        return;
    }
    DStack<uint32_t>& stack = args.Stack();
    stack.Push(static_cast<uint32_t>(within));
    stack.Push(attacker);
    stack.Push(table);
    RunnerOf(member).CallVirtual(member, kHitVirtual);
}

void AppendMember(ScriptObject* receiver) {
    MultiActorObject& multi = MultiActorObject::Of(receiver);
    ScriptObject* object = NativeArgs(receiver).Object(0, "member");
    multi.Append(ActorObject::Of(object));
}

}  // namespace

MultiActorObject::MultiActorObject(ZEMAClass* cls, int32_t x, int32_t y)
    : ActorObject(cls, 0, 0, x, y, 0, 0, 0, 0) {}

void MultiActorObject::ReleaseOwned() {
    // Taken out first: a member's destructor script that looks at this actor finds no members. The
    // members of member MultiActors join the walk before those are destroyed, so however deep the
    // nesting, destruction never recurses through it.
    CleanupSteps steps(this);
    std::vector<WeakObject> pending;
    pending.swap(members_);
    for (size_t i = 0; i < pending.size(); ++i) {
        ActorObject* member = pending[i].As<ActorObject>();
        if (auto* inner = dynamic_cast<MultiActorObject*>(member)) {
            pending.insert(pending.end(), inner->members_.begin(), inner->members_.end());
            inner->members_.clear();
        }
        steps.Run([member] { DestroyMember(member); });
    }
    steps.Finish();
    ActorObject::ReleaseOwned();
}

void MultiActorObject::Append(ActorObject& member) {
    if (&member == this) ThrowFatal("A MultiActor cannot be a member of itself");
    CheckAlive("MultiActor");
    CheckNotBeingDestroyed(&member);
    auto* multi = dynamic_cast<MultiActorObject*>(&member);
    if (multi != nullptr && multi->Holds(*this)) {
        ThrowFatal("A MultiActor cannot be a member of a MultiActor it holds");
    }
    // Owned once: listed twice it would be stepped twice a step.
    if (std::find(members_.begin(), members_.end(), WeakObject(&member)) != members_.end()) return;
    members_.emplace_back(&member);
}

std::vector<ActorObject*> MultiActorObject::Members() {
    std::vector<ActorObject*> live;
    std::vector<WeakObject> kept;
    for (const WeakObject& entry : members_) {
        if (ActorObject* member = entry.As<ActorObject>()) {
            live.push_back(member);
            kept.push_back(entry);
        }
    }
    members_.swap(kept);
    return live;
}

bool MultiActorObject::Holds(const ActorObject& actor) {
    // Appending refuses loops, so the walk down the members ends; it keeps its own list of what is
    // still to look at rather than recursing as deep as the nesting goes.
    std::vector<MultiActorObject*> pending{this};
    while (!pending.empty()) {
        MultiActorObject* multi = pending.back();
        pending.pop_back();
        for (ActorObject* member : multi->Members()) {
            if (member == &actor) return true;
            if (auto* inner = dynamic_cast<MultiActorObject*>(member)) pending.push_back(inner);
        }
    }
    return false;
}

ActorObject* MultiActorObject::MemberOfEntry(int32_t i, int32_t& within) {
    if (i < 0) return nullptr;
    int64_t first = 0;
    for (const WeakObject& entry : members_) {
        ActorObject* member = entry.As<ActorObject>();
        if (member == nullptr) continue;
        // Counts are read back from script memory: a negative one holds nothing.
        const int64_t count = std::max(member->DrawnCount(), 0);
        if (i < first + count) {
            within = static_cast<int32_t>(i - first);
            return member;
        }
        first += count;
    }
    return nullptr;
}

MultiActorObject& MultiActorObject::Of(ScriptObject* receiver) {
    return ReceiverOf<MultiActorObject>(receiver, "MultiActor object expected");
}

void MultiActor::Step(MultiActorObject& multi, int32_t argument) {
    int32_t result = kActorGone;
    // The members when the step began, each once: one a script appends meanwhile steps next time.
    const ObjectWalk<ActorObject> walk(multi.Members());
    walk.ForEachAlive([&](ActorObject& member) {
        // A member's script may delete the MultiActor: nothing of it is touched once it is gone.
        if (!multi.Alive()) return;
        GTTClass::CallStep(&member, argument);
        if (!multi.Alive() || !member.Alive()) return;
        const int32_t state = member.State();
        if (state == kActorAlive) return;
        if (state == kActorDestroyed) {
            result = kActorDestroyed;
            RunnerOf(&member).CallVirtual(&member, kExplodeVirtual);
        } else if (state == kActorGone) {
            RunnerOf(&member).CallVirtual(&member, kGoneVirtual);
        }
        if (!multi.Alive()) return;
        std::erase(multi.members_, WeakObject(&member));
        DestroyMember(&member);
    });
    if (multi.Alive() && multi.Members().empty()) multi.SetState(result);
}

uint32_t MultiActor::EntryCount(MultiActorObject& multi) {
    int64_t total = 0;
    // Each member is looked up just before it is asked: a member's script may delete another.
    const ObjectWalk<ActorObject> walk(multi.Members());
    walk.ForEachAlive([&](ActorObject& member) {
        const int32_t count = VisibleEntryCount(Visual::CallEvent7(&member));
        if (!member.Alive()) return;
        member.SetDrawnCount(count);
        total += count;
    });
    return static_cast<uint32_t>(std::min<int64_t>(total, INT32_MAX));
}

void MultiActor::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(MultiStep, kStepVirtual);
    target.SetVirtualMethod(MultiEntryCount, kPictureCountVirtual);
    target.SetVirtualMethod(MemberEntry<kPictureVirtual>, kPictureVirtual);
    target.SetVirtualMethod(MemberEntry<9>, 9);
    target.SetVirtualMethod(MemberEntry<kLayerVirtual>, kLayerVirtual);
    target.SetVirtualMethod(MemberEntry<11>, 11);
    target.SetVirtualMethod(MemberEntry<12>, 12);
    target.SetVirtualMethod(MultiHit, kHitVirtual);
    target.SetVirtualMethod(MemberEntry<kDamageTableVirtual>, kDamageTableVirtual);
    target.SetVirtualMethod(MemberEntry<kArmourTableVirtual>, kArmourTableVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<MultiActorObject, "class", int32_t, int32_t>, kCreateObjectMethod);
    target.SetMethod(AppendMember, 35);
}
