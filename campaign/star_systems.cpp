#include "campaign/star_systems.h"

#include <cstring>

#include "campaign/planet.h"
#include "campaign/save_file_reader.h"
#include "campaign/save_game.h"
#include "campaign/scene_reset.h"
#include "campaign/star_system_window.h"
#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/exceptions.h"
#include "graphics/graphics_kinds.h"
#include "graphics/image.h"
#include "graphics/image_manager.h"
#include "script/cleanup_steps.h"
#include "script/create_native.h"
#include "script/message_manager.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/sspl_block.h"
#include "script/zema_class.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "world/player_config.h"
#include "world/running_processor.h"
#include "world/supply.h"

namespace {

String FromView(std::string_view text) {
    return text.empty() ? String() : String::FromBytes(text.data(), text.size());
}

// The payload's text up to its NUL, or the whole payload when a stored one has none.
String PayloadText(const DataBlock& block) {
    const uint32_t size = block.Payload() != nullptr ? block.PayloadSize() : 0;
    if (size == 0) return String();
    return String::FromBytes(reinterpret_cast<const char*>(block.Payload()), size);
}

// The three words of a description entry: the window class, one not used, the message file.
struct Description {
    String windowClass;
    String messageFile;
};

Description ReadDescription(Processor& processor, const String& entry) {
    EntryBlockReader reader(processor.Archive(), 1024, 1024, 128);
    reader.Open(entry);
    Description description;
    String unused;
    reader >> description.windowClass >> unused >> description.messageFile;
    reader.Close();
    return description;
}

int32_t HeaderInt(const DataBlock& block, uint32_t offset) {
    return static_cast<int32_t>(LoadU32(block.Header() + offset));
}

// The system a star-system window shows and its selected planet.
bool PlaceOf(ScriptObject* object, String& system, String& planet) {
    StarSystemZoomedObject* window = StarSystemZoomedObject::AsWindow(object);
    if (window == nullptr) return false;
    system = window->Name();
    planet = String();
    if (ControlObject* selected = window->SelectedPlanet()) planet = Planet::CallGetName(selected);
    return true;
}

// Texts 4, 5, 7 and 8 of a save: the star system the player is in (object 17) and its selected
// planet's hint and name; false when the player is in no star system.
bool SaveLocationOf(Processor& processor, SaveLocationTexts& texts) {
    StarSystemZoomedObject* window =
        StarSystemZoomedObject::AsWindow(processor.Objects().GetObject(kStarSystemWindowId));
    if (window == nullptr) return false;
    texts.systemDisplayName = window->DisplayName().View();
    texts.systemName = window->Name().View();
    ControlObject* planet = window->SelectedPlanet();
    if (planet == nullptr) return true;
    // The hint is script code, which may delete the planet.
    const WeakObject asked(planet);
    texts.planetHint = AskScriptText(processor, planet, kPlanetHintVirtual);
    if (auto* still = asked.As<ControlObject>()) texts.planetName = Planet::CallGetName(still).View();
    return true;
}

}  // namespace

class StarSystemRecord::Block final : public DataBlock {
  public:
    explicit Block(StarSystemRecord& owner) : DataBlock(kSsyfHeaderSize, true), owner_(owner) {}
    void ReadChunk(BlockReader& reader, const uint8_t* signature) override {
        if (std::memcmp(signature, "NAME", 4) == 0) owner_.TakeName(reader);
    }
    void AfterRead(BlockReader& reader) override { owner_.AfterBlock(reader); }

  private:
    StarSystemRecord& owner_;
};

StarSystemRecord::StarSystemRecord(ZEMAClass* cls, uint32_t picture, int32_t id)
    : ControlObject(cls, picture, 0, 0, id), block_(std::make_unique<Block>(*this)) {
    block_->SetSignature("SSYF");
}

StarSystemRecord::~StarSystemRecord() = default;

DataBlock& StarSystemRecord::SystemBlock() {
    return *block_;
}

String StarSystemRecord::DescriptionEntry() const {
    return PayloadText(*block_);
}

void StarSystemRecord::ReadFrom(BlockReader& reader, Processor& processor) {
    reading_ = &processor;
    try {
        reader >> *block_;
    } catch (...) {
        reading_ = nullptr;
        throw;
    }
    reading_ = nullptr;
}

void StarSystemRecord::TakeName(BlockReader& reader) {
    DataBlock name(kNameHeaderSize, true);
    reader >> name;
    name_ = PayloadText(name);
    displayName_ = name_;
}

