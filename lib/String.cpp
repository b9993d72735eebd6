#include "String.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

namespace
{
// A length that the 32-bit count and the block with its NUL can hold; a larger one would wrap
// around to a small block, so it fails the way any impossible allocation does.
unsigned int checkedLength(unsigned long long n)
{
    if (n >= UINT_MAX)
        throw std::bad_alloc();
    return static_cast<unsigned int>(n);
}
} // namespace

String::String() : text(nullptr), len(0)
{
    init("");
}

String::String(char const* source) : text(nullptr), len(0)
{
    init(source);
}

String::String(char c, unsigned int count) : text(nullptr), len(0)
{
    checkedLength(count);
    char* block = new char[count + 1];
    memset(block, c, count);
    block[count] = '\0';
    adopt(block, count);
}

String::String(String const& other) : text(nullptr), len(0)
{
    copy(other);
}

String::String(unsigned int value) : text(nullptr), len(0)
{
    char digits[16];
    snprintf(digits, sizeof digits, "%u", value);
    init(digits);
}

String::String(int value) : text(nullptr), len(0)
{
    char digits[16];
    snprintf(digits, sizeof digits, "%d", value);
    init(digits);
}

String::~String()
{
    clear();
}

void String::init(char const* source)
{
    unsigned int n = checkedLength(strlen(source));
    char* block = new char[n + 1];
    memcpy(block, source, n + 1);
    adopt(block, n);
}

void String::copy(String const& other)
{
    char* block = new char[other.len + 1];
    memcpy(block, other.text, other.len + 1);
    adopt(block, other.len);
}

void String::clear()
{
    delete[] text;
    text = nullptr;
}

void String::adopt(char* block, unsigned int length)
{
    clear();
    text = block;
    len = length;
}

void String::concat(String const& other)
{
    unsigned int n = checkedLength(static_cast<unsigned long long>(len) + other.len);
    char* block = new char[n + 1];
    memcpy(block, text, len);
    memcpy(block + len, other.text, other.len + 1);
    adopt(block, n);
}

String& String::operator=(String const& other)
{
    if (this != &other)
        copy(other);
    return *this;
}

String& String::operator=(char const* source)
{
    // The argument may point into this object's own block: copy before releasing.
    init(source);
    return *this;
}

String String::operator+(String const& other) const
{
    String result(*this);
    result.concat(other);
    return result;
}

String String::operator+(char c) const
{
    String result(*this);
    result += c;
    return result;
}

String& String::operator+=(String const& other)
{
    concat(other);
    return *this;
}

String& String::operator+=(char c)
{
    char one[2] = {c, '\0'};
    concat(String(one));
    return *this;
}

String String::operator*(unsigned int count) const
{
    unsigned int n = checkedLength(static_cast<unsigned long long>(len) * count);
    String result;
    char* block = new char[n + 1];
    for (unsigned int i = 0; i < count; ++i)
        memcpy(block + static_cast<size_t>(i) * len, text, len);
    block[n] = '\0';
    result.adopt(block, n);
    return result;
}

unsigned int String::length() const
{
    return len;
}

char* String::getChars() const
{
    return text;
}

char* String::operator~() const
{
    return text;
}

char& String::operator[](unsigned int i)
{
    return text[i];
}

char String::charAt(unsigned int i) const
{
    return i < len ? text[i] : '\0';
}

static int sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

int String::operator==(String const& other) const
{
    return strcmp(text, other.text) == 0 ? 1 : 0;
}

// strcmp compares as unsigned char, so bytes above 0x7F sort after ASCII.
int String::operator!=(String const& other) const
{
    return sign(strcmp(text, other.text));
}

int String::compareTo(String& other) const
{
    return *this != other;
}

int String::compareTo(char* other) const
{
    return sign(strcmp(text, other));
}

bool String::startsWith(String& prefix) const
{
    return startsWith(prefix.text);
}

bool String::startsWith(char* prefix) const
{
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

int String::indexOf(char* s, unsigned int from) const
{
    char const* found = strstr(text + from, s);
    return found ? static_cast<int>(found - text) : -1;
}

int String::indexOf(char* s) const
{
    return indexOf(s, 0);
}

int String::indexOf(String& s, unsigned int from) const
{
    return indexOf(s.text, from);
}

int String::indexOf(String& s) const
{
    return indexOf(s.text, 0);
}

String String::operator()(unsigned int from, unsigned int to) const
{
    String result(*this);
    if (to > len)
        to = len;
    result.text[to] = '\0';
    return String(result.text + from);
}

String String::operator()(unsigned int from) const
{
    return String(text + from);
}

String String::ltrim() const
{
    unsigned int start = 0;
    while (text[start] == ' ')
        ++start;
    return (*this)(start);
}

String String::rtrim() const
{
    unsigned int end = len;
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return (*this)(0, end);
}

String String::trim() const
{
    return rtrim().ltrim();
}

String String::padl(unsigned int width, char c) const
{
    if (width <= len)
        return *this;
    return String(c, width - len) + *this;
}

String String::padr(unsigned int width, char c) const
{
    if (width <= len)
        return *this;
    return *this + String(c, width - len);
}

String String::padl(unsigned int width) const
{
    return padl(width, ' ');
}

String String::padr(unsigned int width) const
{
    return padr(width, ' ');
}

// The "C" locale's mapping: only a-z and A-Z change, umlauts and other bytes stay.
char String::toUpperCase(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char String::toLowerCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

String String::toUpperCase() const
{
    String result(*this);
    for (unsigned int i = 0; i < len; ++i)
        result.text[i] = toUpperCase(text[i]);
    return result;
}

String String::toLowerCase() const
{
    String result(*this);
    for (unsigned int i = 0; i < len; ++i)
        result.text[i] = toLowerCase(text[i]);
    return result;
}

String String::filterKlammertext() const
{
    String result(*this);
    unsigned int out = 0;
    int depth = 0;
    for (unsigned int i = 0; i < len; ++i) {
        char c = text[i];
        if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        else if (depth == 0)
            result.text[out++] = c;
    }
    result.text[out] = '\0';
    return String(result.text);
}

String String::filterCrLf() const
{
    String result(*this);
    unsigned int out = 0;
    for (unsigned int i = 0; i < len; ++i) {
        if (text[i] == '\n')
            result.text[out++] = ' ';
        else if (text[i] != '\r')
            result.text[out++] = text[i];
    }
    result.text[out] = '\0';
    return String(result.text);
}

bool String::isDigit() const
{
    for (unsigned int i = 0; i < len; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}
