// Where the setup tools keep the record of an install: the game folder and the uninstall entry's
// display name and command. The installer writes it, the uninstaller reads and removes it.
#pragma once

#include <optional>
#include <string>

struct InstallRecord {
    std::string path;  // the install folder, ending with '/'
    std::string displayName;
    std::string uninstallCommand;
};

class InstallStore {
  public:
    virtual ~InstallStore() = default;
    // Nothing when no install is recorded. A damaged record gives what could be read (a missing
    // key stays empty), so callers check the path.
    virtual std::optional<InstallRecord> Read() = 0;
    // False when the record could not be written; an older record then stays as it was.
    virtual bool Write(const InstallRecord& record) = 0;
    // False when a record is there and could not be removed.
    virtual bool Remove() = 0;
    // Where the record is kept, for messages.
    virtual std::string Location() const = 0;
};

// The record as a small text file, "<config home>/Dorn/Vondrel/install.ini":
//     [Vondrel]
//     path=...
//     DisplayName=...
//     UninstallString=...
class IniInstallStore final : public InstallStore {
  public:
    explicit IniInstallStore(std::string configHome);

    std::optional<InstallRecord> Read() override;
    bool Write(const InstallRecord& record) override;
    // The record's file, then its folders when that leaves them empty.
    bool Remove() override;
    std::string Location() const override { return file_; }

    const std::string& FilePath() const { return file_; }

  private:
    std::string folder_;  // "<config home>/Dorn/Vondrel"
    std::string file_;
};
