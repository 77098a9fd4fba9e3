#include "drivers/import/kept_orders.h"

#include <algorithm>

#include "drivers/import/combo_imp_lines.h"
#include "drivers/import/own_file.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/fs.h"
#include "platform/whole_file.h"

namespace zt {

ZTKeptOrders::ZTKeptOrders(const std::string& workDir) : path_(workDir + kKeptOrdersName) {
    if (!fileExists(path_) && !isLink(path_)) return;
    text_ = readFileWhole(path_);
    int number = 0;
    for (const std::string_view line : AllLines(text_)) {
        ++number;
        const std::string_view bare = WithoutLineEnd(line);
        if (bare.empty()) continue;
        if (bare.substr(0, 2) == "# ") {
            tokens_.emplace_back(bare.substr(2));
            continue;
        }
        // "description;code;quantity": the description may hold no ';', the code none either.
        if (tokens_.empty() || std::count(bare.begin(), bare.end(), ';') != 2)
            throw Exception(pl("Plik ") + path_ + pl(", wiersz ") + std::to_string(number) +
                            pl(": to nie jest wiersz zamówienia"));
        lines_.emplace_back(bare);
    }
}

bool ZTKeptOrders::Holds(std::string_view token) const {
    return std::find(tokens_.begin(), tokens_.end(), token) != tokens_.end();
}

void ZTKeptOrders::Keep(const std::string& token, const std::vector<std::string>& lines) {
    std::string text = text_;
    if (!text.empty() && !HasLineEnd(text)) text += "\r\n";
    text += "# " + token + "\r\n";
    for (const std::string& l : lines) text += l + "\r\n";
    writeFileWhole(path_, text, path_ + ".new");
    text_ = std::move(text);
    tokens_.push_back(token);
    lines_.insert(lines_.end(), lines.begin(), lines.end());
}

void ZTKeptOrders::Remove() {
    if (fileExists(path_) || isLink(path_)) RemoveOwnFile(path_);
    text_.clear();
    tokens_.clear();
    lines_.clear();
}

std::string ZTKeptOrders::Message(const std::string& path, const std::string& reason) {
    return pl("Nie można zapisać dokumentu zamówienia w katalogu EDI (") + reason +
           pl("). Zamówienia z kasy zachowano w pliku ") + path +
           pl("; zostaną zapisane w dokumencie przy następnym imporcie, gdy katalog EDI będzie dostępny.");
}

}  // namespace zt
