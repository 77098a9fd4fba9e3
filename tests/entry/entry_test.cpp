// The plug-in driven only through its C entry points and callbacks, as the host does.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "fake_host.h"
#include "platform/cp1250.h"

using zt::pl;
using ztest::api;
using ztest::FakeHost;

namespace {

// The one-second pause of a wrong session type must not cost the test a second.
const int kVirtualTime = (setenv("ZTCOMBO_VIRTUAL_TIME", "1", 1), 0);

std::string property(int n) {
    char buf[301];
    std::memset(buf, 'x', sizeof buf);
    api().Wlasciwosci(buf, n);
    return buf;
}

struct TempDir {
    std::filesystem::path path;
    TempDir() {
        char tmpl[] = "/tmp/zt-entry-XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string withSep() const { return path.string() + "/"; }
};

class Session : public ::testing::Test {
protected:
    TempDir dir;
    FakeHost host;
    void SetUp() override {
        host.workDir = dir.withSep();
        host.params["ComboEdiFolder"] = dir.withSep() + "EDI";
        host.params["ComboDedbug"] = "0";
        host.registerAll();
    }
};

}  // namespace

TEST(LibraryLevel, PropertiesAndType) {
    (void)kVirtualTime;
    EXPECT_EQ(api().TypBiblioteki(), 1);
    EXPECT_EQ(property(1), "Posnet Combo, NEO");
    EXPECT_EQ(property(2), "ZT_Combo");
    EXPECT_EQ(property(3).substr(0, 35), "Combo wer. 1.01, 1.02, 1.03 (L EU)\n");
    EXPECT_NE(property(3).find("\nSerwer Kasowy Posnet (SKP) wer. 1.0.206"), std::string::npos);
    for (int p : {102, 103, 104, 105}) EXPECT_EQ(property(p), "1") << p;
    for (int p : {0, 4, 101, 106, -1}) EXPECT_EQ(property(p), "") << p;
}

TEST(LibraryLevel, ParameterDeclarationsAndListTexts) {
    char key[301], desc[301], def[301], mn[301], mx[301];
    std::int32_t flags = -1;
    EXPECT_EQ(api().Parametr(101, 4, key, desc, def, mn, mx, &flags), 4);
    EXPECT_STREQ(key, "ComboModemTimeout");
    EXPECT_STREQ(def, "60");
    EXPECT_STREQ(mn, "1");
    EXPECT_STREQ(mx, "255");
    EXPECT_EQ(std::string(desc), pl("Modem - timeout połączenia (sek.)"));
    EXPECT_EQ(api().Parametr(101, 13, key, desc, def, mn, mx, &flags), 1);
    EXPECT_STREQ(key, "ZT_Combo_ComboAsort1");
    EXPECT_EQ(flags, 2);
    EXPECT_EQ(api().Parametr(106, 0, key, desc, def, mn, mx, nullptr), 0);
    EXPECT_STREQ(key, "");
    EXPECT_EQ(api().Parametr(101, 23, key, desc, def, mn, mx, &flags), 1);
    EXPECT_STREQ(key, "ZT_Combo_ComboAsort7");
    EXPECT_EQ(api().Parametr(101, 24, key, desc, def, mn, mx, &flags), 1);
    EXPECT_STREQ(key, "ComboLastSave");
    EXPECT_EQ(flags, 2);
    EXPECT_EQ(api().Parametr(101, 25, key, desc, def, mn, mx, &flags), 0);
    EXPECT_EQ(flags, 0);
    // Without a program folder the defaults start at "c:\Ambrel\".
    EXPECT_EQ(api().Parametr(102, 14, key, desc, def, mn, mx, &flags), 6);
    EXPECT_STREQ(def, "c:\\Ambrel\\EDI");

    char text[301];
    EXPECT_EQ(api().TekstListyParametru("comboport", 3, text), 1);
    EXPECT_STREQ(text, "COM3");
    EXPECT_EQ(api().TekstListyParametru("ComboPort", 11, text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(api().TekstListyParametru("ComboKanMul", 5, text), 1);
    EXPECT_EQ(std::string(text), pl("8xRS232 - Kanał 1"));
}

TEST(LibraryLevel, WindowDescriptions) {
    char text[301];
    EXPECT_EQ(api().OpisOkna(text, 0), 1);
    EXPECT_STREQ(text, "Tablica stawek VAT");
    EXPECT_EQ(api().OpisOkna(text, 6), 1);
    EXPECT_EQ(std::string(text), pl("Import towarów do programu"));
    EXPECT_EQ(api().OpisOkna(text, 7), 0);
    EXPECT_STREQ(text, "");
}

TEST(LibraryLevel, NullAndUnknownAreHarmless) {
    api().ZwolnijBiblioteke(nullptr);
    FakeHost host;
    api().RejestrujCallback(host.lib, reinterpret_cast<void*>(&abort), 7);  // not a kind: ignored
    EXPECT_EQ(api().Operacja(nullptr, 1, nullptr, nullptr, -1, 0), 0);
}

// A handle that is no live library (released, released twice, never one) is
// answered as a missing library: nothing is read through it, nothing crashes
// (the sanitizers would see a use after release).
TEST(LibraryLevel, HandlesThatAreNoLiveLibraryAreAnsweredAsMissing) {
    void* released = api().RejestrujBiblioteke(5, 0, 0, nullptr);
    api().ZwolnijBiblioteke(released);
    long long stack[8] = {0x4141414141414141LL, 1, 2, 3, 4, 5, 6, 7};
    std::string heap(64, 'A');
    for (void* handle :
         {static_cast<void*>(nullptr), released, static_cast<void*>(stack), static_cast<void*>(heap.data())}) {
        char text[301] = "host text";
        char out[301];
        std::memset(out, 'x', sizeof out);
        std::int32_t op = 77, a = 5, b = 6, c = 7;
        QORSesja session{};
        api().RejestrujCallback(handle, reinterpret_cast<void*>(&abort), 5);
        api().WlasciwosciUrzadzenia(handle, 1, out, 1101);
        EXPECT_STREQ(out, "");
        EXPECT_EQ(api().JakSzukacParagonu(handle, 1, &a, &b, &c), 0);
        EXPECT_EQ(api().PokazOkno(handle, 1, 1, 1, &op, out), 0);
        EXPECT_EQ(op, 77);
        api().NazwaZasobu(handle, 1, out);
        EXPECT_STREQ(out, "");
        EXPECT_EQ(api().Operacja(handle, 1, &session, text, -1, 0), 0);
        EXPECT_STREQ(text, "host text");
        api().PodtrzymajSesje(handle, &session, text, 0, 0);
        api().ZwolnijBiblioteke(handle);
    }
    // The live library next to them still answers.
    FakeHost host;
    char out[301];
    api().WlasciwosciUrzadzenia(host.lib, 1, out, 1101);
    EXPECT_STREQ(out, "0");
}

TEST_F(Session, UnknownOperationEndsInTheErrorReport) {
    std::string text;
    EXPECT_EQ(host.run(17, 0, 0, &text), 0);
    EXPECT_EQ(text, "sesja 1");
    const auto errors = host.lines(2);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], pl("Podczas wykonywania operacji 'operacja [17]' wystąpił błąd:"));
    EXPECT_EQ(errors[1], pl("Urządzenie nie obsługuje zleconego typu operacji"));
}

TEST_F(Session, OperationNamesInReports) {
    const std::pair<int, const char*> names[] = {{-7, "nasłuch"}, {-9, "import licznika"}, {-6, "import automatyczny"}};
    for (auto [op, name] : names) {
        host.messages.clear();
        host.run(op);
        ASSERT_FALSE(host.lines(2).empty()) << op;
        EXPECT_EQ(host.lines(2)[0], pl(std::string("Podczas wykonywania operacji '") + name + "' wystąpił błąd:"));
    }
}

TEST_F(Session, WrongSessionTypeWaitsAndReturnsOne) {
    std::string text;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(host.run(-1, 0, 2, &text), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].kind, 0);
    EXPECT_EQ(host.messages[0].text, pl("Oczekiwanie na zamknięcie sesji 'sesja 1'"));
    EXPECT_EQ(text, "sesja 1");
}

