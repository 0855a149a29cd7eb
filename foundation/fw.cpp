#include "foundation/fw.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>

#include "foundation/byte_order.h"
#include "foundation/disk_path.h"
#include "foundation/exceptions.h"

namespace {

[[noreturn]] void ThrowWriteError() {
    throw WarnExep(1, String("Error on writing into file"), 0);
}

// Writers of one target at the same time each take a slot of their own.
constexpr int kTemporarySlots = 4;

std::string TemporaryPath(const std::string& target, int slot) {
    return target + ".tmp" + std::to_string(slot);
}

// True when fd is still the file at path: a writer that renamed it away may have let go of it.
bool StillAt(int fd, const std::string& path) {
    struct stat opened, named;
    return fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// A writer holds an exclusive lock on its temporary file for as long as it lives, and the lock
// goes with the process, so an unlocked temporary file is left over from a write that was killed.
// Opens path locked if it is such a leftover; -1 when it is missing or a live writer's.
int OpenLeftover(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || !StillAt(fd, path)) {
        close(fd);
        return -1;
    }
    return fd;
}

// Creates and locks a fresh temporary file in slot; -1 when a live writer holds the slot.
int CreateInSlot(const std::string& path) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (flock(fd, LOCK_EX | LOCK_NB) == 0 && StillAt(fd, path)) return fd;
            close(fd);
            continue;
        }
        if (errno != EEXIST) return -1;
        int leftover = OpenLeftover(path);
        if (leftover < 0) {
            if (access(path.c_str(), F_OK) == 0) return -1;  // a live writer's
            continue;                                        // gone meanwhile
        }
        unlink(path.c_str());
        close(leftover);
    }
    return -1;
}

// Opens a fresh temporary file next to target in the first free slot and removes the leftovers
// of killed writes in the other slots. The file takes the permission bits of the file it replaces.
std::FILE* OpenTemporary(const std::string& target, std::string& path, const char* mode) {
    int fd = -1;
    int slot = 0;
    for (; slot < kTemporarySlots && fd < 0; ++slot) fd = CreateInSlot(TemporaryPath(target, slot));
    if (fd < 0) {
        path.clear();
        return nullptr;
    }
    path = TemporaryPath(target, slot - 1);
    for (; slot < kTemporarySlots; ++slot) {
        const std::string other = TemporaryPath(target, slot);
        int leftover = OpenLeftover(other);
        if (leftover < 0) continue;
        unlink(other.c_str());
        close(leftover);
    }
    struct stat replaced;
    if (stat(target.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode))
        fchmod(fd, replaced.st_mode & 07777);
    std::FILE* file = fdopen(fd, mode);
    if (file == nullptr) {
        unlink(path.c_str());
        close(fd);
        path.clear();
    }
    return file;
}

// Makes a rename in the folder of path durable.
bool SyncFolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

}  // namespace

FW::~FW() {
    CloseOnDestroy();
}

void FW::CloseOnDestroy() noexcept {
    if (file_ == nullptr) return;
    // Unwinding: the content is unfinished. Otherwise the file is finished as Close does, but no
    // exception may leave a destructor: a failed finish leaves the target as it was.
    if (std::uncaught_exceptions() > uncaughtAtCreate_) {
        Abandon();
        return;
    }
    try {
        Close();
    } catch (...) {
        Abandon();
    }
}

void FW::Create(const String& name, uint8_t flags) {
    if (file_ != nullptr) Close();
    std::string path = DiskPathForCreate(name.View());
    if (path.empty()) throw FatalExep(1, String("FW::Unable to create file"), 0);
    const bool append = (flags & 1) != 0;
    const char* mode = append ? ((flags & 2) ? "at" : "ab") : ((flags & 2) ? "wt" : "wb");
    failed_ = false;
    uncaughtAtCreate_ = std::uncaught_exceptions();
    if (append) {
        file_ = std::fopen(path.c_str(), mode);
    } else {
        file_ = OpenTemporary(path, temporary_, mode);
        if (file_ != nullptr) target_ = path;
    }
    if (file_ == nullptr) throw FatalExep(1, String("FW::Unable to create file"), 0);
    BeginStream();
}

void FW::Write(const void* buffer, uint32_t n) {
    RawWrite(buffer, n);
}

void FW::WriteU16(uint16_t value) {
    uint8_t bytes[2];
    StoreU16(bytes, value);
    Write(bytes, 2);
}

void FW::WriteU32(uint32_t value) {
    uint8_t bytes[4];
    StoreU32(bytes, value);
    Write(bytes, 4);
}

uint32_t FW::RawWrite(const void* buffer, uint32_t n) {
    if (file_ == nullptr) throw WarnExep(1, String("File not OPENED!"), 0);
    if (n != 0 && std::fwrite(buffer, n, 1, file_) != 1) {
        failed_ = true;
        ThrowWriteError();
    }
    return n;
}

uint32_t FW::Seek(int64_t offset, int origin) {
    if (file_ == nullptr) return 0;
    int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    if (fseeko(file_, static_cast<off_t>(offset), whence) != 0) return 0;
    off_t position = ftello(file_);
    return position < 0 ? 0 : static_cast<uint32_t>(position);
}

void FW::Close() {
    if (file_ == nullptr) return;
    if (temporary_.empty()) {
        bool ok = std::fclose(file_) == 0 && !failed_;
        file_ = nullptr;
        if (!ok) ThrowWriteError();
        return;
    }
    // The file stays open, and so locked, until it has its name: a writer that starts meanwhile
    // must not take it for a leftover.
    bool ok = !failed_ && std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    ok = ok && std::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!ok) unlink(temporary_.c_str());
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    ok = ok && SyncFolderOf(target_);
    temporary_.clear();
    target_.clear();
    if (!ok) ThrowWriteError();
}

void FW::Abandon() {
    if (!temporary_.empty()) unlink(temporary_.c_str());
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    temporary_.clear();
    target_.clear();
}
