// The content archive ("main.FD"): a directory block whose "FDN"/"FDO"/"FDS"/"FDB" sub-blocks name
// the entries, and integer handles through which an entry, or a loose file of the same name in the
// game folder, is read. Entry names compare without letter case.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "foundation/byte_order.h"
#include "foundation/data_block.h"
#include "foundation/engine_string.h"
#include "foundation/script_handle.h"

class BlockReader;

namespace FD {

struct Entry {
    const char* name;   // into the archive's name buffer
    uint32_t position;  // of the first byte in the archive file
    uint32_t size;
};

// Byte comparison with ASCII letters folded to lower case.
int CompareNames(const char* a, const char* b);

class File : public DataBlock {
  public:
    // Reads the directory block at the reader's position. searchMode 0: loose files first, then
    // archive entries; 1: entries first, then loose files; 2: entries only. The reader is not owned
    // and must outlive the archive.
    File(BlockReader* reader, uint32_t searchMode = 0, uint32_t handlePageSize = 10);
    ~File() override;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Lowest free handle; throws FatalExep code 1 "FD::File \"name\" Not Found"; -1 when no
    // handle record can be made.
    int Open(const String& name);
    void Close(int handle);
    uint32_t Read(int handle, void* buffer, uint32_t n);
    // origin 0 from the start, 1 from the current position, 2 from the end; clamped to the size.
    uint32_t Seek(int handle, int64_t offset, int origin);
    uint32_t Size(int handle) const;
    // Folder prefix also tried in front of every name; a backslash is appended when missing.
    void SetDirectory(const String& text);
    const String& Directory() const { return directory_; }

    uint32_t EntryCount() const { return static_cast<uint32_t>(entries_.size()); }
    // Entries in table order (descending by name).
    const Entry& EntryAt(uint32_t index) const { return entries_.at(index); }
    const Entry* FindEntry(const String& name) const;

    // The value by which scripts name this archive, and the archive a script value names (null
    // when it names none).
    uint32_t Address() const { return handle_.Address(); }
    static File* FromAddress(uint32_t address);

    void ReadChunk(BlockReader& reader, const uint8_t* signature) override;
    void AfterRead(BlockReader& reader) override;

  private:
    struct Handle {
        bool loose = false;
        std::FILE* stream = nullptr;  // loose files
        uint32_t start = 0;           // entries: position in the archive
        uint32_t current = 0;         // entries: read position from the start
        uint32_t size = 0;
    };

    void ReadDirectory(BlockReader& reader);
    void BuildTable(uint32_t archiveSize, const String& archiveName);
    void ClearLists();
    bool OpenLoose(const String& name, Handle& handle) const;
    bool OpenEntry(const String& name, Handle& handle) const;
    Handle* At(int handle) const;

    BlockReader* reader_;
    uint32_t searchMode_;
    String directory_;
    std::vector<Entry> entries_;
    std::vector<char> names_;
    std::vector<std::unique_ptr<Handle>> handles_;
    // Sub-blocks collected while the directory block is read; empty otherwise.
    std::vector<std::unique_ptr<DataBlock>> nameBlocks_;
    std::vector<std::unique_ptr<DataBlock>> offsetBlocks_;
    std::vector<std::unique_ptr<DataBlock>> sizeBlocks_;
    std::vector<uint32_t> dataPositions_;
    ScriptHandle handle_{HandleFamily::kArchive, 0, this};
};

}  // namespace FD
