#include "drivers/import/weighed_code.h"

#include <gtest/gtest.h>

#include "platform/cp1250.h"
#include "platform/exception.h"

using namespace zt;

namespace {

const std::vector<std::string> kFormats = {
    "28SSSS??????K",  // same prefix, variable part one place too early for 7-digit codes
    "28SSSSS?????K",
    "29SSSSSSSSSSK",  // only the check digit varies
    "21SSSGGG????K",
};

struct NormCase {
    const char* code;
    const char* byPrefix;
    const char* byLength;
};

TEST(TKodWazony, Normalisations) {
    const NormCase cases[] = {
        {"2812345", "2812345??????", "2812345"},  // the second 28 format stops the search
        {"281234", "281234???????", "281234"},    // the first one does
        {"28", "28", "28"},                       // two characters: unchanged
        {"2", "2", "2"},
        {"", "", ""},
        {"29123456789", "29123456789", "29123456789"},  // "K" counts as variable: 12 characters needed
        {"291234567890", "291234567890?", "291234567890"},
        {"2812345678901", "2812345678901", "281234???????"},  // the first format of the length decides
        {"2912345678901", "2912345678901", "291234567890?"},
        {"2712345", "2712345", "2712345"},  // no format of this prefix
        {"1234567890123", "1234567890123", "1234567890123"},
    };
    TKodWazony k(&kFormats);
    for (const auto& c : cases) {
        EXPECT_EQ(k.NormalizujPoPrzedrostku(c.code), c.byPrefix) << c.code;
        EXPECT_EQ(k.NormalizujPoDlugosci(c.code), c.byLength) << c.code;
    }
}

struct ComposeCase {
    const char* format;
    const char* prefix;
    const char* constant;
    int number;
    const char* code;
    const char* zeroed;
};

TEST(TKodWazony, Compose) {
    const ComposeCase cases[] = {
        {"xxSSSSS?????K", "28", "123", 0, "2800123??????", "2800123000000"},
        {"xxSSSSS?????K", "28", "000123", 0, "2800123??????", "2800123000000"},  // leading zeros dropped first
        {"xxSSSSS?????K", "28", "0000000", 0, "2800000??????", "2800000000000"},
        {"xxSSSSS?????K", "28", "1234567", 0, "2812345??????", "2812345000000"},  // too long: first digits kept
        {"xxSSSSS?????K", "7", "1", 0, "0700001??????", "0700001000000"},
        {"xxSSSSS?????K", "123", "1", 0, "1200001??????", "1200001000000"},
        {"xxSSSSS????1K", "28", "123", 0, "2800123????10", "2800123000010"},  // K after a digit is "0"
        {"xxSSSGGG????K", "21", "5", 42, "21005042?????", "2100504200000"},
        {"2xSSSSS?????K", "98", "5", 0, "2900005??????", "2900005000000"},
    };
    for (const auto& c : cases) {
        TKodWazony k;
        EXPECT_EQ(k.PoskladajKod(c.format, c.prefix, c.constant, c.number), c.code) << c.format << " " << c.constant;
        EXPECT_EQ(k.KodZerowy(), c.zeroed) << c.format;
    }
}

struct BadComposeCase {
    const char* format;
    int number;
    const char* text;
};

TEST(TKodWazony, ComposeRefusesWhatWouldNameOtherGoods) {
    const char* bad = "TKodWazony: nieprawidłowy format wcorca kodu";
    const BadComposeCase cases[] = {
        {"xxSSSSS????K", 0, bad},
        {"xxSSSSS??????K", 0, bad},
        {"xxSSSSS?????Z", 0, bad},
        {"xxSSSSS????SK", 0, bad},  // a second, narrower run overruns 13 characters
        {"xx00000?????K", 0, "TKodWazony: brak cześci stałej \"S\" w formacie"},
        {"xxSSSSS00000K", 0, "TKodWazony: brak cześci zmiennej \"?\" w formacie"},
        {"xxSSSGGG????K", 1000, "TKodWazony: liczba 1000 nie mieści się w części \"G\" formatu"},
        {"xxSSSGGG????K", -5, "TKodWazony: liczba -5 nie mieści się w części \"G\" formatu"},
    };
    for (const auto& c : cases) {
        TKodWazony k;
        try {
            k.PoskladajKod(c.format, "28", "123", c.number);
            ADD_FAILURE() << c.format << " composed";
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), pl(c.text)) << c.format;
        }
    }
}

struct ConvertCase {
    const char* code;
    int from, to;
    const char* picked;
    const char* answer;
};

TEST(TKodWazony, ReportedCodeConversion) {
    const ConvertCase cases[] = {
        {"2812345", 1, 99999, "28SSSSS?????K", "2812345??????"},  // a prefix format answers first
        {"123", 1, 99999, "28SSSSS?????K", "2800123??????"},      // a weighed goods number
        {"00123", 1, 99999, "28SSSSS?????K", "2800123??????"},
        {"99999", 1, 99999, "28SSSSS?????K", "2899999??????"},
        {"100000", 1, 99999, "28SSSSS?????K", "100000"},  // outside the range
        {"0", 1, 99999, "28SSSSS?????K", "0"},
        {"123", 1, 99999, "", "123"},               // no format for the register's prefix
        {"$7B", 1, 99999, "28SSSSS?????K", "$7B"},  // not a decimal number
        {" 12", 1, 99999, "28SSSSS?????K", " 12"},
        {"2812345678901", 1, 99999, "28SSSSS?????K", "281234???????"},  // a full code sold: by length
        {"12345678901234567890", 0, 99999, "28SSSSS?????K", "12345678901234567890"},
    };
    for (const auto& c : cases) {
        TKodWazony k(&kFormats);
        EXPECT_EQ(k.KonwertujKodRaportu(c.code, c.from, c.to, c.picked), c.answer) << c.code;
    }
}

}  // namespace