TEST_F(Session, LongHostTextIsCutAt300) {
    QORSesja s{0};
    char buf[400];
    std::memset(buf, 'a', sizeof buf);
    buf[350] = 0;
    buf[399] = 0;
    api().Operacja(host.lib, 1, &s, buf, 17, 0);
    EXPECT_EQ(std::strlen(buf), 300u);
}

TEST_F(Session, SessionQueries) {
    std::int32_t printout = 0, second = 0, receipt = 0;
    host.params["ComboNrWydr"] = "";
    host.params["ComboNrParag"] = "42";
    EXPECT_EQ(api().JakSzukacParagonu(host.lib, 1, &printout, &second, &receipt), 1);
    EXPECT_EQ(printout, -1);
    EXPECT_EQ(second, -1);
    EXPECT_EQ(receipt, 42);

    char out[301];
    api().WlasciwosciUrzadzenia(host.lib, 1, out, 1101);
    EXPECT_STREQ(out, "0");
    api().WlasciwosciUrzadzenia(host.lib, 1, out, 1103);
    EXPECT_STREQ(out, "1");
    api().WlasciwosciUrzadzenia(host.lib, 1, out, 5);
    EXPECT_STREQ(out, "");

    host.params["ComboPort"] = "PLIK";
    api().NazwaZasobu(host.lib, 1, out);
    EXPECT_EQ(std::string(out), host.workDir + "combo.exp");
    host.params["ComboPort"] = "COM2";
    api().NazwaZasobu(host.lib, 1, out);
    EXPECT_STREQ(out, "COM2");
}

