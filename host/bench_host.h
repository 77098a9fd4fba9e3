#pragma once
// The bench in the host's part: answers the callbacks the plug-in calls.
#include <cstdint>
#include <map>
#include <string>

#include "action/qordll.h"
#include "host/console.h"
#include "host/goods_rule.h"
#include "host/options.h"
#include "host/params_file.h"
#include "host/progress_rate.h"
#include "host/translation_file.h"

namespace zt {

class PluginApi;

class BenchHost {
public:
    // The host value given at registration; every callback must bring it back.
    static constexpr std::int32_t kHostValue = 0x5A54;

    // workDir: the register's working directory, with its trailing separator.
    BenchHost(const BenchOptions& options, Console& console, ParamsFile params, TranslationFile translations,
              bool haveTranslations, std::string workDir);
    ~BenchHost();
    BenchHost(const BenchHost&) = delete;
    BenchHost& operator=(const BenchHost&) = delete;

    // Registers every callback kind for a registered library (lookup first).
    void registerCallbacks(const PluginApi& api, void* library);

    // The bench that answers callbacks now (one per process), null when none.
    static BenchHost* current();

    // Callback bodies, called by the stdcall functions registered with the plug-in.
    std::int32_t abortQuery(std::int32_t host, std::int32_t session);
    std::int32_t parameter(std::int32_t host, std::int32_t session, const char* name, char* out);
    std::int32_t environment(std::int32_t host, std::int32_t session, std::int32_t* id, std::int32_t* regNo,
                             char* text1, char* text2, char* workDir);
    std::int32_t message(std::int32_t host, std::int32_t session, std::int32_t kind, const char* text);
    std::int32_t status(std::int32_t host, std::int32_t session, std::int32_t kind, const char* text);
    std::int32_t textList(std::int32_t host, std::int32_t session, std::int32_t index, char* out);
    std::int32_t vatRate(std::int32_t host, std::int32_t session, std::int32_t index, std::int32_t* rate,
                         bool hundredths);
    std::int32_t store(std::int32_t host, std::int32_t session, const char* file);
    std::int32_t writeParameter(std::int32_t host, std::int32_t session, const char* name, const char* value);
    std::int32_t goods(std::int32_t host, std::int32_t session, const char* name, std::int32_t plu, const char* codes,
                       std::int32_t overwrite, const char* group, const char* unit, std::int32_t vat,
                       const QORExtended prices[4], std::int32_t openPrice, std::int32_t package,
                       const char* packageCode);
    std::int32_t lookup(char* out, std::int32_t size, const char* module, const char* key);

    const ParamsFile& params() const { return params_; }
    std::int32_t abortQueries() const { return abortQueries_; }
    // Error messages (kind 2) the plug-in has sent: an operation that sent one failed.
    std::int32_t errorMessages() const { return errorMessages_; }

private:
    static constexpr int kResultLinesShown = 50;
    void loadDeclaredDefaults(const PluginApi& api);
    std::map<std::string, std::string> declared_;  // lower-case key -> declared default
    // Prints the export's result file line by line.
    void showResult(const std::string& path);
    // Reports a callback that brings another host value or session than the bench gave.
    void checkCaller(const char* kind, std::int32_t host, std::int32_t session);
    // The host loads a stored "kasa.imp": shows it section by section and keeps
    // its [OPERACJE] parameters; 0 when a parameter cannot be kept.
    std::int32_t loadImport(const std::string& path);

    const BenchOptions& options_;
    Console& console_;
    ParamsFile params_;
    TranslationFile translations_;
    bool haveTranslations_;
    std::string workDir_;
    GoodsRule goodsRule_;
    std::int32_t abortQueries_ = 0;
    std::int32_t errorMessages_ = 0;
    ProgressRate rate_;
};

}  // namespace zt
