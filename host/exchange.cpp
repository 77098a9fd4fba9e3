#include "host/exchange.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/cp1250.h"

namespace fs = std::filesystem;

namespace zt {
namespace {

constexpr int kMaxResultCopies = 100000;

std::string csvField(const std::string& cp1250) {
    std::string s = toUtf8(cp1250);
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

std::string number(double v) {
    if (!std::isfinite(v)) return std::isnan(v) ? "nan" : (v < 0 ? "-inf" : "inf");
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);  // shortest form that reads back the same
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

}  // namespace

std::string storeResult(const std::string& dir, const std::string& name) {
    std::error_code ec;
    fs::path source = fs::path(dir) / name;
    if (!fs::is_regular_file(source, ec)) return "";
    fs::path folder = fs::path(dir) / "results";
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) return "";
    fs::path stem = fs::path(name).stem();
    fs::path ext = fs::path(name).extension();
    for (int n = 1; n <= kMaxResultCopies; ++n) {
        std::string file = stem.string() + "-" + std::to_string(n) + ext.string();
        fs::path target = folder / file;
        if (fs::exists(target, ec)) continue;
        if (!fs::copy_file(source, target, ec) || ec) return "";
        return "results/" + file;
    }
    return "";
}

std::string goodsCsvHeader() {
    return "name,plu,codes,overwrite,group,unit,vat,price1,price2,price3,price4,open_price,package,package_code,answer,"
           "price1_x80\n";
}

std::string goodsCsvRow(const GoodsRecord& r) {
    std::string line = csvField(r.name) + "," + std::to_string(r.plu) + "," + csvField(r.codes) + "," +
                       std::to_string(r.overwrite) + "," + csvField(r.group) + "," + csvField(r.unit) + "," +
                       std::to_string(r.vat);
    for (double p : r.prices) line += "," + number(p);
    line += "," + std::to_string(r.openPrice) + "," + std::to_string(r.package) + "," + csvField(r.packageCode);
    // Sign and exponent, then the 64-bit mantissa: the ten bytes the host reads.
    char bits[32];
    std::snprintf(bits, sizeof bits, "%04X%08X%08X", static_cast<unsigned>(r.price1Bits.w[2] & 0xFFFFu),
                  static_cast<unsigned>(r.price1Bits.w[1]), static_cast<unsigned>(r.price1Bits.w[0]));
    line += "," + std::to_string(r.answer) + "," + bits;
    return line + "\n";
}

bool appendGoods(const std::string& path, const GoodsRecord& r) {
    std::error_code ec;
    bool fresh = !fs::exists(path, ec) || fs::file_size(path, ec) == 0;
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (!out) return false;
    if (fresh) out << goodsCsvHeader();
    out << goodsCsvRow(r);
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace zt
