#include "foundation/block_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "foundation/exceptions.h"
#include "tests/support/error_message.h"
#include "tests/support/open_descriptors.h"
#include "tests/support/temp_dir.h"
#include "tools/content/fd_writer.h"

namespace {

struct OpenedFile {
    explicit OpenedFile(const std::string& bytes) {
        path = dir.Write("content.txt", bytes).string();
        reader.Open(String(path.c_str()));
    }
    TempDir dir;
    std::string path;
    FileBlockReader reader;
};

std::string Word(BlockReader& reader) {
    String w;
    reader >> w;
    return w.Text();
}

std::string Text(BlockReader& reader) {
    String t;
    reader >> QuotedText{t};
    return t.Text();
}

std::string Rest(BlockReader& reader) {
    std::string out;
    for (int c; (c = reader.ReadByte()) >= 0;) out.push_back(static_cast<char>(c));
    return out;
}

// Content with some repetition (so it packs) and every byte value.
std::string SampleContent(size_t n) {
    std::string s;
    uint32_t x = 12345;
    while (s.size() < n) {
        x = x * 214013 + 2531011;
        if ((x >> 16) % 3 == 0) {
            s += "block of repeated text ";
        } else {
            s.push_back(static_cast<char>(x >> 24));
        }
    }
    s.resize(n);
    return s;
}

}  // namespace

TEST(BlockReaderText, WordsEndAtBlanksAndLineBreaks) {
    OpenedFile file("  abc def\r\n\r\nghi");
    EXPECT_EQ(Word(file.reader), "abc");
    EXPECT_EQ(Word(file.reader), "def");
    EXPECT_EQ(Word(file.reader), "ghi");
    EXPECT_EQ(Word(file.reader), "");
    EXPECT_EQ(Word(file.reader), "");
}

TEST(BlockReaderText, ATabBelongsToTheWord) {
    OpenedFile file("\tabc next");
    EXPECT_EQ(Word(file.reader), "\tabc");
    EXPECT_EQ(file.reader.ReadByte(), 'n');  // the separator was consumed
}

TEST(BlockReaderText, LongWordsAreReadWhole) {
    std::string word(2000, 'w');
    word[1500] = 'x';
    OpenedFile file(word + " tail");
    EXPECT_EQ(Word(file.reader), word);
    EXPECT_EQ(Word(file.reader), "tail");
}

TEST(BlockReaderText, SkipSpaceSkipsCommentLines) {
    OpenedFile file("  // a comment\n\rx");
    file.reader.SkipSpace();
    EXPECT_EQ(file.reader.ReadByte(), 'x');

    OpenedFile slash("/x");
    slash.reader.SkipSpace();
    EXPECT_EQ(Rest(slash.reader), "/x");

    OpenedFile lone("\t\n /");
    lone.reader.SkipSpace();
    EXPECT_EQ(Rest(lone.reader), "/");

    OpenedFile lines("//one\n//two\n\tvalue // trailing");
    lines.reader.SkipSpace();
    EXPECT_EQ(Word(lines.reader), "value");
}

TEST(BlockReaderText, QuotedTextsKeepTheirBlanks) {
    OpenedFile file("\"two words\" rest \"open");
    EXPECT_EQ(Text(file.reader), "two words");
    file.reader.SkipSpace();
    EXPECT_EQ(Text(file.reader), "rest");
    file.reader.SkipSpace();
    EXPECT_EQ(Text(file.reader), "open");  // ends with the content
    EXPECT_EQ(Text(file.reader), "");

    OpenedFile stop(
        "\"ab\xFF"
        "cd\"");
    EXPECT_EQ(Text(stop.reader), "ab");
    EXPECT_EQ(Rest(stop.reader), "cd\"");
}

TEST(BlockReader, ReadsPeeksSkipsAndSeeks) {
    std::string content = SampleContent(5000);
    OpenedFile file(content);
    BlockReader& r = file.reader;
    EXPECT_FALSE(r.IsPacked());
    EXPECT_EQ(r.Size(), 5000u);
    char buf[3000];
    ASSERT_EQ(r.Read(buf, 10), 10u);
    char peek[100];
    ASSERT_EQ(r.PeekAt(peek, 100, 28), 100u);
    EXPECT_EQ(std::string(peek, 100), content.substr(38, 100));
    EXPECT_EQ(r.Tell(), 10u);  // peeking consumes nothing
    r.Skip(2000);
    EXPECT_EQ(r.Tell(), 2010u);
    EXPECT_EQ(r.ReadByte(), static_cast<uint8_t>(content[2010]));
    EXPECT_EQ(r.Seek(-11, 1), 2000u);
    ASSERT_EQ(r.Read(buf, 3000), 3000u);
    EXPECT_EQ(std::string(buf, 3000), content.substr(2000));
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(r.Seek(100, 2), 5000u);  // clamped to the content
    EXPECT_EQ(r.Seek(-7, 0), 0u);
    r.Skip(1000000);
    EXPECT_EQ(r.Tell(), 5000u);
    EXPECT_EQ(r.ReadByte(), -1);
}

