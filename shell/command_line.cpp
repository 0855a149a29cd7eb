#include "shell/command_line.h"

#include "foundation/trace_flag.h"
#include "shell/game_globals.h"

StartOptions ParseCommandLine(const char* arguments) {
    const char first = arguments != nullptr ? arguments[0] : '\0';
    switch (first) {
        case 'f':
            return {kStartTestRunA, true};
        case 'e':
            return {kStartTestRunB, true};
        case 'p':
            return {kStartPlayerSetup, true};
        case 'd':
            return {kStartNormal, true};
        default:
            return {kStartNormal, false};
    }
}

void ApplyCommandLine(const char* arguments) {
    const StartOptions options = ParseCommandLine(arguments);
    Game().startMode = options.startMode;
    SetTraceFlag(options.trace);
}
