// Map from a text key to a value pointer: entries in hash buckets for lookup, and beside them a
// list of all entries in the order they were added, so that the newest can be dropped back to an
// earlier count. Ownership of the values and whether a key may occur twice are fixed at
// construction. The hash is virtual so that derived tables can stack their own operations on it.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/engine_string.h"
#include "foundation/list.h"
#include "foundation/segmented_array.h"

// The engine's name hash: C length plus the sum of the bytes taken as signed 8-bit values, summed
// in 32-bit two's complement and read as unsigned.
uint32_t NameHash(const String& key);

template <class T>
struct HashEntry {
    HashEntry(const String& k, T* v, uint32_t m) : key(k), value(v), mode(m) {}
    HashEntry(const HashEntry&) = delete;
    HashEntry& operator=(const HashEntry&) = delete;
    ~HashEntry() {
        if (mode == 1) delete value;
    }

    String key;
    T* value;
    uint32_t mode;  // 1: the entry owns its value; 2: it does not
};

template <class T>
class HashTable {
  public:
    using Bucket = List<HashEntry<T>>;

    HashTable(unsigned bucketCount, bool allowDuplicates, bool ownsValues);
    HashTable(const HashTable&) = delete;
    HashTable& operator=(const HashTable&) = delete;
    virtual ~HashTable();

    virtual uint32_t Hash(const String& key) const { return NameHash(key); }

    // Adds the entry unless the key is present (always, when duplicates are allowed). A mode of 0
    // means the table's default. An offered value that the entry would have owned is deleted when
    // the key is already present. Gives the value now held under the key.
    T* FindOrAdd(const String& key, T* value, unsigned mode = 0);
    // First entry with the key, or null. Leaves the bucket's cursor on the entry found.
    HashEntry<T>* FindEntry(const String& key);
    T* Find(const String& key);

    // Iteration in bucket order, and within a bucket in the order of adding.
    T* First();
    T* Next();
    T* Current();
    // Key of the entry the iteration is on; null when there is none.
    const String* CurrentKey();

    // Removes the newest entries until only the first n added remain.
    void TruncateTo(unsigned n);
    // The same, handing the values that removed entries owned to the caller instead of deleting them
    // (newest first).
    void TruncateTo(unsigned n, std::vector<T*>& owned);
    // Removes the first entry under the key, with its value when the entry owns it; the others
    // keep their order. False when the key is absent.
    bool Remove(const String& key);

    uint32_t BucketCount() const { return bucketCount_; }
    // Entries added since construction; truncation does not lower it.
    uint32_t EntryCount() const { return entryCount_; }
    // Entries held now.
    uint32_t Count() const { return order_.Count(); }
    bool AllowDuplicates() const { return allowDuplicates_; }
    uint32_t DefaultMode() const { return defaultMode_; }

  private:
    struct OrderRecord {
        Bucket* bucket;
        HashEntry<T>* entry;
    };

    uint32_t BucketOf(const String& key) const { return Hash(key) % bucketCount_; }
    Bucket* BucketAt(uint32_t bucket) const { return buckets_.Get(bucket); }
    // Value of the first entry of the lowest non-empty bucket from `from` on; moves the iteration there.
    T* FirstFrom(uint32_t from);
    static HashEntry<T>* FindIn(Bucket* bucket, const String& key);
    static T* ValueOf(const HashEntry<T>* entry) { return entry != nullptr ? entry->value : nullptr; }

    uint32_t bucketCount_;
    uint32_t iterationBucket_ = 0;
    bool allowDuplicates_;
    uint32_t entryCount_ = 0;
    SegmentedArray<Bucket> buckets_;
    List<OrderRecord> order_{true};
    uint32_t defaultMode_;
};

template <class T>
HashTable<T>::HashTable(unsigned bucketCount, bool allowDuplicates, bool ownsValues)
    : bucketCount_(bucketCount == 0 ? 1 : bucketCount),
      allowDuplicates_(allowDuplicates),
      buckets_(bucketCount_, bucketCount_, true),
      defaultMode_(ownsValues ? 1 : 2) {}