void StarSystemRecord::AfterBlock(BlockReader&) {
    SetInt(kVisualX, HeaderInt(*block_, 10));
    SetInt(kVisualY, HeaderInt(*block_, 14));
    if (reading_ == nullptr) return;
    const Description description = ReadDescription(*reading_, DescriptionEntry());
    auto* messages = dynamic_cast<MessageManager*>(reading_->Objects().GetObject(kMessageManagerId));
    if (messages == nullptr) ThrowFatal("No MessageManager for the star system \"%s\"", name_.Text());
    displayName_ = String(messages->GetMessage(description.messageFile, 1));
}

StarSystemZoomedObject* StarSystemRecord::CreateView(Processor& processor) {
    const Description description = ReadDescription(processor, DescriptionEntry());
    ZEMAClass* cls = processor.ClassByName(description.windowClass);
    ObjectManager& objects = processor.Objects();
    if (ScriptObject* old = objects.GetObject(kStarSystemViewId)) {
        // The window the player is in may be the one last opened too: it stays as object 17.
        if (objects.GetObject(kStarSystemWindowId) == old) {
            objects.Forget(old);
            objects.SetObject(old, kStarSystemWindowId);
        } else {
            DestroyObject(old);
        }
    }
    MadeObject made(processor.NewObject(cls));
    // The scripts run so far may have deleted this system.
    CheckAlive("star system");
    StarSystemZoomedObject* view = StarSystemZoomedObject::AsWindow(made.get());
    if (view == nullptr)
        ThrowFatal("Class \"%s\" of \"%s\" makes no star-system window", description.windowClass.Text(),
                   DescriptionEntry().Text());
    view->SetNames(name_, displayName_);
    objects.SetObject(made.release(), kStarSystemViewId);
    return view;
}

StarSystemRecord& StarSystemRecord::Of(ScriptObject* receiver) {
    return ReceiverOf<StarSystemRecord>(receiver, "StarSystem object expected");
}

StarSystemRecord* StarSystemRecord::AsStarSystem(ScriptObject* object) {
    return dynamic_cast<StarSystemRecord*>(object);
}

StarSystemList::StarSystemList(Processor& processor)
    : ScriptObject(nullptr),
      DataBlock(10, false),
      processor_(processor),
      systemClass_(processor.ClassByName(String(kStarSystemClassName))) {
    auto* images = dynamic_cast<ImageManager*>(processor.Objects().GetObject(kImageManagerId));
    if (images == nullptr) ThrowFatal("No ImageManager to take \"%s\" from", kStarSystemPicturesName);
    systemPictures_ = WeakObject(images->GetImage(String(kStarSystemPicturesName)));
}

StarSystemList::~StarSystemList() {
    ReleaseOwnedQuietly();
}

void StarSystemList::ReleaseOwned() {
    std::vector<WeakObject> systems;
    systems.swap(systems_);
    CleanupSteps steps(this);
    for (const WeakObject& system : systems) {
        steps.Run([&system] {
            ScriptObject* record = system.Get();
            if (record != nullptr && record->Alive()) DestroyObject(record);
        });
    }
    steps.Finish();
    ScriptObject::ReleaseOwned();
}

void StarSystemList::Load(const String& entryName) {
    EntryBlockReader reader(processor_.Archive(), 1024, 1024, 128);
    reader.Open(entryName);
    Read(reader);
    reader.Close();
}

void StarSystemList::Read(BlockReader& reader) {
    reader >> static_cast<DataBlock&>(*this);
    if (Find("") == nullptr) ThrowFatal("No star system in \"%s\"", reader.Name().Text());
}

void StarSystemList::ReadChunk(BlockReader& reader, const uint8_t* signature) {
    if (std::memcmp(signature, "SSYF", 4) != 0) return;
    const int32_t number = nextNumber_;
    if (number == INT32_MAX) ThrowFatal("Too many star systems in \"%s\"", reader.Name().Text());
    nextNumber_ = number + 1;
    auto* cls = static_cast<ZEMAClass*>(systemClass_.Check(kClassDescriptorKind, "star system class"));
    auto* pictures = static_cast<Image*>(systemPictures_.Check(kImageKind, "star system pictures"));
    // A picture without entries is its own only entry.
    const uint32_t entries = pictures->SubImageCount();
    Image* picture = pictures->EntryAt(entries > 0 ? static_cast<int32_t>(number % entries) : 0);
    std::unique_ptr<StarSystemRecord, ObjectDiscarder> record(
        new StarSystemRecord(cls, picture->Address(), number));
    record->ReadFrom(reader, processor_);
    systems_.emplace_back(record.release());
}

