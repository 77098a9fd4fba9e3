#include "drivers/export/discount_card.h"

#include <gtest/gtest.h>

#include "platform/cp1250.h"
#include "platform/exception.h"

using namespace zt;

namespace {

struct CheckCase {
    const char* format;
    const char* error;  // nullptr: accepted
};

TEST(TKartaRab, FormatCheck) {
    const char* noX =
        "TKartaRab: cyfra kontrolna EAN13 (literka 'x' w formacie karty) może być tylko na 13 miejscu, albo wcale";
    const char* badChar = "TKartaRab: niedopuszczalne znaki w formacie karty - używaj tylko 0-9 oraz skymdYMDrx";
    const CheckCase cases[] = {
        {"", "TKartaRab: jak mam przetwarzać karty klienta, jeśli format nie wprowadzony?"},
        {"yYkk", "TKartaRab: w formacie nie mogą występować równocześnie y i Y"},
        {"kmMQ", "TKartaRab: w formacie nie mogą występować równocześnie m i M"},  // before the character rule
        {"kdD", "TKartaRab: w formacie nie mogą występować równocześnie d i D"},
        {"kkx", noX},
        {"29kkkkkkkkkkkx", noX},
        {"kkQ", badChar},
        {"Qx", badChar},  // the leftmost offence decides
        {"xQ", noX},
        {"kk ", badChar},
        {"0000000000000", "TKartaRab: format karty musi zawierać sekcję z kodem klienta (\"kkk...\")"},
        {"29kkkkkkkkkkx", nullptr},
        {"ssyymmddrrkkx9", nullptr},
        {"YYYYMMDDk", nullptr},
    };
    for (const auto& c : cases) {
        if (!c.error) {
            EXPECT_NO_THROW(TKartaRab::SprawdzPoprawnoscFormatu(c.format)) << c.format;
            continue;
        }
        try {
            TKartaRab::SprawdzPoprawnoscFormatu(c.format);
            ADD_FAILURE() << c.format << " accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), pl(c.error)) << c.format;
        }
    }
}

struct CodeCase {
    const char* format;
    int prefix;
    int year, month, day;
    int level;
    const char* client;
    const char* code;
};

TEST(TKartaRab, CardCode) {
    const CodeCase cases[] = {
        {"29kkkkkkkkkkx", 0, 2031, 5, 7, 0, "123", "2900000001237"},
        {"yykkkk", 0, 2031, 5, 7, 0, "12", "310012"},
        {"YYYYkk", 0, 2031, 5, 7, 0, "12", "203112"},
        {"YYkk", 0, 2031, 5, 7, 0, "12", "2012"},  // upper case keeps the first digits
        {"yyyyyykk", 0, 2031, 5, 7, 0, "1", "00203101"},
        {"mmddk", 0, 2031, 5, 7, 0, "7", "05077"},
        {"mDk", 0, 2031, 12, 31, 0, "7", "237"},            // "12" in one place: m keeps "2", D keeps "3"
        {"sskkrr", 5, 2031, 5, 7, 3, "1234567", "051203"},  // a long code keeps its first characters
        {"sk", 123, 2031, 5, 7, 0, "9", "19"},
        {"kk0kk", 0, 2031, 5, 7, 0, "12", "12012"},  // a second run repeats the section
        {"9kkk", 0, 2031, 5, 7, 0, "", "9000"},
        {"000000000000xk", 0, 2031, 5, 7, 0, "1", "0000000000000"},  // the walk moves on behind "x"
    };
    for (const auto& c : cases) {
        TKartaRab k;
        k.przedrostek = c.prefix;
        k.terminWaznosci = TdtTools::Encode(c.year, c.month, c.day);
        k.poziomRabatu = c.level;
        k.kodKlienta = c.client;
        EXPECT_EQ(k.GenerujKod(c.format), c.code) << c.format;
    }
}

TEST(CardNumberField, FromRegisterConfiguration) {
    struct Case {
        const char* text;
        int position, length;
    };
    const Case cases[] = {{"29NNNNNNNNNNC", 3, 10}, {"NNaN", 1, 2}, {"", 0, 0}, {"29xxxx", 0, 0}, {"nN", 2, 1}};
    for (const auto& c : cases) {
        const CardNumberField f = CardNumberFieldOf(c.text);
        EXPECT_EQ(f.position, c.position) << c.text;
        EXPECT_EQ(f.length, c.length) << c.text;
    }
}

}  // namespace
