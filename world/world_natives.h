// The game world's native classes: one call, made by start-up through its hook, registers the
// binders of every class of this folder by class name.
#pragma once

void RegisterWorldNatives();
