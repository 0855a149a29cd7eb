#include "screens/formatted_messages.h"

#include <algorithm>

#include "foundation/exceptions.h"
#include "screens/shop_dialog.h"
#include "screens/shop_texts.h"
#include "ui/window_services.h"
#include "world/supply.h"

namespace {

constexpr const char* kSystemTexts = "system.mes";

// The supply's question takes one name.
String FormatName(std::string_view text, const std::vector<std::string>& values) {
    return FormatWithName(text, values.empty() ? std::string_view() : std::string_view(values.front()));
}

}  // namespace

const std::vector<FormattedMessage>& FormattedMessages() {
    static const std::vector<FormattedMessage> messages = {
        {kSystemTexts, kFitsQuestionText, {"the item's name", "its price"}, FormatMessage},
        {kSystemTexts, kMisfitQuestionText, {"the item's name", "its price"}, FormatMessage},
        {kSystemTexts,
         kShipQuestionText,
         {"the ship's name", "its price", "what the current ship counts for"},
         FormatMessage},
        {kSystemTexts, kSellQuestionText, {"the price"}, FormatMessage},
        {kSystemTexts, kRechargeQuestionText, {"the cost"}, FormatMessage},
        {kSystemTexts, kSellShipOnBuyText, {"the player's name"}, FormatMessage},
        {kSystemTexts, kSellShipOnCloseText, {"the player's name"}, FormatMessage},
        {kSystemTexts, kSignContractMessage, {"the supplier's name"}, FormatName},
    };
    return messages;
}

String FormatSystemMessage(Processor& processor, uint32_t number, const std::vector<std::string>& values) {
    const auto& listed = FormattedMessages();
    const auto entry = std::find_if(listed.begin(), listed.end(), [number](const FormattedMessage& m) {
        return m.number == number && std::string_view(m.file) == kSystemTexts;
    });
    if (entry == listed.end() || entry->values.size() != values.size())
        ThrowFatal("Message %u of %s is not listed as filled with %zu values", number, kSystemTexts,
                   values.size());
    return entry->format(SystemMessage(processor, number).View(), values);
}
