// The request journal.
#include "sim/journal.h"

#include <chrono>

#include "platform/exception.h"

namespace zt::sim {

std::string formatEntry(const JournalEntry& e) {
    std::string s = "seq=" + std::to_string(e.sequence) + " " + std::to_string(e.code) + " " + e.name;
    if (!e.fields.empty()) s += " " + e.fields;
    if (e.repeated) s += " [repeated]";
    if (e.fromCache) s += " [from cache]";
    s += " -> " + std::to_string(e.answerCode);
    if (e.answerCode == 0) s += " T" + std::to_string(e.statusT) + " W" + std::to_string(e.statusW);
    if (!e.note.empty()) s += " (" + e.note + ")";
    return s;
}

void Journal::add(JournalEntry e) {
    {
        std::lock_guard lock(mutex_);
        if (file_.is_open()) {
            file_ << formatEntry(e) << '\n';
            file_.flush();
        }
        entries_.push_back(std::move(e));
    }
    changed_.notify_all();
}

std::vector<JournalEntry> Journal::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::size_t Journal::size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

std::size_t Journal::count(std::uint16_t code) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& e : entries_) n += e.code == code;
    return n;
}

void Journal::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

bool Journal::waitForSize(std::size_t n, std::uint32_t timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return entries_.size() >= n; });
}

void Journal::writeTo(const std::string& path) {
    std::lock_guard lock(mutex_);
    file_.close();
    file_.open(path, std::ios::binary | std::ios::app);
    if (!file_) throw Exception("cannot open journal file " + path);
}

}  // namespace zt::sim
