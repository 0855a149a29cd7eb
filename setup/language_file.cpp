#include "setup/language_file.h"

#include <sys/stat.h>

#include "foundation/block_reader.h"
#include "foundation/config_blocks.h"
#include "foundation/fw.h"

void WriteLanguageFile(const String& path, int32_t language) {
    LanguageBlock block;
    block.SetLanguage(static_cast<uint32_t>(language));
    FW writer;
    writer.Create(path);
    writer << block;
    writer.Close();
}

int32_t ReadLanguageFile(const String& path, int32_t fallback) {
    struct stat st;
    if (lstat(path.Text(), &st) != 0) return fallback;
    LanguageBlock block;
    block.SetLanguage(static_cast<uint32_t>(fallback));
    FileBlockReader reader;
    reader.Open(path);
    reader >> block;
    return static_cast<int32_t>(block.Language());
}
