// A ship's equipment block ("SCFG") over arbitrary content: its "SSLT", "SSLC" and "SSLD"
// children read, looked at and written back. Damaged input must end in an engine error, never a
// crash, an overrun or an allocation sized by the file.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "fuzz/memory_file.h"
#include "tests/support/slot_container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReadEachBlock<SlotContainer>(data, size, [](SlotContainer& ship) {
        volatile uint32_t sum = 0;
        for (const auto& item : ship.children.Items()) {
            sum = sum + static_cast<uint32_t>(item->ClassName().size()) + item->Kind() + item->Index() +
                  (item->KnownKind() ? 1 : 0);
            if (item->State() != nullptr)
                for (uint32_t word : item->State()->Words()) sum = sum + word;
        }
        for (const auto& directions : ship.children.Directions())
            for (uint8_t byte : directions->Records()) sum = sum + byte;
        FW fw;
        fw.Create(String("written"));
        ship.Store(fw);
        fw.Close();
    });
    std::remove("written");
    return 0;
}
