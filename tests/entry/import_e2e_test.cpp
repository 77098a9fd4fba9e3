// The import from the register as the host runs it: the plug-in loaded with
// dlopen, the register simulator on TCP/IP, "combo.imp" and "kasa.imp" read
// back byte for byte.
#include "import_fixture.h"

using namespace ztest;

namespace {

TEST_F(Import, SalesCountersAndCashStateReachTheHost) {
    importOk();
    EXPECT_EQ(host.storeImport, 1);
    EXPECT_FALSE(exists("combo.imp"));
    EXPECT_FALSE(exists("kasa.tmp"));

    const std::string read = lastComboImp();
    EXPECT_EQ(linesOf(read, "SPT;"),
              "SPT;1;1350;3000;20000;06-05-2024\r\nSPT;2;658;2000;10000;05-05-2024\r\n"
              "SPT;3;0;0;0;00-00-0000\r\nSPT;4;0;0;0;00-00-0000\r\nSPT;10;0;0;0;00-00-0000\r\n");
    EXPECT_EQ(linesOf(read, "SPO;"), "SPO;1;12000;3000;600;150;40000\r\nSPO;2;0;0;0;0;0\r\n");
    EXPECT_EQ(linesOf(read, "KAS;"),
              "KAS;1;Kowalska;45;0;20240506103000000;20240506123000000;150;50;10000;2000;2008;3;1;399;1;329\r\n");
    EXPECT_EQ(linesOf(read, "KPL;"), pl("KPL;1;Gotówka;1508;10000\r\nKPL;2;Karta płatnicza;500;10000\r\n"
                                        "KPL;3;Euro;1000;43125\r\n"));

    const std::string kasa = file("kasa.imp");
    EXPECT_EQ(section(kasa, "TOWAROWE"), "PLU;1;;3000;1350\r\nPLU;2;;2000;658\r\nPLU;;1;9000;450\r\n");
    EXPECT_EQ(handedParams(kasa), "KASPAR;ComboLastReceipt;3302\r\nKASPAR;ComboLastSave;20240506:*\r\n");
    EXPECT_EQ(section(kasa, "STAN_KASY"),
              "KAS_NUMER;1\r\nKAS_NAZWISKO;Kowalska\r\nKAS_ZMSTART;20240506103000000\r\n"
              "KAS_BIEZ;20240506123000000\r\nKAS_STANKASY;1508\r\nKAS_KARTY;500\r\nKAS_PARAGONOW;3\r\n"
              "KAS_IL_PAR_ANULOWANYCH;1\r\nKAS_WART_PAR_ANULOWANYCH;399\r\nKAS_IL_STORNO;1\r\nKAS_WART_STORNO;329\r\n"
              "KAS_WAL1_NAZWA;EUR\r\nKAS_WAL1_KURS;43125\r\nKAS_WAL1_STAN;1000\r\nKAS_WAL1_BILANS;4312\r\n");
    EXPECT_NE(kasa.find("DATA_SPRZEDAZY;20240506000000000\r\n"), std::string::npos);
    EXPECT_TRUE(has(pl(" ------ WARTOŚĆ SPRZEDAŻY:     24.58 zł. (w/g PLU) ------"))) << dump();
    EXPECT_TRUE(has(pl("Zapis do bazy 2024-05-06 (poniedziałek):"))) << dump();
    // The sales counters stay in the register; the receipt buffer is read to its end.
    EXPECT_EQ(sim.journal().count(zt::cmdPLUSTATCLEARALL), 0u);
    EXPECT_TRUE(sim.state().receipts.empty());
}

TEST_F(Import, NobodyLoggedInGivesAnEmptyCashLine) {
    sim.updateState([](RegisterState& s) { s.loggedCashier = 0; });
    importOk();
    const std::string read = lastComboImp();
    EXPECT_EQ(linesOf(read, "KAS;"), "KAS;0\r\n");
    EXPECT_EQ(linesOf(read, "KPL;"), "");
    EXPECT_EQ(section(file("kasa.imp"), "STAN_KASY"), "KAS_NUMER;0\r\n");
    EXPECT_EQ(sim.journal().count(zt::cmdUSERSTATREAD), 0u);
}

TEST_F(Import, FiscalDailyReportRunsOnTheRegistersOwnClock) {
    host.params["ComboFiscalReport"] = "1";
    importOk();
    ASSERT_EQ(sim.journal().count(zt::cmdREPFSKDAILY), 1u);
    for (const auto& e : sim.journal().entries())
        if (e.code == zt::cmdREPFSKDAILY) {
            EXPECT_EQ(e.fields, "B:6 B:5 V:2024 B:12 B:30");
        }
    EXPECT_TRUE(has(pl("Raport dobowy fiskalny..."))) << dump();
    // The report's record is read with the rest of the buffer.
    EXPECT_NE(lastComboImp().find("\r\nP_FSK;20240506000000000;41;12345;2300;500;0;150;0;0;\r\n"), std::string::npos);
}

TEST_F(Import, ZeroTotalizersSkipTheReportAndTheImportGoesOn) {
    sim.updateState([](RegisterState& s) { s.totalizersNonZero = false; });
    host.params["ComboFiscalReport"] = "1";
    EXPECT_EQ(host.run(-3), 0);
    EXPECT_EQ(sim.journal().count(zt::cmdREPFSKDAILY), 0u);
    const auto warnings = host.lines(1);
    EXPECT_NE(std::find(warnings.begin(), warnings.end(), pl("Zerowe totalizery - raport dobowy nie został wykonany")),
              warnings.end())
        << dump();
    EXPECT_EQ(host.storeImport, 1);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
}

TEST_F(Import, ARegisterWithoutReceiptBufferIsNotAskedForReceipts) {
    sim.updateState([](RegisterState& s) { s.typeCode = 5; });  // BINGO HS 3.02, family 3
    host.params["ComboImpMode"] = "1";
    importOk();
    EXPECT_TRUE(has(pl("Kasa nie posiada bufora paragonów!"))) << dump();
    EXPECT_EQ(sim.journal().count(zt::cmdSALERECGET), 0u);
    EXPECT_FALSE(sim.state().receipts.empty());
    // Out of the receipt-buffer mode the counters are the day's sales.
    EXPECT_EQ(section(file("kasa.imp"), "TOWAROWE"), "PLU;1;;3000;1350\r\nPLU;2;;2000;658\r\nPLU;;1;9000;450\r\n");
}

TEST_F(Import, ReceiptBufferBecomesReceiptLines) {
    importOk();
    const std::string read = lastComboImp();
    EXPECT_EQ(
        linesOf(read, "P_PLU;"),
        pl("P_PLU;2;1;5900000000017;Chleb żytni;2000;900;0\r\nP_PLU;2;2;5900000000024;Mleko 3,2% 1 l;1000;329;1\r\n"
           "P_PLU;0;4;5900000000048;Piwo jasne 0,5 l;1000;399;0\r\n"
           "P_PLU;1;10;5900000000109;Zestaw śniadaniowy;1000;699;0\r\n"));
    EXPECT_EQ(linesOf(read, "P_TRN;"), pl("P_TRN;1201;20240506104500000;1;Kowalska;1;1284;1284;3301\r\n"
                                          "P_TRN;1202;20240506111500000;1;Kowalska;1;699;699;3302\r\n"));
    EXPECT_EQ(linesOf(read, "P_RAB;"), pl("P_RAB;21;Rabat na pozycję;1;1;45;\r\n"
                                          "P_RAB;23;Karta stałego klienta;2;2;20;99001234567891\r\n"));
    EXPECT_EQ(linesOf(read, "P_OPA;"), "P_OPA;0;1;1;1000;50\r\nP_OPA;1;1;1;2000;100\r\n");
    EXPECT_EQ(linesOf(read, "P_WAL;"), "P_WAL;6;3;EUR;431;100;43125\r\n");
    EXPECT_EQ(linesOf(read, "P_ANU;"), pl("P_ANU;20240506110200000;1;Kowalska;1;2;399;399\r\n"));
    EXPECT_EQ(linesOf(read, "P_ZAM;"),
              pl("P_ZAM;32;3;2800003;1500;Jabłka luz\r\nP_ZAM;33;3;2800003;2500;Jabłka luz\r\n"));
    EXPECT_EQ(linesOf(read, "P_PLA;4"), pl("P_PLA;4;1;Gotówka;1;10000;Wpłata do kasy;1;Kowalska;1\r\n"));
    // Every record but the last is confirmed by the request after it; the last by the empty answer's request.
    EXPECT_EQ(sim.journal().count(zt::cmdSALERECGET), 20u);
}

TEST_F(Import, RegisterTextsNeverBreakTheLines) {
    sim.updateState([](RegisterState& s) {
        s.receipts = {receipt::position(10, 2, 1, "59\r\n01", "Chleb;\r\nrazowy", 1000, 450),
                      receipt::transaction(17, 7, {2024, 5, 6, 9, 0, 0}, "1", "Kowal;ska\r\n", 1, 450, 450, 8)};
        s.cashiers[0].name = "Kowal;ska\r\n";
        s.receiptBufferAlarm = true;
    });
    importOk();
    const std::string read = lastComboImp();
    EXPECT_EQ(linesOf(read, "P_PLU;"), "P_PLU;2;1;5901;Chlebrazowy;1000;450;0\r\n");
    EXPECT_EQ(linesOf(read, "P_TRN;"), "P_TRN;7;20240506090000000;1;Kowalska;1;450;450;8\r\n");
    EXPECT_EQ(linesOf(read, "KAS;").substr(0, 15), "KAS;1;Kowalska;");
    // A buffer near its end is only a warning.
    const auto warnings = host.lines(1);
    EXPECT_NE(std::find(warnings.begin(), warnings.end(),
                        pl("UWAGA! Osiągnięto niebezpieczny poziom zapełnienia bufora paragonów! Zwiększ częstotliwość "
                           "importów")),
              warnings.end())
        << dump();
}

// A leftover "combo.imp" goes to the host first. The register's counters
// (bread: 3000 sold for 1350 now) and cash state reach the host once: a
// leftover's only when the host stored them before, and then the reading that
// follows books what was sold since. Meanwhile the counters cannot be cleared.
TEST_F(Import, LeftoverComboImpIsProcessedFirst) {
    const struct {
        const char* name;
        const char* leftover;
        const char* bread;  // what the new reading books for PLU 1; "" nothing
        std::uint8_t typeCode = 29;
        const char* impMode = "0";
    } rows[] = {
        {"a reading that broke off", "SPT;1;500;1000;0;05-05-2024\r\n", "PLU;1;;3000;1350\r\n"},
        {"a whole reading the host never stored", "SPT;1;500;1000;0;05-05-2024\r\nKAS;0\r\n# READ COMPLETE\r\n",
         "PLU;1;;3000;1350\r\n"},
        {"a whole reading the host stored, sales since",
         "SPT;1;1000;2000;0;05-05-2024\r\nKAS;0\r\n# READ COMPLETE\r\n# SAVING 20240506\r\n# SAVED 20240506\r\n",
         "PLU;1;;1000;350\r\n"},
        {"a whole reading the host stored, counters cleared since",
         "SPT;1;2000;5000;0;05-05-2024\r\nKAS;0\r\n# READ COMPLETE\r\n# SAVED 20240506\r\n", "PLU;1;;3000;1350\r\n"},
        {"stored, then dropped by a processing of the leftover",
         "SPT;1;1000;2000;0;05-05-2024\r\nKAS;0\r\n# READ COMPLETE\r\n# STATE DROPPED\r\n# SAVED 20240506\r\n",
         "PLU;1;;3000;1350\r\n"},
        // Without a receipt buffer the register's mode is the counters, whatever ComboImpMode says.
        {"stored, a register without a receipt buffer", "SPT;1;1000;2000;0;05-05-2024\r\nKAS;0\r\n# READ COMPLETE\r\n# SAVED 20240506\r\n",
         "PLU;1;;1000;350\r\n", 5, "1"},
        {"never stored, a register without a receipt buffer",
         "SPT;1;500;1000;0;05-05-2024\r\nKAS;0\r\n# READ COMPLETE\r\n", "PLU;1;;3000;1350\r\n", 5, "1"},
    };
    const RegisterState before = sim.state();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(dir / "arch1.imp");
        host.storeImport = 0;
        host.params["ComboImpMode"] = row.impMode;
        sim.setState(before);
        sim.updateState([&](RegisterState& s) { s.typeCode = row.typeCode; });
        std::ofstream(dir / "combo.imp", std::ios::binary) << "\r\n" << row.leftover;

        // The counters wait for the import that settles them.
        host.messages.clear();
        host.run(-8, 1);
        ASSERT_FALSE(host.lines(2).empty()) << dump();
        EXPECT_EQ(host.lines(2).back(),
                  pl("Zaległy plik combo.imp zawiera nierozliczone liczniki sprzedaży! Najpierw wykonaj import z kasy."));
        EXPECT_EQ(sim.state().goods.at(0).salesValue, 1350);
        // So does the export that empties the goods base first.
        host.params["RodzajTransmisji"] = "3";
        host.params["ComboKasTowMax"] = "1";
        std::ofstream(dir / "kasa.exp", std::ios::binary) << "VAT;23\r\nJM;1;0;szt.\r\n";
        host.messages.clear();
        host.run(-2);
        ASSERT_FALSE(host.lines(2).empty()) << dump();
        EXPECT_EQ(host.lines(2).back(),
                  pl("Zaległy plik combo.imp zawiera nierozliczone liczniki sprzedaży! Najpierw wykonaj import z kasy."));
        EXPECT_EQ(sim.state().goods.at(0).salesValue, 1350);
        host.params.erase("RodzajTransmisji");
        host.params.erase("ComboKasTowMax");

        importOk();
        EXPECT_TRUE(has(pl("Import z zaległego pliku combo.imp! Coś się nie udało przy ostatnim imporcie!"))) << dump();
        EXPECT_FALSE(exists("combo.imp"));
        // The leftover's counters never reach the host; the register's are read now.
        const std::string archived = file("arch1.imp");
        EXPECT_EQ(archived.find("PLU;1;;1000;500\r\n"), std::string::npos);
        EXPECT_NE(archived.find(row.bread), std::string::npos) << archived;
        EXPECT_EQ(occurrences(archived, "PLU;1;"), 1);

        host.messages.clear();
        host.run(-8, 1);
        EXPECT_TRUE(host.lines(2).empty()) << dump();
        EXPECT_EQ(sim.state().goods.at(0).salesValue, 0);
    }
}

