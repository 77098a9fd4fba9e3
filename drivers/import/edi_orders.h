#pragma once
// Customer orders recorded on the register, collected while "combo.imp" is
// processed and written as one order document into the folder the host's
// document exchange watches. The document is in code page 852, as its first
// line announces.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datetime.h"
#include "tools/api.h"

namespace zt {

// Order lines "description;code;quantity" in order of arrival.
class ZT_API ZTOrderList {
public:
    // Record type 32.
    void Add(std::string_view description, std::string_view code, std::int64_t quantity);
    // Record type 33: every line of the same code goes first.
    void Replace(std::string_view description, std::string_view code, std::int64_t quantity);
    // A line as Lines() gives it, as it stands.
    void AddStored(std::string_view line) { lines_.emplace_back(line); }
    void Clear() { lines_.clear(); }
    bool Empty() const { return lines_.empty(); }
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

struct ZTEdiSettings {
    std::string folder;        // ComboEdiFolder
    int ordersAs = 1;          // ComboOrdersAs: 0 "ZAM", else "ZAM_ODB"
    std::string warehouse;     // ComboOrdersMagNo
    int registerNo = 0;        // the register number of the environment
    std::string registerText;  // the first environment text
    TdtTools today;            // the date in the name and in "Data:"
    // The code of an order line in the host's form (weighed goods by prefix);
    // null keeps it.
    std::function<std::string(std::string_view)> normalizeCode;
};

// The document text in Windows-1250, before the code page conversion.
std::string BuildEdiOrderText(const ZTOrderList& orders, const ZTEdiSettings& s, int number);

// Writes the document under the first free number of the day (written whole
// under a temporary name, then renamed) and returns its file name without
// the folder; nothing and an empty name when there are no orders. Raises
// "Brak wolnego numeru pliku..." when all 999 numbers of the day are taken.
std::string WriteEdiOrders(const ZTOrderList& orders, const ZTEdiSettings& s);

// The first free number of the day in the folder; raises as WriteEdiOrders.
int FreeEdiNumber(const ZTEdiSettings& s);
// The file name of the document of that number (without the folder).
std::string EdiDocumentName(const ZTEdiSettings& s, int number);
// Writes the document under that number, whole, then renamed.
void WriteEdiOrdersAs(const ZTOrderList& orders, const ZTEdiSettings& s, int number);

// "Utworzono nowy dokument EDI z zamówieniem: " and the file name.
std::string EdiCreatedMessage(const std::string& fileName);

}  // namespace zt
