#include "script/sspl_block.h"

#include <cstring>

#include "foundation/exceptions.h"

SSPLBlock::SSPLBlock() : ScriptObject(nullptr), DataBlock(10, true) {
    SetSignature("SSPL");
}

SSPLBlock::SSPLBlock(const SSPLBlock& other) : ScriptObject(other), DataBlock(other) {}

ScriptObject* SSPLBlock::Clone() const {
    return new SSPLBlock(*this);
}

namespace {

std::string_view TextFrom(const DataBlock& block, uint32_t offset) {
    const uint32_t size = block.Payload() != nullptr ? block.PayloadSize() : 0;
    if (offset >= size) return {};
    const auto* text = reinterpret_cast<const char*>(block.Payload()) + offset;
    return {text, strnlen(text, size - offset)};
}

}  // namespace

void SSPLBlock::SetNames(std::string_view system, std::string_view planet) {
    const uint64_t size = uint64_t{system.size()} + planet.size() + 2;
    if (size > UINT32_MAX) ThrowFatal("Location names too long");
    PayloadPtr payload = NewPayload(size);
    std::memcpy(payload.get(), system.data(), system.size());
    std::memcpy(payload.get() + system.size() + 1, planet.data(), planet.size());
    SetPayloadSize(static_cast<uint32_t>(size));
    SetPayload(std::move(payload));
}

std::string_view SSPLBlock::First() const {
    return TextFrom(*this, 0);
}

std::string_view SSPLBlock::Second() const {
    const std::string_view first = First();
    return TextFrom(*this, static_cast<uint32_t>(first.size()) + 1);
}
