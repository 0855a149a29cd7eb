// The script class through which scripts reach the screen: its size and depth, two of the screen
// settings' flags, text and frame drawing into the screen buffer, and the buffer's current font.
// It holds no display of its own: every method asks for the display's buffer at the time of the
// call, so a display rebuilt by the options screen is picked up.
#pragma once

#include <functional>

#include "script/zema_class.h"

class ScreenBuffer;

class ZEMAScreen : public ZEMAClass {
  public:
    // The buffer of the current display; null while there is none.
    using BufferSource = std::function<ScreenBuffer*()>;

    ZEMAScreen(MethodRunner* processor, BufferSource buffer);

    bool IsKindOf(const char* name) const override;
    void RegisterMethods(ZEMAClass& target) override;
    void ReserveMethodTables(ZEMAClass& target) override;
    const String& ClassName() const override;

    // The current buffer, with a surface; FatalExep when the display is not there.
    ScreenBuffer& Buffer() const;

  private:
    BufferSource buffer_;
};

// Binds ZEMAScreen's native methods (4 to 13) into target, after the ZEMAClass ones.
void BindZEMAScreenMethods(ZEMAClass& target);

// Registers the binders of the screen classes (FontManager, ZEMAScreen) by class name.
void RegisterScreenNatives();
