#include "drivers/import/save_journal.h"

#include <cstdint>

#include "platform/text.h"
#include "platform/whole_file.h"

namespace zt {
namespace {

constexpr std::string_view kSaved = "# SAVED ";
constexpr std::string_view kSaving = "# SAVING ";
constexpr std::string_view kEdi = "# EDI ";
constexpr std::string_view kEdiWritten = "# EDI WRITTEN";

std::string dayOf(const TdtTools& d) { return d.ToString(TdtTools::kCompact).substr(0, 8); }

bool isDay(std::string_view s) {
    if (s.size() != 8) return false;
    for (const char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

ZTSaveJournal::ZTSaveJournal(std::string path, std::string_view text) : path_(std::move(path)) {
    // A last line cut short by a killed writer would take the first comment
    // as its end and become a record: it goes before anything is appended.
    if (const std::size_t end = text.rfind('\n') + 1; end != text.size()) {
        text = text.substr(0, end);
        writeFileWhole(path_, text, path_ + ".new");
    }
    // FNV-1a over the record lines (comments left out, they grow as the save goes).
    std::uint64_t h = 1469598103934665603ull;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) break;  // a line cut short is no record
        std::string_view line = text.substr(start, lf - start);
        start = lf + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.substr(0, kSaved.size()) == kSaved) {
            if (const std::string_view d = line.substr(kSaved.size()); isDay(d)) saved_.insert(std::string(d));
            continue;
        }
        if (line.substr(0, kSaving.size()) == kSaving) {
            if (const std::string_view d = line.substr(kSaving.size()); isDay(d)) saving_.insert(std::string(d));
            continue;
        }
        if (line == std::string_view(kReadingCompleteComment).substr(0, sizeof kReadingCompleteComment - 3)) {
            readingComplete_ = true;
            continue;
        }
        if (line == kEdiWritten) {
            ediWritten_ = ediNumber_ != 0;
            continue;
        }
        if (line.substr(0, kEdi.size()) == kEdi) {
            // "# EDI YYYYMMDD N"
            const std::string_view rest = line.substr(kEdi.size());
            const std::string_view d = rest.substr(0, 8);
            int n = 0;
            bool ok = isDay(d) && rest.size() > 9 && rest.size() <= 12 && rest[8] == ' ';
            for (std::size_t i = 9; ok && i < rest.size(); ++i) {
                if (rest[i] < '0' || rest[i] > '9') ok = false;
                n = n * 10 + (rest[i] - '0');
            }
            if (ok && n > 0) {
                ediDay_ = std::string(d);
                ediNumber_ = n;
                ediWritten_ = false;
            }
            continue;
        }
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#' || line[first] == '-') continue;
        for (const char c : line) {
            h ^= static_cast<unsigned char>(c);
            h *= 1099511628211ull;
        }
        h ^= '\n';
        h *= 1099511628211ull;
    }
    hash_ = format("%016llx", static_cast<unsigned long long>(h));
}

bool ZTSaveJournal::Saved(const TdtTools& saleDate) const { return saved_.count(dayOf(saleDate)) != 0; }

bool ZTSaveJournal::Saved(const TdtTools& saleDate, std::string_view hostToken) const {
    return Saved(saleDate) || (saving_.count(dayOf(saleDate)) != 0 && hostToken == Token(saleDate));
}

std::string ZTSaveJournal::Token(const TdtTools& saleDate) const { return dayOf(saleDate) + ':' + hash_; }

void ZTSaveJournal::MarkSaving(const TdtTools& saleDate) {
    const std::string d = dayOf(saleDate);
    append(std::string(kSaving) + d);
    saving_.insert(d);
}

void ZTSaveJournal::MarkSaved(const TdtTools& saleDate) {
    const std::string d = dayOf(saleDate);
    append(std::string(kSaved) + d);
    saved_.insert(d);
}

void ZTSaveJournal::MarkEdiPlanned(const std::string& day, int number) {
    append(std::string(kEdi) + day + ' ' + std::to_string(number));
    ediDay_ = day;
    ediNumber_ = number;
    ediWritten_ = false;
}

void ZTSaveJournal::MarkEdiWritten() {
    append(std::string(kEdiWritten));
    ediWritten_ = true;
}

void ZTSaveJournal::append(const std::string& line) { appendFileNoFollow(path_, line + "\r\n"); }

}  // namespace zt
