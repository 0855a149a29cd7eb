// The setup tools' front-end for tests: answers come from fields set beforehand, and everything
// shown is recorded. Waiting for a cancel never sleeps.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "setup/setup_ui.h"

class ScriptedSetupUi final : public SetupUi {
  public:
    // Answers.
    std::optional<size_t> language = 0;  // index into the shown list; nothing: cancel
    bool agree = true;
    std::optional<std::string> folder = std::string();  // empty: the offered one; nothing: cancel
    std::vector<Answer> answers;                        // to Ask, in turn; Yes when they run out
    bool unattended = false;                            // as under --yes
    // Asked on each wait for a cancel; true asks to cancel (with the question).
    std::function<bool()> cancel;

    // What was shown.
    std::vector<std::string> languageNames;  // "<number>)<name>"
    std::optional<size_t> offeredLanguage;
    std::string licenseText;
    std::string offeredFolder;
    std::vector<std::string> questions;  // caption + "|" + text
    std::atomic<int> asked{0};           // questions so far, for other threads
    std::vector<std::string> told;       // caption + "|" + text
    std::vector<std::string> errors;     // caption + "|" + text
    std::vector<int32_t> progress;
    std::vector<std::string> progressEntries;

    std::optional<size_t> ChooseLanguage(const std::string& title, const std::string& prompt,
                                         const std::vector<ShownLanguage>& languages,
                                         size_t offered) override;
    bool ShowLicense(const std::string& caption, const std::string& text, const std::string& agreeText,
                     const std::string& disagreeText) override;
    std::optional<std::string> AskFolder(const std::string& title, const std::string& prompt,
                                         const std::string& defaultFolder) override;
    Answer Ask(const std::string& caption, const std::string& question,
               const AnswerMeaning& meaning) override;
    bool Unattended() const override { return unattended; }
    void Tell(const std::string& caption, const std::string& text) override;
    void ShowError(const std::string& caption, const std::string& text) override;
    void ShowProgress(int32_t percent, const std::string& entry) override;
    void EndProgress() override {}
    CancelRequest WaitForCancel(std::chrono::milliseconds wait) override;
};
