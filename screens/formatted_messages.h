// The message texts the engine fills with values as it shows them: for each, its file and number,
// what fills its places in order, and the formatter that fills them. A message file's text of such a
// number holds one place (a conversion of that formatter) for each value, no more and no fewer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/engine_string.h"

class Processor;

struct FormattedMessage {
    const char* file;
    uint32_t number;
    std::vector<std::string> values;  // what fills the places, in order
    String (*format)(std::string_view text, const std::vector<std::string>& values);
};

// Every message text the engine formats.
const std::vector<FormattedMessage>& FormattedMessages();

// The text of "system.mes" with the values in its places. FatalExep when the table above does not
// list the number with as many values: a formatted text is always one the table, and so the check
// of the message files against it, knows.
String FormatSystemMessage(Processor& processor, uint32_t number, const std::vector<std::string>& values);
