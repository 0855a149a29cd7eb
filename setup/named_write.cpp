#include "setup/named_write.h"

#include "foundation/exceptions.h"

void NamingFile(const std::string& path, const std::function<void()>& write) {
    try {
        write();
    } catch (const DExep& e) {
        ThrowFatalCoded(e.code, e.number, "%s \"%s\"", e.message.Text(), path.c_str());
    }
}
