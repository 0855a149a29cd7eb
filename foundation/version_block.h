// Version records: a "VERS" block whose header carries major, minor, build and a release letter.
// ProgramVersion is the running program's, DataVersion the data archive's ("PakVersion.VERS").
#pragma once

#include "foundation/data_block.h"
#include "foundation/version_words.h"

class VersionBlock : public DataBlock {
  public:
    VersionBlock(uint32_t headerSize = 18, bool loadPayload = true);

    VersionWords Words() const;
    void SetWords(const VersionWords& words);
};

VersionBlock& ProgramVersion();
VersionBlock& DataVersion();
