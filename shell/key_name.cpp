#include "shell/key_name.h"

#include "foundation/exceptions.h"

namespace {

MessageTextSource& Source() {
    static MessageTextSource source;
    return source;
}

}  // namespace

void SetKeyNameSource(MessageTextSource source) {
    Source() = std::move(source);
}

const MessageTextSource& InstalledKeyNameSource() {
    return Source();
}

String KeyName(int32_t code) {
    if (code < 0 || code > 256 || !Source()) return "Unknown";
    try {
        return Source()(String("Keys.mes"), static_cast<uint32_t>(code));
    } catch (const WarnExep&) {
        return "Unknown";
    }
}
