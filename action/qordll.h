#pragma once
// The binary interface between the host and the plug-in: the fifteen entry
// points and the callback signatures. Shared by the plug-in and the host bench.
#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#define QOR_STDCALL __attribute__((stdcall))
#define QOR_EXPORT
#else
#define QOR_STDCALL
#define QOR_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// Host record of a session: its first 32-bit integer is the session type.
struct QORSesja {
    std::int32_t typ;
};

// Callback kinds used by the plug-in (all take host value and session first).
typedef std::int32_t(QOR_STDCALL* QORCbAbort)(std::int32_t host, std::int32_t session);  // 5
typedef std::int32_t(QOR_STDCALL* QORCbParam)(std::int32_t host, std::int32_t session, const char* name,
                                              char* out);  // 6
typedef std::int32_t(QOR_STDCALL* QORCbEnv)(std::int32_t host, std::int32_t session, std::int32_t* id,
                                            std::int32_t* regNo, char* text1, char* text2, char* workDir);  // 11
typedef std::int32_t(QOR_STDCALL* QORCbMessage)(std::int32_t host, std::int32_t session, std::int32_t kind,
                                                const char* text);  // 12, 13
typedef std::int32_t(QOR_STDCALL* QORCbTextList)(std::int32_t host, std::int32_t session, std::int32_t index,
                                                 char* out);  // 14
typedef std::int32_t(QOR_STDCALL* QORCbVat)(std::int32_t host, std::int32_t session, std::int32_t index,
                                            std::int32_t* rate);                         // 15, 32
typedef std::int32_t(QOR_STDCALL* QORCbStore)(std::int32_t host, std::int32_t session);  // 16, 17
typedef std::int32_t(QOR_STDCALL* QORCbWriteParam)(std::int32_t host, std::int32_t session, const char* name,
                                                   const char* value);  // 21

// An 80-bit extended real as it travels on the stack: ten bytes and two unread ones.
struct QORExtended {
    std::uint32_t w[3];
};
// A price of the goods callback. A Windows host takes the three words above on
// the stack; a Linux host declares the natural 80-bit real, long double, which
// the x86-64 convention passes in memory (a 12-byte structure would travel in
// integer registers and be read as garbage).
#if defined(_WIN32)
typedef QORExtended QORPrice;
#else
typedef long double QORPrice;
static_assert(sizeof(long double) >= 10 && __LDBL_MANT_DIG__ == 64, "the 80-bit extended real");
#endif
typedef std::int32_t(QOR_STDCALL* QORCbGoods)(std::int32_t host, std::int32_t session, const char* name,
                                              std::int32_t plu, const char* codes, std::int32_t overwrite,
                                              const char* group, const char* unit, std::int32_t vat, QORPrice price1,
                                              QORPrice price2, QORPrice price3, QORPrice price4,
                                              std::int32_t openPrice, std::int32_t package,
                                              const char* packageCode);  // 33
// Kind 34 is not a callback but the host's text lookup.
typedef std::int32_t(QOR_STDCALL* QORLookup)(char* out, std::int32_t size, const char* module, const char* key);

QOR_EXPORT std::int32_t QOR_STDCALL QORDLLTypBiblioteki();
QOR_EXPORT void QOR_STDCALL QORDLLWlasciwosci(char* out, std::int32_t property);
QOR_EXPORT void QOR_STDCALL QORDLLWlasciwosciUrzadzenia(void* library, std::int32_t session, char* out,
                                                        std::int32_t property);
QOR_EXPORT void* QOR_STDCALL QORDLLRejestrujBiblioteke(std::int32_t host, std::int32_t unused1, std::int32_t unused2,
                                                       void* window);
QOR_EXPORT void QOR_STDCALL QORDLLRejestrujCallback(void* library, void* pointer, std::int32_t kind);
QOR_EXPORT void QOR_STDCALL QORDLLZwolnijBiblioteke(void* library);
QOR_EXPORT std::int32_t QOR_STDCALL QORDLLParametr(std::int32_t group, std::int32_t index, char* key, char* description,
                                                   char* defaultValue, char* minimum, char* maximum,
                                                   std::int32_t* flags);
QOR_EXPORT std::int32_t QOR_STDCALL QORDLLTekstListyParametru(const char* key, std::int32_t index, char* out);
QOR_EXPORT std::int32_t QOR_STDCALL QORDLLSerKasJakSzukacParagonu(void* library, std::int32_t session,
                                                                  std::int32_t* printout, std::int32_t* second,
                                                                  std::int32_t* receipt);
QOR_EXPORT std::int32_t QOR_STDCALL QORDLLSerKasOpisOkna(char* out, std::int32_t window);
QOR_EXPORT std::int32_t QOR_STDCALL QORDLLSerKasPokazOkno(void* library, std::int32_t session, std::int32_t window,
                                                          std::int32_t editable, std::int32_t* operation, char* name);
QOR_EXPORT void QOR_STDCALL QORDLLSerKasNazwaZasobuDzielonego(void* library, std::int32_t session, char* out);
QOR_EXPORT std::int32_t QOR_STDCALL QORDLLSerKasOperacja(void* library, std::int32_t session, QORSesja* sessionRecord,
                                                         char* text, std::int32_t operation, std::int32_t extra);
QOR_EXPORT void QOR_STDCALL QORDLLSerKasPodtrzymajSesje(void* library, QORSesja* sessionRecord, char* text,
                                                        std::int32_t value, std::int32_t flag);
QOR_EXPORT void QOR_STDCALL QORDLLUstawJezykKomponentow(std::int32_t language);

}  // extern "C"

// Callback kinds.
enum QORCallbackKind : std::int32_t {
    QOR_CB_ABORT = 5,
    QOR_CB_PARAM = 6,
    QOR_CB_ENV = 11,
    QOR_CB_MESSAGE = 12,
    QOR_CB_STATUS = 13,
    QOR_CB_TEXTLIST = 14,
    QOR_CB_VAT = 15,
    QOR_CB_STORE_EXPORT = 16,
    QOR_CB_STORE_IMPORT = 17,
    QOR_CB_WRITE_PARAM = 21,
    QOR_CB_VAT_PREC = 32,
    QOR_CB_GOODS = 33,
    QOR_CB_LOOKUP = 34,
};

// The ten bytes of an extended real as the goods callback carries them.
inline QORPrice qorPrice(const QORExtended& x) {
#if defined(_WIN32)
    return x;
#else
    long double v = 0.0L;
    std::memset(&v, 0, sizeof v);
    std::memcpy(&v, x.w, 10);
    return v;
#endif
}
inline QORExtended qorPriceBits(const QORPrice& p) {
#if defined(_WIN32)
    return p;
#else
    QORExtended x{{0, 0, 0}};
    std::memcpy(x.w, &p, 10);
    return x;
#endif
}
