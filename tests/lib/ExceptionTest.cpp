#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "Win32Exception.h"

namespace {

// What the system itself says for a code on this machine, or "" when it knows none.
std::string systemText(DWORD code)
{
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                             MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0,
                             nullptr);
    std::string result = (n && text) ? std::string(text) : std::string();
    if (text)
        LocalFree(text);
    return result;
}

}

TEST(ExceptionTest, CarriesItsTextAndKeepsItWhenCopied)
{
    String text("Unerwartetes Datenende.");
    Exception e(text);
    EXPECT_STREQ("Unerwartetes Datenende.", e.what());
    EXPECT_EQ(0, e.toString() != text);

    Exception copy(e);
    EXPECT_STREQ(e.what(), copy.what());
    EXPECT_NE(e.what(), copy.what());  // deep copy

    Exception assigned("x");
    assigned = e;
    EXPECT_STREQ("Unerwartetes Datenende.", assigned.what());
}

TEST(ExceptionTest, CaughtAsStdException)
{
    try {
        throw Exception("Testabbruch!");
    } catch (std::exception const& e) {
        EXPECT_STREQ("Testabbruch!", e.what());
        return;
    }
    FAIL() << "not caught";
}

TEST(Win32ExceptionTest, CodeZeroLeavesTextAlone)
{
    Win32Exception e("x", 0);
    EXPECT_STREQ("x", e.what());
    EXPECT_EQ(0u, e.getCode());
}

TEST(Win32ExceptionTest, KnownCodeAppendsSystemDescriptionAndCode)
{
    std::string description = systemText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(description.empty()) << "the system has no text for code 2";
    Win32Exception e("Fehler beim Öffnen der Datei: a.hex.", ERROR_FILE_NOT_FOUND);
    EXPECT_EQ("Fehler beim Öffnen der Datei: a.hex.\n" + description + "(Fehlercode: 2)", std::string(e.what()));
    EXPECT_EQ(2u, e.getCode());
}

TEST(Win32ExceptionTest, UnknownCodeGivesOnlyTheCodeLine)
{
    DWORD unknown = 0x2000FFFF;
    ASSERT_TRUE(systemText(unknown).empty());
    Win32Exception e("x", unknown);
    EXPECT_EQ("x\n(Fehlercode: " + std::to_string(unknown) + ")", std::string(e.what()));
}

TEST(Win32ExceptionTest, AllBitsSetShownUnsigned)
{
    Win32Exception e("x", 4294967295ul);
    std::string text = e.what();
    EXPECT_NE(std::string::npos, text.find("(Fehlercode: 4294967295)")) << text;
    EXPECT_EQ(std::string::npos, text.find("-1")) << text;
}

TEST(Win32ExceptionTest, TakesLastErrorWhenNoCodeGiven)
{
    SetLastError(ERROR_ACCESS_DENIED);
    String text("Zugriff");
    Win32Exception e(text);
    EXPECT_EQ(5u, e.getCode());
    EXPECT_EQ("Zugriff\n" + systemText(ERROR_ACCESS_DENIED) + "(Fehlercode: 5)", std::string(e.what()));
}

TEST(Win32ExceptionTest, CopiesKeepTextAndCode)
{
    Win32Exception e("Fehler beim Zugriff auf den Vlx-Usb-Treiber.", 997);
    Win32Exception copy(e);
    EXPECT_STREQ(e.what(), copy.what());
    EXPECT_EQ(0, copy.toString() != e.toString());
    EXPECT_EQ(997u, copy.getCode());

    Win32Exception assigned("y", 0);
    assigned = e;
    EXPECT_STREQ(e.what(), assigned.what());
    EXPECT_EQ(997u, assigned.getCode());

    try {
        throw copy;
    } catch (Exception& caught) {  // the application catches the base by reference
        EXPECT_STREQ(e.what(), caught.toString().getChars());
    }
}
