#include "tests/world/scene_fixture.h"

#include "foundation/engine_string.h"
#include "graphics/zema_screen.h"
#include "script/class_manager.h"
#include "script/native_catalogue.h"
#include "script/object_manager.h"
#include "shell/game_ids.h"
#include "tests/support/script_assembler.h"
#include "ui/ui_natives.h"
#include "world/world_natives.h"

namespace {

constexpr int32_t kStackCapacity = 64;
const char* const kNatives[] = {"GTTClass", "Level", "Scenario", "Maze"};

}  // namespace

SceneFixture::SceneFixture() {
    settings.SetMode(16, kScreenWidth, 200);
    surface = std::make_unique<MemorySurface>(&settings, nullptr, 4);
    buffer.SetSurface(surface.get());
    RegisterUiNatives();
    RegisterWorldNatives();
    Open({});
}

SceneFixture::~SceneFixture() {
    processor.reset();
}

void SceneFixture::Open(const std::vector<ClassLibraryBuilder>& libraries, bool withScreen) {
    processor.reset();
    std::vector<FdEntry> entries;
    for (const ClassLibraryBuilder& b : libraries) entries.push_back(FdEntry{*b.name + ".glc", b.Build()});
    archive = std::make_unique<TestArchive>(entries);
    processor = std::make_unique<Processor>(archive->File(), kStackCapacity, kStackCapacity, kStackCapacity,
                                            kStackCapacity);
    ClassManager& classes = Cpu().Classes();
    for (const char* name : kNatives) classes.Register(NewNativeDescriptor(processor.get(), name), false);
    if (!withScreen) return;
    auto* screen = new ZEMAScreen(processor.get(), [this] { return &buffer; });
    classes.Register(screen, false);
    Cpu().Objects().SetObject(new ScriptObject(screen), kScreenId);
}

ScriptObject* SceneFixture::New(const char* className, const std::vector<uint32_t>& pushed) {
    for (uint32_t v : pushed) Cpu().DataStack().Push(v);
    ScriptObject* object = Cpu().NewObjectByName(String(className));
    Cpu().Objects().AppendObject(object);
    return object;
}

std::vector<uint32_t> SceneFixture::Call(ScriptObject* object, const char* className, uint32_t n,
                                         const std::vector<uint32_t>& pushed) {
    for (uint32_t v : pushed) Cpu().DataStack().Push(v);
    Cpu().CallMethod(object, Cpu().ClassByName(String(className)), n);
    return TakeData();
}

std::vector<uint32_t> SceneFixture::CallVirtual(ScriptObject* object, uint32_t n,
                                                const std::vector<uint32_t>& pushed) {
    for (uint32_t v : pushed) Cpu().DataStack().Push(v);
    Cpu().CallVirtual(object, n);
    return TakeData();
}

std::vector<uint32_t> SceneFixture::TakeData() {
    DStack<uint32_t>& data = Cpu().DataStack();
    std::vector<uint32_t> values(data.Depth());
    for (auto v = values.rbegin(); v != values.rend(); ++v) *v = data.Pop();
    return values;
}

ClassLibraryBuilder DerivedClass(const char* name, const char* base, uint32_t virtualCount,
                                 const std::vector<std::pair<uint32_t, std::vector<uint32_t>>>& bodies) {
    ScriptAssembler a;
    // Method 0 creates the object through the base's native, as compiled code does.
    const uint32_t create = a.Method();
    a.Call(0, 1);
    a.Return();
    std::vector<uint32_t> virtuals(virtualCount, 0);
    for (const auto& [number, words] : bodies) {
        virtuals.at(number) = a.Method();
        for (uint32_t w : words) a.Word(w);
        a.Return();
    }
    auto b = ClassLibraryBuilder::Named(name, {base});
    b.baseIndex = 1;
    b.methods = std::vector<uint32_t>{create};
    b.virtualMethods = virtuals;
    b.code = a.Finish();
    return b;
}
