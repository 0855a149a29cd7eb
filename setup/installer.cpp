#include "setup/installer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "foundation/block_reader.h"
#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "platform/desktop.h"
#include "platform/install_store.h"
#include "script/message_manager.h"
#include "setup/entered_folder.h"
#include "setup/entry_name.h"
#include "setup/install_job.h"
#include "setup/install_list.h"
#include "setup/kept_files.h"
#include "setup/language_choice.h"
#include "setup/menu_entries.h"
#include "setup/setup_texts.h"
#include "setup/setup_ui.h"
#include "setup/uninstaller.h"
#include "setup/users_files.h"

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
// it for the question, an interrupt aborts it at once. A question left without an answer cancels,
// as it ends every other question.
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
        const Answer answer =
            ui.Ask(cancelCaption, cancelQuestion, {"stop and remove what was copied", "go on"});
        if (answer == Answer::Yes || answer == Answer::Unanswered) {
            if (control.Abort()) control.WaitUntilFinished();
        } else {
            control.Resume();
        }
    }
    show();
    ui.EndProgress();
}

// The install the uninstaller would remove, when one stands in another folder than the one typed:
// the record names one install, so a second one would be left for nothing to remove.
std::optional<std::string> OtherStandingInstall(SetupServices& services, const std::string& typed) {
    const std::optional<InstallRecord> record = services.store.Read();
    if (!record) return std::nullopt;
    std::optional<std::string> standing = CheckedInstallFolder(record->path, services.homeFolder);
    std::error_code error;
    if (standing && std::filesystem::equivalent(typed, *standing, error)) return std::nullopt;
    return standing;
}

// Whether the user's files of the game's names may be replaced (and deleted by uninstall later):
// only on the user's yes, which --yes cannot give.
bool MayReplaceUsersFiles(SetupUi& ui, const std::string& errorCaption, const std::string& folder,
                          const std::vector<std::string>& files) {
    const std::string found = "The folder " + folder + " holds files of the names Vondrel installs that no " +
                              "install of Vondrel made: " + JoinNames(files) + ".";
    if (ui.Unattended()) {
        ui.ShowError(errorCaption, found +
                                       " Setup replaces them only when you say so: move them elsewhere, or " +
                                       "run setup without --yes to be asked.");
        return false;
    }
    const std::string question = found + " Installing replaces them, and uninstall would delete them later.";
    return ui.Ask("Replace files", question, {"replace them and install", "install nothing"}) == Answer::Yes;
}

int Install(SetupServices& services, SetupTexts& texts, LanguageBlock& language,
            const std::vector<std::string>& entryNames) {
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
    if (auto standing = OtherStandingInstall(services, *typed)) {
        ui.ShowError(errorCaption,
                     "Vondrel is installed in " + *standing + " already, and there can be one " +
                         "install only: install into that folder again, or remove it first with " +
                         *standing + "uninstall.");
        return notCompleted();
    }
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
        ui.ShowError(errorCaption, texts.Error(e.message.View()));
        return notCompleted();
    }
    // A setup killed while it replaced files left them kept aside: they are put back first, so that
    // the folder is again as it was before that setup.
    std::vector<std::string> names = entryNames;
    const std::vector<std::string> listed =
        ReadInstallList(folder.Text()).value_or(std::vector<std::string>{});
    names.insert(names.end(), listed.begin(), listed.end());
    if (const std::vector<std::string> kept = PutBackKeptFiles(folder.Text(), names); !kept.empty()) {
        ui.ShowError(errorCaption, "An earlier setup that did not finish kept these files aside in " +
                                       std::string(folder.Text()) +
                                       ", and they could not be put back: " + JoinNames(kept) + ".");
        return notCompleted();
    }
    const std::vector<std::string> usersFiles = UsersFilesInTheWay(folder.Text(), entryNames);
    if (!usersFiles.empty() && !MayReplaceUsersFiles(ui, errorCaption, folder.Text(), usersFiles))
        return notCompleted();
    InstallJob job(services.store);
    job.afterEntry = services.afterEntry;
    job.Start(folder, archive, {texts.Raw(12), texts.Raw(14)}, static_cast<int32_t>(language.Language()));
    WatchInstall(job, ui, texts, cancelCaption, cancelQuestion);
    job.Join();
    if (job.Error()) ui.ShowError(errorCaption, texts.Error(*job.Error()));
    if (!job.Completed()) return notCompleted();  // what the worker wrote is gone again
    // The game is installed and recorded by now; a menu entry is a way to start it, not a part of it.
    std::vector<std::string> notMade;
    for (const DesktopEntry& entry : MenuEntries(folder.Text(), texts)) {
        if (!services.desktop.Add(entry)) notMade.push_back(entry.fileName);
    }
    ui.Tell(doneCaption, doneText);
    if (!notMade.empty()) {
        const std::string path = folder.Text();
        ui.ShowError(errorCaption, "The menu entries " + JoinNames(notMade) + " could not be written in " +
                                       services.desktop.Location() + ": start the game with " + path +
                                       "Vondrel, and remove it with " + path + "uninstall.");
    }
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
    // Before "setup.mes" is read, and after an error, the tool's own words end the run.
    const auto notInstalled = [&] {
        services.ui.Tell("Setup", "Vondrel has not been installed.");
        return 1;
    };
    try {
        auto chosen = AskLanguage(services.ui, converter);
        if (!chosen) return notInstalled();
        language.SetLanguage(static_cast<uint32_t>(*chosen));
        FileBlockReader reader;
        reader.Open("data.fd");
        FD::File archive(&reader, 0, 10);
        std::vector<std::string> entryNames;
        for (uint32_t i = 0; i < archive.EntryCount(); ++i) entryNames.emplace_back(archive.EntryAt(i).name);
        MessageManager messages(nullptr, &archive, &language);
        SetupTexts texts(messages, "setup.mes");
        return Install(services, texts, language, entryNames);
    } catch (const DExep& e) {
        services.ui.ShowError("Error", ErrorText(converter, e.message.View()));
        return notInstalled();
    }
}
