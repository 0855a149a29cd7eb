// The stored pilot: the "PCFG" block of player files and save games. Its header holds money (in
// tenths), experience, level and skill points, its payload the pilot's name; its children are the
// pilot's key mapping ("INPD"), where it is ("SSPL"), its ship ("SCFG"), its event records ("PEVN"),
// its skills ("PSKL") and the items it carries ("SSLT"). Read from files, all of it is outside
// data: each record checks its own shape when read and refuses a damaged one with an engine error
// naming the file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/data_block.h"
#include "foundation/engine_string.h"
#include "script/sspl_block.h"
#include "world/equipment_config.h"

class BlockReader;
class FW;
class InputDevice;

constexpr uint32_t kPcfgHeaderSize = 26;
constexpr uint32_t kPevnHeaderSize = 18;
constexpr uint32_t kPsklHeaderSize = 18;
// Event records of this kind stay with the running pilot and are never stored.
constexpr int32_t kUnstoredEventKind = 4;

// One event record: kind and value in the header, key and text as two NUL-terminated texts.
class PevnBlock : public DataBlock {
  public:
    PevnBlock();
    PevnBlock(std::string_view key, int32_t kind, std::string_view text, int32_t value);

    int32_t Kind() const;
    int32_t Value() const;
    // Both texts are checked to end inside the payload when read.
    std::string_view Key() const;
    std::string_view Text() const;

    void AfterRead(BlockReader& reader) override;
};

// One skill: slot number and level in the header, the skill's class name as payload.
class PsklBlock : public DataBlock {
  public:
    PsklBlock();
    PsklBlock(int32_t slot, int32_t level, std::string_view className);

    int32_t Slot() const;
    int32_t Level() const;
    std::string_view ClassName() const;
    const String& Source() const { return source_; }

    // Refuses a slot outside the pilot's skill slots, a negative level and a missing class name.
    void AfterRead(BlockReader& reader) override;

  private:
    String source_;
};

class PlayerConfig : public DataBlock {
  public:
    PlayerConfig();
    ~PlayerConfig() override;

    int32_t Money() const;
    int32_t Experience() const;
    int32_t Level() const;
    int32_t SkillPoints() const;
    void SetFields(int32_t money, int32_t experience, int32_t level, int32_t skillPoints);
    std::string_view Name() const;
    void SetName(std::string_view name);
    const String& Source() const { return source_; }

    std::vector<std::unique_ptr<PevnBlock>>& Events() { return events_; }
    std::vector<std::unique_ptr<PsklBlock>>& Skills() { return skills_; }
    std::vector<std::unique_ptr<SsltBlock>>& Items() { return items_; }
    const std::vector<std::unique_ptr<PevnBlock>>& Events() const { return events_; }
    const std::vector<std::unique_ptr<PsklBlock>>& Skills() const { return skills_; }
    const std::vector<std::unique_ptr<SsltBlock>>& Items() const { return items_; }
    // Null when the pilot has no ship.
    ShipConfig* Ship() const { return ship_.get(); }
    void SetShip(std::unique_ptr<ShipConfig> ship) { ship_ = std::move(ship); }
    // The "SSPL" payload: the star system's name, then the planet's.
    void SetLocation(std::string_view system, std::string_view planet);
    SSPLBlock& Location() { return location_; }
    const SSPLBlock& Location() const { return location_; }
    InputDevice& Input() { return *input_; }
    const InputDevice& Input() const { return *input_; }
    void SetInput(std::unique_ptr<InputDevice> input);

    void ReadChunk(BlockReader& reader, const uint8_t* signature) override;
    // Refuses a name without its terminator and a negative level.
    void AfterRead(BlockReader& reader) override;
    uint32_t ChunkSize() const override;
    // Always a container: the head, this block, then "INPD", "SSPL", "SCFG" when held, every
    // "PEVN", "PSKL" and "SSLT".
    void Store(FW& fw) const;

  private:
    uint32_t ChildCount() const;
    uint64_t ChildrenSize() const;

    std::vector<std::unique_ptr<PevnBlock>> events_;
    std::vector<std::unique_ptr<PsklBlock>> skills_;
    std::vector<std::unique_ptr<SsltBlock>> items_;
    std::unique_ptr<ShipConfig> ship_;
    SSPLBlock location_;
    std::unique_ptr<InputDevice> input_;
    String source_;
};

// Where the pilot is, for its stored block: the names of the star system and of the planet, which
// the campaign's star-system window knows. Start-up installs it; without it, or when it answers
// false, a stored block keeps the location it had.
using PlayerLocationSource = std::function<bool(String& system, String& planet)>;
PlayerLocationSource& PlayerLocationHook();

// Money as it goes into a file: rounded down to whole units, so that no stored amount is taken for
// an old whole-unit amount when read back.
int32_t StoredMoney(int32_t tenths);
// Money as it comes out of a file: an amount that is no multiple of 10 is an old whole-unit amount.
int32_t LoadedMoney(int32_t stored);
