// A processor for the Scenario, Level and Maze tests: the world's natives bound, a screen object
// (object 9) over a 320 x 200 frame, class libraries served from a test archive, and calls of
// numbered methods with pushed arguments whose results come back as a vector.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/config_blocks.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "script/processor.h"
#include "tests/support/class_library_builder.h"
#include "tests/support/test_archive.h"

class SceneFixture : public ::testing::Test {
  protected:
    static constexpr int32_t kScreenWidth = 320;

    SceneFixture();
    ~SceneFixture() override;

    // A new processor whose archive serves the libraries; withScreen false leaves object 9 empty.
    void Open(const std::vector<ClassLibraryBuilder>& libraries, bool withScreen = true);

    // Pushes the values in order, creates an object of the class by name; the main object list
    // keeps it.
    ScriptObject* New(const char* className, const std::vector<uint32_t>& pushed = {});
    // Pushes the values in order, runs method n of the named class (or virtual method n of the
    // object's class) and gives what it left on the data stack, bottom first.
    std::vector<uint32_t> Call(ScriptObject* object, const char* className, uint32_t n,
                               const std::vector<uint32_t>& pushed = {});
    std::vector<uint32_t> CallVirtual(ScriptObject* object, uint32_t n,
                                      const std::vector<uint32_t>& pushed = {});
    // Everything on the data stack, bottom first; the stack is left empty.
    std::vector<uint32_t> TakeData();

    Processor& Cpu() { return *processor; }

    ScreenSettingsBlock settings;
    std::unique_ptr<MemorySurface> surface;
    ScreenBuffer buffer{nullptr};
    std::unique_ptr<TestArchive> archive;
    std::unique_ptr<Processor> processor;
};

// A library of one class derived from the native base: method 0 creates through the base's, the
// given virtual methods run script code (empty slots elsewhere); each body is the words before its
// return word.
ClassLibraryBuilder DerivedClass(const char* name, const char* base, uint32_t virtualCount,
                                 const std::vector<std::pair<uint32_t, std::vector<uint32_t>>>& bodies = {});
