// What libhidapi.dll has only on Windows, and the wait skipper of tests of the real executable.
//
// The program's two long blocking waits (1.5 s before each attempt to open the frame, 3 s before leaving from the
// tray menu) are calls of kernel32's Sleep in orvessa.exe. When ORVESSA_E2E_WAIT_RECORD names a file, this DLL
// points the executable's import of Sleep at its own function as it is loaded: a request of exactly 1500 or 3000 ms
// returns at once and is appended to that file as a line "wait <milliseconds>", every other request sleeps as
// asked. The Linux tests do the same with an LD_PRELOAD interposer of nanosleep. Without the variable nothing is
// patched and the program waits as it would on a real frame.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <windows.h>

#include <hidapi.h>
#include <hidapi_winapi.h>

extern "C" int HID_API_EXPORT_CALL hid_winapi_get_container_id(hid_device * /*dev*/, GUID * /*container_id*/) {
    return -1;  // a frame in memory sits in no container
}

namespace {

using SleepFunction = VOID(WINAPI *)(DWORD);

SleepFunction realSleep = nullptr;
const char *waitRecordPath = nullptr;

VOID WINAPI skippingSleep(DWORD milliseconds) {
    if (milliseconds != 1500 && milliseconds != 3000) {
        realSleep(milliseconds);
        return;
    }
    if (std::FILE *file = std::fopen(waitRecordPath, "ab")) {
        std::fprintf(file, "wait %lu\n", static_cast<unsigned long>(milliseconds));
        std::fclose(file);
    }
}

template <typename T>
T *at(BYTE *base, DWORD offset) {
    return reinterpret_cast<T *>(base + offset);
}

// The slot of the executable's import address table that the loader filled with kernel32's Sleep; null when the
// executable does not import it by name.
SleepFunction *sleepImportSlot() {
    auto *base = reinterpret_cast<BYTE *>(GetModuleHandleW(nullptr));
    const auto *nt = at<IMAGE_NT_HEADERS>(base, static_cast<DWORD>(at<IMAGE_DOS_HEADER>(base, 0)->e_lfanew));
    const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return nullptr;
    for (auto *module = at<IMAGE_IMPORT_DESCRIPTOR>(base, imports.VirtualAddress); module->Name != 0; ++module) {
        if (lstrcmpiA(at<char>(base, module->Name), "kernel32.dll") != 0 || module->OriginalFirstThunk == 0)
            continue;
        auto *name = at<IMAGE_THUNK_DATA>(base, module->OriginalFirstThunk);
        auto *slot = at<IMAGE_THUNK_DATA>(base, module->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            const auto *byName = at<IMAGE_IMPORT_BY_NAME>(base, static_cast<DWORD>(name->u1.AddressOfData));
            if (std::strcmp(reinterpret_cast<const char *>(byName->Name), "Sleep") == 0)
                return reinterpret_cast<SleepFunction *>(&slot->u1.Function);
        }
    }
    return nullptr;
}

// Runs while the DLL is initialised, after the loader has filled the executable's imports and before its main().
__attribute__((constructor)) void skipProgramWaits() {
    waitRecordPath = std::getenv("ORVESSA_E2E_WAIT_RECORD");
    SleepFunction *slot = waitRecordPath ? sleepImportSlot() : nullptr;
    DWORD protection = 0;
    if (!slot || !VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
        return;
    realSleep = *slot;
    *slot = &skippingSleep;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

}  // namespace
