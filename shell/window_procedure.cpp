#include "shell/window_procedure.h"

#include "platform/audio.h"
#include "shell/input_queue.h"

int32_t MainWndProc(Audio& audio, uint32_t message, uint32_t, int32_t lParam) {
    switch (message) {
        case kPlayCdTrack:
            // A track of 0 or less means: go on from where the disc stands.
            audio.PlayCD(lParam > 0 ? (lParam & 0xFF) : 0, false);
            return 0;
        case kStopCd:
            audio.StopCD();
            return 0;
        default:
            return 0;
    }
}

void ConnectWindowProcedure(App& app, InputQueue& keys, InputQueue& characters) {
    ConnectInputQueues(app, keys, characters);
}
