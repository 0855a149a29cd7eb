// A substitution list (".subs": pairs of names, words or quoted texts) over arbitrary content, read
// from an archive entry as the picture, font and sound caches read theirs, then names looked up
// through it, so that every substitute is opened as an entry or a loose file. Damaged input must
// end in an engine error, never a crash or an overrun; a substitute never reaches outside the game
// folder.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "foundation/exceptions.h"
#include "foundation/named_cache.h"
#include "fuzz/memory_archive.h"
#include "graphics/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes = InputBytes(data, size);
    MemoryArchive archive({{"Test.subs", bytes}});
    NamedCache<Image> pictures(26, true, &archive.File(), false);
    try {
        pictures.LoadSubstitutions(String("Test.subs"));
    } catch (const DExep&) {
        return 0;
    }
    std::istringstream words(bytes);
    std::string word;
    for (int i = 0; i < 8 && words >> word; ++i) {
        try {
            pictures.Get(String(word.c_str()));
        } catch (const DExep&) {
        }
    }
    return 0;
}
