// Save files over arbitrary content: the slot scan's header reader and the loader, in a started
// game. Damaged input must end in an engine error with the game as it was, never a crash, an
// overrun or an allocation sized by the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "campaign/save_game.h"
#include "campaign/save_slots.h"
#include "foundation/exceptions.h"
#include "tests/support/game_harness.h"
#include "tests/support/save_fixture.h"
#include "ui/gtime.h"

namespace {

// Never destroyed: at exit the engine's own statics may already be gone.
GameHarness& StartedGame() {
    static GameHarness* game = [] {
        auto* started = new GameHarness();
        AddSaveClasses(*started);
        started->Start();
        // The game's temporary folder is the working folder now; it goes at exit, the game not.
        static const std::filesystem::path folder = std::filesystem::current_path();
        if (folder.filename().string().rfind("vondrel_test_", 0) == 0)
            std::atexit([] {
                std::error_code ignored;
                std::filesystem::remove_all(folder, ignored);
            });
        return started;
    }();
    return *game;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GameHarness& game = StartedGame();
    WriteGameFile("Saves\\00000001.gsf", std::string(reinterpret_cast<const char*>(data), size));
    try {
        std::unique_ptr<SaveHeader> header = ReadSaveHeader("Saves\\00000001.gsf");
        volatile size_t sum = 0;
        for (uint32_t n = 1; n <= kSaveTextCount; ++n) sum = sum + header->Text(n).size();
    } catch (const DExep&) {
    }
    try {
        GTime time;
        SaveGameFile::Load(game.Cpu(), time, SaveFileName("00000001"));
    } catch (const DExep&) {
    }
    return 0;
}
