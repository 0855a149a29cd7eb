#include "tests/support/slot_container.h"

#include "foundation/block_reader.h"
#include "foundation/container_writer.h"
#include "foundation/fw.h"
#include "tests/support/temp_dir.h"

SlotContainer::SlotContainer() : DataBlock(14, true) {
    SetSignature("SCFG");
}

void SlotContainer::ReadChunk(BlockReader& reader, const uint8_t* signature) {
    children.TakeChunk(reader, signature);
}

void SlotContainer::Store(FW& fw) const {
    if (children.Count() == 0) {
        fw << *this;
        return;
    }
    WriteContainerHead(fw, *this, children.Count(), children.StoredSize());
    children.Store(fw);
}

std::string WrittenBlockBytes(const TempDir& dir, const std::function<void(FW&)>& store) {
    const std::string path = (dir / "written.blk").string();
    FW fw;
    fw.Create(String(path.c_str()));
    store(fw);
    fw.Close();
    return dir.Read("written.blk");
}

void ReadBlockBytes(const TempDir& dir, const std::string& name, const std::string& bytes, DataBlock& block) {
    const std::string path = dir.Write(name, bytes).string();
    FileBlockReader reader;
    reader.Open(String(path.c_str()));
    reader >> block;
}