TEST_F(Import, ALinkLostWhileReadingKeepsComboImpForTheNextImport) {
    Faults f;
    f.commandFaults = {{11, CommandFault::Kind::LoseAnswers, 0}};  // the first PACKSTATREAD
    sim.setFaults(f);
    host.run(-3);
    ASSERT_FALSE(host.lines(2).empty()) << dump();
    EXPECT_EQ(host.lines(2).back(), pl("Błąd komunikacji z kasą")) << dump();
    bool packRead = false;
    for (const auto& e : sim.journal().entries())
        if (e.command == 11) packRead = e.code == zt::cmdPACKSTATREAD;
    EXPECT_TRUE(packRead);
    EXPECT_EQ(host.storeImport, 0);
    const std::string kept = file("combo.imp");
    EXPECT_EQ(kept.substr(0, 2), "\r\n");
    EXPECT_NE(kept.find("SPT;10;0;0;0;00-00-0000\r\n"), std::string::npos);
    EXPECT_EQ(kept.find("SPO;"), std::string::npos);

    sim.clearFaults();
    importOk();
    EXPECT_EQ(host.storeImport, 2);
    EXPECT_FALSE(exists("combo.imp"));
}

TEST_F(Import, TheRegisterMustBeTheHostsOne) {
    host.registerNo = 12;
    host.run(-3);
    ASSERT_FALSE(host.lines(2).empty());
    EXPECT_EQ(host.lines(2).back(), pl("Niezgodny numer urządzenia!"));
    EXPECT_EQ(sim.journal().count(zt::cmdPLUSTATREAD), 0u);
    EXPECT_EQ(host.storeImport, 0);
}

