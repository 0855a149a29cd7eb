// When the memory of destroyed script objects is given back. A script may destroy any object it can
// name inside any call that native code makes into it, so native code that held that object (or
// walked a list it was in) across the call must still find readable memory afterwards.
// DestroyObject does everything a destruction means at once: destructor methods, what the object
// owns, its handle (no script value or WeakObject finds it again). Only its memory waits:
//  - nothing is released while a script call runs or a ReleaseHold lives;
//  - at each turn of a ReleaseLoop (the dialog and flight loops, between two frames) the objects
//    made since that loop began are released: no frame below the loop can have obtained them;
//  - when the last hold ends, everything waiting is released;
//  - a native that scripts call round after round (the campaign's flights and galaxy steps) releases,
//    before it obtains anything, the objects made since the innermost hold began
//    (ReleaseBetweenCalls): every native frame below was suspended in a call into scripts since
//    before they were made, and only the script frames between can still name them.
// So a pointer that a native frame obtained stays readable until that frame returns, whatever the
// scripts it calls destroy; the frame asks Alive() where the outcome depends on it. What is kept
// longer (in a structure, or across the turns of one's own loop) is kept as a WeakObject.
// Holds and waiting objects belong to the thread: scripts run on one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

class ScriptObject;

// While one lives, destroyed objects keep their memory. The processor holds for every call into
// script code; native code that calls scripts outside any call or loop (start-up, the game
// thread's top) holds for as long as it keeps pointers.
class ReleaseHold {
  public:
    ReleaseHold();
    ~ReleaseHold() {
        if (--holds == 0) ReleaseWaiting();
    }
    ReleaseHold(const ReleaseHold&) = delete;
    ReleaseHold& operator=(const ReleaseHold&) = delete;

    // Whether any hold of this thread lives.
    static bool Any() { return holds > 0; }

  private:
    // Taken on every call into script code, so kept to a counter of the thread's own.
    static thread_local uint32_t holds;
    static void ReleaseWaiting();
    friend void ReleaseBetweenCalls(const std::function<bool(const ScriptObject&)>& keep);
};

// A loop whose turns are points where its own frame keeps no pointer it obtained during a turn.
class ReleaseLoop {
  public:
    ReleaseLoop();
    ReleaseLoop(const ReleaseLoop&) = delete;
    ReleaseLoop& operator=(const ReleaseLoop&) = delete;

    // Between two turns: gives back the memory of the objects made since the loop began that have
    // been destroyed.
    void Turn();

  private:
    uint64_t firstBirth_;
    ReleaseHold hold_;
};

// The next birth number, strictly increasing over the process: it orders objects by when they were
// made.
uint64_t NextObjectBirth();
// For DestroyObject, once the object is destroyed: its memory goes now when nothing holds, else
// when it may.
void ReleaseWhenUnheld(ScriptObject* object);
// Native parts that frames may hold across script calls as objects are held (the display's buffer
// and surface, which a script may have rebuilt): given back by the same rules, birth being when they
// were made (NextObjectBirth).
void ReleaseLater(uint64_t birth, std::function<void()> release);
// For a native that scripts call round after round, on entry, before it obtains any pointer: gives
// back the memory of the objects and parts made since the innermost hold began that have been
// destroyed, except the objects keep names (Processor::ReleaseBetweenCalls keeps what the script
// frames still running need). Nothing when no hold lives.
void ReleaseBetweenCalls(const std::function<bool(const ScriptObject&)>& keep);
// Destroyed objects and parts of this thread whose memory waits, of those made from the birth given
// on (for tests and benchmarks).
size_t DestroyedAwaitingRelease(uint64_t madeFrom = 0);
