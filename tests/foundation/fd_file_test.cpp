#include "foundation/fd_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "tests/support/open_descriptors.h"
#include "tests/support/temp_dir.h"
#include "tests/support/working_folder.h"
#include "tools/content/block_writer.h"
#include "tools/content/fd_writer.h"

namespace {

// An archive file opened the way start-up opens "main.FD".
struct Archive {
    explicit Archive(const std::string& bytes, uint32_t mode = 2) {
        path = dir.Write("main.FD", bytes).string();
        reader.Open(String(path.c_str()));
        archive = std::make_unique<FD::File>(&reader, mode, 10);
    }
    TempDir dir;
    std::string path;
    FileBlockReader reader;
    std::unique_ptr<FD::File> archive;
};

std::string ReadEntry(FD::File& archive, const char* name) {
    EntryBlockReader reader(&archive);
    reader.Open(name);
    std::string out;
    for (int c; (c = reader.ReadByte()) >= 0;) out.push_back(static_cast<char>(c));
    return out;
}

// The message of the engine error that building an archive from bytes throws.
// The error of the directory, with the archive's path shortened to its name.
std::string DirectoryError(const std::string& bytes) {
    TempDir dir;
    FileBlockReader reader;
    const std::string path = dir.Write("main.FD", bytes).string();
    reader.Open(String(path.c_str()));
    try {
        FD::File archive(&reader, 2, 10);
    } catch (const FatalExep& e) {
        std::string message = e.message.Text();
        if (const size_t at = message.find(path); at != std::string::npos)
            message.replace(at, path.size(), "main.FD");
        return message;
    }
    return "<no error>";
}

const std::vector<FdEntry> kThree = {{"Misc\\Default.col", "colours"}, {"Keys.INPD", "keys!"}, {"a", "A"}};

}  // namespace

TEST(FDFile, DirectoryOfOneGroup) {
    for (char layout : {'M', 'C'}) {
        FdWriter w;
        w.layout = layout;
        w.Group(kThree);
        std::string bytes = w.Build();
        Archive a(bytes);
        ASSERT_EQ(a.archive->EntryCount(), 3u);
        EXPECT_EQ(LoadU16(a.archive->Header() + 12), 3);
        const FD::Entry* e = a.archive->FindEntry("Keys.INPD");
        ASSERT_NE(e, nullptr);
        // The data block's payload holds the entries one after another.
        size_t dataAt = bytes.find("colourskeys!A");
        ASSERT_NE(dataAt, std::string::npos);
        EXPECT_EQ(e->position, dataAt + 7);
        EXPECT_EQ(e->size, 5u);
        EXPECT_EQ(ReadEntry(*a.archive, "Misc\\Default.col"), "colours");
        EXPECT_EQ(ReadEntry(*a.archive, "a"), "A");
    }
}

TEST(FDFile, EntriesSortDescendingWithoutCase) {
    FdWriter w;
    w.Group({{"a", "1"}, {"B", "2"}, {"c", "3"}}).Group({{"b", "4"}, {"A", "5"}});
    Archive a(w.Build());
    std::vector<std::string> order;
    for (uint32_t i = 0; i < a.archive->EntryCount(); ++i) order.push_back(a.archive->EntryAt(i).name);
    EXPECT_EQ(order, (std::vector<std::string>{"c", "B", "b", "a", "A"}));  // equal names keep their order
    EXPECT_EQ(FD::CompareNames("B", "b"), 0);
    EXPECT_GT(FD::CompareNames("b", "a"), 0);
    EXPECT_EQ(ReadEntry(*a.archive, "C"), "3");
}