TEST_F(Import, FileTransportProcessesComboImpOnly) {
    host.params["ComboPort"] = "PLIK";
    host.run(-6);
    ASSERT_FALSE(host.lines(2).empty());
    EXPECT_EQ(host.lines(2).back(), pl("Ustawione złącze na PLIK, a brak pliku combo.imp!"));

    std::ofstream(dir / "combo.imp", std::ios::binary) << "SPT;7;500;1000;0;05-05-2024\r\n";
    importOk();
    EXPECT_EQ(host.storeImport, 1);
    EXPECT_EQ(section(file("kasa.imp"), "TOWAROWE"), "PLU;7;;1000;500\r\n");
    EXPECT_EQ(sim.journal().size(), 0u);
}

// A "combo.imp" of another program may end its lines with CR LF, LF or CR; a
// line that cannot be read stops the import by its number and keeps the file.
TEST_F(Import, FileTransportReadsEveryLineEnd) {
    host.params["ComboPort"] = "PLIK";
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(end));
        std::ofstream(dir / "combo.imp", std::ios::binary)
            << "SPT;7;500;1000;0;05-05-2024" + end + "SPT;8;100;2000;0;05-05-2024" + end;
        importOk();
        EXPECT_EQ(section(file("kasa.imp"), "TOWAROWE"), "PLU;7;;1000;500\r\nPLU;8;;2000;100\r\n");
        EXPECT_FALSE(exists("combo.imp"));
    }
    const std::string bad = "SPT;7;500;1000;0;05-05-2024\rSPT;8;1x;2000;0;05-05-2024\r";
    std::ofstream(dir / "combo.imp", std::ios::binary) << bad;
    host.run(-3);
    ASSERT_FALSE(host.lines(2).empty());
    EXPECT_EQ(host.lines(2).back(), "combo.imp, wiersz 2: '1x' is not a valid integer value") << dump();
    EXPECT_EQ(file("combo.imp"), bad);
}

