// The processor running hostile code: the input becomes the code words of a class library that is
// loaded through the ClassManager, among the engine's natives (script and graphics), a few objects,
// a string, object lists and heap blocks, a second ClassManager made the way scripts make one with
// the class loaded into it too and an object of that copy, and one of its methods runs until its
// stop hook has been asked a few times (every few thousand backward jumps and calls). The code may
// make further ClassManagers and objects and delete any of them in any order. The processor is
// then destroyed, which runs the objects' destructor methods; what the code left of the second
// ClassManager is destroyed after it, as the next engine's scripts could. An engine error is a
// normal end; a crash, a sanitizer report or any other exception is a hole in the sandbox.
//
// Input: a header of kHeaderBytes, then code words (32-bit, little-endian).
//   0     flags: bit 0 maps every word to a well-formed one (see MapWord), bit 1 runs in trace
//         mode, bit 2 calls the entry method as a virtual method
//   1     entry method number (low 3 bits)
//   2     instance field count of the class (low 4 bits)
//   3     base class: 0 none, else a class of the uses list
//   4-11  methods 0 to 7: 0 the default body, else an entry point in the code
//   12-15 virtual methods 0 to 3: 0 not defined here, else an entry point in the code
//   16-23 initial data stack: each byte below the value table's size pushes that value
// With VONDREL_FUZZ_LIST set, each input's class is listed on stderr, with the engine error.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "foundation/trace_flag.h"
#include "fuzz/memory_file.h"
#include "graphics/color_manager.h"
#include "graphics/colour_table.h"
#include "graphics/font_manager.h"
#include "graphics/graphics_natives.h"
#include "graphics/image_manager.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "graphics/zema_screen.h"
#include "script/char_manager.h"
#include "script/class_manager.h"
#include "script/message_manager.h"
#include "script/native_catalogue.h"
#include "script/object_manager.h"
#include "script/operations.h"
#include "script/processor.h"
#include "script/string_procs.h"
#include "script/weak_object.h"
#include "tools/content/class_library_builder.h"
#include "tools/content/fd_writer.h"
#include "tools/content/font_builder.h"
#include "tools/content/picture_builder.h"
#include "tools/content/script_assembler.h"

