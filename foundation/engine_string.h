// The engine's text value: an owned NUL-terminated 8-bit text with its length (C length + 1).
// Buffers live on the host heap; a text handed to scripts is copied into script memory
// (CopyTextToScript).
#pragma once

#include <cstdint>
#include <string_view>

class String {
  public:
    String();
    String(const char* text);  // NOLINT: implicit, messages are built from literals
    explicit String(int value);
    String(const String& other);
    String(String&& other) noexcept;
    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    ~String();

    // Copies at most n bytes, stopping at the first NUL: for names read from files.
    static String FromBytes(const char* bytes, size_t n);

    String& operator+=(const String& other);
    String& operator+=(const char* text);

    const char* Text() const { return text_; }
    // Buffer size: C length + 1.
    uint32_t Length() const { return length_; }
    uint32_t Size() const { return length_ - 1; }
    bool Empty() const { return length_ == 1; }
    std::string_view View() const { return {text_, length_ - 1u}; }

    // Text after the last '.', or empty.
    static String Extension(const String& name);

    friend bool operator==(const String& a, const String& b) { return a.View() == b.View(); }
    friend bool operator==(const String& a, const char* b) { return a.View() == std::string_view(b); }

  private:
    void Assign(const char* a, size_t na, const char* b, size_t nb);
    char* text_;
    uint32_t length_;
};

String operator+(const String& left, const String& right);
String operator+(const String& left, const char* right);
String operator+(const char* left, const String& right);

String AddDefaultExtension(const String& name, const String& extension);
