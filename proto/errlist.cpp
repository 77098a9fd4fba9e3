#include "proto/errlist.h"

#include <cstdio>

#include "platform/cp1250.h"

namespace zt {

namespace {
constexpr const char* kModule = "ztcombo_cbaction";
}

// A switch keeps the lookup a jump table and converts only the text asked for.
std::optional<ErrListEntry> errListEntry(std::uint32_t code) {
    switch (code) {
        case 10: return ErrListEntry{0, zt::pl("błąd nietypowy - rezygnacja, przerwanie funkcji")};
        case 50: return ErrListEntry{1, zt::pl("Błąd wykonywania operacji przez kasę")};
        case 51: return ErrListEntry{2, zt::pl("Błąd wykonywania operacji przez kasę")};
        case 52: return ErrListEntry{3, zt::pl("Błąd wykonywania operacji przez kasę")};
        case 53: return ErrListEntry{4, zt::pl("Błąd wykonywania operacji przez kasę")};
        case 54: return ErrListEntry{5, zt::pl("Błąd wykonywania operacji przez kasę")};
        case 55: return ErrListEntry{6, zt::pl("Błąd wykonywania operacji przez kasę")};
        case 56: return ErrListEntry{7, zt::pl("Błąd wykonywania operacji przez kasę")};
        case 156: return ErrListEntry{kErrListFixed, zt::pl("zerowa ilość")};
        case 157: return ErrListEntry{kErrListFixed, zt::pl("ilośc zbyt duża")};
        case 300: return ErrListEntry{8, zt::pl("karta rabatowa nieważna")};
        case 301: return ErrListEntry{9, zt::pl("błędna karta")};
        case 302: return ErrListEntry{10, zt::pl("Karta rabatowa niedostępna w konfiguracji")};
        case 303: return ErrListEntry{11, zt::pl("Nieznany kod błędu karty rabatowej")};
        case 304: return ErrListEntry{12, zt::pl("błędny typ karty")};
        case 305: return ErrListEntry{13, zt::pl("błędny format karty")};
        case 306: return ErrListEntry{kErrListFixed, zt::pl("Niezaprogramowany rabat w kasie")};
        case 307:
            return ErrListEntry{kErrListFixed,
                                zt::pl("W systemie nie skonfigurowano żadnej autoryzacji kart rabatowych")};
        case 308: return ErrListEntry{kErrListFixed, zt::pl("Pusta nazwa autoryzacji")};
        case 309: return ErrListEntry{kErrListFixed, zt::pl("Pusty adres serwera autoryzacji")};
        case 310: return ErrListEntry{kErrListFixed, zt::pl("Błędny typ autoryzacji dla kart rabatowych")};
        case 311: return ErrListEntry{kErrListFixed, zt::pl("Nie znaleziono autoryzacji dla kart rabatowych")};
        case 312: return ErrListEntry{kErrListFixed, zt::pl("Błędna odpowiedź serwera")};
        case 313: return ErrListEntry{kErrListFixed, zt::pl("Błąd połączenia z serwerem")};
        case 320: return ErrListEntry{14, zt::pl("brak uprawnień kasjera do wykonania operacji")};
        case 321: return ErrListEntry{15, zt::pl("Statystyki grup nieaktywne")};
        case 323: return ErrListEntry{16, zt::pl("Funkcja zablokowana w konfiguracji")};
        case 324: return ErrListEntry{kErrListFixed, zt::pl("Zablokowane podmenu")};
        case 342: return ErrListEntry{17, zt::pl("Forma płatności nie jest walutą")};
        case 364:
            return ErrListEntry{kErrListFixed, zt::pl("Błędne hasło w sensie niezgodności z poprawnością składniową")};
        case 365: return ErrListEntry{kErrListFixed, zt::pl("Błędne hasło w sensie niezgodności z tym z bazy")};
        case 382: return ErrListEntry{18, zt::pl("próba wykonania drugiego zerowego raportu w danym dniu")};
        case 384: return ErrListEntry{kErrListFixed, zt::pl("Brak rekordu w pamięci")};
        case 400: return ErrListEntry{19, zt::pl("błędna wartość")};
        case 401: return ErrListEntry{20, zt::pl("nazwa początkowa większa od końcowej")};
        case 402: return ErrListEntry{21, zt::pl("numer początkowy większy od końcowego")};
        case 403: return ErrListEntry{22, zt::pl("kod początkowy większy od końcowego")};
        case 404: return ErrListEntry{kErrListFixed, zt::pl("Wprowadzono nieprawidłowy błąd kontrolny")};
        case 440: return ErrListEntry{23, zt::pl("zalogowany kierownik")};
        case 441: return ErrListEntry{24, zt::pl("nie zalogowany kierownik")};
        case 442: return ErrListEntry{25, zt::pl("zalogowany użytkownik")};
        case 443: return ErrListEntry{26, zt::pl("nie zalogowany użytkownik")};
        case 444: return ErrListEntry{27, zt::pl("zwora serwisowa do sprawdzenia przy operacji przez protokół")};
        case 445: return ErrListEntry{28, zt::pl("Wymagany jest predefiniowany kierownik.")};
        case 480: return ErrListEntry{29, zt::pl("kasa już autoryzowana, bezterminowo")};
        case 481: return ErrListEntry{30, zt::pl("nie rozpoczęto jeszcze autoryzacji")};
        case 482: return ErrListEntry{31, zt::pl("kod już wprowadzony")};
        case 483: return ErrListEntry{32, zt::pl("próba wprowadzenia błędnych wartości")};
        case 484: return ErrListEntry{33, zt::pl("minął czas pracy kasy, sprzedaż zablokowana")};
        case 485: return ErrListEntry{34, zt::pl("błędny kod autoryzacji")};
        case 486: return ErrListEntry{35, zt::pl("Blokada autoryzacji. Wprowadź kod z klawiatury")};
        case 487: return ErrListEntry{kErrListFixed, zt::pl("Użyto już maksymalnej liczby kodów")};
        case 500: return ErrListEntry{36, zt::pl("przepełnienie statystyki minimalnej")};
        case 501: return ErrListEntry{37, zt::pl("przepełnienie statystyki maksymalnej")};
        case 521:
            return ErrListEntry{
                38, zt::pl("błędny stan kasy. Należy wykonać raport zmianowy. Przy włączaniu kontroli stanu kasy.")};
        case 540: return ErrListEntry{39, zt::pl("brak towaru lub zestawu w magazynie")};
        case 541: return ErrListEntry{40, zt::pl("brak opakowania w magazynie")};
        case 542: return ErrListEntry{41, zt::pl("przepełnienie ilości towaru lub zestawu w magazynie")};
        case 543: return ErrListEntry{42, zt::pl("przepełnienie ilości opakowania w magazynie")};
        case 544: return ErrListEntry{43, zt::pl("próba operacji na nieaktywnym magazynie PLU")};
        case 545: return ErrListEntry{44, zt::pl("próba operacji na nieaktywnym magazynie opakowań")};
        case 546: return ErrListEntry{45, zt::pl("operacja zablokowana - stany minimalne PLU nieaktywne")};
        case 547: return ErrListEntry{46, zt::pl("operacja zablokowana - stany minimalne opakowań nieaktywne")};
        case 700: return ErrListEntry{47, zt::pl("błędny adres IP")};
        case 701: return ErrListEntry{48, zt::pl("błąd numeru tonu")};
        case 702: return ErrListEntry{49, zt::pl("błąd długości impulsu szuflady")};
        case 703: return ErrListEntry{50, zt::pl("błąd stawki VAT")};
        case 704: return ErrListEntry{51, zt::pl("błąd czasu wylogowania")};
        case 705: return ErrListEntry{52, zt::pl("błąd czasu uśpienia")};
        case 706: return ErrListEntry{53, zt::pl("błąd czasu wyłączenia")};
        case 707: return ErrListEntry{54, zt::pl("błąd procentu zapełnienia buf. pozycji paragonowych")};
        case 708: return ErrListEntry{55, zt::pl("błędna konfiguracja zabezpieczeń logowania")};
        case 709: return ErrListEntry{56, zt::pl("błędny atrybut nagłówka")};
        case 710: return ErrListEntry{57, zt::pl("błędny tryb wprowadzania dla kart rabatowych")};
        case 711: return ErrListEntry{58, zt::pl("błędny timeout dla kart rabatowych")};
        case 712: return ErrListEntry{59, zt::pl("błędny atrybut stopki reklamowej")};
        case 713: return ErrListEntry{60, zt::pl("do zastąpienia przez konkrety")};
        case 714: return ErrListEntry{61, zt::pl("błędna wartość kontrastu wyświetlacza")};
        case 715: return ErrListEntry{62, zt::pl("błędna wartość podświetlenia wyświetlacza")};
        case 716: return ErrListEntry{63, zt::pl("błędna wartość czasu zaniku podświetlenia")};
        case 717: return ErrListEntry{64, zt::pl("za długa linia nagłówka albo stopki")};
        case 718: return ErrListEntry{65, zt::pl("błędna konfiguracja komunikacji")};
        case 719: return ErrListEntry{66, zt::pl("błędna konfiguracja protokołu kom.")};
        case 720: return ErrListEntry{67, zt::pl("błędny identyfikator portu")};
        case 721: return ErrListEntry{68, zt::pl("błędny numer tekstu reklamowego")};
        case 722: return ErrListEntry{69, zt::pl("podany czas wychodzi poza wymagany zakres")};
        case 723: return ErrListEntry{70, zt::pl("podana data/czas niepoprawne")};
        case 724: return ErrListEntry{71, zt::pl("inna godzina w różnicach czasowych 0<=>23")};
        case 725: return ErrListEntry{72, zt::pl("błędny numer kasy")};
        case 726: return ErrListEntry{73, zt::pl("błędna zawartość tekstu w linii wyświetlacza")};
        case 727: return ErrListEntry{74, zt::pl("błędna wartość dla przewijania na wyświetlaczu")};
        case 728: return ErrListEntry{75, zt::pl("błędna konfiguracja portu")};
        case 729: return ErrListEntry{76, zt::pl("błędny typ raportu (w protokole)")};
        case 730: return ErrListEntry{77, zt::pl("błędny zakres statystyk raportu (w protokole)")};
        case 731: return ErrListEntry{78, zt::pl("błędny parametr raportu (w protokole)")};
        case 732: return ErrListEntry{79, zt::pl("błędny identyfikator raportu (w protokole)")};
        case 733: return ErrListEntry{kErrListFixed, zt::pl("Waluta nie może być domyślną formą płatności")};
        case 735: return ErrListEntry{80, zt::pl("błędna flaga operacji na magazynie")};
        case 736: return ErrListEntry{81, zt::pl("podana data niepoprawna")};
        case 737: return ErrListEntry{82, zt::pl("błędny typ urządzenia w konfigurowaniu portu przez protokół")};
        case 738: return ErrListEntry{83, zt::pl("nieprawidłowa konfiguracja Ethernetu")};
        case 739: return ErrListEntry{84, zt::pl("błędna wartość czasu wyświetlana na weryfikatorez cen")};
        case 740: return ErrListEntry{85, zt::pl("błędna wartość opóźnienia dla weyfikatora cen")};
        case 741: return ErrListEntry{kErrListFixed, zt::pl("Nieprawidłowy zakres dat")};
        case 742: return ErrListEntry{kErrListFixed, zt::pl("Błędna konfiguracja rabtu czasowego")};
        case 743: return ErrListEntry{kErrListFixed, zt::pl("Multiplekser nie może być podłączony pod COM1")};
        case 744: return ErrListEntry{kErrListFixed, zt::pl("Zła wartość podtypu dla multipleksera")};
        case 746: return ErrListEntry{kErrListFixed, zt::pl("Błąd parametrów polecenia drukarki paragonowej")};
        case 747: return ErrListEntry{kErrListFixed, zt::pl("Niedozwolone ustawienia konfiguracji urządzenia")};
        case 748: return ErrListEntry{kErrListFixed, zt::pl("Nieprawidłowy zakres czasu")};
        case 749: return ErrListEntry{kErrListFixed, zt::pl("Błędne teksty weryfikatora")};
        case 751: return ErrListEntry{kErrListFixed, zt::pl("Port zajęty przez protokół transmisji")};
        case 752: return ErrListEntry{kErrListFixed, zt::pl("nazwa nie jest unikalna")};
        case 753: return ErrListEntry{kErrListFixed, zt::pl("pusta nazwa")};
        case 759: return ErrListEntry{kErrListFixed, zt::pl("DHCP aktywne. Funkcja niedostępna")};
        case 760: return ErrListEntry{kErrListFixed, zt::pl("Port zarezerwowany na usługi systemowe")};
        case 761: return ErrListEntry{kErrListFixed, zt::pl("Port zarezerwowany przez usługę FSP")};
        case 762: return ErrListEntry{kErrListFixed, zt::pl("Nie znaleziono adresu IP")};
        case 769: return ErrListEntry{kErrListFixed, zt::pl("Konfiguracja zapełniona")};
        case 780: return ErrListEntry{86, zt::pl("aktywny klucz kasjerski")};
        case 781: return ErrListEntry{87, zt::pl("trwa wydruk")};
        case 782: return ErrListEntry{kErrListFixed, zt::pl("Puste hasło operatora")};
        case 800: return ErrListEntry{88, zt::pl("baza zapełniona")};
        case 801: return ErrListEntry{89, zt::pl("brak rekordów do odczytu")};
        case 802: return ErrListEntry{90, zt::pl("brak rekordów do usunięcia")};
        case 803: return ErrListEntry{91, zt::pl("nastąpił reset bazy odsyłania sprzedaży")};
        case 804: return ErrListEntry{92, zt::pl("bufor pozycji paragonowych zapełniony")};
        case 805: return ErrListEntry{kErrListFixed, zt::pl("Nieskonfigurowany bufor pozycji paragonów")};
        case 806: return ErrListEntry{kErrListFixed, zt::pl("Błędna konfiguracja bufora")};
        case 807: return ErrListEntry{kErrListFixed, zt::pl("Pusta nazwa urządzenia")};
        case 808: return ErrListEntry{kErrListFixed, zt::pl("Nazwa nie jest unikalna")};
        case 809: return ErrListEntry{kErrListFixed, zt::pl("Nie znaleziono urządzenia")};
        case 810: return ErrListEntry{kErrListFixed, zt::pl("Konflikt urządzenia z skanerem")};
        case 811: return ErrListEntry{kErrListFixed, zt::pl("Konflikt urządzenia z wagą")};
        case 812: return ErrListEntry{kErrListFixed, zt::pl("Konflikt urządzenia z monitorem")};
        case 813: return ErrListEntry{kErrListFixed, zt::pl("Konflikt urządzenia z PC")};
        case 814: return ErrListEntry{kErrListFixed, zt::pl("Konflikt urządzenia z weryfikatorem cen")};
        case 815: return ErrListEntry{kErrListFixed, zt::pl("Konflikt urządzenia z drukarką zewnętrzną")};
        case 816: return ErrListEntry{kErrListFixed, zt::pl("Konflikt urządzenia z terminalem płatniczym")};
        case 817: return ErrListEntry{kErrListFixed, zt::pl("Konflikt urządzenia z modemem terminala płatniczego")};
        case 818: return ErrListEntry{kErrListFixed, zt::pl("Konflikt urządzenia z multiplekserem")};
        case 819: return ErrListEntry{kErrListFixed, zt::pl("Konflikt urządzenia z innym urządzeniem")};
        case 820: return ErrListEntry{93, zt::pl("negatywny wynik testu")};
        case 821: return ErrListEntry{94, zt::pl("Brak testowanej opcji w konfiguracji")};
        case 822: return ErrListEntry{95, zt::pl("Test niedostępny przy aktywnym kluczu kasjerskim")};
        case 840:
            return ErrListEntry{kErrListFixed,
                                zt::pl("Logowanie zdalne aktywne, ale nie było zalogowania przez protokół")};
        case 841: return ErrListEntry{kErrListFixed, zt::pl("Błędne hasło logowania zdalnego")};
        case 880: return ErrListEntry{kErrListFixed, zt::pl("Konflikt urządzenia z tunelowaniem")};
        case 900: return ErrListEntry{96, zt::pl("błędny format kodu ważonego")};
        case 901: return ErrListEntry{97, zt::pl("rekord już zaprogramowany")};
        case 902: return ErrListEntry{98, zt::pl("rekord jest predefiniowany")};
        case 903: return ErrListEntry{99, zt::pl("rekord nie istnieje")};
        case 904: return ErrListEntry{100, zt::pl("baza jest pusta")};
        case 905: return ErrListEntry{101, zt::pl("baza jest pełna")};
        case 906: return ErrListEntry{102, zt::pl("błąd zapisu")};
        case 907: return ErrListEntry{103, zt::pl("błąd odczytu")};
        case 908: return ErrListEntry{104, zt::pl("brak rekordu w indeksie")};
        case 909: return ErrListEntry{105, zt::pl("nieprawidłowy numer rekordu")};
        case 910: return ErrListEntry{106, zt::pl("nazwa nie jest unikalna")};
        case 911: return ErrListEntry{107, zt::pl("nie znaleziono określonego opakowania")};
        case 912: return ErrListEntry{108, zt::pl("nie znaleziono określonej grupy tow.")};
        case 913: return ErrListEntry{109, zt::pl("nie znaleziono określonego rabatu")};
        case 914: return ErrListEntry{110, zt::pl("nie znaleziono określonej jednostki miary")};
        case 915: return ErrListEntry{111, zt::pl("nieprawidłowa nazwa")};
        case 916: return ErrListEntry{112, zt::pl("nieprawidłowa wartość")};
        case 917: return ErrListEntry{113, zt::pl("nieprawidłowy identyfikator bazy")};
        case 918: return ErrListEntry{114, zt::pl("nieprawidłowe hasło")};
        case 919: return ErrListEntry{115, zt::pl("nieunikalne hasło")};
        case 920: return ErrListEntry{116, zt::pl("nieunikalny kod kreskowy")};
        case 921: return ErrListEntry{117, zt::pl("nieprawidłowy kod kreskowy")};
        case 922: return ErrListEntry{118, zt::pl("próba umieszczenia zestawu w zestawie")};
        case 923: return ErrListEntry{119, zt::pl("nieunikalny numer PLU w zestawie")};
        case 924: return ErrListEntry{120, zt::pl("błędny identyfikator stawki VAT")};
        case 925: return ErrListEntry{121, zt::pl("niepoprawna wartość progu(ów) w rabacie progresywnym")};
        case 926: return ErrListEntry{122, zt::pl("niepoprawna cena")};
        case 927: return ErrListEntry{123, zt::pl("PLU już jest w notatniku")};
        case 928: return ErrListEntry{124, zt::pl("notatnik jest zapełniony")};
        case 929: return ErrListEntry{125, zt::pl("błędny symbol waluty")};
        case 930: return ErrListEntry{126, zt::pl("błędny kurs waluty")};
        case 931: return ErrListEntry{127, zt::pl("błędna wartość procentowa")};
        case 932: return ErrListEntry{128, zt::pl("błędna wartość rabatu")};
        case 933: return ErrListEntry{129, zt::pl("rabat progresywny - za dużo progów")};
        case 934: return ErrListEntry{130, zt::pl("rabat progresywny - brak progów")};
        case 935: return ErrListEntry{131, zt::pl("niepoprawna kolejność wartości progowych")};
        case 936: return ErrListEntry{132, zt::pl("błędna wartość promocji MxN")};
        case 937: return ErrListEntry{133, zt::pl("nieprawidłowy typ rabatu")};
        case 938:
            return ErrListEntry{134, zt::pl("próba usunięcia aktywnego linku (opakowania powiązanego z towarem)")};
        case 939: return ErrListEntry{135, zt::pl("za dużo gotówkowych form płatności")};
        case 940: return ErrListEntry{136, zt::pl("próba zamiany predefiniowanego kierownika na kasjera")};
        case 941: return ErrListEntry{137, zt::pl("próba zmiany PLU na zestaw albo na odwrót")};
        case 942: return ErrListEntry{138, zt::pl("próba zmiany predefiniowanej formy płatności na niegotówkową")};
        case 943: return ErrListEntry{139, zt::pl("próba kasowania zalogowanego użytkownika")};
        case 944: return ErrListEntry{140, zt::pl("niedozwolona operacja na rekordzie z niezerową statystyką")};
        case 945: return ErrListEntry{141, zt::pl("pusta nazwa rekordu")};
        case 946: return ErrListEntry{142, zt::pl("zbyt dużo elementów w zestawie")};
        case 947: return ErrListEntry{143, zt::pl("błędny typ formy płatności")};
        case 948: return ErrListEntry{144, zt::pl("nie wydrukowano operacji programowania")};
        case 949: return ErrListEntry{145, zt::pl("nie wydrukowano zmiany nazwy")};
        case 950: return ErrListEntry{146, zt::pl("nie wydrukowano zmiany stawki")};
        case 951: return ErrListEntry{147, zt::pl("nie wydrukowano operacji kasowania")};
        case 952: return ErrListEntry{148, zt::pl("PLU jest elementem zestawu")};
        case 953: return ErrListEntry{149, zt::pl("nieunikalny numer PLU w obrębie tego samego zestawu")};
        case 954: return ErrListEntry{150, zt::pl("nie ma takiego elementu zestawu")};
        case 955: return ErrListEntry{151, zt::pl("przepełnienie bufora zmiany nazwy PLU")};
        case 956: return ErrListEntry{152, zt::pl("nie znaleziono użytkownika o podanym numerze")};
        case 957: return ErrListEntry{153, zt::pl("nie znaleziono rabatu o podanym numerze")};
        case 958: return ErrListEntry{154, zt::pl("nie znaleziono formy płatności o podanym numerze")};
        case 959: return ErrListEntry{155, zt::pl("jednoczesna zmiany nazwy i stawki")};
        case 960: return ErrListEntry{156, zt::pl("dana forma płatności musi być na raporcie użytkownika")};
        case 961: return ErrListEntry{157, zt::pl("oczekiwana niegotówkowa forma płatności")};
        case 962: return ErrListEntry{158, zt::pl("błędna flaga formy płatności")};
        case 963: return ErrListEntry{159, zt::pl("błędna nazwa formy płatności")};
        case 964: return ErrListEntry{160, zt::pl("oczekiwany zestaw a nie towar")};
        case 965: return ErrListEntry{161, zt::pl("id karty już istnieje w bazie")};
        case 966: return ErrListEntry{162, zt::pl("niepoprawny kod kreskowy")};
        case 967: return ErrListEntry{163, zt::pl("błędny format ilości (min. stan magazynowy)")};
        case 968: return ErrListEntry{164, zt::pl("nie zaprogramowano żadnej waluty")};
        case 969: return ErrListEntry{165, zt::pl("niedozwolona operacja na bazie z niezerowymi statystykami")};
        case 970: return ErrListEntry{166, zt::pl("zbyt dużo kodów kreskowych")};
        case 971: return ErrListEntry{167, zt::pl("Nieprawidłowa funkcja klawisza skrótu")};
        case 972: return ErrListEntry{168, zt::pl("Nieprawidłowy zakres rekordów")};
        case 973: return ErrListEntry{169, zt::pl("Nie znaleziono zestawu raportów")};
        case 974: return ErrListEntry{170, zt::pl("Niepoprawny kontekst bazy danych")};
        case 975: return ErrListEntry{171, zt::pl("Nie ma więcej rekordów wg kontekstu")};
        case 976: return ErrListEntry{172, zt::pl("PLU jest zestawem")};
        case 979: return ErrListEntry{173, zt::pl("błędne uprawnienia użytkownika")};
        case 980: return ErrListEntry{174, zt::pl("błędny identyfikator terminala")};
        case 983: return ErrListEntry{kErrListFixed, zt::pl("Błędny typ błędu")};
        case 984: return ErrListEntry{kErrListFixed, zt::pl("Błędna maksymalna kwota CashBack")};
        case 986: return ErrListEntry{kErrListFixed, zt::pl("PLU nie jest towarem")};
        case 987: return ErrListEntry{kErrListFixed, zt::pl("Powiązane PLU nie istnieje")};
        case 988: return ErrListEntry{kErrListFixed, zt::pl("Stawka PTU różna od stawki PLU powiązanego")};
        case 989: return ErrListEntry{kErrListFixed, zt::pl("Oczekiwany wielopak")};
        case 990: return ErrListEntry{kErrListFixed, zt::pl("Jedne ze składników zestawu jest wielopakiem")};
        case 991:
            return ErrListEntry{kErrListFixed,
                                zt::pl("Zmiana stawki w wielopaku niemożliwa. Wykonaj raport komunikacji")};
        case 992: return ErrListEntry{kErrListFixed, zt::pl("Błędna ilość")};
        case 993: return ErrListEntry{kErrListFixed, zt::pl("Próba powiązania zestawu z wielopakiem")};
        case 995: return ErrListEntry{kErrListFixed, zt::pl("Format karty rabatowej nie jest unikalny")};
        case 1000: return ErrListEntry{175, zt::pl("błąd fatalny modułu fiskalnego.")};
        case 1001: return ErrListEntry{176, zt::pl("wypięta pamięć fiskalna")};
        case 1002: return ErrListEntry{177, zt::pl("błąd zapisu")};
        case 1003: return ErrListEntry{178, zt::pl("błąd nie ujęty w specyfikacji bios")};
        case 1004: return ErrListEntry{179, zt::pl("błędne sumy kontrolne")};
        case 1005: return ErrListEntry{180, zt::pl("błąd w pierwszym bloku kontrolnym")};
        case 1006: return ErrListEntry{181, zt::pl("błąd w drugim bloku kontrolnym")};
        case 1007: return ErrListEntry{182, zt::pl("błędny id rekordu")};
        case 1008: return ErrListEntry{183, zt::pl("błąd inicjalizacji adresu startowego")};
        case 1009: return ErrListEntry{184, zt::pl("adres startowy zainicjalizowany")};
        case 1010: return ErrListEntry{185, zt::pl("numer unikatowy już zapisany")};
        case 1011: return ErrListEntry{186, zt::pl("brak numeru w trybie fiskalnym")};
        case 1012: return ErrListEntry{187, zt::pl("błąd zapisu numeru unikatowego")};
        case 1013: return ErrListEntry{188, zt::pl("przepełnienie numerów unikatowych")};
        case 1014: return ErrListEntry{189, zt::pl("błędny język w numerze unikatowym")};
        case 1015: return ErrListEntry{190, zt::pl("więcej niż jeden NIP")};
        case 1016: return ErrListEntry{191, zt::pl("kasa w trybie do odczytu bez rekordu fiskalizacji")};
        case 1017: return ErrListEntry{192, zt::pl("przekroczono liczbę zerowań RAM")};
        case 1018: return ErrListEntry{193, zt::pl("przekroczono liczbę raportów dobowych")};
        case 1019: return ErrListEntry{194, zt::pl("błąd weryfikacji numeru unikatowego")};
        case 1020: return ErrListEntry{195, zt::pl("błąd weryfikacji statystyk z RD.")};
        case 1021: return ErrListEntry{196, zt::pl("błąd odczytu danych z NVR do weryfikacji FM")};
        case 1022: return ErrListEntry{197, zt::pl("błąd zapisu danych z NVR do weryfikacji FM")};
        case 1023: return ErrListEntry{198, zt::pl("pamięć fiskalna jest mała 1Mb zamiast 2Mb")};
        case 1024: return ErrListEntry{199, zt::pl("nie zainicjalizowany obszar danych w pamięci fiskalnej")};
        case 1025: return ErrListEntry{200, zt::pl("błędny format numeru unikatowego")};
        case 1026: return ErrListEntry{201, zt::pl("za dużo błędnych bloków w FM")};
        case 1027: return ErrListEntry{202, zt::pl("błąd oznaczenia błędnego bloku")};
        case 1028: return ErrListEntry{203, zt::pl("rekord w pamięci fiskalnej nie istnieje - obszar pusty")};
        case 1029: return ErrListEntry{204, zt::pl("rekord w pamięci fiskalnej z datą późniejszą od poprzedniego")};
        case 1030: return ErrListEntry{kErrListFixed, zt::pl("Błąd odczytu skrótu raportu dobowego")};
        case 1031: return ErrListEntry{kErrListFixed, zt::pl("Błąd zapisu skrótu raportu dobowego")};
        case 1032:
            return ErrListEntry{kErrListFixed, zt::pl("Błąd odczytu informacji o weryfikacji skrótu raportu dobowego")};
        case 1033:
            return ErrListEntry{kErrListFixed, zt::pl("Błąd zapisu informacji o weryfikacji skrótu raportu dobowego")};
        case 1034: return ErrListEntry{kErrListFixed, zt::pl("Błąd odczytu etykiety nośnika")};
        case 1035: return ErrListEntry{kErrListFixed, zt::pl("Błąd zapisu etykiety nośnika")};
        case 1036: return ErrListEntry{kErrListFixed, zt::pl("Niezgodność danych kopii elektrycznej")};
        case 1041: return ErrListEntry{kErrListFixed, zt::pl("Błąd w obszarze ID modułu kopii")};
        case 1042: return ErrListEntry{kErrListFixed, zt::pl("Błąd zapisu ID modułu kopii")};
        case 1043: return ErrListEntry{kErrListFixed, zt::pl("Obszar ID modułu kopii zapełniony")};
        case 1044: return ErrListEntry{kErrListFixed, zt::pl("Nieudana fiskalizacja")};
        case 1045:
            return ErrListEntry{kErrListFixed, zt::pl("Data wcześniejsza od daty poprzedniego raportu dobowego")};
        case 2000: return ErrListEntry{205, zt::pl("błąd pola VAT.")};
        case 2002: return ErrListEntry{206, zt::pl("brak nagłówka")};
        case 2003: return ErrListEntry{207, zt::pl("zaprogramowany nagłówek")};
        case 2004: return ErrListEntry{208, zt::pl("brak aktywnych stawek VAT.")};
        case 2005: return ErrListEntry{209, zt::pl("brak trybu transakcji.")};
        case 2021: return ErrListEntry{210, zt::pl("próba ponownego ustawienia zegara.")};
        case 2022: return ErrListEntry{211, zt::pl("zbyt duża różnica dat")};
        case 2023:
            return ErrListEntry{212, zt::pl("różnica większa niż godzina w trybie użytkownika w trybie fiskalnym ")};
        case 2024: return ErrListEntry{213, zt::pl("zły format daty (np. 13 miesiąc )")};
        case 2025: return ErrListEntry{214, zt::pl("data wcześniejsza od ostatniego zapisu do modułu")};
        case 2026: return ErrListEntry{215, zt::pl("błąd zegara.")};
        case 2027: return ErrListEntry{216, zt::pl("przekroczono maksymalną liczbę zmian stawek VAT")};
        case 2028: return ErrListEntry{217, zt::pl("próba zdefiniowana identycznych stawek VAT")};
        case 2029: return ErrListEntry{218, zt::pl("błędne wartości stawek VAT")};
        case 2030: return ErrListEntry{219, zt::pl("próba zdefiniowania stawek VAT wszystkich nieaktywnych")};
        case 2032: return ErrListEntry{220, zt::pl("błąd numeru unikatowego pamięci fiskalnej.")};
        case 2033: return ErrListEntry{221, zt::pl("urządzenie w trybie fiskalnym.")};
        case 2034: return ErrListEntry{222, zt::pl("urządzenie w trybie niefiskalnym.")};
        case 2035: return ErrListEntry{223, zt::pl("niezerowe totalizery (wykonaj raport dobowy)")};
        case 2036: return ErrListEntry{224, zt::pl("urządzenie w stanie tylko do odczytu.")};
        case 2037: return ErrListEntry{225, zt::pl("urządzenie nie jest w stanie tylko do odczytu.")};
        case 2038: return ErrListEntry{226, zt::pl("urządzenie w trybie transakcji.")};
        case 2039: return ErrListEntry{227, zt::pl("zerowe totalizery.")};
        case 2040: return ErrListEntry{228, zt::pl("Błąd obliczeń walut, przepełnienie przy mnożeniu lub dzialeniu")};
        case 2042: return ErrListEntry{kErrListFixed, zt::pl("błędy format daty początkowej")};
        case 2043: return ErrListEntry{kErrListFixed, zt::pl("błędy format daty końcowej")};
        case 2044: return ErrListEntry{231, zt::pl("próba wykonania raportu miesięcznego w danym miesiącu")};
        case 2045: return ErrListEntry{232, zt::pl("data początkowa późniejsza od bieżącej daty")};
        case 2046: return ErrListEntry{233, zt::pl("data końcowa wcześniejsza od daty fiskalizacji")};
        case 2047: return ErrListEntry{234, zt::pl("numer początkowy lub końcowy równy zero")};
        case 2048: return ErrListEntry{235, zt::pl("numer początkowy większy od numeru końcowego")};
        case 2049: return ErrListEntry{236, zt::pl("numer raportu zbyt duży")};
        case 2050: return ErrListEntry{237, zt::pl("data początkowa późniejsza od daty końcowej")};
        case 2051: return ErrListEntry{238, zt::pl("brak pamięci w buforze tekstów.")};
        case 2055: return ErrListEntry{239, zt::pl("błędna linia")};
        case 2056: return ErrListEntry{240, zt::pl("tekst pusty")};
        case 2057: return ErrListEntry{241, zt::pl("przekroczony rozmiar")};
        case 2058: return ErrListEntry{242, zt::pl("błędna liczba linii.")};
        case 2063: return ErrListEntry{kErrListFixed, zt::pl("Błąd parametru")};
        case 2067: return ErrListEntry{243, zt::pl("błąd ustawień konfiguracyjnych wydruków / drukarki")};
        case 2070: return ErrListEntry{244, zt::pl("Data przeglądu wcześniejsza od systemowej")};
        case 2080: return ErrListEntry{kErrListFixed, zt::pl("Nieparzysta liczba danych dla formatu HEX")};
        case 2081: return ErrListEntry{kErrListFixed, zt::pl("Niepoprawna wartość dla formatu HEX")};
        case 3001: return ErrListEntry{245, zt::pl("brakujące dane")};
        case 3002: return ErrListEntry{246, zt::pl("nieoczekiwane dane")};
        case 3003: return ErrListEntry{247, zt::pl("nieoczekiwany znak")};
        case 3004: return ErrListEntry{248, zt::pl("nieoczekiwany STX")};
        case 3005: return ErrListEntry{249, zt::pl("nieoczekiwany ETX")};
        case 3006: return ErrListEntry{250, zt::pl("błąd CRC")};
        case 3007: return ErrListEntry{251, zt::pl("błędna długość ramki")};
        case 3008: return ErrListEntry{252, zt::pl("nieznane polecenie")};
        case 3009: return ErrListEntry{253, zt::pl("przepełnienie bufora")};
        case 3010: return ErrListEntry{254, zt::pl("błędny parametr")};
        case 3011: return ErrListEntry{255, zt::pl("Nieznany typ danych")};
        case 3012: return ErrListEntry{256, zt::pl("Za dużo parametrów")};
        case 3013: return ErrListEntry{257, zt::pl("Za mało parametrów")};
        case 3014: return ErrListEntry{258, zt::pl("nieznany stan protokołu")};
        case 3015: return ErrListEntry{259, zt::pl("timeout")};
        case 3016: return ErrListEntry{260, zt::pl("stan zajętości przy wykonywaniu sekwencji złożonej")};
        case 3017: return ErrListEntry{261, zt::pl("za dużo pól")};
        case 3018: return ErrListEntry{262, zt::pl("brak dostępu (wyloguj użytkownika z kasy)")};
        case 3019: return ErrListEntry{263, zt::pl("ramka o podanym identyfikatorze nie zbuforowana")};
        case 6666: return ErrListEntry{264, zt::pl("zbyt długi łańcuch (sprawdź kod kreskowy)")};
        case 6667: return ErrListEntry{265, zt::pl("zbyt duża wartość BCD4")};
        case 6668: return ErrListEntry{266, zt::pl("niewłaściwa ilość argumentów dla danego polecenia")};
        case 6669: return ErrListEntry{kErrListFixed, zt::pl("Błąd pola BCD")};
        default: return std::nullopt;
    }
}

std::string errListKey(int key) {
    if (key <= 0) return "TZTComboErrListmsg";
    char buf[32];
    std::snprintf(buf, sizeof buf, "TZTComboErrListmsg_%05d", key);
    return buf;
}

std::string ErrList(std::uint32_t code, const TMLgExtTools* translations) {
    std::optional<ErrListEntry> e = errListEntry(code);
    if (!e)
        return translate(translations, kModule, errListKey(kErrListUnknownKey),
                         zt::pl("nieznany błąd przesłany przez kasę"));
    if (e->key == kErrListFixed) return e->text;
    return translate(translations, kModule, errListKey(e->key), e->text);
}

}  // namespace zt
