// The installer's worker: extracts the archive on its own thread, then records the install and
// writes the language chosen into the folder's "Language.LCFG". Without its record the install
// could not be removed, so a record (or language file) that cannot be written fails it, and the
// files are deleted again. The watching thread sees its progress and outcome through the job.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "foundation/engine_string.h"
#include "setup/extraction.h"
#include "setup/install_control.h"

class BlockReader;
class InstallStore;

// Called on the worker after each entry is written and listed, with its index and the control the
// watching thread moves (tests hold the worker at a known point with it).
using WorkerHook = std::function<void(uint32_t index, const InstallControl& control)>;

class InstallJob {
  public:
    explicit InstallJob(InstallStore& store) : store_(store) {}
    // A worker still running is asked to abort and joined.
    ~InstallJob();
    InstallJob(const InstallJob&) = delete;
    InstallJob& operator=(const InstallJob&) = delete;

    // folder ends with '/' and is the working folder until the job is joined; archive stays open
    // as long. Starts the worker; the state goes Running at once.
    void Start(const String& folder, BlockReader& archive, const ExtractionTexts& texts, int32_t language);
    void Join();

    InstallControl& Control() { return control_; }
    // Valid once the state is Finished: every entry written and listed, the install recorded.
    bool Completed() const { return completed_; }
    // The engine error that ended the worker, in the game's code page.
    const std::optional<std::string>& Error() const { return error_; }

    WorkerHook afterEntry;

  private:
    void Work(String folder, BlockReader* archive, ExtractionTexts texts, int32_t language);
    // The record, then the language; a language file that cannot be written puts the record back
    // as it was.
    void Commit(const std::string& folder, int32_t language);

    InstallStore& store_;
    InstallControl control_;
    std::thread worker_;
    bool completed_ = false;
    std::optional<std::string> error_;
};