namespace {

constexpr size_t kHeaderBytes = 24;
constexpr uint32_t kMaxCodeWords = 4096;
// Stop polls before a run is ended: each comes after a few thousand backward jumps and calls.
constexpr uint32_t kStopPolls = 5;
constexpr int32_t kStackCapacity = 256;
constexpr uint32_t kMethods = 8;
constexpr uint32_t kVirtualMethods = 4;
// Index of the first address among the values a run offers (the ones before are edge values).
constexpr uint32_t kFirstObject = 12;
// Indices of the second ClassManager, its root class, its class "Made" and the object of it.
constexpr uint32_t kMadeManagerValue = kFirstObject;
constexpr uint32_t kMadeRootValue = kFirstObject + 1;
constexpr uint32_t kMadeObjectValue = kFirstObject + 3;

// Flag bits of header byte 0.
constexpr uint8_t kMapWords = 1;
constexpr uint8_t kTraced = 2;
constexpr uint8_t kVirtualEntry = 4;

// The classes the fuzzed class uses, by class number from 1.
const char* const kUsed[] = {"ZEMAClass",     "ClassManager",   "StringProcs", "MathProcs",
                             "ObjectManager", "MessageManager", "CharManager", "ImageManager",
                             "ColorManager",  "FontManager",    "ZEMAScreen",  "GTTClass",
                             "Visual",        "Control"};

// Object IDs: the managers' as the engine has them, then the objects made for the run.
constexpr uint32_t kStringId = 2;
constexpr uint32_t kMathId = 3;
constexpr uint32_t kImageManagerId = 4;
constexpr uint32_t kListId = 8;
constexpr uint32_t kScreenObjectId = 9;
constexpr uint32_t kFontManagerId = 13;
constexpr uint32_t kMessageManagerId = 14;
constexpr uint32_t kColorManagerId = 21;
constexpr uint32_t kCharManagerId = 29;
constexpr uint32_t kReceiverId = 40;
constexpr uint32_t kOtherId = 41;
constexpr uint32_t kRootObjectId = 42;
// Bucket count of the second ClassManager.
constexpr uint32_t kScriptManagerBuckets = 7;

// Names scripts may hand to the managers; kept in a heap block.
const char* const kNames[] = {"P.dpf", "F.dff", "M.mes", "C.txt", "Fuzz", "StringProcs", "P", "F", "Made"};

class FixedColours : public ColourTable {
  public:
    uint32_t TableSize() const override { return 4; }
    uint16_t Colour(uint32_t n) const override { return n < 4 ? static_cast<uint16_t>(0x1111 * n) : 0; }
};

struct Input {
    uint8_t flags = 0;
    uint8_t entry = 0;
    uint8_t fields = 0;
    uint8_t base = 0;
    uint8_t methods[kMethods] = {};
    uint8_t virtuals[kVirtualMethods] = {};
    uint8_t stack[8] = {};
    std::vector<uint32_t> words;
};

Input Decode(const uint8_t* data, size_t size) {
    Input in;
    uint8_t header[kHeaderBytes] = {};
    for (size_t i = 0; i < kHeaderBytes && i < size; ++i) header[i] = data[i];
    in.flags = header[0];
    in.entry = header[1] & 7;
    in.fields = header[2] & 15;
    in.base = header[3];
    for (uint32_t i = 0; i < kMethods; ++i) in.methods[i] = header[4 + i];
    for (uint32_t i = 0; i < kVirtualMethods; ++i) in.virtuals[i] = header[12 + i];
    for (uint32_t i = 0; i < 8; ++i) in.stack[i] = header[16 + i];
    for (size_t at = kHeaderBytes; at < size && in.words.size() < kMaxCodeWords; at += 4) {
        uint32_t word = 0;
        for (size_t b = 0; b < 4 && at + b < size; ++b) word |= uint32_t{data[at + b]} << (8 * b);
        in.words.push_back(word);
    }
    return in;
}

// A code word whose value is only known once the objects exist: the index (into Engine's values)
// of the value to write at that word of the class's code.
struct Patch {
    uint32_t word;
    uint32_t value;
};

struct Library {
    std::string bytes;
    // The same code as class "Made", which uses only what every ClassManager holds, for the second
    // ClassManager to load.
    std::string made;
    std::vector<Patch> patches;
};

// A word of the kind selected by its top three bits: operations most of the time, call words with
// receivers and class numbers that exist, return words, small signed numbers (jump offsets,
// counts, field numbers), and values from Engine's table (as a patch).
uint32_t MapWord(uint32_t w, uint32_t at, std::vector<Patch>& patches) {
    const uint32_t kind = w >> 29;
    if (kind < 4) return InstructionWord::kOperationTag | ((w & 0xFFFF) % kOperationCount);
    if (kind == 4) {
        const auto receiver = static_cast<ScriptAssembler::Receiver>((w & 7) % 5);
        const auto cls = static_cast<uint32_t>(((w >> 4) & 0xF) % (std::size(kUsed) + 1));
        return ScriptAssembler::CallWord((w >> 8) & 0x3F, cls, ((w >> 3) & 1) != 0, receiver,
                                         (w >> 16) & 0x3F);
    }
    if (kind == 5) return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(w & 0xFF)));
    if (kind == 6) return InstructionWord::kReturn;
    patches.push_back({at, w & 0xFFFF});
    return 1;
}

