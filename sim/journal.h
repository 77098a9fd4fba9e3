#pragma once
// The journal of requests the simulated register received. Thread-safe: the
// simulator's thread writes it while tests read it.
#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace zt::sim {

struct JournalEntry {
    std::uint32_t sequence = 0;
    std::uint32_t command = 0;  // which command of its client, from 1; every send of one shares it
    std::uint16_t code = 0;
    std::string name;                        // command name, "???" when unknown
    std::string fields;                      // decoded request fields, e.g. V:1 S:"Chleb" N:450
    bool repeated = false;                   // flag bit 0x10 set in the request
    bool fromCache = false;                  // answered again from the last answer, not run
    std::uint16_t answerCode = 0;            // code of the (final) answer; 0 status answer
    std::uint16_t statusT = 0, statusW = 0;  // of a status answer
    std::string note;                        // injected fault, if any
};

// One line of text: "seq=12 2160 PLUSTATREAD V:0 B:1 -> 2160".
std::string formatEntry(const JournalEntry& e);

class Journal {
public:
    void add(JournalEntry e);
    std::vector<JournalEntry> entries() const;
    std::size_t size() const;
    // Requests with this code (repeats included).
    std::size_t count(std::uint16_t code) const;
    void clear();
    // Waits (real time, bounded) until the journal holds at least n entries.
    bool waitForSize(std::size_t n, std::uint32_t timeoutMs) const;
    // Every later entry is also appended to the file as a line. Raises when the
    // file cannot be opened.
    void writeTo(const std::string& path);

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<JournalEntry> entries_;
    std::ofstream file_;
};

}  // namespace zt::sim
