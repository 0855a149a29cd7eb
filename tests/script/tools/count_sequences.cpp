// Counts the operation-word sequences of compiled script code, to choose the sequences that the
// decoded-code cache runs as one instruction. Reads the code chunks ("GLMB") of the class
// libraries (or archives holding them) named on the command line; with none, the code of the
// random programs the tests build from whole word sequences. Prints the most frequent sequences of
// two, three and four operations. Inline words are skipped; calls and returns end a sequence.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "foundation/byte_order.h"
#include "script/operations.h"
#include "tests/support/random_code.h"

namespace {

using Sequence = std::vector<uint32_t>;

// The code words of every "GLMB" chunk in the bytes.
std::vector<std::vector<uint32_t>> CodeChunks(const std::string& bytes) {
    std::vector<std::vector<uint32_t>> chunks;
    for (size_t at = bytes.find("SEGLMB"); at != std::string::npos; at = bytes.find("SEGLMB", at + 6)) {
        if (at + 12 > bytes.size()) break;
        const uint16_t header = LoadU16(bytes.data() + at + 6);
        const uint32_t size = LoadU32(bytes.data() + at + 8);
        const size_t begin = at + 2 + header;
        if (begin > bytes.size() || size > bytes.size() - begin) continue;
        std::vector<uint32_t> words(size / 4);
        for (size_t i = 0; i < words.size(); ++i) words[i] = LoadU32(bytes.data() + begin + 4 * i);
        chunks.push_back(std::move(words));
    }
    return chunks;
}

// Adds the sequences of length n that start at each operation word.
void Count(const std::vector<uint32_t>& code, size_t n, std::map<Sequence, uint64_t>& counts) {
    std::vector<uint32_t> ops;  // the operations in order; kOperationCount marks a break
    for (size_t i = 0; i < code.size(); ++i) {
        const InstructionWord w{code[i]};
        if (!w.IsOperation() || w.Operation() >= kOperationCount) {
            ops.push_back(kOperationCount);
            continue;
        }
        ops.push_back(w.Operation());
        const InlineWords words = Operation(w.Operation()).inlineWords;
        if (words == InlineWords::One) ++i;
        if (words == InlineWords::Counted && i + 1 < code.size()) i += 1 + code[i + 1];
    }
    for (size_t i = 0; i + n <= ops.size(); ++i) {
        const Sequence s(ops.begin() + static_cast<std::ptrdiff_t>(i),
                         ops.begin() + static_cast<std::ptrdiff_t>(i + n));
        if (std::find(s.begin(), s.end(), kOperationCount) == s.end()) ++counts[s];
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::vector<uint32_t>> corpus;
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "count_sequences: cannot read %s\n", argv[i]);
            return 1;
        }
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (auto& chunk : CodeChunks(bytes)) corpus.push_back(std::move(chunk));
    }
    if (argc == 1) {
        RandomCode random(1);
        for (int i = 0; i < 2000; ++i) corpus.push_back(random.Build(RandomCodeShape{0x02000000u, 8, 3, 2}));
    }
    for (size_t n = 2; n <= 4; ++n) {
        std::map<Sequence, uint64_t> counts;
        for (const auto& code : corpus) Count(code, n, counts);
        std::vector<std::pair<uint64_t, Sequence>> ranked;
        for (const auto& [s, c] : counts) ranked.emplace_back(c, s);
        std::sort(ranked.rbegin(), ranked.rend());
        std::printf("sequences of %zu:\n", n);
        for (size_t i = 0; i < ranked.size() && i < 12; ++i) {
            std::printf("%8llu ", static_cast<unsigned long long>(ranked[i].first));
            for (uint32_t op : ranked[i].second) std::printf(" %s", Operation(op).name);
            std::printf("\n");
        }
    }
    return 0;
}