// For reading a finding: the class as built, one code word a line, on stderr.
void ListLibrary(const Input& in, const std::vector<uint32_t>& methods, const std::vector<uint32_t>& virtuals,
                 const std::vector<uint32_t>& code) {
    std::fprintf(stderr, "flags %X, entry %u, fields %u, base %u\nmethods", in.flags, in.entry, in.fields,
                 in.base);
    for (uint32_t offset : methods) std::fprintf(stderr, " %u", offset);
    std::fprintf(stderr, "\nvirtual methods");
    for (uint32_t offset : virtuals) std::fprintf(stderr, " %u", offset);
    std::fprintf(stderr, "\n");
    for (size_t i = 0; i < code.size(); ++i) {
        const InstructionWord w{code[i]};
        std::fprintf(stderr, "%4zu  %08X  ", i, code[i]);
        if (w.IsReturn()) {
            std::fprintf(stderr, "return\n");
        } else if (w.IsOperation()) {
            std::fprintf(stderr, "%s\n",
                         w.Operation() < kOperationCount ? Operation(w.Operation()).name : "?");
        } else {
            std::fprintf(stderr, "call%s method %u class %u receiver %u operand %u\n",
                         w.Virtual() ? " virtual" : "", w.Method(), w.ClassNumber(), w.ReceiverKind(),
                         w.Operand());
        }
    }
}

// The class library: the code words behind a first marker word, then the default bodies.
Library FuzzLibrary(const Input& in) {
    Library library;
    std::vector<uint32_t> code{1};
    for (uint32_t w : in.words) {
        const auto at = static_cast<uint32_t>(code.size());
        code.push_back((in.flags & kMapWords) != 0 ? MapWord(w, at, library.patches) : w);
    }
    code.push_back(InstructionWord::kReturn);
    const auto fuzzedEnd = static_cast<uint32_t>(code.size());
    // Method 0 creates an instance, as compiled code does; the others only return.
    const auto create = static_cast<uint32_t>(code.size());
    code.insert(code.end(), {1, OpWord(Op::CreateInstance), InstructionWord::kReturn});
    const auto empty = static_cast<uint32_t>(code.size());
    code.insert(code.end(), {1, InstructionWord::kReturn});

    // An entry point's word is taken as its marker and must not be 0.
    auto entry = [&](uint8_t pick) {
        const uint32_t offset = (pick - 1u) % fuzzedEnd;
        return code[offset] != 0 ? offset : 0;
    };
    std::vector<uint32_t> methods;
    for (uint32_t i = 0; i < kMethods; ++i) {
        methods.push_back(in.methods[i] != 0 ? entry(in.methods[i]) : i == 0 ? create : empty);
    }
    // A virtual offset of 0 means "not defined here": the first marker stands in for none.
    std::vector<uint32_t> virtuals;
    for (uint32_t i = 0; i < kVirtualMethods; ++i) {
        const uint32_t offset = in.virtuals[i] != 0 ? entry(in.virtuals[i]) : 0;
        virtuals.push_back(in.virtuals[i] != 0 && offset == 0 ? empty : offset);
    }
    auto b = ClassLibraryBuilder::Named("Fuzz", std::vector<std::string>(std::begin(kUsed), std::end(kUsed)));
    b.instanceFields = in.fields;
    b.classFields = 4;
    b.baseIndex = static_cast<uint16_t>(in.base % (std::size(kUsed) + 1));
    b.methods = methods;
    b.virtualMethods = virtuals;
    b.code = code;
    library.bytes = b.Build();
    auto made = ClassLibraryBuilder::Named("Made", {"ZEMAClass", "ClassManager"});
    made.instanceFields = in.fields;
    made.classFields = 4;
    made.baseIndex = static_cast<uint16_t>(in.base % 3);
    made.methods = methods;
    made.virtualMethods = virtuals;
    made.code = code;
    library.made = made.Build();
    if (std::getenv("VONDREL_FUZZ_LIST") != nullptr) ListLibrary(in, methods, virtuals, code);
    return library;
}

std::string Archive(const Library& library) {
    FdWriter writer;
    writer.Group({
        {"Fuzz.glc", library.bytes},
        {"Made.glc", library.made},
        {"P.dpf",
         PictureBlock({FrameBlock({.width = 2, .height = 2, .bitsPerPixel = 16, .pixels = {1, 2, 3, 4}})})},
        {"F.dff", FontBlock(UniformFont())},
        {"M.mes", "1 one@ 2 two@ 3 three@"},
        {"C.txt", "10 1 -2 +3\r\n11 \"a b\" x12\r\n"},
    });
    return writer.Build();
}

