#include "graphics/display_services.h"

#include "platform/app.h"
#include "platform/timer.h"

bool DisplayServices::Active() const {
    return !active || active();
}

void DisplayServices::CheckStop() const {
    if (stopRequested && stopRequested()) throw StopRequested{};
}

void DisplayServices::Pause(uint32_t ms) const {
    CheckStop();
    if (timer != nullptr) timer->Sleep(ms);
    CheckStop();
}

DisplayServices AppDisplayServices(App& app, Video& video, Timer& timer) {
    DisplayServices services;
    services.video = &video;
    services.timer = &timer;
    services.active = [&app] { return app.Active(); };
    services.stopRequested = [&app] { return app.QuitRequested(); };
    return services;
}
