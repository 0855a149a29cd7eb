// The desktop's application menu: entries that start the game and its tools or open its documents.
#pragma once

#include <string>
#include <vector>

struct DesktopEntry {
    std::string fileName;  // fixed ASCII name, "vondrel.desktop"
    std::string name;      // shown in the menu, UTF-8
    std::string comment;
    std::vector<std::string> command;  // program and arguments, each passed as one word
    std::string workingFolder;
    bool terminal = false;  // the program talks through a terminal
};

class Desktop {
  public:
    virtual ~Desktop() = default;
    // False when the entry could not be written (or cannot be expressed safely).
    virtual bool Add(const DesktopEntry& entry) = 0;
    // False when the entry is there and could not be removed.
    virtual bool Remove(const std::string& fileName) = 0;
    // Where the entries are kept, for messages.
    virtual std::string Location() const = 0;
};

// freedesktop ".desktop" files in one applications folder ("<data home>/applications").
class XdgDesktop final : public Desktop {
  public:
    explicit XdgDesktop(std::string applicationsFolder);

    bool Add(const DesktopEntry& entry) override;
    // Removes the entry's file alone: the folder is every program's.
    bool Remove(const std::string& fileName) override;
    std::string Location() const override { return folder_; }

    const std::string& Folder() const { return folder_; }

  private:
    std::string folder_;
};

// The text of a ".desktop" file for entry; empty when a value holds a control character, which
// the format cannot carry.
std::string DesktopFileText(const DesktopEntry& entry);
