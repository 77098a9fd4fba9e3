// The rate and time left on the bench's live progress line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/console.h"
#include "host/progress_rate.h"

using zt::ProgressRate;

namespace {

std::string st(const std::string& label, const std::string& value) { return label + ":\x01" + value; }

}  // namespace

// One step at a time: the texts the plug-in sends, when, and the note each earns.
TEST(ProgressRateTest, NotesFollowTheStepsTexts) {
    const struct Step {
        std::string text;
        std::uint32_t ms;
        std::int64_t questions;
        std::string note;
    } steps[] = {
        // A percentage: records from the stop questions, the time left from the percentage.
        {st("Wysyłanie", "10 %"), 0, 100, ""},
        {st("Wysyłanie", "15 %"), 500, 150, ""},  // under a second: nothing yet
        {st("Wysyłanie", "30 %"), 2000, 300, "  [100 rec/s, 0:07 left]"},
        {st("Wysyłanie", "100 %"), 7000, 1000, "  [128 rec/s, 0:00 left]"},
        // A new step starts afresh; a count is its own record number, with no end to tell.
        {st("Import", "5"), 8000, 1000, ""},
        {st("Import", "2005"), 10000, 1000, "  [1000 rec/s]"},
        // A text without a number ends the timing.
        {"Import\x01OK", 11000, 1000, ""},
        {st("Import", "2100"), 12000, 1000, ""},
        // A percentage without questions (no stop callback) still tells the time left.
        {st("Eksport", "1 %"), 20000, 0, ""},
        {st("Eksport", "2 %"), 80000, 0, "  [1:38:00 left]"},
    };
    ProgressRate r;
    for (const Step& s : steps) EXPECT_EQ(r.note(s.text, s.ms, s.questions), s.note) << s.text << " at " << s.ms;
}

TEST(ProgressRateTest, NoteShowsOnTheLiveLineOnly) {
    for (bool live : {true, false}) {
        std::FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        {
            zt::Console c(f, live);
            c.status(0, st("Eksport", "30 %"), "  [100 rec/s]");
        }
        std::rewind(f);
        char buf[256] = {0};
        const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
        std::fclose(f);
        EXPECT_EQ(std::string(buf, n), live ? "\rEksport: 30 %  [100 rec/s]\n" : "[STAT] Eksport:\t30 %\n");
    }
}
