// The galaxy: the star-system table read once from an archive entry ("SSYF" blocks, each with a
// "NAME" child) into the StarSystemList (object 18), whose records are the StarSystem controls the
// galaxy map places; and the player's location (object 26, an "SSPL" block naming a star system
// and a planet) with the step that makes it current.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "foundation/data_block.h"
#include "foundation/engine_string.h"
#include "script/script_object.h"
#include "script/weak_object.h"
#include "ui/control.h"

class BlockReader;
class Image;
class Processor;
class SSPLBlock;
class StarSystemZoomedObject;
struct NativeClassRow;

constexpr int32_t kFirstStarSystemNumber = 1000;
constexpr uint32_t kSsyfHeaderSize = 18;
constexpr uint32_t kNameHeaderSize = 10;
constexpr const char* kStarSystemPicturesName = "Misc\\StarSystems.dpf";
constexpr const char* kStarSystemClassName = "StarSystem";

// One star system: a StarSystem control (id = its number, x and y its place on the map) with the
// "SSYF" block it was read from, whose payload names its description entry.
class StarSystemRecord : public ControlObject {
  public:
    // A record of the class with the picture and id at (0, 0), an empty block and empty names.
    StarSystemRecord(ZEMAClass* cls, uint32_t picture, int32_t id);
    ~StarSystemRecord() override;

    // Reads one "SSYF" block: the "NAME" child gives both names; then the place comes from the
    // header and the shown name from message 1 of the file the description entry names.
    void ReadFrom(BlockReader& reader, Processor& processor);

    const String& Name() const { return name_; }
    const String& DisplayName() const { return displayName_; }
    // The description entry's name: the payload text up to its NUL or the payload's end.
    String DescriptionEntry() const;
    DataBlock& SystemBlock();

    // Opens the system's window: the class word 1 of the description entry names, made through its
    // native 0; the window last opened (object 20) is destroyed first and the new one takes its
    // place, with this system's names.
    StarSystemZoomedObject* CreateView(Processor& processor);

    // The receiver of a StarSystem native; FatalExep when it is not a star system.
    static StarSystemRecord& Of(ScriptObject* receiver);
    // The star system a control is, or null.
    static StarSystemRecord* AsStarSystem(ScriptObject* object);

  private:
    class Block;
    friend class Block;
    void TakeName(BlockReader& reader);
    void AfterBlock(BlockReader& reader);

    std::unique_ptr<Block> block_;
    String name_;
    String displayName_;
    Processor* reading_ = nullptr;  // set only while ReadFrom runs
};

// Object 18: every star system of the table, in file order, numbered from 1000.
class StarSystemList : public ScriptObject, public DataBlock {
  public:
    // The class "StarSystem" and the picture "Misc\StarSystems.dpf" are looked up now.
    explicit StarSystemList(Processor& processor);
    ~StarSystemList() override;

    // Reads the table entry of that name. FatalExep naming it when it holds no star system.
    void Load(const String& entryName);
    // The same from a reader at the table's block.
    void Read(BlockReader& reader);
    void ReadChunk(BlockReader& reader, const uint8_t* signature) override;

    // The last record whose name is name byte for byte; the first record when none is; null only
    // when no record lives.
    StarSystemRecord* Find(std::string_view name) const;
    uint32_t Count() const { return static_cast<uint32_t>(systems_.size()); }
    // The live record at index i, or null.
    StarSystemRecord* At(uint32_t i) const;
    int32_t NextNumber() const { return nextNumber_; }

    // Object 18, or null.
    static StarSystemList* Installed(Processor& processor);
    // Object 18; FatalExep when there is none.
    static StarSystemList& Of(Processor& processor);

  protected:
    // The records go with the list.
    void ReleaseOwned() override;

  private:
    Processor& processor_;
    // Asked for at each read: the list may outlive the scene that loaded them.
    WeakObject systemClass_;
    WeakObject systemPictures_;
    int32_t nextNumber_ = kFirstStarSystemNumber;
    std::vector<WeakObject> systems_;  // owned: the records are destroyed with the list
};

// GameManager method 6: pops the table's entry name, reads it into a new list and stores that as
// object 18 (a list whose reading fails is never stored).
void LoadStarSystems(Processor& processor);
void LoadStarSystemsMethod(ScriptObject* receiver);

// The location block (object 26), or null.
SSPLBlock* CurrentLocationBlock(Processor& processor);

// Makes the system and planet the location names current: the system's window becomes object 17
// with the planet of that name selected (the last planet when none has it), and the location is
// rewritten with the names actually entered. The first system stands in for an unknown one.
// FatalExep when there is no star system, or the window holds no planet.
void EnterCurrentLocation(Processor& processor, SSPLBlock& location);

// The system window last opened (object 20) becomes the current one (object 17), with the planet
// of the name given selected (the last planet when none has it; without a name the window's own
// selection stays), and the location is rewritten with the window's system and planet. FatalExep
// when there is no such window or it holds no planet.
void MakeLastSystemCurrent(Processor& processor, SSPLBlock& location,
                           std::optional<std::string_view> planetToSelect = std::nullopt);

// The names of the player's place for the stored pilot and for the supply: object 17's system and
// its selected planet. Start-up calls this once.
void InstallGalaxyHooks();

// The StarSystem class: the Control binding, then native 0.
struct StarSystem {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
