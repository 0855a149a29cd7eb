// Install record and menu entries held in memory, for tests; writes can be made to fail.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/desktop.h"
#include "platform/install_store.h"

class HeadlessInstallStore final : public InstallStore {
  public:
    std::optional<InstallRecord> Read() override { return record; }
    bool Write(const InstallRecord& value) override;
    bool Remove() override;
    std::string Location() const override { return "the install record in memory"; }

    std::optional<InstallRecord> record;
    bool failWrites = false;  // Write and Remove fail
};

class HeadlessDesktop final : public Desktop {
  public:
    bool Add(const DesktopEntry& entry) override;
    bool Remove(const std::string& fileName) override;
    std::string Location() const override { return "the menu in memory"; }

    std::map<std::string, DesktopEntry> entries;  // by file name
    bool failWrites = false;                      // Add and Remove fail
};
