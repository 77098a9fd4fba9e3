#pragma once
// What the bench does with the plug-in's results: the files it asks the host
// to store are copied aside, goods records are appended to a CSV file.
#include <cstdint>
#include <string>

#include "action/qordll.h"

namespace zt {

// Copies dir/name to dir/results/<stem>-<n><ext> with the first free n from 1;
// returns the copy's path relative to dir ("results/wynik-1.exp"), or "" when
// the file is missing or cannot be copied.
std::string storeResult(const std::string& dir, const std::string& name);

// One goods record of the goods callback, texts in Windows-1250.
struct GoodsRecord {
    std::string name;
    std::int32_t plu = 0;
    std::string codes;
    std::int32_t overwrite = 0;
    std::string group;
    std::string unit;
    std::int32_t vat = 0;
    double prices[4] = {0, 0, 0, 0};
    std::int32_t openPrice = 0;
    std::int32_t package = 0;
    std::string packageCode;
    std::int32_t answer = 1;            // what the bench answered
    QORExtended price1Bits{{0, 0, 0}};  // the first price as it came, to check the 80-bit form
};

// The CSV header line and one record as a CSV line (UTF-8, each with "\n").
std::string goodsCsvHeader();
std::string goodsCsvRow(const GoodsRecord& r);
// Appends a record to the file, writing the header first into a new file;
// false when the file cannot be written.
bool appendGoods(const std::string& path, const GoodsRecord& r);

}  // namespace zt
