// The engine finds and writes files only by names relative to the working folder, so the setup
// tools work inside the folder they install into or remove from. The working folder belongs to
// the whole process: enter it on the thread that owns the run, before any worker starts.
#pragma once

#include <string>

class EnteredFolder {
  public:
    // Makes folder the working folder; FatalExep naming it when it cannot be entered.
    explicit EnteredFolder(const std::string& folder);
    // Returns to the folder that was the working folder before, even when it was renamed.
    ~EnteredFolder();
    EnteredFolder(const EnteredFolder&) = delete;
    EnteredFolder& operator=(const EnteredFolder&) = delete;

  private:
    int previous_;
};
