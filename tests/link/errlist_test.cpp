#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "platform/cp1250.h"
#include "proto/errlist.h"

namespace zt {
namespace {

// Host lookup that translates every key: "<module>|<key>".
std::int32_t ZT_HOST_STDCALL translateAll(char* out, std::int32_t size, const char* module, const char* key) {
    std::snprintf(out, static_cast<std::size_t>(size), "%s|%s", module, key);
    return 1;
}

// Host lookup that knows one key only.
std::int32_t ZT_HOST_STDCALL translate250(char* out, std::int32_t size, const char* module, const char* key) {
    if (std::strcmp(key, "TZTComboErrListmsg_00250") != 0) return 0;
    std::snprintf(out, static_cast<std::size_t>(size), "CRC error");
    return 1;
}

TEST(ErrList, KnowsExactly346Codes) {
    int known = 0;
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) known += errListEntry(code).has_value();
    EXPECT_EQ(known, kErrListSize);
    EXPECT_EQ(known, 346);
}

TEST(ErrList, SampleOfEachGroup) {
    struct Row {
        std::uint32_t code;
        int key;
        const char* utf8;
    };
    const Row rows[] = {
        {10, 0, "błąd nietypowy - rezygnacja, przerwanie funkcji"},
        {50, 1, "Błąd wykonywania operacji przez kasę"},
        {56, 7, "Błąd wykonywania operacji przez kasę"},
        {157, kErrListFixed, "ilośc zbyt duża"},
        {300, 8, "karta rabatowa nieważna"},
        {313, kErrListFixed, "Błąd połączenia z serwerem"},
        {445, 28, "Wymagany jest predefiniowany kierownik."},
        {521, 38, "błędny stan kasy. Należy wykonać raport zmianowy. Przy włączaniu kontroli stanu kasy."},
        {700, 47, "błędny adres IP"},
        {752, kErrListFixed, "nazwa nie jest unikalna"},
        {801, 89, "brak rekordów do odczytu"},
        {904, 100, "baza jest pusta"},
        {910, 106, "nazwa nie jest unikalna"},
        {975, 171, "Nie ma więcej rekordów wg kontekstu"},
        {1000, 175, "błąd fatalny modułu fiskalnego."},
        {906, 102, "błąd zapisu"},
        {1002, 177, "błąd zapisu"},
        {2000, 205, "błąd pola VAT."},
        {2023, 212, "różnica większa niż godzina w trybie użytkownika w trybie fiskalnym "},
        {3001, 245, "brakujące dane"},
        {3006, 250, "błąd CRC"},
        {6666, 264, "zbyt długi łańcuch (sprawdź kod kreskowy)"},
        {6668, 266, "niewłaściwa ilość argumentów dla danego polecenia"},
        {6669, kErrListFixed, "Błąd pola BCD"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.code);
        auto e = errListEntry(r.code);
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->key, r.key);
        EXPECT_EQ(e->text, pl(r.utf8));
        EXPECT_EQ(ErrList(r.code), pl(r.utf8));
    }
}

TEST(ErrList, UnknownCodes) {
    const std::string unknown = pl("nieznany błąd przesłany przez kasę");
    for (std::uint32_t code : {0u, 11u, 2106u, 6670u, 65535u, 70000u}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(errListEntry(code).has_value());
        EXPECT_EQ(ErrList(code), unknown);
    }
    TMLgExtTools all(translateAll);
    EXPECT_EQ(ErrList(0, &all), "ztcombo_cbaction|TZTComboErrListmsg_00267");
}

TEST(ErrList, TranslatedByKeyExceptFixedRows) {
    TMLgExtTools all(translateAll);
    EXPECT_EQ(ErrList(10, &all), "ztcombo_cbaction|TZTComboErrListmsg");
    EXPECT_EQ(ErrList(904, &all), "ztcombo_cbaction|TZTComboErrListmsg_00100");
    EXPECT_EQ(ErrList(6669, &all), pl("Błąd pola BCD"));
    EXPECT_EQ(ErrList(307, &all), pl("W systemie nie skonfigurowano żadnej autoryzacji kart rabatowych"));

    TMLgExtTools one(translate250);
    EXPECT_EQ(ErrList(3006, &one), "CRC error");
    EXPECT_EQ(ErrList(3005, &one), errListEntry(3005)->text);  // no translation: the default
}

TEST(ErrList, KeysAreUniqueAndFiveDigit) {
    EXPECT_EQ(errListKey(0), "TZTComboErrListmsg");
    EXPECT_EQ(errListKey(7), "TZTComboErrListmsg_00007");
    EXPECT_EQ(errListKey(266), "TZTComboErrListmsg_00266");
    std::vector<bool> seen(kErrListUnknownKey + 1, false);
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
        auto e = errListEntry(code);
        if (!e || e->key == kErrListFixed) continue;
        ASSERT_GE(e->key, 0);
        ASSERT_LT(e->key, kErrListUnknownKey) << code;
        EXPECT_FALSE(seen[static_cast<std::size_t>(e->key)]) << code;
        seen[static_cast<std::size_t>(e->key)] = true;
    }
}

}  // namespace
}  // namespace zt