TEST(BlockReader, PackedContentReadsLikeThePlainContent) {
    std::string content = SampleContent(60000);
    std::string packed = SepkPacked(content);
    ASSERT_LT(packed.size(), content.size());
    OpenedFile plain(content);
    OpenedFile file(packed);
    BlockReader& r = file.reader;
    EXPECT_TRUE(r.IsPacked());
    EXPECT_EQ(r.Size(), content.size());

    // Uneven pieces, so reads cross the input buffer's refills.
    std::string got;
    char buf[1500];
    for (uint32_t piece = 1; got.size() < content.size(); piece = piece * 7 % 1499 + 1) {
        uint32_t n = r.Read(buf, piece);
        char expected[1500];
        ASSERT_EQ(plain.reader.Read(expected, piece), n);
        ASSERT_EQ(std::string(buf, n), std::string(expected, n)) << "at " << got.size();
        got.append(buf, n);
        if (n == 0) break;
    }
    EXPECT_EQ(got, content);
    EXPECT_TRUE(r.AtEnd());

    // Back to the start restarts unpacking; forward and backward seeks land on the right byte.
    EXPECT_EQ(r.Seek(0, 0), 0u);
    EXPECT_EQ(r.ReadByte(), static_cast<uint8_t>(content[0]));
    for (uint32_t target : {40000u, 123u, 59999u, 20000u, 20001u, 0u}) {
        ASSERT_EQ(r.Seek(target, 0), target);
        ASSERT_EQ(r.ReadByte(), static_cast<uint8_t>(content[target])) << target;
    }
    r.Seek(30000, 0);
    r.Skip(25000);
    EXPECT_EQ(r.Tell(), 55000u);
    EXPECT_EQ(r.ReadByte(), static_cast<uint8_t>(content[55000]));
}

TEST(BlockReader, PackedWordsAndTexts) {
    OpenedFile file(SepkPacked("// header\n\"Font One\" font1.dff\nSmall small.dff\n"));
    std::vector<std::string> fields;
    while (!file.reader.AtEnd()) {
        file.reader.SkipSpace();
        fields.push_back(Text(file.reader));
    }
    EXPECT_EQ(fields, (std::vector<std::string>{"Font One", "font1.dff", "Small", "small.dff"}));
}

TEST(BlockReader, OpenFailures) {
    TempDir dir;
    FileBlockReader files;
    std::string missing = (dir / "none.bin").string();
    try {
        files.Open(String(missing.c_str()));
        FAIL();
    } catch (const FatalExep& e) {
        EXPECT_EQ(e.code, 1);
        EXPECT_EQ(std::string(e.message.Text()), "FR::File \"" + missing + "\"Not Found");
    }
    EntryBlockReader entries(nullptr);
    try {
        entries.Open("Keys.INPD");
        FAIL();
    } catch (const FatalExep& e) {
        EXPECT_EQ(e.message, "File Directory is not assigned");
    }
    // A SEPK header with an unknown method is refused, and the file is not left open.
    std::string bad = SepkPacked("abc");
    bad[12] = 1;
    dir.Write("bad.bin", bad);
    int before = OpenDescriptors();
    try {
        files.Open(String((dir / "bad.bin").string().c_str()));
        FAIL();
    } catch (const FatalExep& e) {
        EXPECT_NE(std::string(e.message.Text()).find("Only LZW files compression supported"),
                  std::string::npos);
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(BlockReader, AFileThatIsThereButCannotBeReadIsNotReportedAsMissing) {
    TempDir dir;
    dir.Write("main.FD/inside", "a folder called main.FD");
    dir.Write("locked.FD", "no read permission");
    std::filesystem::permissions(dir / "locked.FD", std::filesystem::perms::owner_write);
    const bool permissionsApply = geteuid() != 0;
    const struct {
        const char* name;
        const char* error;  // after the quoted name
    } cases[] = {
        {"none.FD", "Not Found"},
        {"main.FD", " is a folder"},
        {"MAIN.fd", " is a folder"},
        {"locked.FD", permissionsApply ? " cannot be read (Permission denied)" : ""},
    };
    FileBlockReader files;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (*c.error == '\0') continue;  // root reads every file
        const std::string name = (dir / c.name).string();
        EXPECT_EQ(ErrorMessage([&] { files.Open(String(name.c_str())); }),
                  "FR::File \"" + name + "\"" + c.error);
    }
}

TEST(BlockReader, OpeningAgainClosesTheFirstFile) {
    TempDir dir;
    dir.Write("a.txt", "first");
    dir.Write("b.txt", "second");
    FileBlockReader reader;
    reader.Open(String((dir / "a.txt").string().c_str()));
    int withOne = OpenDescriptors();
    reader.Open(String((dir / "b.txt").string().c_str()));
    EXPECT_EQ(OpenDescriptors(), withOne);
    EXPECT_EQ(Rest(reader), "second");
    reader.Close();
    EXPECT_EQ(OpenDescriptors(), withOne - 1);
}
