// A processor with what the controls look up in place: the fonts "StaticText" and "TextButton", a
// colour table whose entry n is 0x1111 x n, and a hot-key table that maps a character c to 0x100 + c.
// Controls are made through their classes' native 0 as scripts make them, and kept by the fixture.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "script/processor.h"
#include "tests/support/script_texts.h"
#include "tests/support/test_archive.h"
#include "ui/control.h"

class Font;
class Image;

class ControlFixture : public ::testing::Test {
  public:
    static uint32_t Colour(uint32_t n) { return 0x1111u * n; }
    static uint32_t HotKey(uint8_t c) { return 0x100u + c; }

  protected:
    ControlFixture();
    ~ControlFixture() override;

    // The registered class of a native class name.
    ZEMAClass* Class(const char* name);
    // Native 0 of the class; popped: the values the native pops after the class, in pop order.
    ControlObject& Make(const char* className, const std::vector<uint32_t>& popped);
    // Method number of the object's class with the values pushed in order; what it left on the stack
    // (bottom first).
    std::vector<uint32_t> Call(ScriptObject& object, uint32_t number,
                               const std::vector<uint32_t>& pushed = {});
    // Virtual method 13 with (dialog 0, kind, a, b).
    int32_t Input(ControlObject& control, int32_t kind, int32_t a = 0, int32_t b = 0);
    uint32_t Text(const std::string& text) { return texts_.Add(text); }
    Font& FontNamed(const char* name);
    // Deletes a control the fixture made (as a window deleting it would).
    void Delete(ControlObject& control);

    std::unique_ptr<TestArchive> archive;
    std::unique_ptr<Processor> processor;

  private:
    ScriptTexts texts_;
    std::unique_ptr<Image> strip_;  // the colour manager's, which does not own it
    std::map<std::string, ZEMAClass*> classes_;
    std::vector<std::unique_ptr<ScriptObject>> made_;
};
