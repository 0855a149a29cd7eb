#include "tools/content/player_file.h"

#include <fstream>
#include <iterator>

#include "foundation/fw.h"
#include "world/player_config.h"

std::string StoredBytes(const PlayerConfig& config, const std::string& file) {
    {
        FW fw;
        fw.Create(String(file.c_str()));
        config.Store(fw);
        fw.Close();
    }
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
