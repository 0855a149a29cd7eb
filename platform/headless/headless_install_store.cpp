#include "platform/headless/headless_install_store.h"

bool HeadlessInstallStore::Write(const InstallRecord& value) {
    if (failWrites) return false;
    record = value;
    return true;
}

bool HeadlessDesktop::Add(const DesktopEntry& entry) {
    if (failWrites) return false;
    entries[entry.fileName] = entry;
    return true;
}
