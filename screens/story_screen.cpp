#include "screens/story_screen.h"

#include <memory>
#include <string>

#include "graphics/display.h"
#include "graphics/font.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_presenter.h"
#include "graphics/screen_surface.h"
#include "graphics/text_layout.h"
#include "platform/input.h"
#include "platform/key_table.h"
#include "screens/full_screen.h"
#include "script/object_lifetime.h"
#include "script/script_object.h"
#include "shell/game_stop.h"
#include "shell/input_device.h"
#include "shell/input_queue.h"
#include "ui/control.h"
#include "ui/window_services.h"

namespace {

constexpr uint32_t kTextColourEntry = 1;
constexpr int32_t kHeavenStars = 200;
constexpr int kFramesPerStep = 2;

bool KeyQueued() {
    return KeyQueue().Count() >= InputQueue::kValueBytes;
}

// The left button as the story screens read it: bit 15 while down, bit 0 when it went down since
// the last asking.
uint32_t LeftButtonState() {
    static PressWatch clicks;
    Input* input = CurrentInputServices().input;
    if (input == nullptr) return 0;
    uint32_t state = input->KeyDown(VK_LBUTTON) ? 0x8000u : 0u;
    if (clicks.Look(*input, VK_LBUTTON)) state |= 1u;
    return state;
}

int32_t Advance(const Font& font, char c) {
    const auto spacing = static_cast<int32_t>(font.LetterSpacing());
    if (c == ' ') return 3 * spacing;
    return font.GlyphFor(static_cast<uint8_t>(c)).width + spacing;
}

// After the text has gone, or a skip with the repeat flag: true to start the text again.
bool RepeatAgain(uint32_t flags) {
    if ((flags & kStoryRepeat) == 0 || KeyQueued()) return false;
    return LeftButtonState() == 0;
}

class StoryScroll {
  public:
    StoryScroll(Processor& processor, std::string_view text)
        : display_(GameDisplay()),
          buffer_(*display_.Buffer()),
          keep_(buffer_),
          text_(text),
          heaven_(&NewControlByName(processor, "HeavenControl", {kHeavenStars, 0})) {
        font_ = NamedFont(processor, "Story");
        buffer_.SetFont(font_);
        step_ = TextHeight(*font_, "A") + static_cast<int32_t>(font_->LineGap());
        colour_ = ScreenColour(processor, kTextColourEntry);
        width_ = display_.Surface()->Width();
        height_ = display_.Surface()->Height();
    }

    // Destroys the star field here rather than in the destructor, so that an error of its script
    // destructor is heard.
    void End() {
        ControlObject* heaven = heaven_.release();
        if (heaven->Alive()) DestroyObject(heaven);
    }

    // One pass of the text from below the screen, until it has gone or is skipped; each step is a
    // turn of the loop.
    void Pass(ReleaseLoop& loop) {
        int64_t firstY = height_;
        size_t start = 0;
        while (start < text_.size()) {
            loop.Turn();
            for (int i = 0; i < kFramesPerStep; ++i) GameFrameWait();
            if (KeyQueued() || (LeftButtonState() & 1u) != 0) return;
            DrawStep(firstY, start);
            --firstY;
        }
    }

  private:
    void DrawStep(int64_t& firstY, size_t& start) {
        display_.LockSurface();
        display_.Surface()->Fill(0);
        // Drawing runs the star field's script, which may delete it: a field that is gone shows
        // no stars.
        if (heaven_->Alive()) heaven_->Draw(buffer_);
        int64_t y = firstY;
        size_t position = start;
        std::string line;
        while (position < text_.size() && y <= height_) {
            const StoryLine next = NextStoryLine(*font_, text_, position, width_);
            if (y + step_ < 0) {
                // Scrolled off for good: the text now starts after it.
                start = next.next;
                firstY += step_;
            } else if (next.length > 0) {
                line.assign(text_.substr(next.begin, next.length));
                buffer_.DrawTextAligned(line.c_str(), width_ / 2, static_cast<int32_t>(y), colour_, 1, 0, 0);
            }
            position = next.next;
            y += step_;
        }
        display_.Presenter()->ShowFrame();
    }

    Display& display_;
    ScreenBuffer& buffer_;
    KeepFont keep_;
    std::string_view text_;
    std::unique_ptr<ControlObject, ObjectDiscarder> heaven_;
    Font* font_ = nullptr;
    int32_t step_ = 0;
    uint32_t colour_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

}  // namespace

StoryLine NextStoryLine(const Font& font, std::string_view text, size_t start, int32_t width) {
    int64_t sum = 0;
    size_t lastBlank = std::string_view::npos;
    for (size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') return {start, i - start, i + 1};
        if (c == ' ') lastBlank = i;
        sum += Advance(font, c);
        if (sum > width) {
            if (lastBlank == std::string_view::npos) return {start, 0, start + 1};
            return {start, lastBlank - start, lastBlank + 1};
        }
    }
    return {start, text.size() - start, text.size()};
}

void StoryScreen(Processor& processor, std::string_view text, uint32_t flags) {
    // A text holds no NUL: what follows one is not shown.
    text = text.substr(0, text.find('\0'));
    KeyQueue().Drain();
    LeftButtonState();  // clears a click made before the screen opened
    if (text.empty()) {
        // With the repeat flag an empty text still waits, a frame at a time, for a key or a click.
        while ((flags & kStoryRepeat) != 0 && !KeyQueued() && LeftButtonState() == 0) GameFrameWait();
    } else {
        StoryScroll scroll(processor, text);
        // What the star field's drawing makes and destroys is given back at the next step; the field
        // and the font are older than the loop.
        ReleaseLoop loop;
        while (true) {
            scroll.Pass(loop);
            if (!RepeatAgain(flags)) break;
        }
        scroll.End();
    }
    KeyQueue().Drain();
}
