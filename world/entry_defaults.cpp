#include "world/entry_defaults.h"

#include "ui/visual.h"
#include "world/actor.h"

void PushEntryDefaults(ActorObject& actor, uint32_t number, DStack<uint32_t>& stack) {
    switch (number) {
        case kPictureVirtual:
            PushPictureAnswer(stack, nullptr, actor.Int(kVisualX), actor.Int(kVisualY), 0);
            break;
        case kLayerVirtual:
            stack.Push(actor.Own(kActorLayer));
            break;
        default:
            for (uint32_t value : VisualEntryAnswer(number)) stack.Push(value);
            break;
    }
}
