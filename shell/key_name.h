// Display names of virtual-key codes, for the input settings screen: message number `code` of
// "Keys.mes". The message manager supplies the texts through a hook it installs at start-up, so
// this layer does not depend on it.
#pragma once

#include <cstdint>
#include <functional>

#include "foundation/engine_string.h"

// Gives the text of a message number in a message file, or throws WarnExep when the file lacks it.
using MessageTextSource = std::function<String(const String& file, uint32_t number)>;
void SetKeyNameSource(MessageTextSource source);
const MessageTextSource& InstalledKeyNameSource();

// "Unknown" for a code outside 0 to 256, when the message is missing, or when no source is installed.
String KeyName(int32_t code);
