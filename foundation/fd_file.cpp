#include "foundation/fd_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "foundation/block_reader.h"
#include "foundation/disk_path.h"
#include "foundation/exceptions.h"

namespace FD {

namespace {

constexpr uint32_t kHeaderSize = 14;

int Fold(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}

[[noreturn]] void WrongFormat(const String& detail, const String& archive) {
    ThrowFatal("Wrong FD file format: %s in \"%s\"", detail.Text(), archive.Text());
}

}  // namespace

int CompareNames(const char* a, const char* b) {
    for (;; ++a, ++b) {
        int x = Fold(static_cast<unsigned char>(*a));
        int y = Fold(static_cast<unsigned char>(*b));
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

File::File(BlockReader* reader, uint32_t searchMode, uint32_t handlePageSize)
    : DataBlock(kHeaderSize, false), reader_(reader), searchMode_(searchMode) {
    (void)handlePageSize;
    ReadDirectory(*reader);
}

File* File::FromAddress(uint32_t address) {
    return static_cast<File*>(FindScriptHandle(address, HandleFamily::kArchive, 0));
}

File::~File() {
    for (auto& handle : handles_) {
        if (handle && handle->stream != nullptr) std::fclose(handle->stream);
    }
}

void File::ClearLists() {
    nameBlocks_.clear();
    offsetBlocks_.clear();
    sizeBlocks_.clear();
    dataPositions_.clear();
}

void File::ReadDirectory(BlockReader& reader) {
    ClearLists();
    try {
        reader >> *this;
    } catch (...) {
        ClearLists();
        throw;
    }
    ClearLists();
}

void File::ReadChunk(BlockReader& reader, const uint8_t* signature) {
    std::vector<std::unique_ptr<DataBlock>>* list = nullptr;
    if (std::memcmp(signature, "FDN", 4) == 0) list = &nameBlocks_;
    if (std::memcmp(signature, "FDO", 4) == 0) list = &offsetBlocks_;
    if (std::memcmp(signature, "FDS", 4) == 0) list = &sizeBlocks_;
    if (list != nullptr) {
        auto block = std::make_unique<DataBlock>(10, true);
        reader >> *block;
        list->push_back(std::move(block));
    } else if (std::memcmp(signature, "FDB", 4) == 0) {
        // Only where the entries' data starts; the data itself stays on disk.
        DataBlock block(10, false);
        reader >> block;
        dataPositions_.push_back(block.PayloadPosition());
    }
}

void File::AfterRead(BlockReader& reader) {
    try {
        BuildTable(reader.Size(), reader.Name());
    } catch (...) {
        ClearLists();
        throw;
    }
    ClearLists();
}

void File::BuildTable(uint32_t archiveSize, const String& archiveName) {
    if (nameBlocks_.empty() || offsetBlocks_.empty() || sizeBlocks_.empty() || dataPositions_.empty())
        WrongFormat("some of basic signatures missed", archiveName);
    const size_t groups = nameBlocks_.size();
    if (offsetBlocks_.size() != groups || sizeBlocks_.size() != groups || dataPositions_.size() != groups)
        WrongFormat("items number in basic signatures are differend", archiveName);

    size_t total = 0, nameBytes = 0;
    for (size_t i = 0; i < groups; ++i) {
        uint32_t count = offsetBlocks_[i]->PayloadSize() / 4;
        if (sizeBlocks_[i]->PayloadSize() / 4 < count)
            WrongFormat("sizes block number " + String(static_cast<int>(i)) + " is shorter than its offsets",
                        archiveName);
        total += count;
        nameBytes += nameBlocks_[i]->PayloadSize();
    }

    std::vector<char> names(nameBytes);
    std::vector<Entry> entries;
    entries.reserve(total);
    size_t groupStart = 0;
    for (size_t i = 0; i < groups; ++i) {
        const DataBlock& fdn = *nameBlocks_[i];
        const uint8_t* offsets = offsetBlocks_[i]->Payload();
        const uint8_t* sizes = sizeBlocks_[i]->Payload();
        const size_t groupEnd = groupStart + fdn.PayloadSize();
        if (fdn.PayloadSize() != 0) std::memcpy(names.data() + groupStart, fdn.Payload(), fdn.PayloadSize());
        size_t p = groupStart;
        const uint32_t count = offsetBlocks_[i]->PayloadSize() / 4;
        for (uint32_t j = 0; j < count; ++j) {
            if (p >= groupEnd)
                ThrowFatal("Wrong names block number %d in FD \"%s\"", static_cast<int>(i),
                           archiveName.Text());
            const char* name = names.data() + p;
            const void* nul = std::memchr(name, 0, groupEnd - p);
            if (nul == nullptr)
                WrongFormat("unterminated name in names block number " + String(static_cast<int>(i)),
                            archiveName);
            uint64_t position = uint64_t{dataPositions_[i]} + LoadU32(offsets + 4 * j);
            uint32_t size = LoadU32(sizes + 4 * j);
            if (position + size > archiveSize)
                WrongFormat("entry \"" + String(name) + "\" lies outside the archive", archiveName);
            entries.push_back({name, static_cast<uint32_t>(position), size});
            p = static_cast<size_t>(static_cast<const char*>(nul) - names.data()) + 1;
        }
        groupStart = groupEnd;
    }

    // Descending by name; equal names keep their order.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return CompareNames(a.name, b.name) > 0; });
    names_ = std::move(names);  // the buffer moves with its pointers intact
    entries_ = std::move(entries);
    StoreU16(Header() + 12, static_cast<uint16_t>(entries_.size()));
}

const Entry* File::FindEntry(const String& name) const {
    const uint32_t count = EntryCount();
    if (count == 0) return nullptr;
    uint32_t lo = 0, hi = count, mid = count / 2;
    for (;;) {
        int c = CompareNames(entries_[mid].name, name.Text());
        if (c == 0) return &entries_[mid];
        if (c < 0) {
            hi = mid;
        } else {
            lo = mid;
        }
        uint32_t next = lo + (hi - lo) / 2;
        if (next == mid) return nullptr;
        mid = next;
    }
}

bool File::OpenLoose(const String& name, Handle& handle) const {
    std::optional<std::string> path = FindDiskFile(name.View());
    if (!path) return false;
    std::FILE* stream = std::fopen(path->c_str(), "rb");
    if (stream == nullptr) return false;
    struct stat st;
    off_t length = fstat(fileno(stream), &st) == 0 ? st.st_size : 0;
    handle = Handle{true, stream, 0, 0, static_cast<uint32_t>(std::clamp<off_t>(length, 0, UINT32_MAX))};
    return true;
}

bool File::OpenEntry(const String& name, Handle& handle) const {
    const Entry* entry = FindEntry(name);
    if (entry == nullptr) return false;
    handle = Handle{false, nullptr, entry->position, 0, entry->size};
    return true;
}

int File::Open(const String& name) {
    const bool hasDirectory = !directory_.Empty();
    const String prefixed = directory_ + name;
    Handle record;
    bool found = false;
    switch (searchMode_) {
        case 0:
            found = (hasDirectory && OpenLoose(prefixed, record)) || OpenLoose(name, record) ||
                    OpenEntry(name, record) || (hasDirectory && OpenEntry(prefixed, record));
            break;
        case 1:
            found = OpenEntry(name, record) || (hasDirectory && OpenEntry(prefixed, record)) ||
                    (hasDirectory && OpenLoose(prefixed, record)) || OpenLoose(name, record);
            break;
        default:
            found = OpenEntry(name, record) || (hasDirectory && OpenEntry(prefixed, record));
            break;
    }
    if (!found) ThrowFatalCoded(1, 0, "FD::File \"%s\" Not Found", name.Text());

    try {
        auto slot = std::find(handles_.begin(), handles_.end(), nullptr);
        auto owned = std::make_unique<Handle>(record);
        if (slot != handles_.end()) {
            *slot = std::move(owned);
            return static_cast<int>(slot - handles_.begin());
        }
        handles_.push_back(std::move(owned));
        return static_cast<int>(handles_.size() - 1);
    } catch (const std::bad_alloc&) {
        if (record.stream != nullptr) std::fclose(record.stream);
        return -1;
    }
}

File::Handle* File::At(int handle) const {
    if (handle < 0 || static_cast<size_t>(handle) >= handles_.size()) return nullptr;
    return handles_[static_cast<size_t>(handle)].get();
}

void File::Close(int handle) {
    Handle* record = At(handle);
    if (record == nullptr) return;
    if (record->stream != nullptr) std::fclose(record->stream);
    handles_[static_cast<size_t>(handle)].reset();
}

uint32_t File::Read(int handle, void* buffer, uint32_t n) {
    Handle* record = At(handle);
    if (record == nullptr) return 0;
    if (record->loose) return static_cast<uint32_t>(std::fread(buffer, 1, n, record->stream));
    if (record->current >= record->size) return 0;
    n = std::min(n, record->size - record->current);
    reader_->SeekTo(record->start + record->current);
    uint32_t got = reader_->Read(buffer, n);
    record->current += got;
    return got;
}

uint32_t File::Seek(int handle, int64_t offset, int origin) {
    Handle* record = At(handle);
    if (record == nullptr) return 0;
    int64_t current = record->current;
    if (record->loose) {
        off_t at = ftello(record->stream);
        current = at < 0 ? 0 : at;
    }
    int64_t base = origin == 0 ? 0 : origin == 1 ? current : int64_t{record->size};
    auto target = static_cast<uint32_t>(std::clamp<int64_t>(base + offset, 0, record->size));
    if (record->loose) {
        if (fseeko(record->stream, target, SEEK_SET) != 0) return 0;
        off_t at = ftello(record->stream);
        return at < 0 ? 0 : static_cast<uint32_t>(at);
    }
    record->current = target;
    return target;
}

uint32_t File::Size(int handle) const {
    Handle* record = At(handle);
    return record == nullptr ? 0 : record->size;
}

void File::SetDirectory(const String& text) {
    // An empty text means no folder prefix.
    if (text.Empty() || text.Text()[text.Size() - 1] == '\\') {
        directory_ = text;
    } else {
        directory_ = text + "\\";
    }
}

}  // namespace FD
