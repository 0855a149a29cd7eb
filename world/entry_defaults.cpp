#include "world/entry_defaults.h"

#include "world/actor.h"

void PushEntryDefaults(ActorObject& actor, uint32_t number, DStack<uint32_t>& stack) {
    switch (number) {
        case kPictureVirtual:
            stack.Push(0);
            stack.Push(actor.Own(kVisualY));
            stack.Push(actor.Own(kVisualX));
            stack.Push(0);
            break;
        case 9:
            stack.Push(0);
            stack.Push(2);
            break;
        case kLayerVirtual:
            stack.Push(actor.Own(kActorLayer));
            break;
        case 11:
            for (int k = 0; k < 4; ++k) stack.Push(0);
            break;
        default:
            stack.Push(0);
            break;
    }
}
