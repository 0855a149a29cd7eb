// Classes and the objects that name them: a script cannot delete a class a ClassManager holds, nor a
// class (or ClassManager) whose objects live; when the engine itself lets classes go (the processor
// goes), their objects move to the unloaded class, lose their script value and run no method.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "script/class_manager.h"
#include "script/object_manager.h"
#include "tests/script/processor_fixture.h"
#include "tools/content/script_assembler.h"

namespace {

// Thing: method 0 creates an instance, virtual method 2 pushes 7.
ClassLibraryBuilder Thing() {
    ScriptAssembler a;
    const uint32_t create = a.Method();
    a.Op(Op::CreateInstance);
    a.Return();
    const uint32_t destroy = a.Method();
    a.Return();
    const uint32_t seven = a.Method();
    a.Op(Op::PushInline);
    a.Word(7);
    a.Return();
    auto b = ClassLibraryBuilder::Named("Thing");
    b.instanceFields = 2;
    b.methods = std::vector<uint32_t>{create, destroy};
    b.virtualMethods = std::vector<uint32_t>{0, 0, seven};
    b.code = a.Finish();
    return b;
}

std::string Refusal(const char* format, uint32_t address) {
    char text[120];
    std::snprintf(text, sizeof text, format, address);
    return text;
}

class ClassLifetimeTest : public ProcessorTest {
  protected:
    void SetUp() override {
        OpenArchive({Thing()});
        thing = Cpu().ClassByName("Thing");
    }

    // What a script does: a new ClassManager over the engine's archive.
    ClassManager* NewManager() {
        SetData({});
        const std::string error =
            Run({OpWord(Op::PushInline), 1, OpWord(Op::PushInline), Cpu().Archive()->Address(),
                 OpWord(Op::PushInline), Cpu().Classes().Address(), OpWord(Op::NewObject)});
        EXPECT_EQ(error, "no error");
        auto* made = dynamic_cast<ClassManager*>(ScriptObject::FromAddress(Data().at(0), 0, "manager"));
        ClearStacks();
        return made;
    }

    std::string Delete(const ScriptObject* target) {
        SetData({target->Address()});
        const std::string error = Run({OpWord(Op::DeleteObject)});
        ClearStacks();
        return error;
    }

    std::string Run(std::vector<uint32_t> words) {
        words.push_back(kReturnWord);
        return ErrorMessage([&] { RunOn(thing, object.get(), words); });
    }

    ZEMAClass* thing = nullptr;
};

TEST_F(ClassLifetimeTest, ScriptsCannotDeleteAClassThatSomethingNeeds) {
    ClassManager* made = NewManager();
    ZEMAClass* madeThing = made->Get("Thing");
    ASSERT_NE(madeThing, thing);
    auto* ofMade = new ScriptObject(madeThing);
    auto* list = new ObjectManager(&Cpu(), 1);
    auto* ofList = new ScriptObject(list);

    struct Case {
        const char* what;
        ScriptObject* target;
        std::string error;
    };
    const char* const engines = "Object at 0x%08X belongs to the engine and cannot be deleted";
    for (const Case& c : {
             Case{"the root class of a script's ClassManager", made->FindClass("ZEMAClass"),
                  Refusal(engines, made->FindClass("ZEMAClass")->Address())},
             Case{"a class a script's ClassManager loaded", madeThing,
                  Refusal(engines, madeThing->Address())},
             Case{"a class the engine loaded", thing, Refusal(engines, thing->Address())},
             Case{"a ClassManager whose class has an object", made,
                  "ClassManager still has objects of class Thing and cannot be deleted"},
             Case{"an object list that is the class of an object", list,
                  "Class ObjectManager still has 1 objects and cannot be deleted"},
         }) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Delete(c.target), c.error);
    }
    // Everything is still there and works.
    SetData({});
    EXPECT_EQ(ErrorMessage([&] { Cpu().CallVirtual(ofMade, 2); }), "no error");
    EXPECT_EQ(Data(), std::vector<uint32_t>{7});
    ClearStacks();

    // Once their objects are gone, both go, each once.
    for (ScriptObject* target : std::vector<ScriptObject*>{ofMade, made, ofList, list})
        EXPECT_EQ(Delete(target), "no error");

    // A list a script deletes lets go of the engine's classes and managers without deleting them.
    auto* holder = new ObjectManager(&Cpu(), 1);
    for (ScriptObject* held : std::vector<ScriptObject*>{thing, &Cpu().Classes(), &Cpu()})
        holder->AppendObject(held);
    EXPECT_EQ(Delete(holder), "no error");
    EXPECT_EQ(Cpu().ClassByName("Thing"), thing);
}

TEST_F(ClassLifetimeTest, ObjectsOutlivingTheirProcessorRunNothing) {
    // Held by the test, by an object list nothing deletes, and of a ClassManager nothing deletes.
    std::unique_ptr<ScriptObject> held(new ScriptObject(thing));
    auto* list = new ObjectManager(&Cpu(), 1);
    auto* listed = new ScriptObject(thing);
    list->AppendObject(listed);
    ClassManager* made = NewManager();
    auto* ofMade = new ScriptObject(made->Get("Thing"));
    const uint32_t heldAddress = held->Address();

    processor.reset();
    EXPECT_EQ(held->Class(), &ZEMAClass::UnloadedClass());
    EXPECT_EQ(listed->Class(), &ZEMAClass::UnloadedClass());
    EXPECT_EQ(ErrorMessage([&] { ScriptObject::FromAddress(heldAddress, 0, "object"); }),
              Refusal("Not a valid object at 0x%08X where object expected", heldAddress));
    EXPECT_EQ(made->GetProcessor(), nullptr);
    EXPECT_EQ(ofMade->Class()->GetProcessor(), nullptr);

    // A new engine: the leftovers are destroyed without any script running.
    OpenArchive({Thing()});
    EXPECT_EQ(ErrorMessage([&] { DestroyObject(held.release()); }), "no error");
    EXPECT_EQ(ErrorMessage([&] { DestroyObject(list); }), "no error");
    EXPECT_EQ(ErrorMessage([&] { DestroyObject(made); }),
              "ClassManager still has objects of class Thing and cannot be deleted");
    EXPECT_EQ(ErrorMessage([&] { DestroyObject(ofMade); }), "no error");
    EXPECT_EQ(ErrorMessage([&] { DestroyObject(made); }), "no error");
}

}  // namespace
