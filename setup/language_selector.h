// The language selector (Tonvik): run in the game folder, it lists "Language.lng" and writes the
// choice into "Language.LCFG".
#pragma once

class SetupUi;

// The exit status: 0 when a language was written or the user cancelled, 1 when the list could not
// be read or the file could not be written (an older "Language.LCFG" then stays as it was).
int RunLanguageSelector(SetupUi& ui);
