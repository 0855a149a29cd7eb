#include "platform/headless/headless_install_store.h"

bool HeadlessInstallStore::Write(const InstallRecord& value) {
    if (failWrites) return false;
    record = value;
    return true;
}

bool HeadlessInstallStore::Remove() {
    if (failWrites && record) return false;
    record.reset();
    return true;
}

bool HeadlessDesktop::Remove(const std::string& fileName) {
    if (failWrites && entries.count(fileName) != 0) return false;
    entries.erase(fileName);
    return true;
}

bool HeadlessDesktop::Add(const DesktopEntry& entry) {
    if (failWrites) return false;
    entries[entry.fileName] = entry;
    return true;
}
