// The "system.mes" texts the shop shows in its message boxes: notices as they stand, and questions
// filled with the values screens/formatted_messages.h lists for them.
#pragma once

#include <cstdint>

constexpr uint32_t kNotEnoughMoneyText = 340;
constexpr uint32_t kShipQuestionText = 341;
constexpr uint32_t kFitsQuestionText = 187;
constexpr uint32_t kMisfitQuestionText = 358;
constexpr uint32_t kSellQuestionText = 188;
constexpr uint32_t kNoRoomText = 186;
constexpr uint32_t kNothingToRechargeText = 346;
constexpr uint32_t kRechargeQuestionText = 347;
constexpr uint32_t kSellShipOnBuyText = 306;
constexpr uint32_t kSellShipOnCloseText = 305;
