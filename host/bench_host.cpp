#include "host/bench_host.h"

#include <cctype>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "host/exchange.h"
#include "host/host_buffer.h"
#include "host/extended.h"
#include "host/import_file.h"
#include "host/interrupt.h"
#include "host/plugin_api.h"
#include "platform/clock.h"
#include "platform/cp1250.h"
#include "platform/whole_file.h"

namespace zt {
namespace {

// The callbacks carry only a 32-bit host value (too small for a pointer in a
// 64-bit build) and the text lookup carries nothing, so they reach the bench
// through this one pointer, set for the bench's lifetime.
BenchHost* gCurrent = nullptr;

constexpr std::size_t kText = 300;     // characters of a 301-byte buffer
constexpr std::size_t kWorkDir = 260;  // characters of the 261-byte buffer

void copyOut(char* out, const std::string& text, std::size_t max) {
    if (!out) return;
    std::size_t n = text.copy(out, max);
    out[n] = 0;
}

std::string in(const char* text) { return text ? std::string(text) : std::string(); }

// stdcall functions matching the callback types of the interface exactly.
std::int32_t QOR_STDCALL cbAbort(std::int32_t h, std::int32_t s) { return gCurrent ? gCurrent->abortQuery(h, s) : 1; }
std::int32_t QOR_STDCALL cbParam(std::int32_t h, std::int32_t s, const char* name, char* out) {
    return gCurrent ? gCurrent->parameter(h, s, name, out) : 0;
}
std::int32_t QOR_STDCALL cbEnv(std::int32_t h, std::int32_t s, std::int32_t* id, std::int32_t* regNo, char* t1,
                               char* t2, char* dir) {
    return gCurrent ? gCurrent->environment(h, s, id, regNo, t1, t2, dir) : 0;
}
std::int32_t QOR_STDCALL cbMessage(std::int32_t h, std::int32_t s, std::int32_t kind, const char* text) {
    return gCurrent ? gCurrent->message(h, s, kind, text) : 0;
}
std::int32_t QOR_STDCALL cbStatus(std::int32_t h, std::int32_t s, std::int32_t kind, const char* text) {
    return gCurrent ? gCurrent->status(h, s, kind, text) : 0;
}
std::int32_t QOR_STDCALL cbTextList(std::int32_t h, std::int32_t s, std::int32_t index, char* out) {
    return gCurrent ? gCurrent->textList(h, s, index, out) : 0;
}
std::int32_t QOR_STDCALL cbVat(std::int32_t h, std::int32_t s, std::int32_t index, std::int32_t* rate) {
    return gCurrent ? gCurrent->vatRate(h, s, index, rate, false) : 0;
}
std::int32_t QOR_STDCALL cbVatPrec(std::int32_t h, std::int32_t s, std::int32_t index, std::int32_t* rate) {
    return gCurrent ? gCurrent->vatRate(h, s, index, rate, true) : 0;
}
std::int32_t QOR_STDCALL cbStoreExport(std::int32_t h, std::int32_t s) {
    return gCurrent ? gCurrent->store(h, s, "wynik.exp") : 0;
}
std::int32_t QOR_STDCALL cbStoreImport(std::int32_t h, std::int32_t s) {
    return gCurrent ? gCurrent->store(h, s, "kasa.imp") : 0;
}
std::int32_t QOR_STDCALL cbWriteParam(std::int32_t h, std::int32_t s, const char* name, const char* value) {
    return gCurrent ? gCurrent->writeParameter(h, s, name, value) : 0;
}
std::int32_t QOR_STDCALL cbGoods(std::int32_t h, std::int32_t s, const char* name, std::int32_t plu, const char* codes,
                                 std::int32_t overwrite, const char* group, const char* unit, std::int32_t vat,
                                 QORPrice p1, QORPrice p2, QORPrice p3, QORPrice p4, std::int32_t openPrice,
                                 std::int32_t package, const char* packageCode) {
    const QORExtended prices[4] = {qorPriceBits(p1), qorPriceBits(p2), qorPriceBits(p3), qorPriceBits(p4)};
    return gCurrent ? gCurrent->goods(h, s, name, plu, codes, overwrite, group, unit, vat, prices, openPrice, package,
                                      packageCode)
                    : -1;
}
std::int32_t QOR_STDCALL cbLookup(char* out, std::int32_t size, const char* module, const char* key) {
    return gCurrent ? gCurrent->lookup(out, size, module, key) : 0;
}

// Compile-time proof that every function has the exact type of its kind.
[[maybe_unused]] constexpr QORCbAbort kAbort = cbAbort;
[[maybe_unused]] constexpr QORCbParam kParam = cbParam;
[[maybe_unused]] constexpr QORCbEnv kEnv = cbEnv;
[[maybe_unused]] constexpr QORCbMessage kMessage = cbMessage;
[[maybe_unused]] constexpr QORCbMessage kStatus = cbStatus;
[[maybe_unused]] constexpr QORCbTextList kTextList = cbTextList;
[[maybe_unused]] constexpr QORCbVat kVat = cbVat;
[[maybe_unused]] constexpr QORCbVat kVatPrec = cbVatPrec;
[[maybe_unused]] constexpr QORCbStore kStoreExport = cbStoreExport;
[[maybe_unused]] constexpr QORCbStore kStoreImport = cbStoreImport;
[[maybe_unused]] constexpr QORCbWriteParam kWriteParam = cbWriteParam;
[[maybe_unused]] constexpr QORCbGoods kGoods = cbGoods;
[[maybe_unused]] constexpr QORLookup kLookup = cbLookup;

template <typename F>
void* asPointer(F f) {
    return reinterpret_cast<void*>(f);
}

}  // namespace

BenchHost::BenchHost(const BenchOptions& options, Console& console, ParamsFile params, TranslationFile translations,
                     bool haveTranslations, std::string workDir)
    : options_(options),
      console_(console),
      params_(std::move(params)),
      translations_(std::move(translations)),
      haveTranslations_(haveTranslations),
      workDir_(std::move(workDir)) {
    if (gCurrent) throw std::logic_error("only one bench host at a time");
    const std::string ruleError = goodsRule_.Parse(options_.goodsAnswer);
    if (!ruleError.empty()) throw std::invalid_argument(ruleError);
    gCurrent = this;
}

BenchHost::~BenchHost() { gCurrent = nullptr; }

BenchHost* BenchHost::current() { return gCurrent; }

void BenchHost::registerCallbacks(const PluginApi& api, void* library) {
    loadDeclaredDefaults(api);
    // The lookup first, so the library's texts can follow it; the environment
    // before any session call.
    if (haveTranslations_) api.RejestrujCallback(library, asPointer(kLookup), QOR_CB_LOOKUP);
    api.RejestrujCallback(library, asPointer(kEnv), QOR_CB_ENV);
    api.RejestrujCallback(library, asPointer(kParam), QOR_CB_PARAM);
    if (options_.abortCallback) api.RejestrujCallback(library, asPointer(kAbort), QOR_CB_ABORT);
    api.RejestrujCallback(library, asPointer(kMessage), QOR_CB_MESSAGE);
    api.RejestrujCallback(library, asPointer(kStatus), QOR_CB_STATUS);
    api.RejestrujCallback(library, asPointer(kTextList), QOR_CB_TEXTLIST);
    api.RejestrujCallback(library, asPointer(kVat), QOR_CB_VAT);
    api.RejestrujCallback(library, asPointer(kVatPrec), QOR_CB_VAT_PREC);
    api.RejestrujCallback(library, asPointer(kStoreExport), QOR_CB_STORE_EXPORT);
    api.RejestrujCallback(library, asPointer(kStoreImport), QOR_CB_STORE_IMPORT);
    api.RejestrujCallback(library, asPointer(kWriteParam), QOR_CB_WRITE_PARAM);
    api.RejestrujCallback(library, asPointer(kGoods), QOR_CB_GOODS);
}

void BenchHost::checkCaller(const char* kind, std::int32_t host, std::int32_t session) {
    if (host != kHostValue || session != options_.sessionValue())
        console_.line("[HOST] callback " + std::string(kind) + " called with host value " + std::to_string(host) +
                      " and session " + std::to_string(session) + ", expected " + std::to_string(kHostValue) + " and " +
                      std::to_string(options_.sessionValue()));
}

std::int32_t BenchHost::abortQuery(std::int32_t host, std::int32_t session) {
    checkCaller("5", host, session);
    ++abortQueries_;
    if (InterruptGuard::interrupted()) return 1;
    return options_.abortAfter && abortQueries_ > *options_.abortAfter ? 1 : 0;
}

// A host holds every parameter the library declares, with its declared
// default until someone sets it; a key the file lacks answers that default.
void BenchHost::loadDeclaredDefaults(const PluginApi& api) {
    constexpr int kGroupFirst = 101, kGroupLast = 107, kMaxIndex = 1000;
    for (int group = kGroupFirst; group <= kGroupLast; ++group) {
        for (int index = 0; index < kMaxIndex; ++index) {
            Text301 key, desc, def, min, max;
            std::int32_t flags = 0;
            if (api.Parametr(group, index, key.get(), desc.get(), def.get(), min.get(), max.get(), &flags) == 0) break;
            std::string k = key.text();
            for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (!k.empty()) declared_.emplace(std::move(k), def.text());
        }
    }
}

std::int32_t BenchHost::parameter(std::int32_t host, std::int32_t session, const char* name, char* out) {
    checkCaller("6", host, session);
    std::string key = in(name);
    std::optional<std::string> v = params_.get(key);
    if (!v) {
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto it = declared_.find(key);
        if (it != declared_.end()) v = it->second;
    }
    copyOut(out, v.value_or(""), kText);
    return 1;
}

std::int32_t BenchHost::environment(std::int32_t host, std::int32_t session, std::int32_t* id, std::int32_t* regNo,
                                    char* text1, char* text2, char* workDir) {
    checkCaller("11", host, session);
    if (id) *id = 1;
    if (regNo) *regNo = options_.registerNo;
    copyOut(text1, "Tekst 1", kText);
    copyOut(text2, "Tekst 2", kText);
    copyOut(workDir, workDir_, kWorkDir);
    return 1;
}

std::int32_t BenchHost::message(std::int32_t host, std::int32_t session, std::int32_t kind, const char* text) {
    checkCaller("12", host, session);
    if (kind == 2) ++errorMessages_;
    console_.message(kind, in(text));
    return 1;
}

std::int32_t BenchHost::status(std::int32_t host, std::int32_t session, std::int32_t kind, const char* text) {
    checkCaller("13", host, session);
    const std::string t = in(text);
    console_.status(kind, t, rate_.note(t, tickCount(), abortQueries_));
    return 1;
}

std::int32_t BenchHost::textList(std::int32_t host, std::int32_t session, std::int32_t index, char* out) {
    checkCaller("14", host, session);
    if (index < 0 || static_cast<std::size_t>(index) >= options_.barcodeFormats.size()) {
        copyOut(out, "", kText);
        return 0;
    }
    copyOut(out, options_.barcodeFormats[static_cast<std::size_t>(index)], kText);
    return 1;
}

std::int32_t BenchHost::vatRate(std::int32_t host, std::int32_t session, std::int32_t index, std::int32_t* rate,
                                bool hundredths) {
    checkCaller(hundredths ? "32" : "15", host, session);
    if (index < 0 || static_cast<std::size_t>(index) >= options_.vat.size()) return 0;
    std::int32_t r = options_.vat[static_cast<std::size_t>(index)];
    if (rate) *rate = hundredths && r > 0 ? r * 100 : r;
    return 1;
}

std::int32_t BenchHost::store(std::int32_t host, std::int32_t session, const char* file) {
    checkCaller(std::strcmp(file, "wynik.exp") == 0 ? "16" : "17", host, session);
    if (options_.refuseStore) {
        console_.line(std::string("[HOST] refused to store ") + file);
        return 0;
    }
    std::string copy = storeResult(workDir_, file);
    if (copy.empty()) {
        console_.line(std::string("[HOST] cannot store ") + file + " (missing or not copied)");
        return 0;
    }
    console_.line(std::string("[HOST] stored ") + file + " as " + copy);
    if (std::strcmp(file, "wynik.exp") == 0) showResult(workDir_ + file);
    if (std::strcmp(file, "kasa.imp") == 0) return loadImport(workDir_ + file);
    return 1;
}

std::int32_t BenchHost::loadImport(const std::string& path) {
    std::string text;
    try {
        text = readFileWhole(path);
    } catch (const std::exception&) {
        console_.line("[HOST] cannot read " + path);
        return 0;
    }
    for (const ImportSection& s : ImportFileSections(text)) {
        console_.line("[HOST] kasa.imp [" + s.name + "]");
        for (const std::string& l : s.lines) console_.line("[HOST]   " + Console::printable(l, "\t"));
    }
    // The host keeps the plug-in's parameters the file hands over as its own.
    for (const auto& [name, value] : ImportFileParameters(text)) {
        params_.set(name, value);
        const std::string shown = toUtf8(ParamsFile::formatLine(name, value));
        if (!options_.paramsFile.empty() && !params_.save()) {
            console_.line("[HOST] cannot write parameter " + shown + " to " + options_.paramsFile);
            return 0;
        }
        console_.line("[HOST] stored parameter " + shown);
    }
    return 1;
}

void BenchHost::showResult(const std::string& path) {
    // What the host learns from an export: the records that reached the register.
    std::ifstream f(path, std::ios::binary);
    std::string line;
    int count = 0;
    while (std::getline(f, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (++count <= kResultLinesShown) console_.line("[HOST] wynik.exp: " + toUtf8(line));
    }
    if (count > kResultLinesShown)
        console_.line("[HOST] wynik.exp: ... " + std::to_string(count - kResultLinesShown) + " more lines");
    console_.line("[HOST] wynik.exp: " + std::to_string(count) + " records transferred");
}

std::int32_t BenchHost::writeParameter(std::int32_t host, std::int32_t session, const char* name, const char* value) {
    checkCaller("21", host, session);
    std::string key = in(name);
    std::string shown = toUtf8(ParamsFile::formatLine(key, in(value)));
    if (options_.refuseStore || key.empty()) {
        console_.line("[HOST] refused to store parameter " + shown);
        return 0;
    }
    params_.set(key, in(value));
    if (!options_.paramsFile.empty() && !params_.save()) {
        console_.line("[HOST] cannot write parameter " + shown + " to " + options_.paramsFile);
        return 0;
    }
    console_.line("[HOST] stored parameter " + shown);
    return 1;
}

std::int32_t BenchHost::goods(std::int32_t host, std::int32_t session, const char* name, std::int32_t plu,
                              const char* codes, std::int32_t overwrite, const char* group, const char* unit,
                              std::int32_t vat, const QORExtended prices[4], std::int32_t openPrice,
                              std::int32_t package, const char* packageCode) {
    checkCaller("33", host, session);
    GoodsRecord r;
    r.name = in(name);
    r.plu = plu;
    r.codes = in(codes);
    r.overwrite = overwrite;
    r.group = in(group);
    r.unit = in(unit);
    r.vat = vat;
    for (int i = 0; i < 4; ++i) r.prices[i] = extendedToDouble(prices[i]);
    r.openPrice = openPrice;
    r.package = package;
    r.packageCode = in(packageCode);
    r.answer = goodsRule_.Answer(plu, package != 0);
    r.price1Bits = prices[0];
    const std::string csv = options_.goodsCsv.empty() ? workDir_ + "goods.csv" : options_.goodsCsv;
    if (!appendGoods(csv, r)) {
        console_.line("[HOST] cannot append to " + csv);
        return -1;
    }
    return r.answer;
}

std::int32_t BenchHost::lookup(char* out, std::int32_t size, const char* module, const char* key) {
    if (!out || size <= 0) return 0;
    out[0] = 0;
    auto text = translations_.find(in(module), in(key));
    if (!text || text->empty()) return 0;
    copyOut(out, *text, static_cast<std::size_t>(size) - 1);
    return 1;
}

}  // namespace zt