StarSystemRecord* StarSystemList::At(uint32_t i) const {
    return i < systems_.size() ? systems_[i].As<StarSystemRecord>() : nullptr;
}

StarSystemRecord* StarSystemList::Find(std::string_view name) const {
    StarSystemRecord* first = nullptr;
    StarSystemRecord* match = nullptr;
    for (const WeakObject& system : systems_) {
        auto* record = system.As<StarSystemRecord>();
        if (record == nullptr) continue;
        if (first == nullptr) first = record;
        if (record->Name().View() == name) match = record;
    }
    return match != nullptr ? match : first;
}

StarSystemList* StarSystemList::Installed(Processor& processor) {
    return dynamic_cast<StarSystemList*>(processor.Objects().GetObject(kStarSystemListId));
}

StarSystemList& StarSystemList::Of(Processor& processor) {
    StarSystemList* list = Installed(processor);
    if (list == nullptr) ThrowFatal("No star systems loaded");
    return *list;
}

void LoadStarSystems(Processor& processor) {
    NativeArgs args(processor);
    const String name = args.TextCopy();
    std::unique_ptr<StarSystemList, ObjectDiscarder> list(new StarSystemList(processor));
    list->Load(name);
    processor.Objects().SetObject(list.release(), kStarSystemListId);
}

void LoadStarSystemsMethod(ScriptObject* receiver) {
    LoadStarSystems(RunningProcessor(receiver, "GameManager"));
}

SSPLBlock* CurrentLocationBlock(Processor& processor) {
    return dynamic_cast<SSPLBlock*>(processor.Objects().GetObject(kCurrentLocationId));
}

void EnterCurrentLocation(Processor& processor, SSPLBlock& location) {
    const String systemName = FromView(location.First());
    const String planetName = FromView(location.Second());
    StarSystemRecord* current = StarSystemList::Of(processor).Find(systemName.View());
    if (current == nullptr) ThrowFatal("No star system to enter");
    current->CreateView(processor);
    MakeLastSystemCurrent(processor, location, planetName.View());
}

void MakeLastSystemCurrent(Processor& processor, SSPLBlock& location,
                           std::optional<std::string_view> planetToSelect) {
    ObjectManager& objects = processor.Objects();
    ScriptObject* last = objects.GetObject(kStarSystemViewId);
    auto* window = StarSystemZoomedObject::AsWindow(last);
    if (window == nullptr) ThrowFatal("No star-system window to enter");
    objects.Forget(last);
    objects.SetObject(last, kStarSystemWindowId);
    if (planetToSelect) window->SelectPlanet(*planetToSelect);
    ControlObject* planet = window->SelectedPlanet();
    if (planet == nullptr) ThrowFatal("Star system is empty!");
    const String planetName = Planet::CallGetName(planet);
    // The name is script code, which may have deleted the window or the location.
    window->CheckAlive("star-system window");
    location.CheckAlive("location");
    location.SetNames(window->Name().View(), planetName.View());
}

void InstallGalaxyHooks() {
    PlayerLocationHook() = [](String& system, String& planet) {
        Processor* processor = Game().processor;
        if (processor == nullptr) return false;
        return PlaceOf(processor->Objects().GetObject(kStarSystemWindowId), system, planet);
    };
    SaveLocationHook() = SaveLocationOf;
    SupplyHooksInstalled().place = [](ScriptObject* window, SupplyPlace& place) {
        return PlaceOf(window, place.system, place.planet);
    };
    SystemViewHook().describe = [](ScriptObject& window, String& system, String& planet) {
        PlaceOf(&window, system, planet);
    };
    SystemViewHook().open = [](Processor& processor, const String& system,
                               const String& planet) -> ScriptObject* {
        StarSystemList* list = StarSystemList::Installed(processor);
        StarSystemRecord* record = list != nullptr ? list->Find(system.View()) : nullptr;
        if (record == nullptr || record->Name().View() != system.View()) return nullptr;
        StarSystemZoomedObject* view = record->CreateView(processor);
        // The caller stores the window where it belongs.
        processor.Objects().Forget(view);
        MadeObject held(view);
        if (!planet.Empty()) view->SelectPlanet(planet.View());
        // The planets' names are script code: a window they deleted is not handed on.
        if (!view->Alive()) return nullptr;
        return held.release();
    };
}

void StarSystem::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<StarSystemRecord, "StarSystem", uint32_t, int32_t>, kCreateObjectMethod);
}
