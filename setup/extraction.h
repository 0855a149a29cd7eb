// Copies every entry of the installer's archive into the install folder, recording each written
// file in "uninst.lst", and leaves the folder as it found it when the user aborts or the copy fails.
#pragma once

#include <cstdint>
#include <functional>

#include "foundation/engine_string.h"
#include "setup/install_control.h"

class BlockReader;

// Texts of "setup.mes", fetched before the worker starts (the message source is not shared
// between threads).
struct ExtractionTexts {
    String folderError;  // message 12: a folder cannot be created; the path follows
    String listError;    // message 14: "uninst.lst" cannot be opened
};

// Called on the worker after each entry is written and listed, with its index.
using EntryHook = std::function<void(uint32_t index)>;
// Called on the worker once every entry is written and the list closed: what makes the files an
// install. Its engine error fails the run like any other, and the run's files are deleted; what
// the step itself wrote it undoes itself.
using CommitStep = std::function<void()>;

// Extracts the archive open in archive (its directory at the reader's position) into the working
// folder, which the caller has made the install folder: folder is its path, ending with '/', for
// messages. Every entry name is checked before anything is written: an entry that would land
// outside the folder (absolute, drive part, "..", empty components) fails the install with a
// FatalExep naming the archive and the entry. Links in the folder are never written through. The
// control is told of each entry as its extraction begins; the percent after entry i is
// i * 100 / count, so that it ends at (count - 1) * 100 / count. A file that cannot be written is
// named in the writer's error. A file that is there is kept aside while it is replaced (KeepAside),
// and deleted once the commit step has made the files an install. Returns false after an abort
// request; throws the engine error of a failure, the commit step's included. Either way the folder
// is left as it was found: the files this run wrote are deleted and the kept ones put back, the
// folders it made are removed, a list it created is deleted and an older one cut back to what it
// held.
bool ExtractArchive(const String& folder, BlockReader& archive, InstallControl& control,
                    const ExtractionTexts& texts, const EntryHook& afterEntry = {},
                    const CommitStep& commit = {});
