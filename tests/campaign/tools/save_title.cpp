// Prints the title a save game was saved under (the name its row shows on the load screen), read
// from the save file as the game reads it: what the plays under Xvfb check a typed title against.
// Run it in the game folder: the file is named as the game names it, relative to that folder.
//     cd GAME_FOLDER && save_title 'Saves\00000001.gsf'
#include <cstdio>
#include <string>
#include <string_view>

#include "campaign/save_file_reader.h"
#include "campaign/save_game.h"
#include "foundation/block_reader.h"
#include "foundation/exceptions.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: save_title FILE.gsf\n");
        return 2;
    }
    try {
        FileBlockReader reader;
        reader.Open(String(argv[1]));
        SaveHeader header;
        ReadHeaderFrom(reader, header);
        const std::string_view title = header.Text(6);
        std::printf("%.*s\n", static_cast<int>(title.size()), title.data());
        return 0;
    } catch (const DExep& error) {
        std::fprintf(stderr, "save_title: %s\n", error.message.Text());
        return 1;
    }
}
