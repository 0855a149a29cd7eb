#include "setup/install_job.h"

#include <exception>

#include "foundation/exceptions.h"
#include "platform/install_store.h"
#include "setup/language_file.h"
#include "setup/named_write.h"

InstallJob::~InstallJob() {
    control_.Abort();
    Join();
}

void InstallJob::Start(const String& folder, BlockReader& archive, const ExtractionTexts& texts,
                       int32_t language) {
    control_.Begin();
    worker_ = std::thread(&InstallJob::Work, this, folder, &archive, texts, language);
}

void InstallJob::Join() {
    if (worker_.joinable()) worker_.join();
}

void InstallJob::Commit(const std::string& folder, int32_t language) {
    const std::optional<InstallRecord> before = store_.Read();
    if (!store_.Write({folder, "Vondrel", folder + "uninstall"})) {
        ThrowFatal(
            "Cannot write the install record \"%s\": without it uninstall could not find the game to "
            "remove it, so the files copied were removed again",
            store_.Location().c_str());
    }
    try {
        NamingFile(folder + "Language.LCFG", [&] { WriteLanguageFile("Language.LCFG", language); });
    } catch (const DExep&) {
        if (before)
            store_.Write(*before);
        else
            store_.Remove();
        throw;
    }
}

void InstallJob::Work(String folder, BlockReader* archive, ExtractionTexts texts, int32_t language) {
    // Nothing may leave the thread: an escaping exception would end the process.
    try {
        EntryHook hook;
        if (afterEntry) hook = [this](uint32_t index) { afterEntry(index, control_); };
        const std::string path = folder.Text();
        completed_ = ExtractArchive(folder, *archive, control_, texts, hook, [&] { Commit(path, language); });
    } catch (const DExep& e) {
        error_ = std::string(e.message.View());
    } catch (const std::exception& e) {
        error_ = std::string("Not Dorn exception: ") + e.what();
    } catch (...) {
        error_ = "Not Dorn exception";
    }
    control_.Finish();
}
