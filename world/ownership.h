// Script objects that a native object owns: a bonus's item, a weapon's ammunition, what a supply
// queue or cargo holds. Taking one checks that it may be owned; letting go destroys it the way
// scripts destroy objects.
#pragma once

class Processor;
class ScriptObject;

// An object about to be owned (carried, queued, loaded), which it may then destroy: FatalExep naming
// what takes it when the engine keeps the object. Null passes.
ScriptObject* Ownable(Processor& processor, ScriptObject* object, const char* what);
// An owner letting go of an object it owns: destroys it (every object table and list that holds it
// lets go of it too). Null, and an object whose destruction has begun, are left alone: another
// destruction is under way and finishes it.
void DestroyOwned(ScriptObject* object);