template <class T>
HashTable<T>::~HashTable() {
    buckets_.Clear();
    entryCount_ = 0;
    order_.Clear();
}

template <class T>
T* HashTable<T>::FindOrAdd(const String& key, T* value, unsigned mode) {
    if (mode == 0) mode = defaultMode_;
    const uint32_t b = BucketOf(key);
    Bucket* bucket = BucketAt(b);
    if (!allowDuplicates_) {
        if (HashEntry<T>* present = FindIn(bucket, key)) {
            // Offering the value the entry already holds must not free it under the entry.
            if (mode == 1 && value != present->value) delete value;
            return present->value;
        }
    }
    if (bucket == nullptr) {
        bucket = new Bucket(true);
        *buckets_.At(b) = bucket;
    }
    ++entryCount_;
    auto* entry = new HashEntry<T>(key, value, mode);
    bucket->Append(entry, 0);
    order_.Append(new OrderRecord{bucket, entry}, 0);
    return value;
}

template <class T>
HashEntry<T>* HashTable<T>::FindEntry(const String& key) {
    return FindIn(BucketAt(BucketOf(key)), key);
}

template <class T>
HashEntry<T>* HashTable<T>::FindIn(Bucket* bucket, const String& key) {
    if (bucket == nullptr) return nullptr;
    for (HashEntry<T>* e = bucket->First(); e != nullptr; e = bucket->Next()) {
        if (e->key == key) return e;
    }
    return nullptr;
}

template <class T>
T* HashTable<T>::Find(const String& key) {
    return ValueOf(FindEntry(key));
}

template <class T>
T* HashTable<T>::FirstFrom(uint32_t from) {
    for (uint32_t b = from; b < bucketCount_; ++b) {
        Bucket* bucket = BucketAt(b);
        if (bucket == nullptr) continue;
        if (HashEntry<T>* e = bucket->First()) {
            iterationBucket_ = b;
            return e->value;
        }
    }
    return nullptr;
}

template <class T>
T* HashTable<T>::First() {
    return FirstFrom(0);
}

template <class T>
T* HashTable<T>::Next() {
    if (Bucket* bucket = BucketAt(iterationBucket_)) {
        if (HashEntry<T>* e = bucket->Next()) return e->value;
    }
    return FirstFrom(iterationBucket_ + 1);
}

template <class T>
T* HashTable<T>::Current() {
    Bucket* bucket = BucketAt(iterationBucket_);
    return bucket != nullptr ? ValueOf(bucket->Current()) : nullptr;
}

template <class T>
const String* HashTable<T>::CurrentKey() {
    Bucket* bucket = BucketAt(iterationBucket_);
    const HashEntry<T>* entry = bucket != nullptr ? bucket->Current() : nullptr;
    return entry != nullptr ? &entry->key : nullptr;
}

template <class T>
void HashTable<T>::TruncateTo(unsigned n) {
    std::vector<T*> owned;
    TruncateTo(n, owned);
    for (T* value : owned) delete value;
}

template <class T>
void HashTable<T>::TruncateTo(unsigned n, std::vector<T*>& owned) {
    order_.Last();
    while (order_.Count() > 0 && order_.Index() >= n) {
        OrderRecord* record = order_.Current();
        if (record->entry->mode == 1) {
            owned.push_back(record->entry->value);
            record->entry->mode = 2;
        }
        record->bucket->Remove(record->entry);
        order_.DeleteCurrent();  // the last record: the cursor steps back to the one before
    }
}

template <class T>
bool HashTable<T>::Remove(const String& key) {
    Bucket* bucket = BucketAt(BucketOf(key));
    HashEntry<T>* entry = FindIn(bucket, key);
    if (entry == nullptr) return false;
    for (OrderRecord* record = order_.First(); record != nullptr; record = order_.Next()) {
        if (record->entry == entry) {
            order_.DeleteCurrent();
            break;
        }
    }
    bucket->Remove(entry);
    return true;
}