// Hands a new descriptor to the class table, which owns it from then on.
template <class T>
T* Register(ClassManager& classes, std::unique_ptr<T> descriptor) {
    classes.Register(descriptor.get(), false);
    return descriptor.release();
}

// Stores an object that nothing owns yet in the ObjectManager, which owns it from then on.
ScriptObject* Store(ObjectManager& objects, std::unique_ptr<ScriptObject> object, uint32_t id) {
    objects.SetObject(object.get(), id);
    return object.release();
}

// Everything one run needs, destroyed in the reverse order: the processor (and with it every
// object and class) before the screen and the archive it reads.
class Engine {
  public:
    explicit Engine(const std::string& archiveBytes) : file_(archiveBytes) {
        settings_.SetMode(16, 64, 48);
        settings_.pixelFormat = 565;
        surface_ = std::make_unique<MemorySurface>(&settings_, nullptr, 4);
        buffer_.SetSurface(surface_.get());
        reader_.Open(file_.Path());
        archive_ = std::make_unique<FD::File>(&reader_, 2);
    }
    ~Engine() {
        // Whatever of the second manager no table or list holds is no one's but the scripts': it
        // outlives the processor, as objects of a ClassManager nobody deleted do.
        std::vector<WeakObject> left;
        for (const WeakObject& ref : {madeObject_, made_}) {
            ScriptObject* object = ref.Get();
            if (object != nullptr && object->ManagerHolds() == 0) left.push_back(ref);
        }
        processor_.reset();
        for (const WeakObject& ref : left) {
            ScriptObject* object = ref.Get();
            if (object == nullptr || object->ManagerHolds() > 0 || object->BeingDestroyed()) continue;
            try {
                DestroyObject(object);
            } catch (const DExep&) {
                // Still refused (an object of its classes is held elsewhere): left as scripts left it.
            }
        }
    }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Registers the natives, loads the class, makes the objects and fills in the patches. Errors
    // are engine errors.
    void Build(const std::vector<Patch>& patches) {
        processor_ = std::make_unique<Processor>(archive_.get(), kStackCapacity, kStackCapacity,
                                                 kStackCapacity, kStackCapacity);
        // Loading runs the class's "loaded" method already.
        processor_->SetStopHook([polls = uint32_t{0}]() mutable {
            if (++polls > kStopPolls) throw FatalExep(String("Script ran out of its step budget"));
        });
        RegisterNatives();
        fuzz_ = processor_->ClassByName(String("Fuzz"));
        MakeObjects();
        CollectValues();
        for (const Patch& patch : patches) {
            if (patch.word < fuzz_->CodeWordCount()) {
                ScriptStore32(fuzz_->CodeAddress() + 4 * patch.word, values_[patch.value % values_.size()]);
            }
        }
        // Fields and locals hold addresses that a call word can take its receiver from.
        for (uint32_t i = 0; i < receiver_->FieldCount(); ++i)
            receiver_->Fields()[i] = values_[(kFirstObject + i) % values_.size()];
        for (uint32_t i = 0; i < 8; ++i)
            processor_->LocalsStack().Push(values_[(kFirstObject + i) % values_.size()]);
    }

    void Run(const Input& in) {
        Processor& p = *processor_;
        for (uint8_t pick : in.stack) {
            if (pick < values_.size()) p.DataStack().Push(values_[pick]);
        }
        if ((in.flags & kVirtualEntry) != 0) {
            p.CallVirtual(receiver_, in.entry % kVirtualMethods);
        } else {
            p.CallMethod(receiver_, fuzz_, in.entry);
        }
    }

