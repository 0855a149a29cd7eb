// The MessageManager: numbered texts from ".mes" message files in the archive, in the language
// chosen in "Language.LCFG", falling back to language 1. A file is read on the first request that
// names it and kept until the manager goes; returned texts stay valid as long.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>

#include "foundation/engine_string.h"
#include "foundation/hash_table.h"
#include "foundation/script_memory.h"
#include "foundation/segmented_array.h"
#include "script/native_descriptor.h"

class BlockReader;
class LanguageBlock;

namespace FD {
class File;
}

// One file's texts by message number (empty slot: no such message).
using MessageTable = SegmentedArray<String>;

// Reads the entries of a message file into table. A text is stored when its number has none yet
// and its section's language is 1 or the current one, and replaces an earlier text only when its
// section's language is the current one; the current language is read from the block (1 without
// one) each time a text is stored. A message number below 0 or from 2^24 on throws FatalExep
// naming the file; the texts read before it stay.
void ReadMessageFile(BlockReader& reader, const String& fileName, MessageTable& table,
                     const LanguageBlock* language);

class MessageManager : public NativeDescriptor {
  public:
    // Neither the archive nor the language block is owned.
    MessageManager(MethodRunner* processor, FD::File* archive, const LanguageBlock* languageBlock);

    // The text of message number of the file; WarnExep "Message #<n> not found in <file>" when the
    // file has none. A file missing from the archive fails with the archive's error.
    const char* GetMessage(const String& fileName, uint32_t number);
    // Script address of a copy of that text, made on first request.
    uint32_t ScriptMessage(const String& fileName, uint32_t number);
    // The file's table when it is loaded, else null.
    MessageTable* FindFile(const String& fileName);
    // Reads the file into a new table, entered before reading (what was read stays on an error).
    MessageTable* LoadFile(const String& fileName);

    // Message files read, in the order they were read.
    uint32_t FileCount() const { return files_.Count(); }
    // Forgets the files read after the first count; their texts are read again on the next request.
    // Copies already handed to scripts stay valid and are handed out again for equal texts.
    void UnloadFilesTo(uint32_t count);

    FD::File* Archive() const { return archive_; }
    const LanguageBlock* Language() const { return language_; }

    // Binds method 4, the ZEMAClass methods, then method 0.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
    // Method 0: archive -> a new manager with the receiver's processor and language block.
    static void Create(ScriptObject* receiver);
    // Method 4: file name, number -> text.
    static void GetMessageNative(ScriptObject* receiver);

  private:
    const String& Message(const String& fileName, uint32_t number);

    const LanguageBlock* language_;
    std::unordered_map<const String*, ScriptBuffer<char>> scriptCopies_;
    // Copies of texts of unloaded files, by text.
    std::multimap<std::string, ScriptBuffer<char>, std::less<>> retiredCopies_;
    HashTable<MessageTable> files_{26, false, true};
    FD::File* archive_;
};
