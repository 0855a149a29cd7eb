// What the display needs from the platform and the shell: the video it shows frames on, the clock
// it sleeps on between tries, whether the game is in the foreground, and whether the program is
// being stopped. Waits and retry loops check the stop request on every pass, so that a stop never
// waits on a lost surface or a busy screen.
#pragma once

#include <cstdint>
#include <functional>

class App;
class Timer;
class Video;

// Thrown out of a wait when the program is asked to stop. Deliberately not a DExep, so that no
// engine error handler takes it for an error: it unwinds the game thread to its end.
class StopRequested {};

struct DisplayServices {
    Video* video = nullptr;
    Timer* timer = nullptr;
    // Null: always active.
    std::function<bool()> active;
    // Null: never asked to stop.
    std::function<bool()> stopRequested;

    bool Active() const;
    // Throws StopRequested when the program is being stopped.
    void CheckStop() const;
    // One pause of a retry loop: checks the stop request, sleeps on the timer, checks again.
    void Pause(uint32_t ms) const;
};

// Services over the app's active flag and quit request.
DisplayServices AppDisplayServices(App& app, Video& video, Timer& timer);
