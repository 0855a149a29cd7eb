// Writing the demo game's script methods: a class's used classes by name, and an assembler that
// pushes values, makes objects of used classes from their creation values and calls their natives,
// so that stack orders are written once.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "tools/content/script_assembler.h"

// The classes a script class uses: 0 is the class itself, 1 its base, 2 and up the names given.
class UsedClasses {
  public:
    UsedClasses(std::string base, std::vector<std::string> names);
    // The number of a used class; std::invalid_argument for a class not in the list.
    uint32_t operator[](const std::string& name) const;
    const std::string& Base() const { return base_; }
    // The names after the base, as a script subclass lists them.
    const std::vector<std::string>& Names() const { return names_; }

  private:
    std::string base_;
    std::vector<std::string> names_;
};

class DemoScript {
  public:
    using Receiver = ScriptAssembler::Receiver;
    // Pushes one value.
    using Push = std::function<void(DemoScript&)>;

    explicit DemoScript(const UsedClasses& used) : used_(used) {}

    ScriptAssembler& Asm() { return a_; }
    std::vector<uint32_t> Finish() const { return a_.Finish(); }
    uint32_t Class(const std::string& name) const { return used_[name]; }

    void Op(::Op operation) { a_.Op(operation); }
    void Int(int32_t value);
    void Text(const std::string& text);
    // A picture by name (through "ImageManager"), a message of a file (through "MessageManager"), a
    // font by name (through "FontManager").
    void Picture(const std::string& name);
    void Message(const std::string& file, uint32_t number);
    void Font(const std::string& name);
    // A call of a native of a used class (or a script method of it), with its receiver.
    void Call(uint32_t method, const std::string& cls, Receiver receiver = Receiver::Popped,
              uint32_t operand = 0);
    // A call of a virtual method on the receiver's own class.
    void Virtual(uint32_t method, Receiver receiver = Receiver::Popped, uint32_t operand = 0);
    // A call of a manager object's native by its object number.
    void Manager(uint32_t method, const std::string& cls, uint32_t objectId);

    // An object of the used class from its creation values, in the order the class pops them (the
    // last pushed first); the object is left on top.
    void Make(const std::string& cls, std::initializer_list<Push> popOrder = {});
    // With a dialog under a new control ([dialog, control] on top): adds the control to the dialog as
    // owned, leaving the dialog.
    void AddTo(const std::string& dialogClass);
    // With a text control on top: its alignments (0 start, 1 centre, 2 end) and its font.
    void Align(const std::string& textClass, int32_t across, int32_t down);
    void UseFont(const std::string& textClass, const std::string& font);

    Push I(int32_t value) {
        return [value](DemoScript& s) { s.Int(value); };
    }
    Push T(std::string text) {
        return [text](DemoScript& s) { s.Text(text); };
    }
    Push P(std::string picture) {
        return [picture](DemoScript& s) { s.Picture(picture); };
    }
    Push M(std::string file, uint32_t number) {
        return [file, number](DemoScript& s) { s.Message(file, number); };
    }

  private:
    const UsedClasses& used_;
    ScriptAssembler a_;
};
