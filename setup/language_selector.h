// The language selector (Tonvik): run in the game folder, it lists "Language.lng" and writes the
// choice into "Language.LCFG".
#pragma once

#include <cstdint>

class SetupUi;

// The first language in sorted order is offered. The exit status: 0 when a language was written;
// 1 when the user cancelled or left the question without an answer, asked for a language the list
// does not have, the list could not be read or lists nothing, or the file could not be written (an
// older "Language.LCFG" stays as it was in every such case, and the last line says so).
int RunLanguageSelector(SetupUi& ui);
