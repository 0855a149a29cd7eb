#include "campaign/demo_playback.h"

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "script/processor.h"
#include "shell/input_device.h"
#include "world/player.h"

namespace {

constexpr uint32_t kCheckChunk = 4096;

}  // namespace

DemoPlayback::DemoPlayback(Processor& processor, const String& demoFile) {
    FD::File* archive = processor.Archive();
    if (archive == nullptr) ThrowFatal("No archive to read the demo \"%s\" from", demoFile.Text());
    reader_ = std::make_shared<EntryBlockReader>(archive, 1024, 1024, 128);
    reader_->Open(demoFile);
    // A demo is replayed from inside the flight, where a read error would come too late to leave
    // the game as it was: it is read through once now.
    try {
        const uint32_t size = reader_->Size();
        uint8_t chunk[kCheckChunk];
        uint64_t total = 0;
        for (uint32_t n; (n = reader_->Read(chunk, sizeof chunk)) != 0;) total += n;
        if (total != size) ThrowFatal("%u of %u bytes", static_cast<uint32_t>(total), size);
        reader_->SeekTo(0);
    } catch (const DExep& e) {
        ThrowFatal("Damaged demo file \"%s\": %s", demoFile.Text(), e.message.Text());
    }
}

void DemoPlayback::Attach(PlayerObject& player) {
    if (player.Alive() && player.Input() != nullptr) player.Input()->SetPlaybackSource(reader_);
}
