#include "setup/menu_folder.h"

#include <unistd.h>

#include <string_view>
#include <utility>

namespace {

constexpr std::string_view kSuffix = ".desktop";

bool IsEntryFileName(const std::string& name) {
    return name.size() > kSuffix.size() && name.find('/') == std::string::npos &&
           name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0;
}

}  // namespace

MenuFolder::MenuFolder(std::string applicationsFolder) : desktop_(std::move(applicationsFolder)) {}

bool MenuFolder::Add(const DesktopEntry& entry) {
    return desktop_.Add(entry);
}

void MenuFolder::Remove(const std::string& fileName) {
    if (!IsEntryFileName(fileName)) return;
    unlink((desktop_.Folder() + "/" + fileName).c_str());  // a missing entry is no error
}
