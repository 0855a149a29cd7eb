// Operations on objects and classes: creation, deletion, the current object, object IDs and class
// fields.
#include <cstdio>
#include <memory>
#include <string>

#include "script/class_manager.h"
#include "script/object_manager.h"
#include "script/weak_object.h"
#include "tests/script/processor_fixture.h"
#include "tools/content/script_assembler.h"

namespace {

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

// Thing uses [Thing, ObjectManager]; method 0 creates an instance; two class fields.
ClassLibraryBuilder Thing() {
    ScriptAssembler a;
    const uint32_t m0 = a.Method();
    a.Op(Op::CreateInstance);
    a.Return();
    const uint32_t m1 = a.Method();
    a.Return();
    auto b = ClassLibraryBuilder::Named("Thing", {"ObjectManager"});
    b.instanceFields = 3;
    b.classFields = 2;
    b.methods = std::vector<uint32_t>{m0, m1};
    b.virtualMethods = std::vector<uint32_t>{0, 0};
    b.code = a.Finish();
    return b;
}

class ProcessorObjectTest : public ProcessorTest {
  protected:
    void SetUp() override {
        OpenArchive({Thing()});
        thing = Cpu().ClassByName("Thing");
        manager = Cpu().ClassByName("ObjectManager");
    }

    std::string RunThing(std::vector<uint32_t> words, ScriptObject* on = nullptr) {
        words.push_back(kReturnWord);
        return ErrorMessage([&] { RunOn(thing, on != nullptr ? on : object.get(), words); });
    }

