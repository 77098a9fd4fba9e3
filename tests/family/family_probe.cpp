// Loads the second driver DLL (which loads ztcombo.dll) and prints its answer.
#include <cstdio>
#include <windows.h>

typedef int(__stdcall* Probe)(char* out, int size);

int main() {
    HMODULE dll = LoadLibraryA("family_driver.dll");
    if (!dll) {
        printf("cannot load family_driver.dll: %lu\n", static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    Probe probe = reinterpret_cast<Probe>(reinterpret_cast<void*>(GetProcAddress(dll, "FamilyProbe@8")));
    if (!probe) probe = reinterpret_cast<Probe>(reinterpret_cast<void*>(GetProcAddress(dll, "FamilyProbe")));
    if (!probe) {
        printf("no FamilyProbe\n");
        return 1;
    }
    char out[256] = {};
    if (!probe(out, static_cast<int>(sizeof out))) return 1;
    printf("%s\n", out);
    FreeLibrary(dll);
    return 0;
}
