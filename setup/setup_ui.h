// What the setup tools ask and tell the user. Texts arrive as UTF-8. The terminal front-end is one
// implementation; tests drive the tools through a scripted one.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ShownLanguage {
    std::string name;  // UTF-8
    int32_t number;
};

enum class Answer {
    Yes,
    No,
    Cancel,
    Unanswered,  // the input ended or an interrupt came: nobody answered
};

// What a yes and a no mean, for the front-end to show beside the question; Cancel means what No
// means.
struct AnswerMeaning {
    std::string yes;
    std::string no;
};

// What the user asked for while a worker runs.
enum class CancelRequest {
    None,
    Ask,  // cancel, if the user confirms
    Now,  // interrupted (Ctrl-C): cancel without asking
};

class SetupUi {
  public:
    virtual ~SetupUi() = default;

    // The index of the chosen language in the list (offered: the index of the default); nothing
    // when the user cancels or no language was chosen.
    virtual std::optional<size_t> ChooseLanguage(const std::string& title, const std::string& prompt,
                                                 const std::vector<ShownLanguage>& languages,
                                                 size_t offered) = 0;
    // True when the user agrees to the licence text.
    virtual bool ShowLicense(const std::string& caption, const std::string& text, const std::string& agree,
                             const std::string& disagree) = 0;
    // The install folder, the default offered; nothing when the user cancels.
    virtual std::optional<std::string> AskFolder(const std::string& title, const std::string& prompt,
                                                 const std::string& defaultFolder) = 0;
    virtual Answer Ask(const std::string& caption, const std::string& question,
                       const AnswerMeaning& meaning) = 0;
    // True when questions are answered by the command line (--yes), not by the user: a question
    // whose yes would destroy the user's files is then not asked, and the tool refuses instead.
    virtual bool Unattended() const = 0;
    virtual void Tell(const std::string& caption, const std::string& text) = 0;
    virtual void ShowError(const std::string& caption, const std::string& text) = 0;

    // The percent bar while a worker runs; EndProgress once it has ended. entry, when not empty,
    // names an archive entry whose extraction has begun (UTF-8): each entry comes once, in order.
    virtual void ShowProgress(int32_t percent, const std::string& entry) = 0;
    virtual void EndProgress() = 0;
    // Waits up to the time for the user to ask to cancel the running install.
    virtual CancelRequest WaitForCancel(std::chrono::milliseconds wait) = 0;
};
