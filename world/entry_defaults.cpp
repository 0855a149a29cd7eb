#include "world/entry_defaults.h"

#include "ui/visual.h"
#include "world/actor.h"

void PushEntryDefaults(ActorObject& actor, uint32_t number, DStack<uint32_t>& stack) {
    switch (number) {
        case kPictureVirtual:
            stack.Push(0);
            stack.Push(actor.Own(kVisualY));
            stack.Push(actor.Own(kVisualX));
            stack.Push(0);
            break;
        case kLayerVirtual:
            stack.Push(actor.Own(kActorLayer));
            break;
        default:
            for (uint32_t value : VisualEntryAnswer(number)) stack.Push(value);
            break;
    }
}
