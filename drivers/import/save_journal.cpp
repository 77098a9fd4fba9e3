#include "drivers/import/save_journal.h"

#include <cstdint>

#include "drivers/import/combo_imp_lines.h"
#include "platform/text.h"
#include "platform/whole_file.h"

namespace zt {
namespace {

std::string dayOf(const TdtTools& d) { return d.ToString(TdtTools::kCompact).substr(0, 8); }

}  // namespace

ZTSaveJournal::ZTSaveJournal(std::string path, std::string_view text) : path_(std::move(path)) {
    // A last line cut short by a killed writer would take the first comment
    // as its end and become a record: it goes before anything is appended.
    if (const std::size_t end = text.find_last_of("\r\n") + 1; end != text.size()) {
        text = text.substr(0, end);
        writeFileWhole(path_, text, path_ + ".new");
    }
    // FNV-1a over the record lines (comments left out, they grow as the save goes).
    std::uint64_t h = 1469598103934665603ull;
    for (const std::string_view line : CompleteLines(text)) {
        const JournalComment j = JournalComment::Parse(line);
        switch (j.kind) {
            case JournalComment::kSaved: saved_.insert(j.day); continue;
            case JournalComment::kSaving: saving_.insert(j.day); continue;
            case JournalComment::kReadComplete: readingComplete_ = true; continue;
            case JournalComment::kStateDropped: stateDropped_ = true; continue;
            case JournalComment::kEdiWritten: ediWritten_ = ediNumber_ != 0; continue;
            case JournalComment::kEdi:
                ediDay_ = j.day;
                ediNumber_ = j.number;
                ediWritten_ = false;
                continue;
            case JournalComment::kNone: break;
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
    append(JournalComment::Saving(d));
    saving_.insert(d);
}

void ZTSaveJournal::MarkSaved(const TdtTools& saleDate) {
    const std::string d = dayOf(saleDate);
    append(JournalComment::Saved(d));
    saved_.insert(d);
}

void ZTSaveJournal::MarkStateDropped() {
    append(JournalComment::StateDropped());
    stateDropped_ = true;
}

void ZTSaveJournal::MarkEdiPlanned(const std::string& day, int number) {
    append(JournalComment::Edi(day, number));
    ediDay_ = day;
    ediNumber_ = number;
    ediWritten_ = false;
}

void ZTSaveJournal::MarkEdiWritten() {
    append(JournalComment::EdiWritten());
    ediWritten_ = true;
}

void ZTSaveJournal::append(const std::string& line) { appendFileNoFollow(path_, line + "\r\n"); }

}  // namespace zt