// A "combo.imp" of another program was not cut by this plug-in: its last
// line counts without a line end, and one that cannot be read fails by name.
TEST_F(Import, FileTransportTakesALastLineWithoutItsEnd) {
    host.params["ComboPort"] = "PLIK";
    std::ofstream(dir / "combo.imp", std::ios::binary) << "SPT;7;500;1000;0;05-05-2024\r\nSPT;8;100;2000;0;05-05-2024";
    importOk();
    EXPECT_EQ(section(file("kasa.imp"), "TOWAROWE"), "PLU;7;;1000;500\r\nPLU;8;;2000;100\r\n");
    EXPECT_FALSE(exists("combo.imp"));

    std::ofstream(dir / "combo.imp", std::ios::binary) << "SPT;7;500;1000;0;05-05-2024\r\nSPT;8;10";
    host.run(-3);
    ASSERT_FALSE(host.lines(2).empty());
    EXPECT_EQ(host.lines(2).back(), "combo.imp, wiersz 2: '' is not a valid integer value") << dump();
    EXPECT_TRUE(exists("combo.imp"));
}

// The file transport reads no receipt buffer: a "combo.imp" of another
// program that ends inside a receipt leaves no receipt.tmp, and the register
// import after it books no line of that receipt.
TEST_F(Import, FileTransportLeavesNoReceiptForTheRegister) {
    host.params["ComboPort"] = "PLIK";
    host.params["ComboImpReceipts"] = "1";
    std::ofstream(dir / "combo.imp", std::ios::binary) << "SPT;7;500;1000;0;05-05-2024\r\n"
                                                          "P_PLU;2;99;;Obcy;1000;777;0\r\n";
    importOk();
    EXPECT_FALSE(exists("receipt.tmp"));
    host.params["ComboPort"] = "TCP/IP";
    importOk();
    EXPECT_EQ(linesOf(lastComboImp(), "P_PLU;2;99;"), "");
    EXPECT_EQ(file("kasa.imp").find("ZAW;99;"), std::string::npos);
}

TEST_F(Import, AHostThatRefusesTheSaveKeepsComboImp) {
    host.refuseStores = true;
    host.run(-3);
    ASSERT_FALSE(host.lines(2).empty());
    EXPECT_EQ(host.lines(2).back(), pl("Błąd zapisu importu sprzedaży do bazy danych"));
    EXPECT_TRUE(exists("combo.imp"));
    EXPECT_TRUE(exists("kasa.tmp"));
    const auto st = host.lines(2, true);
    EXPECT_NE(std::find(st.begin(), st.end(), pl("Zapis do bazy 2024-05-06 (poniedziałek):") + "\x01" + pl("Błąd!")),
              st.end())
        << dump();
}

}  // namespace
