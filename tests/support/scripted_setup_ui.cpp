#include "tests/support/scripted_setup_ui.h"

#include <thread>

std::optional<size_t> ScriptedSetupUi::ChooseLanguage(const std::string&, const std::string&,
                                                      const std::vector<ShownLanguage>& languages,
                                                      size_t offered) {
    for (const ShownLanguage& shown : languages)
        languageNames.push_back(std::to_string(shown.number) + ")" + shown.name);
    offeredLanguage = offered;
    return language;
}

bool ScriptedSetupUi::ShowLicense(const std::string&, const std::string& text, const std::string&,
                                  const std::string&) {
    licenseText = text;
    return agree;
}

std::optional<std::string> ScriptedSetupUi::AskFolder(const std::string&, const std::string&,
                                                      const std::string& defaultFolder) {
    offeredFolder = defaultFolder;
    if (folder && folder->empty()) return defaultFolder;
    return folder;
}

Answer ScriptedSetupUi::Ask(const std::string& caption, const std::string& question, const AnswerMeaning&) {
    questions.push_back(caption + "|" + question);
    ++asked;
    if (answers.empty()) return Answer::Yes;
    Answer answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

void ScriptedSetupUi::Tell(const std::string& caption, const std::string& text) {
    told.push_back(caption + "|" + text);
}

void ScriptedSetupUi::ShowError(const std::string& caption, const std::string& text) {
    errors.push_back(caption + "|" + text);
}

void ScriptedSetupUi::ShowProgress(int32_t percent, const std::string& entry) {
    progress.push_back(percent);
    progressEntries.push_back(entry);
}

CancelRequest ScriptedSetupUi::WaitForCancel(std::chrono::milliseconds) {
    if (cancel && cancel()) return CancelRequest::Ask;
    std::this_thread::yield();
    return CancelRequest::None;
}
