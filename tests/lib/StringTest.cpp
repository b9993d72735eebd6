#include <gtest/gtest.h>

#include <cstring>

#include "String.h"

namespace {

std::string str(String const& s)
{
    return std::string(s.getChars(), s.length());
}

}

TEST(StringTest, ConstructorsOwnExactTextAndLength)
{
    String empty;
    ASSERT_NE(nullptr, empty.getChars());
    EXPECT_EQ(0u, empty.length());
    EXPECT_STREQ("", empty.getChars());

    EXPECT_EQ("xxx", str(String('x', 3)));
    EXPECT_EQ(0u, String('x', 0).length());
    EXPECT_EQ("0", str(String(0u)));
    EXPECT_EQ("0", str(String(0)));
    EXPECT_EQ("-15", str(String(-15)));
    EXPECT_EQ("4294967295", str(String(4294967295u)));
    EXPECT_EQ("-2147483648", str(String(-2147483647 - 1)));
}

TEST(StringTest, CopiesAreDeepAndIndependent)
{
    char source[] = "Gerät";
    String a(source);
    source[0] = 'X';  // the String keeps its own copy
    EXPECT_EQ("Gerät", str(a));

    String b(a);
    EXPECT_NE(a.getChars(), b.getChars());
    b[0] = 'g';
    EXPECT_EQ("Gerät", str(a));
    EXPECT_EQ("gerät", str(b));

    String c;
    c = a;
    EXPECT_NE(a.getChars(), c.getChars());
    c += "!";
    EXPECT_EQ("Gerät", str(a));
}

TEST(StringTest, SelfAssignmentLeavesTextUnchanged)
{
    String s("abc");
    String& alias = s;
    s = alias;
    EXPECT_EQ("abc", str(s));
    s = s.getChars();  // its own character pointer
    EXPECT_EQ("abc", str(s));
    s = s.getChars() + 1;  // a pointer into its own block
    EXPECT_EQ("bc", str(s));
}

TEST(StringTest, ConcatenationAndRepetition)
{
    String a("ab");
    EXPECT_EQ("abcd", str(a + String("cd")));
    EXPECT_EQ("ab", str(a));  // + leaves the receiver alone

    EXPECT_EQ("x", str(String() + 'x'));
    String withNul = a + '\0';
    EXPECT_EQ(2u, withNul.length());
    a += '\0';
    EXPECT_EQ("ab", str(a));
    EXPECT_EQ(2u, a.length());

    String& r = (a += String("c"));
    EXPECT_EQ(&a, &r);
    a += 'd';
    EXPECT_EQ("abcd", str(a));

    EXPECT_EQ("ababab", str(String("ab") * 3));
    EXPECT_EQ("", str(String("ab") * 0));
    EXPECT_EQ("", str(String() * 5));
}

TEST(StringTest, CharAtChecksBoundsIndexDoesNot)
{
    String s("abc");
    EXPECT_EQ('c', s.charAt(2));
    EXPECT_EQ('\0', s.charAt(3));
    EXPECT_EQ('\0', s.charAt(1000));
    EXPECT_EQ(s.getChars(), ~s);
}

TEST(StringTest, SubstringTakesEndPositionClampedToLength)
{
    String s("abcdef");
    EXPECT_EQ("cd", str(s(2, 4)));
    EXPECT_EQ("cdef", str(s(2, 99)));
    EXPECT_EQ("", str(s(2, 2)));
    EXPECT_EQ("", str(String("abc")(3)));
    EXPECT_EQ("def", str(s(3)));
    EXPECT_EQ("abcdef", str(s));
}

TEST(StringTest, IndexOfCountsFromStartOfWholeText)
{
    String xyz("xyz");
    EXPECT_EQ(1, xyz.indexOf(const_cast<char*>("y"), 0));
    EXPECT_EQ(3, String("xyzy").indexOf(const_cast<char*>("y"), 2));
    EXPECT_EQ(-1, xyz.indexOf(const_cast<char*>("q")));
    EXPECT_EQ(-1, xyz.indexOf(const_cast<char*>("x"), 1));
    EXPECT_EQ(2, xyz.indexOf(const_cast<char*>(""), 2));
    String needle("yz");
    EXPECT_EQ(1, xyz.indexOf(needle));
    EXPECT_EQ(-1, xyz.indexOf(needle, 2));
}

