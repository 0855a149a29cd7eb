#include "platform/app.h"

#include <utility>

struct App::Call {
    Task task;
    std::mutex mutex;
    std::condition_variable doneCondition;
    bool done = false;
    std::exception_ptr error;
};

App::App() : mainThread_(std::this_thread::get_id()) {}

App::~App() {
    // A backend has joined the thread already; a plain App still has its own Pump and Wake.
    StopGameThread();
}

int App::RunMainLoop() {
    while (!quit_.load()) {
        Pump(true);
        ServeCalls();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    return quitCode_;
}

void App::StartGameThread(Task body) {
    gameDone_.store(false);
    gameError_ = nullptr;
    gameThread_ = std::thread([this, body = std::move(body)] {
        try {
            body();
        } catch (...) {
            gameError_ = std::current_exception();
        }
        gameDone_.store(true);
        Wake();
    });
}

void App::JoinGameThread() {
    if (!gameThread_.joinable()) return;
    while (!gameDone_.load()) {
        Pump(true);
        ServeCalls();
    }
    gameThread_.join();
    Pump(false);
    ServeCalls();
    if (gameError_) std::rethrow_exception(std::exchange(gameError_, nullptr));
}

void App::StopGameThread() {
    if (!gameThread_.joinable()) return;
    PostQuit(0);
    try {
        JoinGameThread();
    } catch (...) {
        // Nobody is left to hear about it while the App goes.
    }
}

void App::RunOnMain(const Task& task) {
    if (IsMainThread()) {
        task();
        return;
    }
    auto call = std::make_shared<Call>();
    call->task = task;
    PostToMain([call] {
        try {
            call->task();
        } catch (...) {
            call->error = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(call->mutex);
        call->done = true;
        call->doneCondition.notify_one();
    });
    std::unique_lock<std::mutex> lock(call->mutex);
    call->doneCondition.wait(lock, [&] { return call->done; });
    if (call->error) std::rethrow_exception(call->error);
}

void App::PostToMain(Task task) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(std::move(task));
    }
    Wake();
}

void App::PostQuit(int code) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!quit_.load()) {
            quitCode_ = code;
            quit_.store(true);
        }
    }
    Wake();
}

int App::ShowMessageBox(const std::string& title, const std::string& text, uint32_t style) {
    int answer = 0;
    RunOnMain([&] { answer = MessageBoxOnMain(title, text, style); });
    return answer;
}

void App::ShowErrorDialog(const std::string& caption, const std::string& message,
                          const std::string& callStack) {
    RunOnMain([&] { ErrorDialogOnMain(caption, message, callStack); });
}

void App::ShowCursor(bool) {}

void App::Pump(bool wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wait) wakeCondition_.wait(lock, [&] { return wakePending_; });
    wakePending_ = false;
}

void App::Wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    wakePending_ = true;
    wakeCondition_.notify_one();
}

int App::MessageBoxOnMain(const std::string&, const std::string&, uint32_t style) {
    return FirstMessageBoxButton(style);
}

void App::ErrorDialogOnMain(const std::string& caption, const std::string& message,
                            const std::string& callStack) {
    MessageBoxOnMain(caption, ErrorDialogText(message, callStack), MbOk | MbIconError);
}

void App::DeliverKeyDown(int32_t virtualKey, bool alt) {
    if (keyDown_) keyDown_(virtualKey, alt);
}

void App::DeliverChar(uint8_t character, bool alt) {
    if (char_) char_(character, alt);
}

void App::DeliverText(std::string_view utf8) {
    for (char c : codePage_.FromUtf8(utf8)) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte >= 0x20 && byte != 0x7F) DeliverChar(byte, false);
    }
}

void App::ServeCalls() {
    for (;;) {
        Task task;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (calls_.empty()) return;
            task = std::move(calls_.front());
            calls_.pop_front();
        }
        task();
    }
}

std::string ErrorDialogText(const std::string& message, const std::string& callStack) {
    std::string text = message;
    if (callStack.empty()) return text;
    text += "\n\n";
    for (char c : callStack) {
        if (c != '\r') text += c;
    }
    return text;
}

int FirstMessageBoxButton(uint32_t style) {
    return (style & MbButtonMask) == MbYesNo ? IdYes : IdOk;
}

int DismissedMessageBoxAnswer(uint32_t style) {
    switch (style & MbButtonMask) {
        case MbOkCancel:
            return IdCancel;
        case MbYesNo:
            return IdNo;
        default:
            return IdOk;
    }
}
