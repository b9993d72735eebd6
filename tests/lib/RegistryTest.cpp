#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "Registry.h"
#include "TestFiles.h"
#include "Win32Exception.h"

namespace {

// Every test works in a key of its own under HKCU\Software and removes it afterwards.
class RegistryTest : public ::testing::Test
{
protected:
    std::string path = "Software\\KrxRegistryTest_" + std::to_string(GetCurrentProcessId());
    std::unique_ptr<Registry> store;

    void SetUp() override { store.reset(new Registry(HKEY_CURRENT_USER, path.c_str())); }
    void TearDown() override
    {
        store.reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    }

    bool keyExists(std::string const& sub)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, (path + sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    std::vector<std::string> names(LinkedList* list)
    {
        std::vector<std::string> out;
        for (long i = 0; i < static_cast<long>(list->size()); ++i)
            out.push_back(static_cast<String*>(list->elementAt(i))->getChars());
        store->deleteKeyList(list);
        return out;
    }

    // What the system's own reg.exe shows for the key.
    std::string regQuery()
    {
        std::string out = scratchPath("regquery");
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE file = CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = file;
        PROCESS_INFORMATION process = {};
        std::string command = "reg.exe query HKCU\\" + path;
        bool started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                      &process);
        if (started) {
            WaitForSingleObject(process.hProcess, 30000);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        CloseHandle(file);
        std::string text = started ? readWholeFile(out) : "<reg.exe did not start>";
        DeleteFileA(out.c_str());
        return text;
    }
};

TEST_F(RegistryTest, StoresTextsAsStringsAndNumbersAsFourByteDwords)
{
    store->setString("Text", "Velmora");
    String empty("");
    store->setString("Leer", empty);
    store->setLong("Negativ", -5);
    store->setUnsigned("Gross", 0xFFFFFFF0ul);
    store->setBool("Flag", true);

    std::string shown = regQuery();
    EXPECT_NE(shown.find("Text    REG_SZ    Velmora"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Negativ    REG_DWORD    0xfffffffb"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Gross    REG_DWORD    0xfffffff0"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Flag    REG_DWORD    0x1"), std::string::npos) << shown;

    // The stored sizes: the text with its NUL, every number in 4 bytes.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    for (auto [name, type, size] : {std::tuple<char const*, DWORD, DWORD>{"Text", REG_SZ, 8}, {"Leer", REG_SZ, 1},
                                    {"Negativ", REG_DWORD, 4}, {"Flag", REG_DWORD, 4}}) {
        DWORD storedType = 0, storedSize = 0;
        EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &storedType, nullptr, &storedSize), ERROR_SUCCESS) << name;
        EXPECT_EQ(storedType, type) << name;
        EXPECT_EQ(storedSize, size) << name;
    }
    RegCloseKey(key);

    EXPECT_STREQ(store->getString("Text").getChars(), "Velmora");
    EXPECT_STREQ(store->getString("Leer").getChars(), "");
    EXPECT_EQ(store->getLong("Negativ"), -5);
    EXPECT_EQ(store->getUnsigned("Gross"), 0xFFFFFFF0ul);
    EXPECT_EQ(store->getLong("Flag"), 1);
    EXPECT_TRUE(store->getBool("Flag"));
}

TEST_F(RegistryTest, ReadsWithADefaultOnlyWhenTheNameMatchesByteForByte)
{
    store->setLong("Wert", 42);
    EXPECT_EQ(store->getLong("Wert", 7), 42);
    EXPECT_EQ(store->getLong("Fehlt", 7), 7);
    EXPECT_EQ(store->getUnsigned("Fehlt", 9ul), 9ul);
    EXPECT_STREQ(store->getString("Fehlt", String("vorgabe")).getChars(), "vorgabe");
    EXPECT_TRUE(store->getBool("Fehlt", true));
    // The registry finds "wert" as well; the store's name check does not.
    EXPECT_TRUE(store->existsKey("Wert"));
    EXPECT_FALSE(store->existsKey("wert"));
    EXPECT_EQ(store->getLong("wert", 0), 0);
    EXPECT_EQ(store->getLong("wert"), 42);

    try {
        store->getLong("Fehlt");
        ADD_FAILURE() << "a missing value read without a default did not throw";
    } catch (Win32Exception& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Fehler beim Zugriff auf die Registry.", 0), 0u) << e.what();
    }
    // More than 4 bytes do not fit a number.
    store->setString("Text", "Velmora");
    EXPECT_THROW(store->getLong("Text"), Win32Exception);
    EXPECT_THROW(store->deleteKey("Fehlt"), Win32Exception);
}

TEST_F(RegistryTest, SectionsAreCreatedAtOnceListedAndRemovedWithEverythingBelow)
{
    std::unique_ptr<Konfiguration> a(store->createSubKey("A"));
    EXPECT_TRUE(keyExists("\\A"));
    EXPECT_STREQ(a->getId().getChars(), "A");
    a->setLong("Eins", 1);
    a->setString("Zwei", "2");
    std::unique_ptr<Konfiguration> b(a->createSubKey("B"));
    b->setBool("Tief", true);
    std::unique_ptr<Konfiguration> c(b->createSubKey("C"));
    std::unique_ptr<Konfiguration> d(a->createSubKey("D"));
    c.reset();
    b.reset();
    d.reset();

    EXPECT_EQ(names(a->listKeys()), (std::vector<std::string>{"Eins", "Zwei"}));
    EXPECT_EQ(names(a->listSubKeys()), (std::vector<std::string>{"B", "D"}));
    EXPECT_TRUE(store->existsSubKey("A"));
    EXPECT_FALSE(store->existsSubKey("a"));
    a.reset();

    store->deleteSubKey("A");
    EXPECT_FALSE(keyExists("\\A"));
    EXPECT_TRUE(keyExists(""));
    EXPECT_EQ(names(store->listSubKeys()), std::vector<std::string>{});
}

TEST(RegistryOpen, AFailedOpenThrowsTheOpenError)
{
    try {
        Registry broken(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)), "Software\\KrxNirgends");
        ADD_FAILURE() << "a key under an invalid parent opened";
    } catch (Win32Exception& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Fehler beim Öffnen der Registry.", 0), 0u) << e.what();
    }
}

} // namespace
