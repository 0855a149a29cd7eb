#include "platform/install_store.h"

#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "platform/file_replace.h"

namespace {

// A record is a few hundred bytes; anything far larger is not ours.
constexpr std::streamsize kMaxRecordBytes = 64 * 1024;

// Values are kept on one line each; a line end inside one would forge further keys.
bool FitsOnOneLine(const std::string& value) {
    return value.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

IniInstallStore::IniInstallStore(std::string configHome)
    : folder_(std::move(configHome) + "/Dorn/Vondrel"), file_(folder_ + "/install.ini") {}

std::optional<InstallRecord> IniInstallStore::Read() {
    std::ifstream in(file_, std::ios::binary);
    if (!in) return std::nullopt;
    std::string content(static_cast<size_t>(kMaxRecordBytes) + 1, '\0');
    in.read(content.data(), kMaxRecordBytes + 1);
    content.resize(static_cast<size_t>(in.gcount()));
    InstallRecord record;
    if (content.size() > static_cast<size_t>(kMaxRecordBytes)) return record;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        // The first of a repeated key counts, as a reader of the original file would see it.
        if (key == "path" && record.path.empty()) record.path = std::move(value);
        if (key == "DisplayName" && record.displayName.empty()) record.displayName = std::move(value);
        if (key == "UninstallString" && record.uninstallCommand.empty())
            record.uninstallCommand = std::move(value);
    }
    return record;
}

bool IniInstallStore::Write(const InstallRecord& record) {
    if (!FitsOnOneLine(record.path) || !FitsOnOneLine(record.displayName) ||
        !FitsOnOneLine(record.uninstallCommand)) {
        return false;
    }
    const std::string text = "[Vondrel]\npath=" + record.path + "\nDisplayName=" + record.displayName +
                             "\nUninstallString=" + record.uninstallCommand + "\n";
    return ReplaceFile(file_, text, 0644);
}

bool IniInstallStore::Remove() {
    if (unlink(file_.c_str()) != 0 && errno != ENOENT) return false;
    // Only emptied folders go; another program of the maker may keep its own there.
    rmdir(folder_.c_str());
    rmdir(folder_.substr(0, folder_.rfind('/')).c_str());
    return true;
}
