// Lines of import.log: exact prices and the words that stand in for empty values.
#include <gtest/gtest.h>

#include <limits>

#include "drivers/goods_import/goods_import_log.h"

using zt::GoodsForHost;
using zt::GoodsImportLog;

TEST(GoodsImportLog, PricesAreTheGroszeToTheLastDigit) {
    const struct {
        std::int64_t grosze;
        const char* text;
    } cases[] = {{0, "0.00"},
                 {5, "0.05"},
                 {50, "0.50"},
                 {-5, "-0.05"},
                 {-150, "-1.50"},
                 {123456, "1234.56"},
                 {999999999999LL, "9999999999.99"},
                 {std::numeric_limits<std::int64_t>::min(), "-92233720368547758.08"}};
    for (const auto& c : cases) EXPECT_EQ(GoodsImportLog::Price(c.grosze), c.text) << c.grosze;
}

TEST(GoodsImportLog, EmptyValuesAreNamedInTheLogOnly) {
    GoodsImportLog log;
    GoodsForHost goods;
    goods.name = "Woda";
    goods.number = 5;
    goods.codes = "590";
    goods.vat = -1;
    goods.price = 150;
    log.Add(goods, 7);
    GoodsForHost package = goods;
    package.package = true;
    package.openPrice = true;
    package.group = "OPAKOWANIA";
    package.unit = "opak";
    log.Add(package, -1);
    EXPECT_EQ(log.Text(),
              "Woda,5,590,NIE_ZDEFINIOWANO,NIE_ZDEFINIOWANO,-1,1.50,Nie,Nie,BRAK,NIEZNANY\r\n"
              "Woda,5,590,OPAKOWANIA,opak,-1,1.50,Tak,Tak,BRAK,BLAD\r\n");
    EXPECT_TRUE(goods.group.empty());
}
