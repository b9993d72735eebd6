#include <gtest/gtest.h>

#include <new>
#include <string>

#include "String.h"

static std::string str(String const& s)
{
    return std::string(s.getChars(), s.length());
}
static char* cs(char const* s)
{
    return const_cast<char*>(s);
}

// One row per expression; a failing row prints its expression.
template <typename T>
struct StringRow
{
    char const* expr;
    T got, want;
};
// clang-format off
#define TXT(expr, want) {#expr, str(expr), want}
#define NUM(expr, want) {#expr, static_cast<int>(expr), want}
// clang-format on

template <typename T>
static void check(std::initializer_list<StringRow<T>> rows)
{
    for (StringRow<T> const& r : rows)
        EXPECT_EQ(r.want, r.got) << r.expr;
}

TEST(StringTest, OwnsDeepCopiesAndSurvivesSelfAssignment)
{
    EXPECT_STREQ("", String().getChars());
    char source[] = "Gerät";
    String a(source), b(a), c;
    source[0] = 'X';
    c = a;
    b[0] = 'g';
    c += "!";
    EXPECT_EQ("Gerät gerät Gerät!", str(a) + " " + str(b) + " " + str(c));
    a = a;
    EXPECT_EQ("Gerät", str(a));
    a = a.getChars() + 1; // a pointer into its own block
    EXPECT_EQ("erät", str(a));
}

TEST(StringTest, DerivedTexts)
{
    check<std::string>({
        TXT(String('x', 3), "xxx"),
        TXT(String(0), "0"),
        TXT(String(0u), "0"),
        TXT(String(-15), "-15"),
        TXT(String(4294967295u), "4294967295"),
        TXT(String(-2147483647 - 1), "-2147483648"),
        TXT(String("ab") + String("cd"), "abcd"),
        TXT(String() + 'x', "x"),
        TXT(String("ab") + '\0', "ab"), // a NUL does not lengthen the text
        TXT(String("ab") * 3, "ababab"),
        TXT(String("ab") * 0, ""),
        // The second argument is an end position, clamped to the length.
        TXT(String("abcdef")(2, 4), "cd"),
        TXT(String("abcdef")(2, 99), "cdef"),
        TXT(String("abc")(3), ""),
        TXT(String("  a b  ").trim(), "a b"),
        TXT(String("\ta\r\n").trim(), "\ta\r\n"), // spaces only
        TXT(String("  a b  ").ltrim(), "a b  "),
        TXT(String("  a b  ").rtrim(), "  a b"),
        TXT(String("   ").trim(), ""),
        TXT(String("7").padl(3, '0'), "007"),
        TXT(String("7").padr(3, '.'), "7.."),
        TXT(String("x").padl(3), "  x"),
        TXT(String("x").padr(3), "x  "),
        TXT(String("abc").padl(2), "abc"), // a width below the length pads nothing
        TXT(String("abc").padr(2), "abc"),
        TXT(String("abc").padl(3, '0'), "abc"), // at exactly the width
        TXT(String("abc").padr(3, '.'), "abc"),
        TXT(String("Grün").toUpperCase(), "GRüN"), // umlauts stay as they are
        TXT(String("STRAßE ÄÖÜ").toLowerCase(), "straße ÄÖÜ"),
        TXT(String("a\r\nb\nc").filterCrLf(), "a b c"),
        TXT(String("a(b)c").filterKlammertext(), "ac"),
        TXT(String("a(b(c)d)e").filterKlammertext(), "ae"),
        TXT(String("[a]{b}<c>").filterKlammertext(), "[a]{b}<c>"),
        TXT(String("a(b").filterKlammertext(), "a"), // unclosed: the rest goes
        // A surplus ")" drops the text until a "(" brings the depth back to 0.
        TXT(String("a)b(c").filterKlammertext(), "ac"),
    });
}

// A length that does not fit the 32-bit count would wrap to a small block and be overrun.
TEST(StringTest, LengthsBeyondTheCountFailInsteadOfWrapping)
{
    EXPECT_THROW(String('x', 0xFFFFFFFFu), std::bad_alloc);
    EXPECT_THROW(String("ab") * 0x80000000u, std::bad_alloc);
}

TEST(StringTest, PositionsComparisonsAndTests)
{
    String ae("Ä"), z("Z"), yz("yz"), vel("Vel");
    check<int>({
        NUM(String("abc").charAt(2), 'c'),
        NUM(String("abc").charAt(3), 0),
        NUM(String("xyz").indexOf(cs("y"), 0), 1),
        NUM(String("xyzy").indexOf(cs("y"), 2), 3), // counted from the start of the text
        NUM(String("xyz").indexOf(cs("q")), -1),
        NUM(String("xyz").indexOf(yz), 1),
        NUM(String("xyz").indexOf(yz, 2), -1),
        NUM(ae.compareTo(z), 1),
        NUM(z.compareTo(ae), -1), // bytes above 0x7F sort after ASCII
        NUM(ae.compareTo(cs("a")), 1),
        NUM(String("a").compareTo(cs("a")), 0),
        NUM(String("ab").compareTo(cs("abc")), -1),
        NUM(String("x") == String("x"), 1),
        NUM(String("x") == String("X"), 0),
        NUM(String("x") != String("x"), 0),
        NUM(String("Velmora").startsWith(vel), 1),
        NUM(String("Velmora").startsWith(cs("vel")), 0),
        NUM(vel.startsWith(cs("Velmora")), 0),
        NUM(String().isDigit(), 1),
        NUM(String("0123456789").isDigit(), 1),
        NUM(String("12a").isDigit(), 0),
        NUM(String("-1").isDigit(), 0),
    });
}
