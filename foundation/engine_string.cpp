#include "foundation/engine_string.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

char kMovedFrom[1] = {'\0'};

// A moved-from String points at a shared empty text that is never freed.
void ReleaseBuffer(char* text) {
    if (text != kMovedFrom) std::free(text);
}

char* NewBuffer(size_t length) {
    if (length > UINT32_MAX) throw std::bad_alloc();
    auto* buffer = static_cast<char*>(std::malloc(length));
    if (buffer == nullptr) throw std::bad_alloc();
    return buffer;
}

}  // namespace

void String::Assign(const char* a, size_t na, const char* b, size_t nb) {
    // Build the new buffer before releasing the old one: either part may point into it.
    char* buffer = NewBuffer(na + nb + 1);
    std::memcpy(buffer, a, na);
    std::memcpy(buffer + na, b, nb);
    buffer[na + nb] = '\0';
    ReleaseBuffer(text_);
    text_ = buffer;
    length_ = static_cast<uint32_t>(na + nb + 1);
}

String::String() : text_(NewBuffer(1)), length_(1) {
    text_[0] = '\0';
}

String::String(const char* text) : text_(nullptr), length_(0) {
    Assign(text, std::strlen(text), "", 0);
}

String::String(int value) : text_(nullptr), length_(0) {
    char digits[16];
    int n = std::snprintf(digits, sizeof digits, "%d", value);
    Assign(digits, static_cast<size_t>(n), "", 0);
}

String::String(const String& other) : text_(nullptr), length_(0) {
    Assign(other.text_, std::strlen(other.text_), "", 0);
}

String::String(String&& other) noexcept : text_(other.text_), length_(other.length_) {
    other.text_ = kMovedFrom;
    other.length_ = 1;
}

String& String::operator=(const String& other) {
    if (this != &other) Assign(other.text_, std::strlen(other.text_), "", 0);
    return *this;
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        std::swap(text_, other.text_);
        std::swap(length_, other.length_);
    }
    return *this;
}

String::~String() {
    ReleaseBuffer(text_);
}

String String::FromBytes(const char* bytes, size_t n) {
    String s;
    if (bytes == nullptr || n == 0) return s;
    s.Assign(bytes, strnlen(bytes, n), "", 0);
    return s;
}

String& String::operator+=(const String& other) {
    Assign(text_, std::strlen(text_), other.text_, std::strlen(other.text_));
    return *this;
}

String& String::operator+=(const char* text) {
    Assign(text_, std::strlen(text_), text, std::strlen(text));
    return *this;
}

String operator+(const String& left, const String& right) {
    String s(left);
    s += right;
    return s;
}

String operator+(const String& left, const char* right) {
    String s(left);
    s += right;
    return s;
}

String operator+(const char* left, const String& right) {
    String s(left);
    s += right;
    return s;
}

String String::Extension(const String& name) {
    const char* dot = std::strrchr(name.text_, '.');
    return dot ? String(dot + 1) : String();
}

String AddDefaultExtension(const String& name, const String& extension) {
    if (!String::Extension(name).Empty()) return name;
    if (name.Empty() || name.Text()[name.Size() - 1] != '.') return name + "." + extension;
    return name;
}
