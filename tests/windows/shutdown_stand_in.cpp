// Takes the place of Windows' shutdown.exe beside orvessa.exe in scripts/windows/test.sh. Windows looks for a
// program in the starting program's folder before the system folder, so the restart that the double-click
// optimisation offers starts this instead: it appends its arguments, as one line, to the file named by
// ORVESSA_SHUTDOWN_RECORD and restarts nothing.
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    const char *path = std::getenv("ORVESSA_SHUTDOWN_RECORD");
    std::FILE *record = path ? std::fopen(path, "ab") : nullptr;
    if (!record)
        return 1;
    std::fputs("shutdown", record);
    for (int i = 1; i < argc; ++i)
        std::fprintf(record, " %s", argv[i]);
    std::fputc('\n', record);
    return std::fclose(record) == 0 ? 0 : 1;
}
