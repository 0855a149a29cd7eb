// The CharManager: characteristics of objects from text files in the archive. Each line gives an
// object ID and a list of values, numbers or quoted texts; a file is read on the first request
// that names it and kept until the manager goes. Values are 32-bit words in the script address
// space: an integer, or the script address of a text's characters.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/engine_string.h"
#include "foundation/hash_table.h"
#include "foundation/list.h"
#include "foundation/script_memory.h"
#include "foundation/segmented_array.h"
#include "script/native_descriptor.h"
#include "script/script_fields.h"

class BlockReader;

namespace FD {
class File;
}

// Limits of one value's characters and one record's values.
constexpr uint32_t kMaxCharacteristicLength = 1024;
constexpr uint32_t kMaxCharacteristics = 1000;

// The records of one file by object ID, and the texts their quoted values point at.
class CharacteristicsSet {
  public:
    struct Record {
        Record(const uint32_t* source, uint32_t n);
        ScriptFields values;  // scripts may be handed their addresses
    };

    // The record of an ID, or null.
    Record* Find(uint32_t objectId) const { return records_.Get(objectId); }
    // Stores a copy of the values under the ID, replacing (and freeing) an earlier record; true
    // when there was one. The ID must be below kSegmentedArrayMaxElements.
    bool Store(uint32_t objectId, const uint32_t* values, uint32_t count);
    // Keeps a text for the set's life; gives the script address of its characters.
    uint32_t AddText(const char* bytes, size_t n);
    uint32_t RecordCount() const { return records_.Count(); }

  private:
    SegmentedArray<Record> records_{10, 10, true};
    std::vector<ScriptBuffer<char>> texts_;  // in script memory: values hold their addresses
};

// Reads the records of a characteristics file into set. An object ID below 0 or from 2^24 on
// throws FatalExep naming the file; the records read before it stay. A second record for an ID is
// logged to "vondrel.log" and replaces the first.
void ReadCharacteristics(BlockReader& reader, const String& fileName, CharacteristicsSet& set);

class CharManager : public NativeDescriptor {
  public:
    // The archive is not owned.
    CharManager(MethodRunner* processor, FD::File* archive);

    // Address of value number index of the ID's record. WarnExep "Object #<id> characteristics
    // not found in <file>" when the ID has no record; FatalExep when the index is not below the
    // record's value count.
    uint32_t* GetCharacteristics(const String& fileName, uint32_t objectId, uint32_t index);
    // Whether the ID has a record in the file.
    bool Find(const String& fileName, uint32_t objectId);
    // Number of values of the ID's record, 0 without one.
    uint32_t ValueCount(const String& fileName, uint32_t objectId);
    // Reads one file into a new set, entered before reading (what was read stays on an error).
    CharacteristicsSet* Load(const String& fileName);

    FD::File* Archive() const { return archive_; }

    // Binds the ZEMAClass methods, then methods 0, 4, 5 and 7.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
    // Method 0: archive -> a new manager with the receiver's processor.
    static void Create(ScriptObject* receiver);
    // Method 4: file name, ID, index -> value; method 5: the same -> the value's address.
    static void Value(ScriptObject* receiver);
    static void ValueAddress(ScriptObject* receiver);
    // Method 7: file name, ID -> number of values.
    static void ValueCountNative(ScriptObject* receiver);

  private:
    CharacteristicsSet& SetOf(const String& fileName);

    HashTable<CharacteristicsSet> files_{26, false, true};
    FD::File* archive_;
};