TEST_F(Session, KeepAliveChecksTheSessionType) {
    QORSesja ok{0}, other{3};
    char text[301] = "sesja 9";
    api().PodtrzymajSesje(host.lib, &ok, text, 0, 0);
    EXPECT_STREQ(text, "sesja 9");
    api().PodtrzymajSesje(host.lib, &other, text, 0, 0);
    EXPECT_STREQ(text, "sesja 9");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Session, EdiFolderThatCannotBeWrittenStopsTheOperation) {
    if (geteuid() == 0) {
        // root writes everywhere: use a path below a plain file instead.
        std::string file = dir.withSep() + "plik";
        FILE* f = fopen(file.c_str(), "w");
        fclose(f);
        host.params["ComboEdiFolder"] = file + "/EDI";
        host.run(-1);
        const auto errors = host.lines(2);
        ASSERT_EQ(errors.size(), 2u);
        EXPECT_EQ(errors[1], pl("Próba utworzenia katalogu zakończona błędem"));
        return;
    }
    std::string ro = dir.withSep() + "ro";
    mkdir(ro.c_str(), 0555);
    host.params["ComboEdiFolder"] = ro;
    host.run(-1);
    const auto errors = host.lines(2);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1],
              pl("Ambrel nie ma uprawnień do zapisu w katalogu \"") + ro + pl("\", nadaj uprawnienia aby kontynuować"));
}

TEST_F(Session, MissingEdiFolderIsCreatedWithAMessage) {
    host.run(17);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path / "EDI"));
    const auto info = host.lines(0);
    ASSERT_FALSE(info.empty());
    EXPECT_EQ(info[0], pl("Katalog \"") + dir.withSep() + "EDI" + pl("\" nie istnieje, próba utworzenia"));
    EXPECT_FALSE(std::filesystem::exists(dir.path / "EDI" / "test"));
}

