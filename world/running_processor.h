// The processor that runs a script object's methods, for natives that need more than its runner.
#pragma once

class Processor;
class ScriptObject;

// FatalExep "<what> without a processor" when the object's methods run on another kind of runner.
Processor& RunningProcessor(ScriptObject* object, const char* what);