TEST(FDFile, LookupIgnoresCaseButNotSlashes) {
    FdWriter w;
    w.Group(kThree);
    Archive a(w.Build());
    EXPECT_EQ(ReadEntry(*a.archive, "MISC\\default.COL"), "colours");
    try {
        a.archive->Open("Misc/Default.col");
        FAIL();
    } catch (const FatalExep& e) {
        EXPECT_EQ(e.code, 1);
        EXPECT_EQ(e.message, "FD::File \"Misc/Default.col\" Not Found");
    }
    for (const char* absent : {"", "b", "Misc", "Misc\\Default.co", "zzz", "0"}) {
        EXPECT_EQ(a.archive->FindEntry(absent), nullptr) << absent;
    }
    a.archive->SetDirectory("Misc");
    EXPECT_EQ(a.archive->Directory(), "Misc\\");
    EXPECT_EQ(ReadEntry(*a.archive, "default.col"), "colours");
}

TEST(FDFile, LooseFilesComeFirstInMode0) {
    FdWriter w;
    w.Group(kThree);
    std::string bytes = w.Build();
    TempDir game;
    game.Write("main.FD", bytes);
    game.Write("keys.inpd", "loose keys");
    game.Write("Add/A", "added");
    WorkingFolder here(game.Absolute());
    FileBlockReader reader;
    reader.Open("main.FD");
    FD::File loose(&reader, 0, 10);
    EXPECT_EQ(ReadEntry(loose, "Keys.INPD"), "loose keys");
    loose.SetDirectory("add\\");
    EXPECT_EQ(ReadEntry(loose, "a"), "added");

    reader.Seek(0, 0);
    FD::File archived(&reader, 2, 10);
    EXPECT_EQ(ReadEntry(archived, "Keys.INPD"), "keys!");

    reader.Seek(0, 0);
    FD::File entriesFirst(&reader, 1, 10);
    EXPECT_EQ(ReadEntry(entriesFirst, "Keys.INPD"), "keys!");
    entriesFirst.SetDirectory("Add");
    EXPECT_EQ(ReadEntry(entriesFirst, "a"), "A");
}

TEST(FDFile, HandlesSeekAndReuse) {
    TempDir game;
    game.Write("loose.txt", "0123456789");
    WorkingFolder here(game.Absolute());
    FdWriter w;
    w.Group(kThree);
    Archive a(w.Build(), 0);
    FD::File& fd = *a.archive;
    int h0 = fd.Open("a"), h1 = fd.Open("Keys.INPD"), h2 = fd.Open("loose.txt");
    EXPECT_EQ(std::vector<int>({h0, h1, h2}), std::vector<int>({0, 1, 2}));
    for (int h : {h1, h2}) {
        EXPECT_EQ(fd.Seek(h, -5, 0), 0u);
        EXPECT_EQ(fd.Seek(h, 10, 2), fd.Size(h));
        EXPECT_EQ(fd.Seek(h, -3, 1), fd.Size(h) - 3);
        char buf[8];
        EXPECT_EQ(fd.Read(h, buf, 8), 3u);
    }
    EXPECT_EQ(fd.Size(h2), 10u);
    fd.Close(h1);
    EXPECT_EQ(fd.Size(h1), 0u);
    EXPECT_EQ(fd.Seek(h1, 1, 0), 0u);
    char c;
    EXPECT_EQ(fd.Read(h1, &c, 1), 0u);
    EXPECT_EQ(fd.Read(-1, &c, 1), 0u);
    EXPECT_EQ(fd.Open("a"), 1);
    EXPECT_EQ(fd.Open("a"), 3);
}

TEST(FDFile, PackedEntriesReadLikePlainOnes) {
    std::string text;
    for (int i = 0; i < 500; ++i) text += "line " + std::to_string(i) + "\n";
    FdWriter w;
    w.Group({{"plain.txt", text}, {"packed.txt", text, true}});
    Archive a(w.Build());
    EXPECT_LT(a.archive->FindEntry("packed.txt")->size, text.size());
    EXPECT_EQ(ReadEntry(*a.archive, "packed.txt"), text);
    EntryBlockReader reader(a.archive.get());
    reader.Open("packed.txt");
    EXPECT_TRUE(reader.IsPacked());
    EXPECT_EQ(reader.Size(), text.size());
    reader.Seek(3000, 0);
    reader.Seek(0, 0);
    String word;
    reader >> word;
    EXPECT_EQ(word, "line");
}

