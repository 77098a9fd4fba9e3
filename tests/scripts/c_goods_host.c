/* A host written in plain C that runs the goods import (operation -8, extra 6)
 * and prints every goods record it receives, the four prices as their ten
 * bytes. On 32-bit Windows the prices are declared as long double, the
 * compiler's 80-bit extended, as a host built with any Windows compiler of
 * that format declares them; elsewhere as the plug-in's own twelve-byte form.
 *
 *   c_goods_host PLUGIN WORKDIR PORT   (the register simulator on 127.0.0.1:PORT)
 */
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#define CB __attribute__((stdcall))
typedef long double price_t;
#else
#include <dlfcn.h>
#define CB
typedef struct {
    uint32_t w[3];
} price_t;
#endif

static const char* g_workDir;
static const char* g_port;

static void put(char* out, const char* s) {
    strncpy(out, s, 300);
    out[300] = 0;
}

static int32_t CB cbAbort(int32_t h, int32_t s) {
    (void)h, (void)s;
    return 0;
}
static int32_t CB cbParam(int32_t h, int32_t s, const char* name, char* out) {
    (void)h, (void)s;
    out[0] = 0;
    if (!strcmp(name, "ComboPort")) put(out, "TCP/IP");
    else if (!strcmp(name, "ComboIpAddress")) put(out, "127.0.0.1");
    else if (!strcmp(name, "ComboIpPort")) put(out, g_port);
    else if (!strcmp(name, "ComboEdiFolder")) put(out, "EDI");
    else if (!strcmp(name, "ComboImportLogSave")) put(out, "FALSE");
    return 1;
}
static int32_t CB cbEnv(int32_t h, int32_t s, int32_t* id, int32_t* no, char* t1, char* t2, char* wd) {
    (void)h, (void)s;
    *id = 1;
    *no = 1;
    put(t1, "");
    put(t2, "");
    strncpy(wd, g_workDir, 260);
    wd[260] = 0;
    return 1;
}
static int32_t CB cbMessage(int32_t h, int32_t s, int32_t kind, const char* text) {
    (void)h, (void)s;
    if (kind == 2) printf("error: %s\n", text);
    return 1;
}
static int32_t CB cbGoods(int32_t h, int32_t s, const char* name, int32_t plu, const char* codes, int32_t overwrite,
                          const char* group, const char* unit, int32_t vat, price_t p1, price_t p2, price_t p3,
                          price_t p4, int32_t openPrice, int32_t package, const char* packageCode) {
    const price_t prices[4] = {p1, p2, p3, p4};
    (void)h, (void)s;
    printf("%s|%d|%s|%d|%s|%s|%d|%d|%d|%s|", name, plu, codes, overwrite, group, unit, vat, openPrice, package,
           packageCode);
    for (int i = 0; i < 4; ++i) {
        unsigned char b[10];
        memcpy(b, &prices[i], 10);
        printf(" ");
        for (int k = 9; k >= 0; --k) printf("%02X", b[k]);
    }
    printf("\n");
    return plu == 3 ? 0 : 1;
}

typedef void*(CB* Register)(int32_t, int32_t, int32_t, void*);
typedef void(CB* RegisterCallback)(void*, void*, int32_t);
typedef void(CB* Release)(void*);
typedef int32_t(CB* Operation)(void*, int32_t, int32_t*, char*, int32_t, int32_t);

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: c_goods_host PLUGIN WORKDIR PORT\n");
        return 2;
    }
    g_workDir = argv[2];
    g_port = argv[3];
#ifdef _WIN32
    HMODULE lib = LoadLibraryA(argv[1]);
#define SYM(name) ((void*)GetProcAddress(lib, name))
#else
    void* lib = dlopen(argv[1], RTLD_NOW);
#define SYM(name) dlsym(lib, name)
#endif
    if (!lib) {
        fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    Register reg = (Register)SYM("QORDLLRejestrujBiblioteke");
    RegisterCallback cb = (RegisterCallback)SYM("QORDLLRejestrujCallback");
    Release release = (Release)SYM("QORDLLZwolnijBiblioteke");
    Operation op = (Operation)SYM("QORDLLSerKasOperacja");
    if (!reg || !cb || !release || !op) {
        fprintf(stderr, "missing entry points\n");
        return 1;
    }
    void* library = reg(7, 0, 0, NULL);
    cb(library, (void*)cbAbort, 5);
    cb(library, (void*)cbParam, 6);
    cb(library, (void*)cbEnv, 11);
    cb(library, (void*)cbMessage, 12);
    cb(library, (void*)cbMessage, 13);
    cb(library, (void*)cbGoods, 33);
    int32_t session[1] = {0};
    char text[301] = "c host";
    op(library, 1, session, text, -8, 6);
    release(library);
    return 0;
}
