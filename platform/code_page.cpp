#include "platform/code_page.h"

#include <cerrno>

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Length of the UTF-8 sequence that starts with this byte (1 for a stray byte, so it is skipped).
size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

std::string AsciiOnly(std::string_view text) {
    std::string out;
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x80) out.push_back(c);
    return out;
}

// Converts what can be converted; an input sequence that cannot is skipped (one UTF-8 sequence,
// or one byte of a single-byte code page).
std::string Convert(iconv_t cd, std::string_view text, size_t maxGrowth, bool fromUtf8) {
    if (cd == kNoConverter) return AsciiOnly(text);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out(text.size() * maxGrowth, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* dst = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;  // no room: cannot happen with maxGrowth
        size_t skip = fromUtf8 ? SequenceLength(static_cast<unsigned char>(*in)) : 1;
        if (skip > inLeft) skip = inLeft;
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

CodePageConverter::CodePageConverter(const char* codePage)
    : fromUtf8_(iconv_open(codePage, "UTF-8")), toUtf8_(iconv_open("UTF-8", codePage)) {}

CodePageConverter::~CodePageConverter() {
    if (fromUtf8_ != kNoConverter) iconv_close(fromUtf8_);
    if (toUtf8_ != kNoConverter) iconv_close(toUtf8_);
}

std::string CodePageConverter::FromUtf8(std::string_view utf8) {
    return Convert(fromUtf8_, utf8, 1, true);
}

std::string CodePageConverter::ToUtf8(std::string_view text) {
    return Convert(toUtf8_, text, 4, false);
}