  private:
    void RegisterNatives() {
        Processor& p = *processor_;
        ClassManager& classes = p.Classes();
        ObjectManager& objects = p.Objects();
        for (const char* name : {"StringProcs", "MathProcs", "GTTClass", "Visual", "Control"})
            Register(classes, std::unique_ptr<ZEMAClass>(NewNativeDescriptor(&p, name)));
        FD::File* archive = archive_.get();
        objects.SetObject(Register(classes, std::make_unique<MessageManager>(&p, archive, nullptr)),
                          kMessageManagerId);
        objects.SetObject(Register(classes, std::make_unique<CharManager>(&p, archive)), kCharManagerId);
        objects.SetObject(
            Register(classes, std::make_unique<ImageManager>(&settings_, &p, 26, archive, nullptr)),
            kImageManagerId);
        objects.SetObject(Register(classes, std::make_unique<ColorManager>(&p, nullptr)), kColorManagerId);
        FontManager* fonts = Register(classes, std::make_unique<FontManager>(&p, 26, archive, nullptr));
        objects.SetObject(fonts, kFontManagerId);
        ScreenBuffer* buffer = &buffer_;
        Register(classes, std::make_unique<ZEMAScreen>(&p, [buffer] { return buffer; }));
        buffer_.SetFont(fonts->GetFont(String("F.dff")));
    }

    void MakeObjects() {
        Processor& p = *processor_;
        ClassManager& classes = p.Classes();
        ObjectManager& objects = p.Objects();
        ZEMAClass* root = classes.FindClass(String("ZEMAClass"));
        string_ = static_cast<StringObject*>(
            Store(objects, std::make_unique<StringObject>(classes.FindClass(String("StringProcs")), 64),
                  kStringId));
        objects.SetObject(p.NewObjectByName(String("MathProcs")), kMathId);
        list_ = static_cast<ObjectManager*>(Store(objects, std::make_unique<ObjectManager>(&p, 1), kListId));
        Store(objects, std::make_unique<ScriptObject>(classes.FindClass(String("ZEMAScreen"))),
              kScreenObjectId);
        receiver_ = Store(objects, std::make_unique<ScriptObject>(fuzz_), kReceiverId);
        Store(objects, std::make_unique<ScriptObject>(fuzz_), kOtherId);
        Store(objects, std::make_unique<ScriptObject>(root), kRootObjectId);
        for (ZEMAClass* cls : {fuzz_, root}) {
            auto item = std::make_unique<ScriptObject>(cls);
            list_->AppendObject(item.get());
            item.release();
        }
        small_ = p.AllocateBlock(16);
        names_ = p.AllocateBlock(256);
        large_ = p.AllocateBlock(4096);
        uint32_t at = names_;
        for (const char* name : kNames) {
            const size_t size = std::strlen(name) + 1;
            std::memcpy(FromScript<char>(at), name, size);
            at += static_cast<uint32_t>(size);
        }
        MakeScriptManager();
    }

    // A ClassManager over the engine's archive made through its native, as a script makes one, the
    // class loaded into it through its native too, and an object of that copy; only scripts own them.
    void MakeScriptManager() {
        Processor& p = *processor_;
        ClassManager& classes = p.Classes();
        DStack<uint32_t>& data = p.DataStack();
        data.Push(kScriptManagerBuckets);
        data.Push(archive_->Address());
        data.Push(classes.Address());
        p.CallMethod(&classes, &classes, kCreateObjectMethod);
        p.ObjectStack().Pop();
        auto* made = dynamic_cast<ClassManager*>(ScriptObject::FromAddress(data.Pop(), 0, "manager"));
        if (made == nullptr) throw FatalExep(String("No ClassManager made"));
        made_ = WeakObject(made);
        data.Push(names_ + NameOffset("Made"));
        p.CallMethod(made, made, 4);
        madeFuzz_ = made->FindClass(String("Made"));
        madeObject_ = WeakObject(new ScriptObject(madeFuzz_));
    }

    static uint32_t NameOffset(const char* wanted) {
        uint32_t at = 0;
        for (const char* name : kNames) {
            if (std::strcmp(name, wanted) == 0) return at;
            at += static_cast<uint32_t>(std::strlen(name) + 1);
        }
        return 0;
    }