TEST_F(Session, OverLongFoldersFailWithoutStrayFolders) {
    namespace fs = std::filesystem;
    // Paths longer than the host's buffers: the host cuts them inside the second folder name.
    const fs::path parent = dir.path / std::string(150, 'd');
    const fs::path deep = parent / std::string(150, 'e');
    fs::create_directories(deep);
    auto onlyChildOfParent = [&] {
        std::vector<fs::path> children(fs::directory_iterator(parent), fs::directory_iterator{});
        return children.size() == 1 && children[0] == deep;
    };
    struct Case {
        const char* what;
        std::string workDir, ediFolder, error;
    };
    const Case cases[] = {
        {"working directory", deep.string() + "/", dir.withSep() + "EDI",
         pl("Ścieżka katalogu roboczego \"") + (deep.string() + "/").substr(0, 260) +
             pl("...\" jest za długa, skróć ją aby kontynuować")},
        {"EDI folder", dir.withSep(), (deep / std::string(150, 'f')).string(),
         pl("Ścieżka katalogu \"") + (deep / std::string(150, 'f')).string().substr(0, 300) +
             pl("...\" jest za długa, skróć ją aby kontynuować")},
    };
    for (const Case& c : cases) {
        host.messages.clear();
        host.workDir = c.workDir;
        host.params["ComboEdiFolder"] = c.ediFolder;
        host.params["ComboDedbug"] = "1";
        EXPECT_EQ(host.run(-1), 0) << c.what;
        const auto errors = host.lines(2);
        ASSERT_EQ(errors.size(), 2u) << c.what;
        EXPECT_EQ(errors[1], c.error) << c.what;
        EXPECT_TRUE(onlyChildOfParent()) << c.what;
        EXPECT_TRUE(fs::is_empty(deep)) << c.what;
    }
}

TEST_F(Session, WeighedBarcodeFormatWarning) {
    host.params["ComboTowIdParag"] = "1";
    host.params["ComboKwKodPocz"] = "1";
    host.params["ComboKwKodKonc"] = "99";
    host.params["ComboKwPrzedr"] = "7";
    host.textList = {"28PPPPPWWWWWK"};
    host.run(17);
    const auto warnings = host.lines(1);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0],
              pl("UWAGA! W konfiguracji kasy zdefiniowano format kodów ważonych 07 dla zakresu kodów, lecz nie ma "
                 "takiego formatu w konfiguracji programu."));
    host.messages.clear();
    host.textList = {"29x", "07PPPPPWWWWWK"};
    host.run(17);
    EXPECT_TRUE(host.lines(1).empty());
}

TEST_F(Session, TranslatedTextsComeFromTheHostLookup) {
    host.reg(nullptr, 34);
    host.registerAll(true, true);
    host.translations[{"zttools_ZTLib", "TZTActioOperacjaExceptio"}] = "Device does not support it";
    host.run(17);
    const auto errors = host.lines(2);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1], "Device does not support it");
}

TEST(LibraryLevel, DriverTextsFollowTheRegisteredLibrarysTranslation) {
    char text[301];
    std::int32_t op = 0;
    {
        FakeHost host;
        host.translations[{"ztcombo_cbaction", "TZTLibraOpisOknareturn"}] = "VAT table";
        host.translations[{"ztcombo_cbaction", "boPokazOknstrcpyop_nazwa_00004"}] = "Communication report";
        api().OpisOkna(text, 0);
        EXPECT_STREQ(text, "Tablica stawek VAT");  // no lookup registered yet
        host.registerAll(true, true);
        api().OpisOkna(text, 0);
        EXPECT_STREQ(text, "VAT table");
        EXPECT_EQ(api().PokazOkno(host.lib, 1, 5, 1, &op, text), 1);
        EXPECT_STREQ(text, "Communication report");
        // A replaced lookup takes over; the one it replaced is gone.
        host.translations[{"ztcombo_cbaction", "TZTLibraOpisOknareturn"}] = "VAT rates";
        host.reg(reinterpret_cast<void*>(&ztest::HostState::cbLookup), 34);
        api().OpisOkna(text, 0);
        EXPECT_STREQ(text, "VAT rates");
    }
    // Released: the Polish texts again, and nothing left pointing at the freed translation.
    api().OpisOkna(text, 0);
    EXPECT_STREQ(text, "Tablica stawek VAT");
}

TEST_F(Session, LongWindowNameTranslationIsCutAt300) {
    // The host's lookup may answer up to 1023 bytes; the name buffer holds 301.
    host.registerAll(true, true);
    host.translations[{"ztcombo_cbaction", "boPokazOknstrcpyop_nazwa"}] = std::string(400, 'N');
    char name[301 + 64];
    std::memset(name, '#', sizeof name);
    name[0] = 0;
    std::int32_t op = -1;
    EXPECT_EQ(api().PokazOkno(host.lib, 1, 1, 1, &op, name), 1);
    EXPECT_EQ(op, 1);
    EXPECT_EQ(std::string(name), std::string(300, 'N'));
    EXPECT_EQ(std::string(name + 301, 64), std::string(64, '#'));
}

