// A script class deriving another class (usually a native one: "GTTClass", "Level", "Actor",
// "Scenario" ...) as a compiled class library. Method 0 creates the object through the base's
// method 0 (which pops the class), method 1 does nothing, and each virtual method given runs the
// code words given for it; the others are inherited. Code may call used classes by number: 0 the
// class itself, 1 the base, 2 and up the names in uses.
//     ScriptSubclass level{.name = "TestLevel", .base = "Level"};
//     level.virtuals[3] = PushTextWords("Level one");
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/content/class_library_builder.h"

struct ScriptSubclass {
    std::string name{};
    std::string base{};
    uint32_t instanceFields = 0;
    // Method bodies without their first word and closing return, which the library adds (an
    // assembler's words serve when its Method was not used: its jumps are relative).
    std::map<uint32_t, std::vector<uint32_t>> virtuals{};
    std::map<uint32_t, std::vector<uint32_t>> methods{};  // numbers from 2 on
    std::vector<std::string> uses{};
    // Creation values method 0 puts under the class before the base's method 0 pops them, in push
    // order (the last is popped first): for classes that native code creates by name alone.
    std::vector<int32_t> createValues{};
    // Code words run in method 0 after the creation values, with the class on top and leaving it
    // there: values only code can make (a picture's address), each pushed and swapped under the class.
    std::vector<uint32_t> createCode{};
    // Code words run in method 0 once the base has made the object, with the object on top and leaving
    // it there: for filling a window with its controls.
    std::vector<uint32_t> afterCreate{};

    // The library; its virtual table has room for the native base's virtual methods, so that
    // those not given here are inherited (of a script base, only those below the highest number
    // given here). std::invalid_argument for method 0 or 1 in methods.
    ClassLibraryBuilder Library() const;
};

// Code words of several pieces, in order.
std::vector<uint32_t> CodeWords(std::initializer_list<std::vector<uint32_t>> pieces);
// The call word of a method of the base class (class number 1) on the current object: a native
// of a native base, with what the code pushed before it as its arguments.
uint32_t BaseCallWord(uint32_t method);
// Code words that push the address of a text kept inline in the code, NUL-terminated.
std::vector<uint32_t> PushTextWords(std::string_view text);
// Code words that push a value.
std::vector<uint32_t> PushIntWords(int32_t value);
// Code words of method 0 that push a value and put it under the class on top (a creation value
// made by code).
std::vector<uint32_t> PushUnderClass(const std::vector<uint32_t>& push);
// Code words that push the address of a picture of the archive by name, asked of the ImageManager
// (object 4), which the class uses under the number given.
std::vector<uint32_t> PushPictureWords(const std::string& name, uint32_t imagesClass);
