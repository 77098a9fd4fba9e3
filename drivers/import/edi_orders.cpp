#include "drivers/import/edi_orders.h"

#include "action/module.h"
#include "drivers/import/receipt_records.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "platform/whole_file.h"
#include "tools/ltools.h"

namespace zt {
namespace {

constexpr int kMaxDocuments = 999;

// The code of a stored line: its second field, trimmed.
std::string codeOf(const std::string& line) {
    const std::size_t a = line.find(';');
    if (a == std::string::npos) return {};
    const std::size_t b = line.find(';', a + 1);
    return TxTools::Trim(std::string_view(line).substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1));
}

// The third field as a whole number; 0 when it is none.
std::int64_t quantityOf(const std::string& line) {
    const std::size_t a = line.find(';');
    const std::size_t b = a == std::string::npos ? a : line.find(';', a + 1);
    if (b == std::string::npos) return 0;
    const std::string q = TxTools::Trim(std::string_view(line).substr(b + 1));
    if (q.empty()) return 0;
    std::size_t i = q[0] == '-' ? 1 : 0;
    if (i == q.size() || q.size() - i > 18) return 0;
    std::int64_t v = 0;
    for (; i < q.size(); ++i) {
        if (q[i] < '0' || q[i] > '9') return 0;
        v = v * 10 + (q[i] - '0');
    }
    return q[0] == '-' ? -v : v;
}

// A text of one document line: no line breaks.
std::string oneLine(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

std::string dayText(const TdtTools& d) { return d.ToString(TdtTools::kCompact).substr(0, 8); }

std::string documentName(const ZTEdiSettings& s, int n) {
    return format("Doc%03d_%s_%03d.txt", s.registerNo, dayText(s.today).c_str(), n);
}

}  // namespace

void ZTOrderList::Add(std::string_view description, std::string_view code, std::int64_t quantity) {
    lines_.push_back(FieldText(description) + ';' + FieldText(code) + ';' + std::to_string(quantity));
}

void ZTOrderList::Replace(std::string_view description, std::string_view code, std::int64_t quantity) {
    const std::string key = TxTools::Trim(FieldText(code));
    std::erase_if(lines_, [&key](const std::string& l) { return codeOf(l) == key; });
    Add(description, code, quantity);
}

std::string BuildEdiOrderText(const ZTOrderList& orders, const ZTEdiSettings& s, int number) {
    int y = 0, m = 0, d = 0;
    s.today.Decode(y, m, d);
    std::string t;
    t += "TypPolskichLiter:LA\r\n";
    t += std::string("TypDok:") + (s.ordersAs != 0 ? "ZAM_ODB" : "ZAM") + "\r\n";
    t += "NrDok:" + std::to_string(number) + "\r\n";
    t += format("Data:%04d-%02d-%02d\r\n", y, m, d);
    t += "Magazyn:" + oneLine(s.warehouse) + "\r\n";
    t += "NIPWystawcy: " + std::to_string(s.registerNo) + "\r\n";
    t += "IndeksCentralny:NIE\r\n";
    t += format("NazwaWystawcy:Kasa nr %d (%s)\r\n", s.registerNo, oneLine(s.registerText).c_str());
    t += format("IloscLinii:%d\r\n", static_cast<int>(orders.Lines().size()));
    for (const std::string& line : orders.Lines()) {
        std::string code = codeOf(line);
        if (s.normalizeCode) code = FieldText(s.normalizeCode(code));
        const long double quantity = static_cast<long double>(quantityOf(line)) / 1000;
        t += format("Linia:Kod{%s}Ilosc{%0.3Lf}\r\n", code.c_str(), quantity);
    }
    return t;
}

int FreeEdiNumber(const ZTEdiSettings& s) {
    const std::string folder = withTrailingSeparator(s.folder);
    for (int n = 1; n <= kMaxDocuments; ++n)
        if (!fileExists(folder + documentName(s, n)) && !isLink(folder + documentName(s, n))) return n;
    throw Exception(trm("ztcombo_cbaction", "TZTComboSaveEDIOExceptio",
                        pl("Brak wolnego numeru pliku na zapisanie dokumentu zamówienia")));
}

std::string EdiDocumentName(const ZTEdiSettings& s, int number) { return documentName(s, number); }

void WriteEdiOrdersAs(const ZTOrderList& orders, const ZTEdiSettings& s, int number) {
    const std::string folder = withTrailingSeparator(s.folder);
    TLTools tools;
    tools.codePageFrom = 2;
    tools.codePageTo = 0;
    const std::string name = documentName(s, number);
    // The exchange watches "*.txt": the temporary name must not match it.
    writeFileWhole(folder + name, tools.plstring(BuildEdiOrderText(orders, s, number)),
                   folder + "~" + name.substr(0, name.size() - 4) + ".tmp");
}

std::string WriteEdiOrders(const ZTOrderList& orders, const ZTEdiSettings& s) {
    if (orders.Empty()) return {};
    const int number = FreeEdiNumber(s);
    WriteEdiOrdersAs(orders, s, number);
    return documentName(s, number);
}

std::string EdiCreatedMessage(const std::string& fileName) {
    return trm("ztcombo_cbaction", "ComboSaveEDIOmsgAnsiStri", pl("Utworzono nowy dokument EDI z zamówieniem: ")) +
           fileName;
}

}  // namespace zt