// The goods import's window names its operation in the host's buffer before
// its dialog reads the options and shows.
TEST_F(Session, WindowSixNamesItsOperationBeforeItsDialog) {
    char name[301] = "";
    std::string nameWhenAsked;
    host.onParam = [&](const std::string& key) {
        if (key == "ComboImportOverWrite") nameWhenAsked = name;
    };
    setenv("ZTCOMBO_DIALOG_SCRIPT", "cancel", 1);
    std::int32_t op = -1;
    EXPECT_EQ(api().PokazOkno(host.lib, 1, 6, 1, &op, name), 0);
    unsetenv("ZTCOMBO_DIALOG_SCRIPT");
    EXPECT_EQ(nameWhenAsked, pl("Import towarów do programu"));
    EXPECT_EQ(std::string(name), pl("Import towarów do programu"));
}

TEST_F(Session, DriverErrorTextsAreTranslated) {
    host.registerAll(true, true);
    host.translations[{"ztcombo_cbaction", "TZTComboImportPaExceptio"}] = "Run the normal import";
    EXPECT_EQ(host.run(-4), 0);
    const auto errors = host.lines(2);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], pl("Podczas wykonywania operacji 'import paragonu' wystąpił błąd:"));
    EXPECT_EQ(errors[1], "Run the normal import");
}

