// A table from a resource name to the object loaded from the archive entry of that name: the first
// request loads, later ones get the same object. Aliases let one name stand for another. The owner
// supplies the loading step (Load) and the entry name (EntryName), and says whether a failed load
// is passed on (strict) or gives null.
#pragma once

#include <memory>
#include <type_traits>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/data_block.h"
#include "foundation/engine_string.h"
#include "foundation/exceptions.h"
#include "foundation/hash_table.h"
#include "foundation/trace_flag.h"

template <class T>
class NamedCache : public HashTable<T> {
  public:
    NamedCache(unsigned bucketCount, bool ownsValues, FD::File* archive, bool strict)
        : HashTable<T>(bucketCount, false, ownsValues), archive_(archive), strict_(strict) {}

    // The archive entry to read for a name.
    virtual String EntryName(const String& name) const { return name; }
    // Builds the object from the opened entry. The default reads a T as a block.
    virtual T* Load(BlockReader& reader, const String& name);

    // The cached object for the name, loading it on a miss. Entries the cache adds never own
    // their objects (mode 2); the owner decides who deletes them.
    T* Get(const String& name);

    // Reads a substitution list (pairs of words or quoted texts) into the aliases.
    void LoadSubstitutions(const String& entryName);

    HashTable<String>& Aliases() { return aliases_; }
    FD::File* Archive() const { return archive_; }
    bool Strict() const { return strict_; }

  private:
    // Opens the entry and loads; null for a failure of a lenient cache.
    T* LoadEntry(const String& name);

    FD::File* archive_;
    bool strict_;
    HashTable<String> aliases_{26, false, true};
};

template <class T>
T* NamedCache<T>::Load(BlockReader& reader, const String& name) {
    if constexpr (std::is_base_of_v<DataBlock, T> && std::is_default_constructible_v<T>) {
        (void)name;
        auto object = std::make_unique<T>();
        reader >> *object;
        return object.release();
    } else {
        (void)reader;
        ThrowFatal("No loader for %s", name.Text());
    }
}

template <class T>
T* NamedCache<T>::Get(const String& name) {
    // Follow the alias chain by iteration, so that a long chain cannot exhaust the stack and a
    // cycle ends as "not found".
    std::vector<String> passed;
    String current = name;
    T* object = nullptr;
    bool resolved = false;
    for (;;) {
        if (HashEntry<T>* entry = this->FindEntry(current)) {
            object = entry->value;
            resolved = true;
            break;
        }
        String* target = aliases_.Find(current);
        if (target == nullptr) break;
        bool cycle = false;
        for (const String& p : passed) cycle = cycle || p == current;
        if (cycle) {
            resolved = true;  // as if the target gave nothing
            break;
        }
        passed.push_back(current);
        current = *target;
    }
    if (!resolved) object = LoadEntry(current);
    if (passed.empty()) return object;
    if (object == nullptr) {
        if (strict_) ThrowFatal("File %s not found", passed.back().Text());
        return nullptr;
    }
    for (auto alias = passed.rbegin(); alias != passed.rend(); ++alias) {
        if (this->FindEntry(*alias) == nullptr) this->FindOrAdd(*alias, object, 2);
    }
    return object;
}

template <class T>
T* NamedCache<T>::LoadEntry(const String& name) {
    if (TraceFlag() && !name.Empty() && name.Text()[name.Size() - 1] == ' ') {
        ThrowFatal("File '%s' ended with space!", name.Text());
    }
    try {
        EntryBlockReader reader(archive_, 1024, 1024, 128);
        reader.Open(EntryName(name));
        T* object = WithMemoryError(name, [&] { return Load(reader, name); });
        if (this->FindEntry(name) == nullptr) this->FindOrAdd(name, object, 2);
        reader.Close();
        return object;
    } catch (const DExep&) {
        if (strict_) throw;
        return nullptr;
    }
}

template <class T>
void NamedCache<T>::LoadSubstitutions(const String& entryName) {
    EntryBlockReader reader(archive_, 1024, 1024, 128);
    reader.Open(entryName);
    while (!reader.AtEnd()) {
        const uint32_t before = reader.Tell();
        String name;
        String substitute;
        reader.SkipSpace();
        reader >> QuotedText{name};
        reader.SkipSpace();
        reader >> QuotedText{substitute};
        if (!name.Empty() && !substitute.Empty()) aliases_.FindOrAdd(name, new String(substitute), 0);
        if (reader.Tell() == before) break;  // nothing consumed: stop rather than spin
    }
    reader.Close();
}
