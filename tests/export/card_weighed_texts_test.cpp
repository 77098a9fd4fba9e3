// The texts of the card and weighed-code tools reach the host's translation
// under their module and key.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "action/module.h"
#include "drivers/export/card_file.h"
#include "drivers/export/discount_card.h"
#include "drivers/import/weighed_code.h"
#include "platform/exception.h"
#include "platform/translation.h"

using namespace zt;

namespace {

std::int32_t ZT_HOST_STDCALL lookup(char* out, std::int32_t size, const char* module, const char* key) {
    std::snprintf(out, static_cast<std::size_t>(size), "[%s/%s]", module, key);
    return 1;
}

std::string failure(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.message();
    }
    return "no failure";
}

TEST(CardAndWeighedTexts, TranslatedByModuleAndKey) {
    TMLgExtTools translation(&lookup);
    setModuleTranslation(&translation);
    struct Restore {
        ~Restore() { setModuleTranslation(nullptr); }
    } restore;

    const struct {
        std::function<std::string()> text;
        const char* expected;
    } cases[] = {
        {[] { return failure([] { TKodWazony().NormalizujPoPrzedrostku("281"); }); },
         "[zttools_Wazony/TKodWazoNormalizExceptio]"},
        {[] { return failure([] { TKodWazony().PoskladajKod("xx00000?????K", "28", "1", 0); }); },
         "[zttools_Wazony/TKodWazoPoskladaExceptio_00001]"},
        {[] { return failure([] { TKartaRab::SprawdzPoprawnoscFormatu("kkx"); }); },
         "[zttools_KartaRab/TKartaRaSprawdzPExceptio_00004]"},
        {[] { return failure([] { TKartaRab::SprawdzPoprawnoscFormatu("000"); }); },
         "[zttools_KartaRab/TKartaRaSprawdzPExceptio_00006]"},
        {[] {
             return BuildCardServerText({2, "X/0/0", 0, 0, ""}, 1, {}).warnings.at(0);
         },
         "[ztcombo_cbaction/SendDiscDodajKomQORDLL_Z]X/0/0"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text(), c.expected);
}

}  // namespace
