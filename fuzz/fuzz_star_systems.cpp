// The star-system table over arbitrary content, read into a star-system list of a started game whose
// archive holds one description entry ("Galaxy\Sol.txt") and its message file. Damaged input must
// end in an engine error, never a crash, an overrun or an allocation sized by the file.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "campaign/star_systems.h"
#include "foundation/exceptions.h"
#include "fuzz/memory_file.h"
#include "script/processor.h"
#include "tests/support/galaxy_table.h"
#include "tests/support/game_harness.h"

namespace {

GameHarness& FuzzGame() {
    static GameHarness* game = [] {
        auto* made = new GameHarness();
        made->AddEntry("Galaxy\\Sol.txt", StarSystemDescription("StarSystemZoomed", "Sol.mes"));
        made->AddMessages("Sol.mes", {{1, "Sun System"}});
        made->AddPicture(kStarSystemPicturesName, {.entries = 3});
        made->Start();
        return made;
    }();
    return *game;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GameHarness& game = FuzzGame();
    MemoryFile file(data, size);
    FileBlockReader reader;
    if (!OpenInReader(file, reader)) return 0;
    try {
        std::unique_ptr<StarSystemList, ObjectDiscarder> list(new StarSystemList(game.Cpu()));
        list->Read(reader);
        volatile uint64_t sum = list->Count();
        if (StarSystemRecord* found = list->Find("Sol")) sum = sum + found->Name().Size() + found->Int(0);
        for (uint32_t i = 0; i < list->Count(); ++i)
            if (StarSystemRecord* record = list->At(i)) sum = sum + record->DescriptionEntry().Size();
    } catch (const DExep&) {
    }
    return 0;
}