// Null where the host should pass its buffers: nothing is written through them.
TEST(LibraryLevel, NullOutArgumentsAreNeverWritten) {
    FakeHost host;
    host.registerAll();
    const std::function<void()> calls[] = {
        [] { api().Wlasciwosci(nullptr, 1); },
        [] { EXPECT_EQ(api().Parametr(101, 4, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 4); },
        [] { EXPECT_EQ(api().TekstListyParametru(nullptr, 0, nullptr), 0); },
        [] { EXPECT_EQ(api().TekstListyParametru("ComboPort", 3, nullptr), 1); },
        [] { EXPECT_EQ(api().OpisOkna(nullptr, 1), 1); },
        [&] { api().WlasciwosciUrzadzenia(host.lib, 1, nullptr, 1101); },
        [&] { api().JakSzukacParagonu(host.lib, 1, nullptr, nullptr, nullptr); },
        [&] { api().PokazOkno(host.lib, 1, 1, 1, nullptr, nullptr); },
        [&] { api().NazwaZasobu(host.lib, 1, nullptr); },
        [&] { EXPECT_EQ(api().Operacja(host.lib, 1, nullptr, nullptr, 17, 0), 0); },
        [&] { api().PodtrzymajSesje(host.lib, nullptr, nullptr, 0, 0); },
        [&] { api().RejestrujCallback(host.lib, nullptr, 12); },
        [] { api().UstawJezyk(-12345); },
    };
    for (const auto& call : calls) call();
    api().UstawJezyk(0);
}

// Texts of 100 000 bytes where the host's texts are bounded at 300.
TEST_F(Session, HundredThousandByteTextsAreReadUpTo300) {
    constexpr std::size_t kHuge = 100000;
    std::string huge(kHuge + 1, 'a');
    huge[kHuge] = 0;
    QORSesja s{0};
    const std::function<void(char*)> writers[] = {
        [&](char* t) { api().Operacja(host.lib, 1, &s, t, 17, 0); },
        [&](char* t) { api().PodtrzymajSesje(host.lib, &s, t, 0, 0); },
    };
    for (const auto& write : writers) {
        std::string text = huge;
        write(text.data());
        EXPECT_EQ(std::strlen(text.c_str()), 300u);
        EXPECT_EQ(text.find_first_not_of('a', 301), kHuge);  // nothing written past the bound
    }
    char out[301] = "x";
    EXPECT_EQ(api().TekstListyParametru(huge.c_str(), 1, out), 0);
    EXPECT_STREQ(out, "");
    // The session text of an error report is bounded too.
    std::string session = huge;
    EXPECT_EQ(api().Operacja(host.lib, 1, &s, session.data(), 17, 0), 0);
    for (const auto& m : host.messages) EXPECT_LE(m.text.size(), 400u);
}

namespace {

// Host callbacks that misbehave, each a plain function as a host passes it.
void fill(char* out, std::size_t size, char c) { std::memset(out, c, size); }
std::int32_t QOR_STDCALL paramFull(std::int32_t, std::int32_t, const char*, char* out) {
    fill(out, 301, 'x');  // no terminator in the whole buffer
    return 1;
}
std::int32_t QOR_STDCALL paramBinary(std::int32_t, std::int32_t, const char*, char* out) {
    for (int i = 0; i < 300; ++i) out[i] = static_cast<char>(1 + (i * 37) % 255);
    out[300] = 0;
    return 1;
}
std::int32_t QOR_STDCALL paramRefused(std::int32_t, std::int32_t, const char*, char* out) {
    out[0] = 0;
    return 0;
}
std::int32_t QOR_STDCALL envFull(std::int32_t, std::int32_t, std::int32_t* id, std::int32_t* no, char* t1, char* t2,
                                 char* wd) {
    *id = -1;
    *no = INT_MIN;
    fill(t1, 301, '\xff');
    fill(t2, 301, ';');
    fill(wd, 261, 'w');
    return 1;
}
std::int32_t QOR_STDCALL envEmptyDir(std::int32_t, std::int32_t, std::int32_t* id, std::int32_t* no, char* t1, char* t2,
                                     char* wd) {
    *id = 0;
    *no = 0;
    t1[0] = t2[0] = wd[0] = 0;
    return 0;
}
std::int32_t QOR_STDCALL abortOdd(std::int32_t, std::int32_t) { return -7; }
std::int32_t QOR_STDCALL textListEndless(std::int32_t, std::int32_t, std::int32_t, char* out) {
    fill(out, 301, '7');
    return 1;
}
std::int32_t QOR_STDCALL vatEndless(std::int32_t, std::int32_t, std::int32_t i, std::int32_t* rate) {
    *rate = i % 2 ? INT_MAX : INT_MIN + i;
    return 1;
}
std::int32_t QOR_STDCALL storeOdd(std::int32_t, std::int32_t) { return -1; }
std::int32_t QOR_STDCALL messageRefused(std::int32_t, std::int32_t, std::int32_t, const char*) { return 0; }
std::int32_t QOR_STDCALL writeRefused(std::int32_t, std::int32_t, const char*, const char*) { return -1; }
std::int32_t QOR_STDCALL lookupFull(char* out, std::int32_t size, const char*, const char*) {
    if (size > 0) fill(out, static_cast<std::size_t>(size), 'L');
    return 1;
}

struct Misuse {
    const char* name;
    std::vector<std::pair<void*, int>> callbacks;  // registered over the usual ones
};

void* fn(auto f) { return reinterpret_cast<void*>(f); }

const int kKinds[] = {5, 6, 11, 12, 13, 14, 15, 16, 17, 21, 32, 33, 34};

std::vector<Misuse> misuses() {
    std::vector<Misuse> rows = {
        {"parameters filling the whole buffer", {{fn(&paramFull), 6}}},
        {"parameters of binary bytes", {{fn(&paramBinary), 6}}},
        {"parameters refused", {{fn(&paramRefused), 6}}},
        {"environment filling every buffer", {{fn(&envFull), 11}}},
        {"environment without a working directory", {{fn(&envEmptyDir), 11}}},
        {"stop answered with neither yes nor no", {{fn(&abortOdd), 5}}},
        {"text list that never ends", {{fn(&textListEndless), 14}}},
        {"VAT rates that never end", {{fn(&vatEndless), 15}, {fn(&vatEndless), 32}}},
        {"stores answering garbage", {{fn(&storeOdd), 16}, {fn(&storeOdd), 17}, {fn(&writeRefused), 21}}},
        {"messages refused", {{fn(&messageRefused), 12}, {fn(&messageRefused), 13}}},
        {"translations filling the buffer", {{fn(&lookupFull), 34}}},
    };
    Misuse none{"no callback at all", {}};
    for (int kind : kKinds) {
        none.callbacks.push_back({nullptr, kind});
        rows.push_back({"", {{nullptr, kind}}});
    }
    rows.push_back(none);
    return rows;
}

}  // namespace

// Every call the host can make, on a host whose callbacks are missing or
// answer garbage: each call returns, and the library answers normally once
// the usual callbacks are back.
TEST_F(Session, CallbacksMissingOrAnsweringGarbage) {
    namespace fs = std::filesystem;
    host.params["ComboPort"] = "PLIK";
    {
        std::ofstream f(dir.path / "kasa.exp", std::ios::binary);
        f << "VAT;23\r\nJM;1;0;szt.\r\nASS;10;Pieczywo\r\nPLU;1;101;590;Chleb;450;450;450;450;23;1;F;0;F;F;F;0;0;10;"
             "DOD\r\n";
    }
    // Files the plug-in writes without a working directory would land here.
    TempDir cwd;
    const fs::path before = fs::current_path();
    fs::current_path(cwd.path);
    setenv("ZTCOMBO_DIALOG_SCRIPT", "cancel", 1);
    const std::pair<int, int> operations[] = {{-1, 0}, {-2, 0}, {-3, 0}, {-4, 0}, {-5, 0}, {-6, 0}, {-7, 0},
                                              {-8, 1}, {-8, 2}, {-8, 5}, {-8, 6}, {-9, 0}, {17, 0}};
    for (const auto& row : misuses()) {
        SCOPED_TRACE(row.name[0] ? row.name : "callback " + std::to_string(row.callbacks[0].second) + " missing");
        for (const auto& [p, kind] : row.callbacks) host.reg(p, kind);
        for (const auto& [operation, extra] : operations) {
            SCOPED_TRACE(operation * 100 + extra);
            const auto t0 = std::chrono::steady_clock::now();
            host.run(operation, extra);
            EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
        }
        std::int32_t a = 0, b = 0, c = 0, op = 0;
        char out[301];
        api().JakSzukacParagonu(host.lib, 1, &a, &b, &c);
        api().WlasciwosciUrzadzenia(host.lib, 1, out, 1101);
        api().NazwaZasobu(host.lib, 1, out);
        for (int w = 0; w <= 6; ++w) api().PokazOkno(host.lib, 1, w, 1, &op, out);
        QORSesja s{0};
        char text[301] = "sesja";
        api().PodtrzymajSesje(host.lib, &s, text, 0, 0);
        for (const auto& m : host.messages) EXPECT_FALSE(m.text.empty()) << m.kind;

        // The usual host again: the library was left as it was.
        host.reg(nullptr, 34);
        host.registerAll();
        host.messages.clear();
        host.run(17);
        ASSERT_EQ(host.lines(2).size(), 2u);
        EXPECT_EQ(host.lines(2)[1], pl("Urządzenie nie obsługuje zleconego typu operacji"));
        host.messages.clear();
    }
    unsetenv("ZTCOMBO_DIALOG_SCRIPT");
    fs::current_path(before);
    EXPECT_TRUE(fs::is_empty(cwd.path)) << fs::directory_iterator(cwd.path)->path();
}

// Registered and released while nothing runs, with and without callbacks;
// released twice: a library registered after them works.
TEST(LibraryLevel, ReleaseWhileNothingRuns) {
    void* bare = api().RejestrujBiblioteke(1, 0, 0, nullptr);
    ASSERT_NE(bare, nullptr);
    api().ZwolnijBiblioteke(bare);
    {
        FakeHost host;
        host.registerAll(true, true);
    }
    void* twice = api().RejestrujBiblioteke(2, 0, 0, nullptr);
    api().ZwolnijBiblioteke(twice);
    api().ZwolnijBiblioteke(twice);
    TempDir dir;
    FakeHost host;
    host.workDir = dir.withSep();
    host.params["ComboEdiFolder"] = dir.withSep() + "EDI";
    host.registerAll();
    host.run(17);
    ASSERT_EQ(host.lines(2).size(), 2u);
    EXPECT_EQ(host.lines(2)[1], pl("Urządzenie nie obsługuje zleconego typu operacji"));
}
