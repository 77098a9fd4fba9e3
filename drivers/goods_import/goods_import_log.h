#pragma once
// One goods import's text for "import.log": its header, the column line and
// one line per package and goods record handed to the host, with the host's
// answer. Built in memory and appended to the file once the run is through.
#include <cstdint>
#include <string>

namespace zt {

// A record as the host receives it; the price in grosze.
struct GoodsForHost {
    std::string name;
    int number = 0;  // PLU or package number
    std::string codes;
    std::string group;
    std::string unit;
    int vat = 0;
    std::int64_t price = 0;
    bool openPrice = false;
    bool package = false;
    std::string packageCode;
};

class GoodsImportLog {
public:
    // The header with the date and time ("yyyy-mm-dd hh:nn:ss") and the column line.
    void Start(const std::string& dateTime);
    // One record with the host's answer.
    void Add(const GoodsForHost& record, int result);
    const std::string& Text() const { return text_; }

    // The word of a host answer in a package or goods line.
    static std::string ResultWord(int result, bool package);
    // A price in grosze as "%.2f" of the currency units, exact.
    static std::string Price(std::int64_t grosze);

private:
    std::string text_;
};

}  // namespace zt
