// Memory operations, locals, fields and the script heap; every address outside the script address
// space is an engine error.
#include <cstring>

#include "script/object_manager.h"
#include "tests/script/processor_fixture.h"

namespace {

constexpr uint32_t M(int32_t v) {
    return static_cast<uint32_t>(v);
}

class ProcessorMemoryTest : public ProcessorTest {
  protected:
    ProcessorMemoryTest() : area(Place(std::vector<uint32_t>(8, 0))) {}

    uint32_t Word(uint32_t index) { return ScriptLoad32(area + 4 * index); }
    uint8_t* Bytes() { return FromScript<uint8_t>(area); }
    void Run(std::vector<uint32_t> before, std::vector<uint32_t> code) {
        SetData(before);
        code.push_back(kReturnWord);
        RunCode(code);
    }

    uint32_t area;  // eight words of scratch memory
};

TEST_F(ProcessorMemoryTest, WordsAndBytes) {
    Run({0x11223344, area + 4}, {OpWord(Op::Store)});
    EXPECT_EQ(Word(1), 0x11223344u);
    Run({area + 4}, {OpWord(Op::Fetch)});
    EXPECT_EQ(Data(), std::vector<uint32_t>{0x11223344});

    // StoreReversed takes the address first; words need no alignment.
    Run({area + 9, 0xA1B2C3D4}, {OpWord(Op::StoreReversed)});
    Run({area + 9}, {OpWord(Op::Fetch)});
    EXPECT_EQ(Data(), std::vector<uint32_t>{0xA1B2C3D4});

    Run({0x1FF, area}, {OpWord(Op::StoreByte)});
    Run({area}, {OpWord(Op::FetchByte)});
    EXPECT_EQ(Data(), std::vector<uint32_t>{0xFF});

    Run({10, area + 16}, {OpWord(Op::Store), OpWord(Op::PushInline), 5, OpWord(Op::PushInline), area + 16,
                          OpWord(Op::AddToMemory)});
    EXPECT_EQ(Word(4), 15u);
    Run({20, area + 16}, {OpWord(Op::SubtractFromMemory)});
    EXPECT_EQ(Word(4), M(-5));
    Run({area + 16}, {OpWord(Op::IncrementMemory)});
    EXPECT_EQ(Word(4), M(-4));
    Run({area + 16}, {OpWord(Op::DecrementMemory)});
    EXPECT_EQ(Word(4), M(-5));
    Run({area + 16}, {OpWord(Op::ClearMemory)});
    EXPECT_EQ(Word(4), 0u);
    EXPECT_EQ(Data(), std::vector<uint32_t>{});
}

TEST_F(ProcessorMemoryTest, AddressArithmetic) {
    CheckAll({
        {"IndexWords", Op::IndexWords, {1000, 3}, {}, {1012}},
        {"IndexWordsBack", Op::IndexWordsBack, {1000, 3}, {}, {988}},
        {"NextWordAddress", Op::NextWordAddress, {1000}, {}, {1004}},
        {"PreviousWordAddress", Op::PreviousWordAddress, {1000}, {}, {996}},
    });
}

TEST_F(ProcessorMemoryTest, BlockMoves) {
    // Ascending, four bytes at a time, then the rest: overlap is not treated specially.
    for (uint8_t i = 0; i < 8; ++i) Bytes()[i] = static_cast<uint8_t>(i + 1);
    Run({area, area + 1, 6}, {OpWord(Op::MoveBytes)});
    EXPECT_EQ(std::vector<uint8_t>(Bytes(), Bytes() + 8), (std::vector<uint8_t>{1, 1, 2, 3, 4, 4, 4, 8}));

    for (uint32_t i = 0; i < 4; ++i) StoreU32(Bytes() + 4 * i, i + 1);
    Run({area, area + 16, 2}, {OpWord(Op::MoveWords)});
    EXPECT_EQ(Word(4), 1u);
    EXPECT_EQ(Word(5), 2u);
    Run({area + 8, area, 0}, {OpWord(Op::MoveWords)});
    Run({area + 8, area, M(-3)}, {OpWord(Op::MoveWords)});
    EXPECT_EQ(Word(0), 1u);

    Run({area, 3, 0xABCD}, {OpWord(Op::FillWords)});
    EXPECT_EQ(Word(2), 0xABCDu);
    EXPECT_EQ(Word(3), 4u);
    Run({area, M(-1), 7}, {OpWord(Op::FillWords)});
    EXPECT_EQ(Word(0), 0xABCDu);

    Run({area + 28, 3, 0x1EE}, {OpWord(Op::FillBytes)});
    EXPECT_EQ(Word(7), 0x00EEEEEEu);
    Run({area + 28, 0, 0}, {OpWord(Op::FillBytes)});
    EXPECT_EQ(Word(7), 0x00EEEEEEu);
}

TEST_F(ProcessorMemoryTest, CompareBytes) {
    const uint32_t abc = Place({0x00636261});    // "abc"
    const uint32_t abd = Place({0x00646261});    // "abd"
    const uint32_t upper = Place({0x00434241});  // "ABC"
    const uint32_t zeros = Place({0x01000061, 0});
    const uint32_t zeros2 = Place({0x02000061, 0});
    CheckAll({
        {"CompareBytes", Op::CompareBytes, {abc, abd, 3}, {}, {M(-1)}},
        {"CompareBytes", Op::CompareBytes, {abd, abc, 3}, {}, {1}},
        {"CompareBytes", Op::CompareBytes, {abc, abd, 2}, {}, {0}},
        {"CompareBytes", Op::CompareBytes, {abc, abd, 0}, {}, {0}},
        {"CompareBytes", Op::CompareBytes, {upper, abc, 3}, {}, {M(-1)}},
        {"CompareBytesNoCase", Op::CompareBytesNoCase, {upper, abc, 3}, {}, {0}},
        // Zero bytes do not end the comparison.
        {"CompareBytesNoCase", Op::CompareBytesNoCase, {zeros, zeros2, 4}, {}, {M(-1)}},
    });
}

TEST_F(ProcessorMemoryTest, HashStep) {
    StoreU32(Bytes(), 0xFFFFFFFF);
    StoreU32(Bytes() + 4, 1);
    Run({area, 0x0F, 0xF0}, {OpWord(Op::HashStep)});
    uint64_t value;
    std::memcpy(&value, Bytes(), 8);
    EXPECT_EQ(value, 0x1FFFFFFFFull * 5 + 0xFF);
}

TEST_F(ProcessorMemoryTest, AddressesOutsideTheScriptSpaceAreRefused) {
    const uint32_t end = static_cast<uint32_t>(kScriptRegionSize);
    struct Row {
        std::vector<uint32_t> before;
        Op op;
        const char* message;
    };
    const std::vector<Row> rows = {
        {{0}, Op::Fetch, "Script memory access outside the address space at 0x00000000, 4 bytes"},
        {{16}, Op::FetchByte, "Script memory access outside the address space at 0x00000010, 1 bytes"},
        {{5, end - 2}, Op::Store, "Script memory access outside the address space at 0x7FFFFFFE, 4 bytes"},
        {{end - 4, 5}, Op::StoreReversed, "no error"},
        {{1, 64}, Op::AddToMemory, "Script memory access outside the address space at 0x00000040, 4 bytes"},
        {{64}, Op::ClearMemory, "Script memory access outside the address space at 0x00000040, 4 bytes"},
        {{area, 0, 0xFFFFFFFF}, Op::MoveBytes, "Script memory access outside the address space at 0x"},
        {{0, area, 4},
         Op::MoveBytes,
         "Script memory access outside the address space at 0x00000000, 4 bytes"},
        {{area, end - 4, 0x7FFFFFFF}, Op::MoveWords, "Script memory access outside the address space at 0x"},
        {{8, 4, 0}, Op::FillBytes, "Script memory access outside the address space at 0x00000008, 4 bytes"},
        {{end - 4, 1, 2},
         Op::HashStep,
         "Script memory access outside the address space at 0x7FFFFFFC, 8 bytes"},
        {{12, area, 1},
         Op::CompareBytes,
         "Script memory access outside the address space at 0x0000000C, 1 bytes"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Operation(row.op).name);
        SetData(row.before);
        const std::string error = ErrorMessage([&] { RunCode({OpWord(row.op), kReturnWord}); });
        EXPECT_EQ(error.substr(0, std::strlen(row.message)), row.message);
        ClearStacks();
    }
}

TEST_F(ProcessorMemoryTest, Locals) {
    // Two locals, written through their addresses; slot 0 is the top.
    Run({7, 2},
        {OpWord(Op::AllocateLocals), OpWord(Op::PushInline), 1, OpWord(Op::LocalAddress), OpWord(Op::Store),
         OpWord(Op::PushInline), 9, OpWord(Op::PushZero), OpWord(Op::LocalAddress), OpWord(Op::Store)});
    ASSERT_EQ(Cpu().LocalsStack().Depth(), 2u);
    EXPECT_EQ(Cpu().LocalsStack().Peek(0), 9u);
    EXPECT_EQ(Cpu().LocalsStack().Peek(1), 7u);
    EXPECT_EQ(Data(), std::vector<uint32_t>{});
    Run({1}, {OpWord(Op::LocalAddress)});
    EXPECT_EQ(Data(), std::vector<uint32_t>{Cpu().LocalsStack().TopAddress() - 4});

    // A negative count shrinks the locals; FreeLocals drops them.
    Run({M(-1)}, {OpWord(Op::AllocateLocals)});
    EXPECT_EQ(Cpu().LocalsStack().Depth(), 1u);
    Run({1}, {OpWord(Op::FreeLocals)});
    EXPECT_EQ(Cpu().LocalsStack().Depth(), 0u);

    EXPECT_EQ(ErrorMessage([&] { Run({0}, {OpWord(Op::LocalAddress)}); }), "DStack underflow");
    ClearStacks();
    EXPECT_EQ(ErrorMessage([&] { Run({1}, {OpWord(Op::FreeLocals)}); }), "DStack underflow");
}

TEST_F(ProcessorMemoryTest, Fields) {
    // Field 2 of the current object, of an object given by value and of an object by ID.
    Run({5, 2}, {OpWord(Op::FieldAddress), OpWord(Op::Store)});
    EXPECT_EQ(object->Field(2), 5u);
    Run({object->Address(), 3}, {OpWord(Op::ObjectFieldAddress)});
    EXPECT_EQ(Data(), std::vector<uint32_t>{ToScript(&object->Field(3))});

    auto* stored = new ScriptObject(plainClass.get());
    Cpu().Objects().SetObject(stored, 40);
    Run({40, 1}, {OpWord(Op::ManagedFieldAddress)});
    EXPECT_EQ(Data(), std::vector<uint32_t>{ToScript(&stored->Field(1))});

    struct Row {
        std::vector<uint32_t> before;
        Op op;
        std::string message;
    };
    char notObject[96];
    std::snprintf(notObject, sizeof notObject, "Not a valid object at 0x%08X where object expected", area);
    const std::vector<Row> rows = {
        {{4}, Op::FieldAddress, "Field 4 not found in object of class ZEMAClass"},
        {{object->Address(), M(-1)},
         Op::ObjectFieldAddress,
         "Field -1 not found in object of class ZEMAClass"},
        {{0, 1}, Op::ObjectFieldAddress, "Null object where object expected"},
        {{area, 1}, Op::ObjectFieldAddress, notObject},
        {{41, 0}, Op::ManagedFieldAddress, "No object with ID 41"},
        {{40, 4}, Op::ManagedFieldAddress, "Field 4 not found in object of class ZEMAClass"},
    };
    for (const Row& row : rows) {
        SetData(row.before);
        EXPECT_EQ(ErrorMessage([&] { RunCode({OpWord(row.op), kReturnWord}); }), row.message);
        ClearStacks();
    }
}

TEST_F(ProcessorMemoryTest, Heap) {
    Run({12}, {OpWord(Op::Allocate)});
    const uint32_t block = Data().at(0);
    EXPECT_TRUE(InScriptRegion(FromScript<void>(block)));
    EXPECT_EQ(Cpu().AllocatedBlockCount(), 1u);
    Run({block, 77, block + 8}, {OpWord(Op::Store), OpWord(Op::Fetch)});
    EXPECT_EQ(ScriptLoad32(block + 8), 77u);
    Run({block}, {OpWord(Op::Free)});
    EXPECT_EQ(Cpu().AllocatedBlockCount(), 0u);
    Run({0}, {OpWord(Op::Free)});

    char twice[80];
    std::snprintf(twice, sizeof twice, "Free of 0x%08X, which is not an allocated block", block);
    EXPECT_EQ(ErrorMessage([&] { Run({block}, {OpWord(Op::Free)}); }), twice);
    ClearStacks();
    std::snprintf(twice, sizeof twice, "Free of 0x%08X, which is not an allocated block", area);
    EXPECT_EQ(ErrorMessage([&] { Run({area}, {OpWord(Op::Free)}); }), twice);
    ClearStacks();
    EXPECT_EQ(ErrorMessage([&] { Run({0xFFFFFFF0}, {OpWord(Op::Allocate)}); }),
              "Allocation of 0xFFFFFFF0 bytes refused");
    ClearStacks();

    // Blocks still allocated go with the processor.
    Run({100}, {OpWord(Op::Allocate)});
    EXPECT_EQ(Cpu().AllocatedBlockCount(), 1u);
}

}  // namespace
