// Native 0 of a native kind in one template: pop the class, then the values the kind's constructor
// takes after it, make the object and hand it to the script.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "foundation/engine_string.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/script_object.h"
#include "script/zema_class.h"

// What an error about the popped class calls it, as a template argument.
template <size_t N>
struct NativeLabel {
    constexpr NativeLabel(const char (&text)[N]) { std::copy_n(text, N, chars); }
    char chars[N];
};

// One creation value: int32_t pops an integer, uint32_t a word, std::string_view a copy of a text.
template <class Value>
auto PopCreationValue(NativeArgs& args) {
    if constexpr (std::is_same_v<Value, std::string_view>)
        return args.TextCopy();
    else if constexpr (std::is_signed_v<Value>)
        return args.Int();
    else
        return args.Word();
}

template <class Value>
const Value& PassCreationValue(const Value& value) {
    return value;
}

inline std::string_view PassCreationValue(const String& text) {
    return text.View();
}

// Pops the class (FatalExep naming Label when the value is none), then Values in the order the
// constructor Kind(cls, values...) lists them; the new object goes to the script, or is deleted
// when that fails.
template <class Kind, NativeLabel Label, class... Values>
void CreateNative(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class(Label.chars);
    // A braced list pops in the order written.
    const std::tuple<decltype(PopCreationValue<Values>(args))...> values{PopCreationValue<Values>(args)...};
    PushNewObject(runner, std::apply(
                              [cls](const auto&... value) {
                                  return std::make_unique<Kind>(cls, PassCreationValue(value)...);
                              },
                              values));
}
