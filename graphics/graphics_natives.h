// The graphics subsystem's native classes: start-up registers their binders once, so that a
// descriptor made for one of these names from the class catalogue binds the same methods as the
// managers themselves do.
#pragma once

void RegisterGraphicsNatives();
