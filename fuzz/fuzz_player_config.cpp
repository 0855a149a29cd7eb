// The stored pilot ("PCFG" with its "INPD", "SSPL", "SCFG", "PEVN", "PSKL" and "SSLT" children) over
// arbitrary content, read, measured and walked. Damaged input must end in an engine error, never a
// crash, an overrun or an allocation sized by the file.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "foundation/exceptions.h"
#include "fuzz/memory_file.h"
#include "world/player_config.h"

namespace {

void Walk(const PlayerConfig& config) {
    volatile uint64_t sum = config.ChunkSize() + config.Money() + config.Name().size();
    for (const auto& event : config.Events())
        sum = sum + event->Key().size() + event->Text().size() + event->Kind();
    for (const auto& skill : config.Skills())
        sum = sum + skill->ClassName().size() + skill->Slot() + skill->Level();
    for (const auto& item : config.Items()) {
        sum = sum + item->ClassName().size() + item->Index();
        if (const SslcBlock* state = item->State()) sum = sum + state->Words().size();
    }
    if (const ShipConfig* ship = config.Ship()) {
        sum = sum + ship->ClassName().size() + ship->SelectedDirection() + ship->Slots().Count();
        for (const auto& directions : ship->Slots().Directions()) sum = sum + directions->Records()[0];
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReadEachBlock<PlayerConfig>(data, size, Walk);
    return 0;
}
