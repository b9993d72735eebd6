#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "Registry.h"
#include "ErrorText.h"

namespace
{

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

    std::vector<std::string> names(LinkedList* list)
    {
        std::vector<std::string> out;
        for (long i = 0; i < static_cast<long>(list->size()); ++i)
            out.push_back(static_cast<String*>(list->elementAt(i))->getChars());
        store->deleteKeyList(list);
        return out;
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

    // What the registry itself holds: the text with its NUL, every number in 4 bytes.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    using Value = std::tuple<char const*, DWORD, std::string>;
    for (auto [name, type, data] : {Value{"Text", REG_SZ, std::string("Velmora", 8)},
                                    Value{"Leer", REG_SZ, std::string(1, '\0')},
                                    Value{"Negativ", REG_DWORD, "\xFB\xFF\xFF\xFF"},
                                    Value{"Gross", REG_DWORD, "\xF0\xFF\xFF\xFF"},
                                    Value{"Flag", REG_DWORD, std::string("\1\0\0\0", 4)}}) {
        char stored[16];
        DWORD storedType = 0, storedSize = sizeof stored;
        EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &storedType, reinterpret_cast<BYTE*>(stored),
                                   &storedSize),
                  ERROR_SUCCESS)
            << name;
        EXPECT_EQ(storedType, type) << name;
        EXPECT_EQ(std::string(stored, storedSize), data) << name;
    }
    RegCloseKey(key);

    EXPECT_STREQ(store->getString("Text").getChars(), "Velmora");
    EXPECT_STREQ(store->getString("Leer").getChars(), "");
    EXPECT_EQ(store->getLong("Negativ"), -5);
    EXPECT_EQ(store->getUnsigned("Gross"), 0xFFFFFFF0ul);
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

    std::string const missing = thrownText([&] { store->getLong("Fehlt"); });
    EXPECT_EQ(missing.rfind("Fehler beim Zugriff auf die Registry.", 0), 0u) << missing;
    // More than 4 bytes do not fit a number.
    store->setString("Text", "Velmora");
    EXPECT_THROW(store->getLong("Text"), Win32Exception);
    EXPECT_THROW(store->deleteKey("Fehlt"), Win32Exception);
}

TEST_F(RegistryTest, SectionsAreCreatedAtOnceListedAndRemovedWithEverythingBelow)
{
    std::unique_ptr<Konfiguration> a(store->createSubKey("A"));
    EXPECT_TRUE(store->existsSubKey("A")) << "made at once, before anything is written";
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
    a.reset();

    store->deleteSubKey("A");
    EXPECT_EQ(names(store->listSubKeys()), std::vector<std::string>{});
}

TEST(RegistryOpen, AFailedOpenThrowsTheOpenError)
{
    std::string const failure = thrownText([] {
        Registry(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)), "Software\\KrxNirgends");
    });
    EXPECT_EQ(failure.rfind("Fehler beim Öffnen der Registry.", 0), 0u) << failure;
}

} // namespace
