#ifndef STRING_H
#define STRING_H

#include "LibApi.h"

// The library's text type: owns a NUL-terminated ANSI byte string of exactly length + 1
// bytes. Every change allocates a block of the new size; copies are deep.
class LIBAPI String
{
public:
    String();
    String(char const* text);
    String(char c, unsigned int count);
    String(String const& other);
    String(unsigned int value);
    String(int value);
    ~String();

    String& operator=(String const& other);
    String& operator=(char const* text);
    String operator+(String const& other) const;
    String operator+(char c) const;
    String& operator+=(String const& other);
    String& operator+=(char c);
    String operator*(unsigned int count) const;

    unsigned int length() const;
    char* getChars() const;
    char* operator~() const;
    // No bounds check: the position must lie within the text.
    char& operator[](unsigned int i);
    char charAt(unsigned int i) const;

    int operator==(String const& other) const;
    int operator!=(String const& other) const;
    int compareTo(String& other) const;
    int compareTo(char* other) const;
    bool startsWith(String& prefix) const;
    bool startsWith(char* prefix) const;

    int indexOf(char* s, unsigned int from) const;
    int indexOf(char* s) const;
    int indexOf(String& s, unsigned int from) const;
    int indexOf(String& s) const;

    // The second argument is an end position (clamped to the length), not a count.
    String operator()(unsigned int from, unsigned int to) const;
    String operator()(unsigned int from) const;
    String ltrim() const;
    String rtrim() const;
    String trim() const;
    String padl(unsigned int width, char c) const;
    String padr(unsigned int width, char c) const;
    String padl(unsigned int width) const;
    String padr(unsigned int width) const;
    String toUpperCase() const;
    String toLowerCase() const;
    static char toUpperCase(char c);
    static char toLowerCase(char c);
    String filterKlammertext() const;
    String filterCrLf() const;
    bool isDigit() const;

private:
    void init(char const* source);
    void copy(String const& other);
    void clear();
    void concat(String const& other);
    // Takes ownership of a block of exactly length + 1 bytes.
    void adopt(char* block, unsigned int length);

    char* text;
    unsigned int len;
};

#endif
