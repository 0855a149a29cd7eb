#include "foundation/fw.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "foundation/byte_order.h"
#include "foundation/disk_path.h"
#include "foundation/exceptions.h"

namespace {

[[noreturn]] void ThrowWriteError() { throw WarnExep(1, String("Error on writing into file"), 0); }

// Opens a fresh file next to target; mode bits follow the umask as for an ordinary create.
std::FILE* OpenTemporary(const std::string& target, std::string& path, const char* mode) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = target + ".tmp" + std::to_string(getpid()) + "_" + std::to_string(counter++);
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            std::FILE* file = fdopen(fd, mode);
            if (file == nullptr) {
                close(fd);
                unlink(path.c_str());
            }
            return file;
        }
        if (errno != EEXIST) break;
    }
    path.clear();
    return nullptr;
}

}  // namespace

FW::~FW() {
    // No exception may leave a destructor; an unfinished new file is simply dropped.
    Abandon();
}

void FW::Create(const String& name, uint8_t flags) {
    if (file_ != nullptr) Close();
    std::string path = DiskPathForCreate(name.View());
    if (path.empty()) throw FatalExep(1, String("FW::Unable to create file"), 0);
    const bool append = (flags & 1) != 0;
    const char* mode = append ? ((flags & 2) ? "at" : "ab") : ((flags & 2) ? "wt" : "wb");
    failed_ = false;
    if (append) {
        file_ = std::fopen(path.c_str(), mode);
    } else {
        file_ = OpenTemporary(path, temporary_, mode);
        if (file_ != nullptr) target_ = path;
    }
    if (file_ == nullptr) throw FatalExep(1, String("FW::Unable to create file"), 0);
    BeginStream();
}

void FW::Write(const void* buffer, uint32_t n) { RawWrite(buffer, n); }

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
    bool ok = !failed_ && std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    ok = ok && std::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!ok) unlink(temporary_.c_str());
    temporary_.clear();
    target_.clear();
    if (!ok) ThrowWriteError();
}

void FW::Abandon() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) unlink(temporary_.c_str());
    temporary_.clear();
    target_.clear();
}