TEST(FDFile, DirectoryErrors) {
    auto group = FdWriter::GroupBlocks(kThree);
    EXPECT_EQ(DirectoryError(FdWriter::Directory('M', {group[0], group[1], group[2]})),
              "Wrong FD file format: some of basic signatures missed in \"main.FD\"");
    EXPECT_EQ(DirectoryError(FdWriter::Directory('M', {group[0], group[0], group[1], group[2], group[3]})),
              "Wrong FD file format: items number in basic signatures are differend in \"main.FD\"");
    // Three offsets but two names.
    auto names = FdWriter::NamesBlock({"Misc\\Default.col", "Keys.INPD"});
    EXPECT_EQ(DirectoryError(FdWriter::Directory('M', {names, group[1], group[2], group[3]})),
              "Wrong names block number 0 in FD \"main.FD\"");
}

// Damaged directories that would have read past a buffer or pointed outside the archive.
TEST(FDFile, DamagedDirectoriesAreRefused) {
    auto group = FdWriter::GroupBlocks(kThree);
    auto contains = [](const std::string& message, const char* what) {
        EXPECT_EQ(message.rfind("Wrong FD file format", 0), 0u) << message;
        EXPECT_NE(message.find(what), std::string::npos) << message;
    };
    auto shortSizes = FdWriter::U32Block("FDS", {7, 5});
    contains(DirectoryError(FdWriter::Directory('M', {group[0], group[1], shortSizes, group[3]})),
             "sizes block number 0");

    std::string unterminated = SEBlock("FDN", std::string("Misc\\Default.col\0Keys.INPD\0a", 28));
    contains(DirectoryError(FdWriter::Directory('M', {unterminated, group[1], group[2], group[3]})),
             "unterminated name in names block number 0");

    // The last name of group 0 runs on into the names of group 1.
    auto second = FdWriter::GroupBlocks({{"z", "Z"}});
    contains(DirectoryError(FdWriter::Directory('M', {unterminated, group[1], group[2], group[3], second[0],
                                                      second[1], second[2], second[3]})),
             "unterminated name in names block number 0");

    auto farOffset = FdWriter::U32Block("FDO", {0, 7, 0x7FFFFFF0});
    contains(DirectoryError(FdWriter::Directory('M', {group[0], farOffset, group[2], group[3]})),
             "entry \"a\" lies outside the archive");
    auto hugeSize = FdWriter::U32Block("FDS", {7, 0xFFFFFFFF, 1});
    contains(DirectoryError(FdWriter::Directory('M', {group[0], group[1], hugeSize, group[3]})),
             "entry \"Keys.INPD\" lies outside the archive");
}

TEST(FDFile, AFailedDirectoryLeavesNothingForTheNextArchive) {
    auto group = FdWriter::GroupBlocks(kThree);
    // Fails after collecting one whole group and the names of a second.
    std::string damaged = FdWriter::Directory('M', {group[0], group[1], group[2], group[3], group[0]});
    EXPECT_NE(DirectoryError(damaged), "<no error>");
    FdWriter w;
    w.Group({{"only", "1"}});
    Archive a(w.Build());
    EXPECT_EQ(a.archive->EntryCount(), 1u);
}

TEST(FDFile, LooseFilesStillOpenAreClosedWithTheArchive) {
    TempDir game;
    game.Write("loose.txt", "x");
    WorkingFolder here(game.Absolute());
    FdWriter w;
    w.Group(kThree);
    auto a = std::make_unique<Archive>(w.Build(), 0);
    int before = OpenDescriptors();
    a->archive->Open("loose.txt");
    EXPECT_EQ(OpenDescriptors(), before + 1);
    a->archive.reset();
    EXPECT_EQ(OpenDescriptors(), before);
}
