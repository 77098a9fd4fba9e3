#pragma once
// Orders whose document could not be written (the EDI folder missing or
// full, or every number of the day taken) wait in a file of the working
// directory: the sales are stored by then, so the import goes on, and the
// next import that can write a document writes them first.
//
// The file holds groups of order lines, each after a "# " line with the
// token of the "combo.imp" it came from, so a processing taken up again
// after a kill keeps its orders once.
#include <string>
#include <string_view>
#include <vector>

namespace zt {

inline constexpr char kKeptOrdersName[] = "zamowienia_edi.txt";

class ZTKeptOrders {
public:
    // Reads the file of the working directory (ending in a separator) when
    // there is one; a line that is no order line raises with its number.
    explicit ZTKeptOrders(const std::string& workDir);

    const std::string& Path() const { return path_; }
    bool Empty() const { return lines_.empty(); }
    // The order lines in the order they were kept.
    const std::vector<std::string>& Lines() const { return lines_; }
    // The orders of the "combo.imp" of that token are in the file.
    bool Holds(std::string_view token) const;

    // Adds the lines under the token; the file is written whole, then renamed.
    void Keep(const std::string& token, const std::vector<std::string>& lines);
    // The file goes once its orders are in a document.
    void Remove();

    // "the document failed for reason; the orders wait in path".
    static std::string Message(const std::string& path, const std::string& reason);

private:
    std::string path_;
    std::string text_;
    std::vector<std::string> tokens_;
    std::vector<std::string> lines_;
};

}  // namespace zt
