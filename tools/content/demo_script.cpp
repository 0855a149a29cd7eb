#include "tools/content/demo_script.h"

#include <stdexcept>
#include <utility>

#include "shell/game_ids.h"
#include "tools/content/script_subclass.h"

UsedClasses::UsedClasses(std::string base, std::vector<std::string> names)
    : base_(std::move(base)), names_(std::move(names)) {}

uint32_t UsedClasses::operator[](const std::string& name) const {
    if (name == base_) return 1;
    for (size_t i = 0; i < names_.size(); ++i)
        if (names_[i] == name) return static_cast<uint32_t>(i + 2);
    throw std::invalid_argument("the class does not use " + name);
}

void DemoScript::Int(int32_t value) {
    a_.Op(Op::PushInline, {static_cast<uint32_t>(value)});
}

void DemoScript::Text(const std::string& text) {
    for (uint32_t w : PushTextWords(text)) a_.Word(w);
}

void DemoScript::Picture(const std::string& name) {
    for (uint32_t w : PushPictureWords(name, Class("ImageManager"))) a_.Word(w);
}

// The MessageManager's method 4 pops the number, then the file's name.
void DemoScript::Message(const std::string& file, uint32_t number) {
    Text(file);
    Int(static_cast<int32_t>(number));
    Manager(4, "MessageManager", kMessageManagerId);
}

void DemoScript::Font(const std::string& name) {
    Text(name);
    Manager(4, "FontManager", kFontManagerId);
}

void DemoScript::Call(uint32_t method, const std::string& cls, Receiver receiver, uint32_t operand) {
    a_.Call(method, Class(cls), receiver, operand);
}

void DemoScript::Virtual(uint32_t method, Receiver receiver, uint32_t operand) {
    a_.CallVirtual(method, 0, receiver, operand);
}

void DemoScript::Manager(uint32_t method, const std::string& cls, uint32_t objectId) {
    a_.Call(method, Class(cls), Receiver::ObjectId, objectId);
}

void DemoScript::Make(const std::string& cls, std::initializer_list<Push> popOrder) {
    const std::vector<Push> values(popOrder);
    for (auto it = values.rbegin(); it != values.rend(); ++it) (*it)(*this);
    Int(static_cast<int32_t>(Class(cls)));
    a_.Op(Op::ClassOf);
    a_.Op(Op::NewObject);
}

// The dialog's native 7 pops the dialog (the receiver), then the control.
void DemoScript::AddTo(const std::string& dialogClass) {
    a_.Op(Op::Swap);
    Call(7, dialogClass);
}

// Natives 26 and 25 push the addresses of the horizontal and vertical alignment; 28 pops a font.
void DemoScript::Align(const std::string& textClass, int32_t across, int32_t down) {
    for (const auto& [method, value] : {std::pair<uint32_t, int32_t>{26, across}, {25, down}}) {
        a_.Op(Op::Dup);
        Call(method, textClass);
        Int(value);
        a_.Op(Op::Swap);
        a_.Op(Op::Store);
    }
}

void DemoScript::UseFont(const std::string& textClass, const std::string& font) {
    a_.Op(Op::Dup);
    Font(font);
    a_.Op(Op::Swap);
    Call(28, textClass);
}
