#include "foundation/fr_stream.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "foundation/disk_path.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"

FREntryStream::~FREntryStream() {
    CloseEntry();
}

void FREntryStream::OpenEntry(const String& name) {
    if (archive_ == nullptr) throw FatalExep(String("File Directory is not assigned"));
    CloseEntry();
    int handle = archive_->Open(name);
    if (handle < 0) ThrowFatalCoded(1, 0, "FD::File \"%s\" could not be opened", name.Text());
    handle_ = handle;
    name_ = name;
}

void FREntryStream::CloseEntry() {
    if (handle_ != -1 && archive_ != nullptr) archive_->Close(handle_);
    handle_ = -1;
}

size_t FREntryStream::RawRead(uint8_t* buffer, size_t n) {
    if (handle_ == -1) return 0;
    return archive_->Read(handle_, buffer, static_cast<uint32_t>(std::min<size_t>(n, UINT32_MAX)));
}

uint32_t FREntryStream::RawSeek(int64_t offset, int origin) {
    if (handle_ == -1) return 0;
    return archive_->Seek(handle_, offset, origin);
}

uint32_t FREntryStream::RawSize() {
    return handle_ == -1 ? 0 : archive_->Size(handle_);
}

FRFileStream::~FRFileStream() {
    CloseFile();
}

void FRFileStream::OpenFile(const String& name) {
    CloseFile();
    std::optional<std::string> path = FindDiskFile(name.View());
    // A file that is there but cannot be read is not reported as missing.
    if (!path && IsDiskFolder(name.View())) ThrowFatalCoded(1, 0, "FR::File \"%s\" is a folder", name.Text());
    if (path) file_ = std::fopen(path->c_str(), "rb");
    if (file_ == nullptr && path) {
        ThrowFatalCoded(1, 0, "FR::File \"%s\" cannot be read (%s)", name.Text(), std::strerror(errno));
    }
    if (file_ == nullptr) ThrowFatalCoded(1, 0, "FR::File \"%s\"Not Found", name.Text());
    name_ = name;
}

void FRFileStream::CloseFile() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

size_t FRFileStream::RawRead(uint8_t* buffer, size_t n) {
    if (file_ == nullptr) return 0;
    return std::fread(buffer, 1, n, file_);
}

uint32_t FRFileStream::RawSeek(int64_t offset, int origin) {
    if (file_ == nullptr) return 0;
    int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    if (fseeko(file_, static_cast<off_t>(offset), whence) != 0) return 0;
    off_t position = ftello(file_);
    return position < 0 ? 0 : static_cast<uint32_t>(std::min<off_t>(position, UINT32_MAX));
}

uint32_t FRFileStream::RawSize() {
    if (file_ == nullptr) return 0;
    struct stat st;
    if (fstat(fileno(file_), &st) != 0 || st.st_size < 0) return 0;
    // Content sizes are 32-bit; a larger file is read as its first 4 GiB.
    return static_cast<uint32_t>(std::min<off_t>(st.st_size, UINT32_MAX));
}
