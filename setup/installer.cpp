#include "setup/installer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "foundation/block_reader.h"
#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "platform/desktop.h"
#include "script/message_manager.h"
#include "setup/entered_folder.h"
#include "setup/entry_name.h"
#include "setup/install_job.h"
#include "setup/language_choice.h"
#include "setup/language_file.h"
#include "setup/menu_entries.h"
#include "setup/setup_texts.h"
#include "setup/setup_ui.h"

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(100);
// A licence is a few pages; the whole text is shown, up to a size no licence reaches.
constexpr uint32_t kMaxLicenseBytes = 16u << 20;

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ReadLicense(const String& name) {
    FileBlockReader reader;
    reader.Open(name);
    const uint32_t size = reader.Size();
    if (size > kMaxLicenseBytes) ThrowFatal("Licence file %s is too large", name.Text());
    std::string text(size, '\0');
    text.resize(reader.Read(text.data(), size));
    return text;
}

// Shows the percent and names every entry begun while the worker runs; a cancel request pauses
// it for the question, an interrupt aborts it at once.
void WatchInstall(InstallJob& job, SetupUi& ui, SetupTexts& texts, const std::string& cancelCaption,
                  const std::string& cancelQuestion) {
    InstallControl& control = job.Control();
    int32_t shown = -1;
    const auto show = [&] {
        const int32_t percent = control.Percent();
        const std::vector<std::string> begun = control.TakeBegunEntries();
        for (const std::string& entry : begun) ui.ShowProgress(percent, texts.Utf8(entry));
        if (begun.empty() && percent != shown) ui.ShowProgress(percent, {});
        shown = percent;
    };
    while (control.State() != InstallState::Finished) {
        show();
        const CancelRequest request = ui.WaitForCancel(kProgressInterval);
        if (request == CancelRequest::Now) {
            if (control.Abort()) control.WaitUntilFinished();
            continue;
        }
        if (request != CancelRequest::Ask || !control.Pause()) continue;
        if (ui.Ask(cancelCaption, cancelQuestion) == Answer::Yes) {
            if (control.Abort()) control.WaitUntilFinished();
        } else {
            control.Resume();
        }
    }
    show();
    ui.EndProgress();
}

int Install(SetupServices& services, SetupTexts& texts, LanguageBlock& language) {
    SetupUi& ui = services.ui;
    // Every text shown from here on is fetched first: a message file that lacks one fails before
    // anything is written, never after the game was installed.
    const std::string notDoneCaption = texts.Get(4), notDoneText = texts.Get(2);
    const std::string errorCaption = texts.Get(5);
    const std::string cancelCaption = texts.Get(10), cancelQuestion = texts.Get(11);
    const std::string doneCaption = texts.Get(1), doneText = texts.Get(3);
    const auto notCompleted = [&] {
        ui.Tell(notDoneCaption, notDoneText);
        return 1;
    };
    const std::string license = ReadLicense(texts.Raw(22));
    if (!ui.ShowLicense(texts.Get(23), texts.Utf8(license), texts.Get(24), texts.Get(25)))
        return notCompleted();
    auto typed = ui.AskFolder(texts.Get(18), texts.Get(17), services.defaultFolder);
    if (!typed) return notCompleted();
    // The archive is opened where setup was started; from there on the install folder is the
    // working folder, for the worker's files and for "Language.LCFG". Both outlive the job.
    FileBlockReader archive;
    std::optional<EnteredFolder> inFolder;
    String folder;
    try {
        archive.Open("data.fd");
        folder = PrepareInstallFolder(*typed, texts.Raw(13), texts.Raw(12));
        inFolder.emplace(folder.Text());
    } catch (const DExep& e) {
        ui.ShowError(errorCaption, texts.Utf8(e.message.View()));
        return notCompleted();
    }
    InstallJob job(services.store);
    job.afterEntry = services.afterEntry;
    job.Start(folder, archive, {texts.Raw(12), texts.Raw(14)});
    WatchInstall(job, ui, texts, cancelCaption, cancelQuestion);
    job.Join();
    if (job.Error()) ui.ShowError(errorCaption, texts.Utf8(*job.Error()));
    if (!job.Completed()) return notCompleted();  // what the worker wrote is gone again
    for (const DesktopEntry& entry : MenuEntries(folder.Text(), texts)) services.desktop.Add(entry);
    WriteLanguageFile("Language.LCFG", static_cast<int32_t>(language.Language()));
    ui.Tell(doneCaption, doneText);
    return 0;
}

}  // namespace

String PrepareInstallFolder(const std::string& typed, const String& notAbsolute, const String& cannotCreate) {
    if (typed.empty() || typed[0] != '/' || HasControlCharacter(typed)) throw WarnExep(String(notAbsolute));
    std::string folder = typed;
    if (folder.back() != '/') folder.push_back('/');
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        const std::string path = folder.substr(0, slash);
        if (path.back() == '/' || IsFolder(path)) continue;  // "//" in the typed path, or there already
        // A folder that cannot be made shows in the check after.
        mkdir(path.c_str(), 0755);
        if (!IsFolder(path)) throw FatalExep(cannotCreate + path.c_str());
    }
    return String(folder.c_str());
}

int RunSetup(SetupServices& services) {
    LanguageBlock language;
    language.SetLanguage(1);
    CodePageConverter converter;
    try {
        auto chosen = AskLanguage(services.ui, converter);
        if (!chosen) return 1;
        language.SetLanguage(static_cast<uint32_t>(*chosen));
        FileBlockReader reader;
        reader.Open("data.fd");
        FD::File archive(&reader, 0, 10);
        MessageManager messages(nullptr, &archive, &language);
        SetupTexts texts(messages, "setup.mes");
        return Install(services, texts, language);
    } catch (const DExep& e) {
        services.ui.ShowError("Error", converter.ToUtf8(e.message.View()));
        return 1;
    }
}
