// A key mapping: the "KEYS" block, one virtual-key code per numbered action (u16 action count at
// header offset 10, the u32 codes as payload), and for each action the values the polls leave:
// held (-1 while down, else 0) and pressed (1 only on the poll at which it went down).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "foundation/data_block.h"
#include "platform/input.h"

class BlockReader;
class FW;

class ActionMap : public DataBlock {
  public:
    static constexpr uint32_t kHeaderSize = 12;

    ActionMap();
    ActionMap(const ActionMap& other);
    ActionMap& operator=(const ActionMap& other);

    // The held and pressed values start again from released after every read.
    void AfterRead(BlockReader& reader) override;

    // The stored action count, but never more actions than the payload holds codes for.
    uint32_t Count() const;
    uint32_t Code(uint32_t action) const;
    // Replaces the mapping: the count, the payload and released values for every action.
    void SetCodes(std::initializer_list<uint32_t> codes);
    // Where action n's code is stored, for changing a mapping in place; FatalExep beyond Count.
    uint8_t* ActionSlot(uint32_t action);

    // Every action released.
    void ResetActions();
    int32_t Held(uint32_t action) const { return action < held_.size() ? held_[action] : 0; }
    int32_t Pressed(uint32_t action) const { return action < pressed_.size() ? pressed_[action] : 0; }
    // One poll's answer for an action that has no press count (the joystick's): down or not. It is
    // pressed when it was up at the last poll.
    void Update(uint32_t action, bool down);
    // One poll of an action's key: down now (or pressed and let go since the last poll), and pressed
    // when it went down since the last poll of this map. The first poll after a reset, a read or a
    // new mapping only starts watching the keys: what was pressed before is no fresh press.
    void PollKey(uint32_t action, Input& input);

    // The held values then the pressed values, 4 bytes each, little-endian.
    uint32_t StateSize() const { return static_cast<uint32_t>(8 * held_.size()); }
    void SaveState(FW& writer) const;
    // From a recording; false, changing nothing, when the recording ends before a whole state.
    bool LoadState(BlockReader& reader);

  private:
    void Rebuild();

    std::vector<int32_t> held_;
    std::vector<int32_t> pressed_;
    std::vector<PressWatch> watches_;
};

// Polls every action's key: a code the key state does not know reads as up. Without an input,
// everything is up. A key pressed and released since the last poll reads as down for this poll, so
// it reports one press.
void PollKeyboard(ActionMap& map, Input* input);