    ZEMAClass* thing = nullptr;
    ZEMAClass* manager = nullptr;
};

TEST_F(ProcessorObjectTest, CreateInstanceAndDeleteObject) {
    // CreateInstance leaves the object on both stacks; the caller takes it off the object stack.
    SetData({thing->Address()});
    EXPECT_EQ(RunThing({OpWord(Op::CreateInstance), OpWord(Op::SwapObjects), OpWord(Op::This),
                        OpWord(Op::SwapObjects)}),
              "no error");
    // The return word took the new object off the object stack; This saw the receiver below it
    // after SwapObjects.
    ASSERT_EQ(Data().size(), 2u);
    ScriptObject* made = ScriptObject::FromAddress(Data()[0], 0, "made");
    EXPECT_EQ(made->Class(), thing);
    EXPECT_EQ(made->FieldCount(), 3u);
    EXPECT_EQ(Data()[1], object->Address());
    ClearStacks();

    // DeleteObject destroys it; null is ignored; a stale value is refused.
    const uint32_t madeAddress = made->Address();
    SetData({madeAddress, 0});
    EXPECT_EQ(RunThing({OpWord(Op::DeleteObject), OpWord(Op::DeleteObject)}), "no error");
    EXPECT_EQ(Data(), std::vector<uint32_t>{});
    char stale[80];
    std::snprintf(stale, sizeof stale, "Not a valid object at 0x%08X where object expected", madeAddress);
    SetData({madeAddress});
    EXPECT_EQ(RunThing({OpWord(Op::DeleteObject)}), stale);
    ClearStacks();

    // CreateInstance of something that is not a class.
    SetData({object->Address()});
    char notClass[80];
    std::snprintf(notClass, sizeof notClass, "Not a valid object at 0x%08X where class expected",
                  object->Address());
    EXPECT_EQ(RunThing({OpWord(Op::CreateInstance)}), notClass);
}

TEST_F(ProcessorObjectTest, DeleteObjectKeepsTheEnginesObjects) {
    for (ScriptObject* kept :
         {static_cast<ScriptObject*>(&Cpu()), static_cast<ScriptObject*>(&Cpu().Objects()),
          static_cast<ScriptObject*>(&Cpu().Classes()), static_cast<ScriptObject*>(thing)}) {
        SetData({kept->Address()});
        char text[96];
        std::snprintf(text, sizeof text, "Object at 0x%08X belongs to the engine and cannot be deleted",
                      kept->Address());
        EXPECT_EQ(RunThing({OpWord(Op::DeleteObject)}), text);
        ClearStacks();
    }
    // So are objects that an engine cache keeps and hands out again.
    auto cached = std::make_unique<ScriptObject>(thing);
    cached->KeepForEngine();
    SetData({cached->Address()});
    char text[96];
    std::snprintf(text, sizeof text, "Object at 0x%08X belongs to the engine and cannot be deleted",
                  cached->Address());
    EXPECT_EQ(RunThing({OpWord(Op::DeleteObject)}), text);
    ClearStacks();

    // An object held under an ID leaves the table when a script deletes it.
    auto* held = new ScriptObject(thing);
    Cpu().Objects().SetObject(held, 33);
    SetData({held->Address()});
    EXPECT_EQ(RunThing({OpWord(Op::DeleteObject)}), "no error");
    EXPECT_EQ(Cpu().Objects().GetObject(33), nullptr);

    // So does an object that other managers hold, in their tables and object lists: they must not
    // hand it out or destroy it again.
    auto* other = new ObjectManager(&Cpu(), 1);
    auto* listed = new ScriptObject(thing);
    other->SetObject(listed, 4);
    other->AppendObject(listed);
    other->AppendObject(new ScriptObject(thing));
    SetData({listed->Address()});
    EXPECT_EQ(RunThing({OpWord(Op::DeleteObject)}), "no error");
    EXPECT_EQ(other->GetObject(4), nullptr);
    EXPECT_EQ(other->ObjectList().Count(), 1u);
    delete other;
}

// Deleter: its destructor method deletes the object that its field 0 holds.
ClassLibraryBuilder Deleter() {
    ScriptAssembler a;
    const uint32_t m0 = a.Method();
    a.Op(Op::CreateInstance);
    a.Return();
    const uint32_t m1 = a.Method();
    a.Op(Op::PushZero);
    a.Op(Op::FieldAddress);
    a.Op(Op::Fetch);
    a.Op(Op::DeleteObject);
    a.Return();
    auto b = ClassLibraryBuilder::Named("Deleter");
    b.instanceFields = 1;
    b.methods = std::vector<uint32_t>{m0, m1};
    b.code = a.Finish();
    return b;
}

TEST_F(ProcessorObjectTest, AnObjectWhoseDestructionIsUnderWayIsNotDeletedAgain) {
    OpenArchive({Thing(), Deleter()});
    ZEMAClass* deleter = Cpu().ClassByName("Deleter");
    thing = Cpu().ClassByName("Thing");

    // Its destructor deletes the object itself: refused, and the object is deleted once.
    auto* self = new ScriptObject(deleter);
    const uint32_t selfAddress = self->Address();
    self->Field(0) = selfAddress;
    char text[80];
    std::snprintf(text, sizeof text, "Object at 0x%08X is being deleted already", selfAddress);
    SetData({selfAddress});
    EXPECT_EQ(RunThing({OpWord(Op::DeleteObject)}), text);
    EXPECT_EQ(ErrorMessage([&] { ScriptObject::FromAddress(selfAddress, 0, "object"); }),
              "Not a valid object at 0x" + Hex(selfAddress) + " where object expected");
    ClearStacks();

    // Its destructor deletes the object list that is destroying it: refused too, and the error
    // reaches the script that deleted the list once the list and both its items are gone.
    auto* list = new ObjectManager(&Cpu(), 1);
    const uint32_t listAddress = list->Address();
    auto* item = new ScriptObject(deleter);
    item->Field(0) = listAddress;
    list->AppendObject(item);
    const WeakObject other(new ScriptObject(thing));
    list->AppendObject(other.Get());
    SetData({listAddress});
    std::snprintf(text, sizeof text, "Object at 0x%08X is being deleted already", listAddress);
    EXPECT_EQ(RunThing({OpWord(Op::DeleteObject)}), text);
    EXPECT_EQ(ErrorMessage([&] { ScriptObject::FromAddress(listAddress, 0, "object"); }),
              "Not a valid object at 0x" + Hex(listAddress) + " where object expected");
    EXPECT_EQ(other.Get(), nullptr);
}

TEST_F(ProcessorObjectTest, NewObjectAndObjectIds) {
    // NewObject runs method 0 and leaves only the data stack holding the object.
    SetData({thing->Address()});
    EXPECT_EQ(
        RunThing({OpWord(Op::NewObject), OpWord(Op::PushZero), OpWord(Op::ObjectById), OpWord(Op::PushOne),
                  OpWord(Op::ObjectById), OpWord(Op::PushInline), 77, OpWord(Op::ObjectById)}),
        "no error");
    const std::vector<uint32_t> data = Data();
    ASSERT_EQ(data.size(), 4u);
    EXPECT_EQ(ScriptObject::FromAddress(data[0], 0, "new")->Class(), thing);
    EXPECT_EQ(data[1], Cpu().Objects().Address());
    EXPECT_EQ(data[2], Cpu().Classes().Address());
    EXPECT_EQ(data[3], 0u);
    EXPECT_EQ(Cpu().ObjectStack().Depth(), 0u);
    delete ScriptObject::FromAddress(data[0], 0, "new");

    Cpu().SetFrameNumber(-12);
    SetData({});
    EXPECT_EQ(RunThing({OpWord(Op::FrameNumber)}), "no error");
    EXPECT_EQ(Data(), std::vector<uint32_t>{static_cast<uint32_t>(-12)});
}

TEST_F(ProcessorObjectTest, ClassesAndClassFields) {
    SetData({0, 1});
    EXPECT_EQ(RunThing({OpWord(Op::ClassOf), OpWord(Op::Swap), OpWord(Op::ClassOf)}), "no error");
    EXPECT_EQ(Data(), (std::vector<uint32_t>{manager->Address(), thing->Address()}));
    ClearStacks();

    SetData({9, 0, 1});
    EXPECT_EQ(RunThing({OpWord(Op::ClassFieldAddressDrop), OpWord(Op::PushInline), 0, OpWord(Op::PushInline),
                        0, OpWord(Op::ClassFieldAddress)}),
              "no error");
    EXPECT_EQ(Data(),
              (std::vector<uint32_t>{ToScript(&thing->ClassField(1)), ToScript(&thing->ClassField(0))}));
    ClearStacks();

    SetData({2});
    EXPECT_EQ(RunThing({OpWord(Op::ClassOf)}), "Class number 2 not found in class Thing");
    ClearStacks();
    SetData({0, 2});
    EXPECT_EQ(RunThing({OpWord(Op::ClassFieldAddress)}), "Class field 2 not found in class Thing");
    ClearStacks();
    SetData({1, 0});
    EXPECT_EQ(RunThing({OpWord(Op::ClassFieldAddress)}), "Class field 0 not found in class ObjectManager");
}

TEST_F(ProcessorObjectTest, SwapObjectsNeedsTwo) {
    EXPECT_EQ(RunThing({OpWord(Op::SwapObjects)}), "DStack underflow");
}

}  // namespace

TEST_F(ProcessorTest, DestructorsRunWhileTheProcessorGoesFindNoManagers) {
    // Doomed's destructor calls a method on object 20, a list that holds a Doomed: when the
    // processor goes, that call finds no object managers and is an engine error, not a crash.
    ScriptAssembler a;
    const uint32_t create = a.Method();
    a.Op(Op::CreateInstance);
    a.Return();
    const uint32_t destroy = a.Method();
    a.Call(2, 0, ScriptAssembler::Receiver::ObjectId, 20);
    a.Return();
    const uint32_t other = a.Method();
    a.Return();
    auto b = ClassLibraryBuilder::Named("Doomed");
    b.methods = std::vector<uint32_t>{create, destroy, other};
    b.virtualMethods = std::vector<uint32_t>{0, 0};
    b.code = a.Finish();
    OpenArchive({b});
    auto* list = new ObjectManager(processor.get(), 1);
    Cpu().Objects().SetObject(list, 20);
    list->AppendObject(new ScriptObject(Cpu().ClassByName("Doomed")));
    EXPECT_NO_THROW(processor.reset());
}
