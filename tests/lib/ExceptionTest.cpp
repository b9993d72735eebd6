#include <gtest/gtest.h>

#include "ErrorText.h"
#include "Win32Exception.h"

TEST(Win32ExceptionTest, CodeAddsTheSystemTextAndTheCodeUnsignedCopiesKeepBoth)
{
    // The rows of codes 2 and 0x2000FFFF are written out in full: the helpers that the other
    // tests build their expected texts with cannot agree with a wrong program by accident.
    struct Row
    {
        unsigned long code;
        std::string want;
    } const rows[] = {
        {0, "x"},
        {ERROR_FILE_NOT_FOUND, "x\nFile not found.\r\n(Fehlercode: 2)"},
        {0x2000FFFF, "x\n(Fehlercode: 536936447)"},
        {4294967295ul, errorMessage("x", 4294967295ul)},
    };
    for (Row const& row : rows) {
        Win32Exception e("x", row.code);
        EXPECT_EQ(row.want, e.what()) << "code " << row.code;
        EXPECT_EQ(row.code, e.getCode());
    }

    SetLastError(ERROR_ACCESS_DENIED); // without a code it takes the last error
    String text("Zugriff");
    Win32Exception e(text), assigned("y", 0);
    assigned = e;
    try {
        throw Win32Exception(assigned);
    } catch (Exception& caught) { // the application catches the base by reference
        EXPECT_EQ(errorMessage("Zugriff", ERROR_ACCESS_DENIED), caught.toString().getChars());
        EXPECT_EQ(5u, dynamic_cast<Win32Exception&>(caught).getCode());
    }
}
