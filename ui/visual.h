// The two bases of every game class. GTTClass fixes the virtual methods the whole game calls on any
// object (step, name, description, integer query, notification); a plain GTTClass object is a bare
// script object. Visual adds what every drawable object has: a picture, a position, a heading and an
// animation phase, kept in a VisualObject, and the rules that turn them into the frame to draw.
// Controls, actors and equipment items extend VisualObject with fields of their own.
#pragma once

#include <cstdint>
#include <span>

#include "foundation/engine_string.h"
#include "script/d_stack.h"
#include "script/script_fields.h"
#include "script/script_object.h"
#include "script/weak_object.h"

class Frame;
class Image;
class MethodRunner;
struct NativeClassRow;

// The fixed virtual method numbers of GTTClass and Visual.
constexpr uint32_t kStepVirtual = 2;
constexpr uint32_t kNameVirtual = 3;
constexpr uint32_t kDescriptionVirtual = 4;
constexpr uint32_t kQueryVirtual = 5;
constexpr uint32_t kNotifyVirtual = 6;
constexpr uint32_t kPictureCountVirtual = 7;
constexpr uint32_t kPictureVirtual = 8;

// Fields of a VisualObject, in order; a derived kind's own fields follow from kVisualFieldCount.
enum VisualField : uint32_t {
    kVisualPicture,  // script value of the picture, 0 for none
    kVisualX,        // position
    kVisualY,
    kVisualDirX,  // heading
    kVisualDirY,
    kVisualPhase,           // animation position in hundredths of a frame
    kVisualPhaseStep,       // added to the phase by each step; negative runs backwards
    kVisualShownDirection,  // direction index x 10 shown, -1 for none yet
    kVisualNextDirection,   // direction index x 10 chosen for this frame
    kVisualFlags,
    kVisualFieldCount
};

// Animation flags. With neither bounce nor hold the animation loops.
constexpr uint32_t kAnimBounce = 1;          // reverses at either end
constexpr uint32_t kAnimHold = 2;            // stays on the last frame
constexpr uint32_t kAnimFramesByCaller = 4;  // every frame of the entry is a picture of its own
constexpr uint32_t kAnimTurnGradually = 8;   // the shown direction turns one step per frame

// The native object of every Visual. Its fields live in one block in script memory, because natives
// hand scripts their addresses; whatever is read back from there is taken as untrusted.
class VisualObject : public ScriptObject {
  public:
    // extraFields zero-filled fields of a derived kind follow Visual's own.
    VisualObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t dirX, int32_t dirY,
                 uint32_t extraFields = 0);

    // Own field by index (Visual's and the derived kind's); FatalExep for an index beyond the block.
    uint32_t& Own(uint32_t index);
    uint32_t Own(uint32_t index) const;
    int32_t Int(uint32_t index) const { return static_cast<int32_t>(Own(index)); }
    void SetInt(uint32_t index, int32_t value) { Own(index) = static_cast<uint32_t>(value); }
    // The reference scripts get for a field: its script address.
    uint32_t OwnAddress(uint32_t index) const;
    uint32_t OwnCount() const { return own_.Count(); }

    // The picture field: null for 0; FatalExep when it does not name a picture.
    Image* Picture() const;

    // Default of virtual method 7: 1, or the frame count of the current direction entry when the
    // frames are chosen by the caller (0 without a picture).
    uint32_t PictureCount();
    // Default of virtual method 8 for picture i: the frame to draw and its orientation code; x and y
    // are the position fields. Null without a picture.
    Frame* SelectFrame(int32_t i, uint32_t& orientation);
    // Default of virtual method 2: the phase advances by its step and the chosen direction is shown.
    void Step();

    // The receiver of a Visual native; FatalExep when it is not a Visual.
    static VisualObject& Of(ScriptObject* receiver);

  private:
    ScriptFields own_;
    // The picture it was made with, held weakly beside the field: a picture a scene reset took reads
    // as none while the field still names it.
    WeakObject picture_;
};

// Binding and the native calls into the GTTClass virtual methods. Each call uses the processor of
// the object's class, pushes the arguments, calls the virtual method and pops the results.
struct GTTClass {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    static void CallStep(ScriptObject* object, int32_t value);
    static String CallGetName(ScriptObject* object);
    static String CallGetDescription(ScriptObject* object);
};

struct Visual {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    static uint32_t CallEvent7(ScriptObject* object);
    // Virtual method 8: the frame's script value; x, y and orientation through the out-arguments.
    static uint32_t CallEvent8(ScriptObject* object, int32_t i, int32_t& x, int32_t& y,
                               uint32_t& orientation);
    static int32_t CallEvent9First(ScriptObject* object, int32_t i);
    static int32_t CallEvent9Second(ScriptObject* object, int32_t i);
    static int32_t CallEvent10(ScriptObject* object, int32_t i);
    static int32_t CallEvent12(ScriptObject* object, int32_t i);
};

// A constant answer of the per-entry methods (virtual 9-12): takes the entry index and pushes the
// values in the order given.
void AnswerEntry(ScriptObject* receiver, std::span<const uint32_t> values);
template <uint32_t... Values>
void ConstantEntryAnswer(ScriptObject* receiver) {
    static constexpr uint32_t values[] = {Values...};
    AnswerEntry(receiver, values);
}

// Answers virtual method 8 (as CallEvent8 pops it): the frame's script value (0 for none), the
// picture's place and its orientation.
void PushPictureAnswer(DStack<uint32_t>& stack, const Frame* frame, int32_t x, int32_t y,
                       uint32_t orientation);
void PushPictureAnswer(DStack<uint32_t>& stack, uint32_t frame, int32_t x, int32_t y, uint32_t orientation);

// Visual's own answer to per-entry method number (9-12), the values in pushing order; also what an
// actor answers for an entry it does not hold.
std::span<const uint32_t> VisualEntryAnswer(uint32_t number);

// Fixed wrappers the flight, the dialog loop, the player and the equipment code use.
void CallScriptMethod7(ScriptObject* object);
int32_t CallScriptMethod13PopInt(ScriptObject* object);
void CallScriptMethodPushInt(ScriptObject* object, int32_t value);
int32_t CallScriptMethod16PopInt(ScriptObject* object);
