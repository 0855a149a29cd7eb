#include "setup/entered_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include "foundation/exceptions.h"

EnteredFolder::EnteredFolder(const std::string& folder)
    : previous_(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (previous_ < 0 || chdir(folder.c_str()) != 0) {
        if (previous_ >= 0) close(previous_);
        ThrowFatal("Cannot enter the folder %s", folder.c_str());
    }
}

EnteredFolder::~EnteredFolder() {
    // Nothing better is left to do when the old folder has gone meanwhile.
    [[maybe_unused]] const int result = fchdir(previous_);
    close(previous_);
}
