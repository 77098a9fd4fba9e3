// Order documents for the EDI folder: bytes in code page 852, numbering per
// day, replacement of an order line by a later one of the same code.
#include "drivers/import/edi_orders.h"
#include "drivers/import/kept_orders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/whole_file.h"
#include "tests/platform/tempdir.h"

using namespace zt;
using zt::test::TempDir;

namespace {

ZTEdiSettings settings(const TempDir& d) {
    ZTEdiSettings s;
    s.folder = d.dir();
    s.ordersAs = 1;
    s.warehouse = pl("Główny");
    s.registerNo = 7;
    s.registerText = pl("Sklep Łódź");
    s.today = TdtTools::Encode(2024, 5, 6, 12, 0, 0);
    return s;
}

TEST(EdiOrders, DocumentBytesInCodePage852) {
    TempDir d;
    ZTOrderList orders;
    orders.Add(pl("Tort żółty"), "590", 1500);
    orders.Add("Ciasto", "2100123012345", 250);
    ZTEdiSettings s = settings(d);
    s.normalizeCode = [](std::string_view c) {
        return c.substr(0, 2) == "21" ? std::string(c.substr(0, 7)) + "??????" : std::string(c);
    };
    EXPECT_EQ(WriteEdiOrders(orders, s), "Doc007_20240506_001.txt");
    const std::string expected =
        "TypPolskichLiter:LA\r\n"
        "TypDok:ZAM_ODB\r\n"
        "NrDok:1\r\n"
        "Data:2024-05-06\r\n"
        "Magazyn:G\x88\xa2wny\r\n"
        "NIPWystawcy: 7\r\n"
        "IndeksCentralny:NIE\r\n"
        "NazwaWystawcy:Kasa nr 7 (Sklep \x9d\xa2"
        "d\xab)\r\n"
        "IloscLinii:2\r\n"
        "Linia:Kod{590}Ilosc{1.500}\r\n"
        "Linia:Kod{2100123??????}Ilosc{0.250}\r\n";
    EXPECT_EQ(readFileWhole(d.file("Doc007_20240506_001.txt")), expected);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.dir()), {}), 1);
}

TEST(EdiOrders, NumberingAndTypes) {
    TempDir d;
    ZTOrderList orders;
    orders.Add("A", "1", 1000);
    ZTEdiSettings s = settings(d);
    EXPECT_EQ(WriteEdiOrders(orders, s), "Doc007_20240506_001.txt");
    std::ofstream(d.file("Doc007_20240506_003.txt")) << "x";
    EXPECT_EQ(WriteEdiOrders(orders, s), "Doc007_20240506_002.txt");
    s.ordersAs = 0;
    s.warehouse = "A\r\nB;C";
    EXPECT_EQ(WriteEdiOrders(orders, s), "Doc007_20240506_004.txt");
    const std::string text = readFileWhole(d.file("Doc007_20240506_004.txt"));
    EXPECT_NE(text.find("TypDok:ZAM\r\nNrDok:4\r\n"), std::string::npos);
    EXPECT_NE(text.find("Magazyn:AB;C\r\n"), std::string::npos);
    s.today = TdtTools::Encode(2024, 5, 7);
    EXPECT_EQ(WriteEdiOrders(orders, s), "Doc007_20240507_001.txt");

    // No orders: no file.
    EXPECT_EQ(WriteEdiOrders(ZTOrderList(), s), "");
    EXPECT_FALSE(std::filesystem::exists(d.file("Doc007_20240507_002.txt")));
}

TEST(EdiOrders, NoFreeNumberFails) {
    TempDir d;
    ZTEdiSettings s = settings(d);
    for (int n = 1; n <= 999; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "Doc007_20240506_%03d.txt", n);
        std::ofstream(d.file(name)) << "x";
    }
    ZTOrderList orders;
    orders.Add("A", "1", 1000);
    EXPECT_THROW(WriteEdiOrders(orders, s), Exception);
}

TEST(EdiOrders, ReplacementKeepsTheLaterLineOfACode) {
    ZTOrderList o;
    o.Add("A", "1", 1000);
    o.Add("B", " 2", 2000);
    o.Add("C", "1", 3000);
    o.Replace("D", "1 ", 4000);
    o.Add(pl("E;\r\nx"), "3;\n", 5);
    // Texts never break the ';' fields or the lines.
    const std::vector<std::string> expected = {"B; 2;2000", "D;1 ;4000", "Ex;3;5"};
    EXPECT_EQ(o.Lines(), expected);
    ZTEdiSettings s;
    s.today = TdtTools::Encode(2024, 5, 6);
    const std::string t = BuildEdiOrderText(o, s, 5);
    EXPECT_NE(
        t.find("IloscLinii:3\r\nLinia:Kod{2}Ilosc{2.000}\r\nLinia:Kod{1}Ilosc{4.000}\r\nLinia:Kod{3}Ilosc{0.005}\r\n"),
        std::string::npos);
}

// Orders kept in the working directory: groups by the token of their
// "combo.imp", read back in order; a line that is no order line fails naming
// the file and the line.
TEST(KeptOrders, GroupsByTokenInOrderAndRefusesAForeignLine) {
    TempDir d;
    {
        ZTKeptOrders k(d.dir());
        EXPECT_TRUE(k.Empty());
        k.Keep("aa", {pl("Tort żółty;590;1500")});
        k.Keep("bb", {"Ciasto;21;250", "Chleb;1;1000"});
    }
    ZTKeptOrders k(d.dir());
    EXPECT_TRUE(k.Holds("aa") && k.Holds("bb") && !k.Holds("cc"));
    EXPECT_EQ(k.Lines(), (std::vector<std::string>{pl("Tort żółty;590;1500"), "Ciasto;21;250", "Chleb;1;1000"}));
    EXPECT_FALSE(std::filesystem::exists(k.Path() + ".new"));
    k.Remove();
    EXPECT_FALSE(std::filesystem::exists(k.Path()));

    for (const char* text : {"Ciasto;21;250\r\n", "# aa\rCiasto;21;250\r\rwhat\r"}) {
        writeFileWhole(d.dir() + kKeptOrdersName, text, d.dir() + "t");
        try {
            ZTKeptOrders bad(d.dir());
            ADD_FAILURE() << "read " << text;
        } catch (const Exception& e) {
            EXPECT_NE(std::string(e.what()).find(kKeptOrdersName), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(pl(", wiersz ")), std::string::npos) << e.what();
        }
    }
}

}  // namespace
