// Class libraries from arbitrary bytes: first the whole input read, linked and inherited as one
// library; then the input cut into several libraries (and a substitution list) in an archive,
// loaded through the class manager with the uses between them. Damaged input must end in an engine
// error, never a crash.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "fuzz/memory_file.h"
#include "script/class_manager.h"
#include "script/native_descriptor.h"

namespace {

std::string U16(uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
std::string U32(uint32_t v) {
    return U16(v & 0xFFFF) + U16(v >> 16);
}
std::string SE(const char* tag, const std::string& payload) {
    return std::string("SE") + std::string(tag, 4) + U16(10) + U32(static_cast<uint32_t>(payload.size())) +
           payload;
}

// An archive ("SM" directory, one group) holding the given entries.
std::string Archive(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string names, offsets, sizes, data;
    for (const auto& [name, bytes] : entries) {
        names += name + std::string(1, '\0');
        offsets += U32(static_cast<uint32_t>(data.size()));
        sizes += U32(static_cast<uint32_t>(bytes.size()));
        data += bytes;
    }
    std::string subs = SE("FDN\0", names) + SE("FDO\0", offsets) + SE("FDS\0", sizes) + SE("FDB\0", data);
    return "SM" + U16(10) + U32(static_cast<uint32_t>(10 + subs.size())) + std::string("FD\0\0", 4) + U16(4) +
           subs;
}

void EmptyNative(ScriptObject*) {}

const NativeClassRow kFuzzNativeRow{"N", "N", &kZEMAClassRow, 8, 6};

void BindFuzzNative(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(EmptyNative, 5);
    BindNativeBase(row, target);
    target.SetMethod(EmptyNative, 7);
}

void Exercise(ZEMAClass* cls) {
    for (uint32_t i = 0; i < 8; ++i) {
        (void)cls->MethodSlot(i);
        (void)cls->VirtualMethodSlot(i);
        (void)cls->MethodDebugRecord(i);
        (void)cls->VirtualMethodDebugRecord(i);
    }
    (void)cls->InheritsFrom("N");
    DestroyObject(new ScriptObject(cls));
}

void ReadAlone(const std::string& bytes) {
    MemoryFile file(bytes);
    FileBlockReader reader;
    try {
        reader.Open(file.Path());
        auto base = std::make_unique<ZEMAClass>(nullptr);
        base->ReserveMethods(4, 6);
        auto cls = std::make_unique<ZEMAClass>(nullptr);
        cls->ReadLibrary(reader);
        cls->Link();
        cls->SetBase(base.get());
        cls->InheritVirtualMethods();
        Exercise(cls.get());
    } catch (const DExep&) {
    }
}

void LoadThroughManager(const std::string& bytes) {
    // Parts separated by "|||": libraries A, B, C, D, then a substitution list.
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() < 4) {
        size_t cut = bytes.find("|||", start);
        if (cut == std::string::npos) break;
        parts.push_back(bytes.substr(start, cut - start));
        start = cut + 3;
    }
    parts.push_back(bytes.substr(start));
    static const char* const kNames[] = {"A.glc", "B.glc", "C.glc", "D.glc", "S.subs"};
    std::vector<std::pair<std::string, std::string>> entries;
    for (size_t i = 0; i < parts.size(); ++i) entries.emplace_back(kNames[i], parts[i]);

    MemoryFile file(Archive(entries));
    FileBlockReader reader;
    try {
        reader.Open(file.Path());
        FD::File archive(&reader, 2);
        ClassManager manager(nullptr, 26, &archive);
        auto* native = new NativeDescriptor(nullptr, kFuzzNativeRow);
        try {
            manager.Register(native, false);
        } catch (...) {
            delete native;
            throw;
        }
        if (parts.size() == 5) {
            try {
                manager.LoadSubstitutions("S.subs");
            } catch (const DExep&) {
            }
        }
        for (const char* name : {"A", "B", "C", "D", "X"}) {
            try {
                if (ZEMAClass* cls = manager.Get(name)) Exercise(cls);
            } catch (const DExep&) {
            }
        }
    } catch (const DExep&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = [] {
        RegisterNativeBinder("N", BindFuzzNative);
        return true;
    }();
    (void)registered;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReadAlone(bytes);
    LoadThroughManager(bytes);
    return 0;
}
