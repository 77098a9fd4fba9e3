#pragma once
// What the save of one "combo.imp" has already done, kept in the file itself
// as comment lines that every reader skips: a buffer the host stored, the
// order document planned and written. A processing killed half way is taken
// up again by the next import, which skips what is done; so no buffer is
// handed to the host twice and no order document is lost or written twice.
//
// The host stores the token of a buffer (parameter ComboLastSave) with the
// buffer itself: a buffer handed over when the process died, stored or not,
// is known by that.
#include <set>
#include <string>
#include <string_view>

#include "platform/datetime.h"
#include "tools/api.h"

namespace zt {

inline constexpr char kLastSaveParameter[] = "ComboLastSave";

class ZT_API ZTSaveJournal {
public:
    // The journal of the file at path, whose text is given (as read for the
    // processing). A last line without its line end is cut off the file.
    ZTSaveJournal(std::string path, std::string_view text);

    // The reading that wrote the file went through to its end.
    bool ReadingComplete() const { return readingComplete_; }
    // The state lines of the file were left out of its save: a later reading
    // hands the host the register's state.
    bool StateDropped() const { return stateDropped_; }
    void MarkStateDropped();

    // The buffer of this sale day was stored by the host.
    bool Saved(const TdtTools& saleDate) const;
    // Either by a comment, or, handed over when the process died, by the
    // token the host holds.
    bool Saved(const TdtTools& saleDate, std::string_view hostToken) const;
    // The token of the buffer of this sale day: the day and a hash of the
    // file's records, so another "combo.imp" never has the same one.
    std::string Token(const TdtTools& saleDate) const;
    // The hash of the file's records alone: the same for every processing of it.
    const std::string& RecordsHash() const { return hash_; }
    // Writes down that the buffer of this sale day goes to the host now.
    void MarkSaving(const TdtTools& saleDate);
    // Writes down that the host stored the buffer of this sale day.
    void MarkSaved(const TdtTools& saleDate);

    // The order document: planned under a day and number, then written.
    bool EdiPlanned() const { return ediNumber_ != 0; }
    bool EdiWritten() const { return ediWritten_; }
    const std::string& EdiDay() const { return ediDay_; }  // YYYYMMDD
    int EdiNumber() const { return ediNumber_; }
    void MarkEdiPlanned(const std::string& day, int number);
    void MarkEdiWritten();

private:
    void append(const std::string& line);

    std::string path_;
    std::set<std::string> saved_;   // sale days, YYYYMMDD
    std::set<std::string> saving_;  // handed to the host, maybe stored
    std::string hash_;
    std::string ediDay_;
    int ediNumber_ = 0;
    bool ediWritten_ = false;
    bool readingComplete_ = false;
    bool stateDropped_ = false;
};

}  // namespace zt
