// The desktop's applications folder as the setup tools use it. The folder belongs to every program
// that has a menu entry: the tools add and remove their own entries in it and never remove the
// folder, not even when their last entry was the only file in it.
#pragma once

#include <string>

#include "platform/desktop.h"

class MenuFolder final : public Desktop {
  public:
    explicit MenuFolder(std::string applicationsFolder);

    bool Add(const DesktopEntry& entry) override;
    // Deletes the entry's file alone; a name that is not a plain ".desktop" file name is ignored.
    void Remove(const std::string& fileName) override;

  private:
    XdgDesktop desktop_;
};
