#include "foundation/version_words.h"

// Until the version blocks exist the words read as constructed: all zero.
VersionWords ProgramVersionWords() { return {}; }
VersionWords DataVersionWords() { return {}; }
