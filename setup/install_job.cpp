#include "setup/install_job.h"

#include <exception>

#include "foundation/exceptions.h"
#include "platform/install_store.h"

InstallJob::~InstallJob() {
    control_.Abort();
    Join();
}

void InstallJob::Start(const String& folder, BlockReader& archive, const ExtractionTexts& texts) {
    control_.Begin();
    worker_ = std::thread(&InstallJob::Work, this, folder, &archive, texts);
}

void InstallJob::Join() {
    if (worker_.joinable()) worker_.join();
}

void InstallJob::Work(String folder, BlockReader* archive, ExtractionTexts texts) {
    // Nothing may leave the thread: an escaping exception would end the process.
    try {
        EntryHook hook;
        if (afterEntry) hook = [this](uint32_t index) { afterEntry(index, control_); };
        if (ExtractArchive(folder, *archive, control_, texts, hook)) {
            const std::string path = folder.Text();
            // A record that cannot be written leaves the game installed; only the uninstaller
            // loses its way to it, as with an unwritable registry.
            store_.Write({path, "Vondrel", path + "uninstall"});
            completed_ = true;
        }
    } catch (const DExep& e) {
        error_ = std::string(e.message.View());
    } catch (const std::exception& e) {
        error_ = std::string("Not Dorn exception: ") + e.what();
    } catch (...) {
        error_ = "Not Dorn exception";
    }
    control_.Finish();
}
