#include "tools/content/script_subclass.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "script/native_catalogue.h"
#include "shell/game_ids.h"
#include "tools/content/script_assembler.h"

namespace {

// The ImageManager's method that gives a picture by name.
constexpr uint32_t kGetImageMethod = 4;

uint32_t TableSize(const std::map<uint32_t, std::vector<uint32_t>>& bodies, uint32_t least) {
    return bodies.empty() ? least : std::max(least, bodies.rbegin()->first + 1);
}

// Offsets of the bodies in a table of count slots; 0 where none is given.
std::vector<uint32_t> Table(ScriptAssembler& a, const std::map<uint32_t, std::vector<uint32_t>>& bodies,
                            uint32_t count, std::vector<uint32_t> table = {}) {
    table.resize(count, 0);
    for (const auto& [number, words] : bodies) {
        table[number] = a.Method();
        for (uint32_t w : words) a.Word(w);
        a.Return();
    }
    return table;
}

}  // namespace

ClassLibraryBuilder ScriptSubclass::Library() const {
    if (methods.contains(0) || methods.contains(1))
        throw std::invalid_argument("methods 0 and 1 of a script subclass are fixed");
    std::vector<std::string> used = {base};
    used.insert(used.end(), uses.begin(), uses.end());
    ClassLibraryBuilder b = ClassLibraryBuilder::Named(name, used);
    b.baseIndex = 1;
    b.instanceFields = instanceFields;

    ScriptAssembler a;
    const uint32_t create = a.Method();
    for (int32_t value : createValues) {
        a.Word(OpWord(Op::PushInline));
        a.Word(static_cast<uint32_t>(value));
        a.Word(OpWord(Op::Swap));
    }
    for (uint32_t w : createCode) a.Word(w);
    a.Call(0, 1);
    for (uint32_t w : afterCreate) a.Word(w);
    a.Return();
    const uint32_t destroy = a.Method();
    a.Return();
    b.methods = Table(a, methods, TableSize(methods, 2), {create, destroy});
    const NativeClassRow* row = FindNativeClassRow(base.c_str());
    b.virtualMethods = Table(a, virtuals, TableSize(virtuals, row != nullptr ? row->virtualMethods : 0));
    b.code = a.Finish();
    return b;
}

std::vector<uint32_t> CodeWords(std::initializer_list<std::vector<uint32_t>> pieces) {
    std::vector<uint32_t> words;
    for (const std::vector<uint32_t>& piece : pieces) words.insert(words.end(), piece.begin(), piece.end());
    return words;
}

uint32_t BaseCallWord(uint32_t method) {
    return ScriptAssembler::CallWord(method, 1, false);
}

std::vector<uint32_t> PushTextWords(std::string_view text) {
    const size_t count = text.size() / 4 + 1;  // room for the NUL
    std::vector<uint32_t> words = {OpWord(Op::PushInlineData), static_cast<uint32_t>(count)};
    std::vector<uint32_t> data(count, 0);
    std::memcpy(data.data(), text.data(), text.size());
    words.insert(words.end(), data.begin(), data.end());
    return words;
}

std::vector<uint32_t> PushIntWords(int32_t value) {
    return {OpWord(Op::PushInline), static_cast<uint32_t>(value)};
}

std::vector<uint32_t> PushUnderClass(const std::vector<uint32_t>& push) {
    return CodeWords({push, {OpWord(Op::Swap)}});
}

std::vector<uint32_t> PushPictureWords(const std::string& name, uint32_t imagesClass) {
    return CodeWords({PushTextWords(name),
                      {ScriptAssembler::CallWord(kGetImageMethod, imagesClass, false,
                                                 ScriptAssembler::Receiver::ObjectId, kImageManagerId)}});
}
