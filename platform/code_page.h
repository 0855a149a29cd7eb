// Typed text reaches the game as bytes of its 8-bit code page; the system speaks UTF-8.
#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

class CodePageConverter {
  public:
    // Windows-1252 unless the language needs another code page. When the system has no converter
    // for the code page, only ASCII passes. Not for use by two threads at once.
    explicit CodePageConverter(const char* codePage = "WINDOWS-1252");
    ~CodePageConverter();
    CodePageConverter(const CodePageConverter&) = delete;
    CodePageConverter& operator=(const CodePageConverter&) = delete;

    // Characters the code page lacks, and broken UTF-8, are dropped.
    std::string FromUtf8(std::string_view utf8);
    // The game's texts for the system (window title, message boxes).
    std::string ToUtf8(std::string_view text);

  private:
    iconv_t fromUtf8_;
    iconv_t toUtf8_;
};