TEST(StringTest, TrimsRemoveSpacesOnly)
{
    EXPECT_EQ("a b", str(String("  a b  ").trim()));
    EXPECT_EQ("a b  ", str(String("  a b  ").ltrim()));
    EXPECT_EQ("  a b", str(String("  a b  ").rtrim()));
    EXPECT_EQ("", str(String("    ").trim()));
    EXPECT_EQ("", str(String("    ").rtrim()));
    EXPECT_EQ("\ta\r\n", str(String("\ta\r\n").trim()));
    EXPECT_EQ("", str(String().trim()));
}

TEST(StringTest, PaddingFillsToWidth)
{
    EXPECT_EQ("007", str(String("7").padl(3, '0')));
    EXPECT_EQ("7..", str(String("7").padr(3, '.')));
    EXPECT_EQ("abc", str(String("abc").padr(3)));
    EXPECT_EQ("abc", str(String("abc").padl(3)));
    EXPECT_EQ("  x", str(String("x").padl(3)));
    EXPECT_EQ("x  ", str(String("x").padr(3)));
}

TEST(StringTest, CaseMappingLeavesUmlautsAlone)
{
    EXPECT_EQ("GRüN", str(String("Grün").toUpperCase()));
    EXPECT_EQ("straße äöü", str(String("STRAßE äöü").toLowerCase()));
    EXPECT_EQ("ÄÖÜ", str(String("ÄÖÜ").toLowerCase()));
    EXPECT_EQ('A', String::toUpperCase('a'));
    EXPECT_EQ('\xE4', String::toUpperCase('\xE4'));
    EXPECT_EQ('\xC4', String::toLowerCase('\xC4'));
    EXPECT_EQ('1', String::toLowerCase('1'));
}

TEST(StringTest, ComparisonIsBytewiseWithHighBytesLast)
{
    String z("Z"), ae("Ä"), a("a");
    EXPECT_EQ(1, ae.compareTo(z));
    EXPECT_EQ(-1, z.compareTo(ae));
    EXPECT_EQ(1, ae.compareTo(a));  // 0xC4 sorts after every ASCII byte
    EXPECT_EQ(0, a.compareTo(const_cast<char*>("a")));
    EXPECT_EQ(-1, String("ab").compareTo(const_cast<char*>("abc")));
    EXPECT_EQ(1, String("abc").compareTo(const_cast<char*>("ab")));

    EXPECT_EQ(1, String("x") == String("x"));
    EXPECT_EQ(0, String("x") == String("X"));
    EXPECT_EQ(0, String("x") != String("x"));
    EXPECT_NE(0, String("x") != String("X"));
}

TEST(StringTest, StartsWith)
{
    String s("Velmora");
    String empty, longer("Velmora KRX"), prefix("Vel");
    EXPECT_TRUE(s.startsWith(prefix));
    EXPECT_TRUE(s.startsWith(empty));
    EXPECT_FALSE(s.startsWith(longer));
    EXPECT_FALSE(s.startsWith(const_cast<char*>("vel")));
    EXPECT_TRUE(s.startsWith(const_cast<char*>("Velmora")));
}

TEST(StringTest, FilterKlammertextRemovesParenthesisedPassages)
{
    struct Case { char const* in; char const* out; } cases[] = {
        {"a(b)c", "ac"},
        {"a(b(c)d)e", "ae"},       // nested pairs go whole
        {"a)b(c", "ac"},           // surplus ")" drops until a "(" restores depth 0
        {"a(b", "a"},              // unclosed "(" drops the rest
        {"x (y) z", "x  z"},       // blanks around stay
        {"[a]{b}<c>", "[a]{b}<c>"},
        {"()", ""},
        {"", ""},
        {"ab))cd((ef", "abef"},     // two surplus ")" are undone by two "("
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.out, str(String(c.in).filterKlammertext())) << "input: " << c.in;
}

TEST(StringTest, FilterCrLf)
{
    EXPECT_EQ("a b", str(String("a\r\nb").filterCrLf()));
    EXPECT_EQ("a b c", str(String("a\nb\nc").filterCrLf()));
    EXPECT_EQ("ab", str(String("a\rb").filterCrLf()));
    EXPECT_EQ(" ", str(String("\r\n\r").filterCrLf()));
}

TEST(StringTest, IsDigit)
{
    EXPECT_TRUE(String().isDigit());
    EXPECT_TRUE(String("0123456789").isDigit());
    EXPECT_FALSE(String("12a").isDigit());
    EXPECT_FALSE(String("-1").isDigit());
    EXPECT_FALSE(String("1 ").isDigit());
    EXPECT_FALSE(String("1.5").isDigit());
}