    // Edge values first (kFirstObject of them), then addresses: the second ClassManager's (from
    // kMadeManagerValue), objects, classes, blocks, texts.
    void CollectValues() {
        Processor& p = *processor_;
        ObjectManager& objects = p.Objects();
        values_ = {0,
                   1,
                   2,
                   4,
                   0xFFFFFFFFu,
                   0x7FFFFFFFu,
                   0x80000000u,
                   255,
                   256,
                   kScriptReservedLow,
                   static_cast<uint32_t>(kScriptRegionSize - 4),
                   ScriptHandedOutEnd() - 4};
        auto* made = static_cast<ClassManager*>(made_.Get());
        values_.insert(values_.end(), {made->Address(), made->FindClass(String("ZEMAClass"))->Address(),
                                       madeFuzz_->Address(), madeObject_.Address(), archive_->Address()});
        for (uint32_t id :
             {kReceiverId, kOtherId, kRootObjectId, kStringId, kMathId, kListId, kScreenObjectId,
              kFontManagerId, kMessageManagerId, kImageManagerId, kColorManagerId, kCharManagerId, 0u, 1u}) {
            if (ScriptObject* object = objects.GetObject(id)) values_.push_back(object->Address());
        }
        for (const char* name : kUsed) values_.push_back(p.Classes().FindClass(String(name))->Address());
        values_.insert(values_.end(), {fuzz_->Address(), p.Address(), small_, large_, large_ + 4092,
                                       large_ + 4096, ToScript(string_->Text()), fuzz_->CodeAddress(),
                                       ToScript(fuzz_->ClassFields()), ToScript(receiver_->Fields())});
        uint32_t at = names_;
        for (const char* name : kNames) {
            values_.push_back(at);
            at += static_cast<uint32_t>(std::strlen(name) + 1);
        }
    }

    MemoryFile file_;
    ScreenSettingsBlock settings_;
    FixedColours colours_;
    std::unique_ptr<ScreenSurface> surface_;
    ScreenBuffer buffer_{&colours_};
    FileBlockReader reader_;
    std::unique_ptr<FD::File> archive_;
    std::unique_ptr<Processor> processor_;
    ZEMAClass* fuzz_ = nullptr;
    ZEMAClass* madeFuzz_ = nullptr;
    WeakObject made_;
    WeakObject madeObject_;
    ScriptObject* receiver_ = nullptr;
    StringObject* string_ = nullptr;
    ObjectManager* list_ = nullptr;
    uint32_t small_ = 0;
    uint32_t names_ = 0;
    uint32_t large_ = 0;
    std::vector<uint32_t> values_;
};

// Seeds for an empty corpus folder: small methods that reach the objects and natives.
std::vector<std::string> Seeds() {
    auto header = [](uint8_t flags, uint8_t entry) {
        std::string h(kHeaderBytes, '\0');
        h[0] = static_cast<char>(flags);
        h[1] = static_cast<char>(entry);
        h[2] = 4;
        h[4 + entry] = 1;  // the method's body is the code
        for (size_t i = 16; i < kHeaderBytes; ++i) h[i] = static_cast<char>(0xFF);
        return h;
    };
    auto words = [](std::initializer_list<uint32_t> list) {
        std::string bytes;
        for (uint32_t w : list) {
            for (int b = 0; b < 4; ++b) bytes += static_cast<char>((w >> (8 * b)) & 0xFF);
        }
        return bytes;
    };
    using A = ScriptAssembler;
    const uint32_t push = OpWord(Op::PushInline);
    // What MapWord makes of a word: an operation, a value of the table, a virtual call of method 0
    // on a popped receiver.
    auto slot = [](Op op) { return ToSlot(op); };
    auto value = [](uint32_t index) { return 0xE0000000u | index; };
    constexpr uint32_t kVirtualPopped0 = 0x80000000u | 8u | static_cast<uint32_t>(A::Receiver::Popped);
    return {
        header(0, 0) + words({OpWord(Op::This), OpWord(Op::Fetch), OpWord(Op::Drop)}),
        // The string object's text through StringProcs (class 3), and a number appended to it.
        header(0, 1) + words({A::CallWord(4, 3, false, A::Receiver::ObjectId, kStringId), push, 77,
                              A::CallWord(6, 3, false, A::Receiver::ObjectId, kStringId)}),
        // A heap block allocated, written and freed.
        header(0, 2) + words({push, 64, OpWord(Op::Allocate), OpWord(Op::Dup), push, 5, OpWord(Op::Swap),
                              OpWord(Op::StoreByte), OpWord(Op::Free)}),
        // The object list's count, and a new object deleted.
        header(0, 3) +
            words({A::CallWord(12, 5, false, A::Receiver::ObjectId, kListId), OpWord(Op::PushInline), 0,
                   OpWord(Op::ClassOf), OpWord(Op::NewObject), OpWord(Op::DeleteObject)}),
        header(kMapWords, 0) + std::string(64, '\x11'),
        // Mapped words: the second ClassManager's root class deleted, the manager deleted while the
        // object of its class lives, a virtual method of that object, then the object and the
        // manager deleted.
        header(kMapWords, 0) + words({slot(Op::PushInline), value(kMadeRootValue), slot(Op::DeleteObject)}),
        header(kMapWords, 0) + words({slot(Op::PushInline), value(kMadeManagerValue), slot(Op::DeleteObject),
                                      slot(Op::PushInline), value(kMadeObjectValue), kVirtualPopped0}),
        header(kMapWords, 0) +
            words({slot(Op::PushInline), value(kMadeObjectValue), slot(Op::DeleteObject),
                   slot(Op::PushInline), value(kMadeManagerValue), slot(Op::DeleteObject)}),
    };
}

void WriteSeeds(const char* folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec) || !std::filesystem::is_empty(folder, ec)) return;
    int n = 0;
    for (const std::string& seed : Seeds()) {
        std::ofstream out(std::filesystem::path(folder) / ("seed" + std::to_string(n++)), std::ios::binary);
        out << seed;
    }
}

// Allocates and frees blocks of many sizes, so that damage done to the region's allocator shows in
// the input that did it rather than in a later one.
void ExerciseAllocator() {
    std::vector<void*> blocks;
    for (int round = 0; round < 4; ++round) {
        for (size_t size = 8; size <= (size_t{1} << 17); size *= 2) {
            blocks.push_back(ScriptAlloc(size));
            blocks.push_back(ScriptAlloc(size + size / 2));
        }
    }
    for (void* block : blocks) ScriptFree(block);
}

char g_folder[] = "/tmp/fuzz_processor.XXXXXX";

void RemoveFolder() {
    std::error_code ec;
    std::filesystem::remove_all(g_folder, ec);
}

}  // namespace

// An object that a script creates and never deletes is the script's own leak, not the engine's,
// and nearly every input makes one: leak checks would only slow the search (each scans the whole
// host heap) and report what scripts may do.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The first folder among the arguments is the corpus: seeded when it is empty.
    for (int i = 1; i < *argc; ++i) {
        if ((*argv)[i][0] != '-') {
            WriteSeeds((*argv)[i]);
            break;
        }
    }
    // Managers log to the working folder: one of our own, removed at exit.
    if (mkdtemp(g_folder) == nullptr || chdir(g_folder) != 0) std::abort();
    std::atexit(RemoveFolder);
    RegisterScriptNatives();
    RegisterGraphicsNatives();
    RegisterScreenNatives();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Input in = Decode(data, size);
    SetTraceFlag((in.flags & kTraced) != 0);
    const Library library = FuzzLibrary(in);
    try {
        // Destroyed at the end of the block: the objects' destructor methods run then.
        Engine engine(Archive(library));
        engine.Build(library.patches);
        engine.Run(in);
    } catch (const DExep& e) {
        if (std::getenv("VONDREL_FUZZ_LIST") != nullptr)
            std::fprintf(stderr, "engine error: %s\n", e.message.Text());
    }
    SetTraceFlag(false);
    ExerciseAllocator();
    unlink("vondrel.log");
    return 0;
}
