// The virtual frame as a shared library that takes the place of hidapi under the real program: put under it with
// LD_PRELOAD on Linux, or as libhidapi.dll beside orvessa.exe on Windows. It is configured by environment variables
// and writes what the program did to a record file, one line per call. The variables are described in
// tools/README.md.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "virtual_frame.h"

namespace {

std::FILE *recordFile = nullptr;

void writeLine(const std::string &line) {
    std::fputs(line.c_str(), recordFile);
    std::fputc('\n', recordFile);
    std::fflush(recordFile);
}

void reportErrors(const std::vector<std::string> &errors) {
    for (const std::string &error : errors)
        writeLine("# ignored: " + error);
}

std::string variable(const char *name, const char *fallback) {
    const char *value = std::getenv(name);
    return value ? value : fallback;
}

void configure() {
    const std::string recordPath = variable("ORVESSA_VIRTUAL_FRAME_RECORD", "");
    recordFile = recordPath.empty() ? nullptr : std::fopen(recordPath.c_str(), "wb");  // "\n" lines on every system
    if (!recordFile)
        recordFile = stderr;

    std::vector<std::string> errors;
    // Unset means one frame on its usual interface; set but empty means no device at all.
    for (const auto &interface :
         virtual_frame::parseInterfaces(variable("ORVESSA_VIRTUAL_FRAME_INTERFACES", "28E1:FF00:00A3"), &errors)) {
        const std::string path = virtual_frame::addInterface(interface);
        char line[160];
        std::snprintf(line, sizeof line, "# interface vendor=%04X page=%04X usage=%04X path=%s", interface.vendorId,
                      interface.usagePage, interface.usage, path.c_str());
        writeLine(line);
    }

    const std::string reply = variable("ORVESSA_VIRTUAL_FRAME_START_REPLY", "valid");
    if (const auto parsed = virtual_frame::parseStartReply(reply))
        virtual_frame::setStartReply(*parsed);
    else
        errors.push_back("unknown start reply: " + reply);

    for (const auto &[path, error] :
         virtual_frame::parseFailingOpens(variable("ORVESSA_VIRTUAL_FRAME_FAIL_OPEN", ""), &errors))
        virtual_frame::failOpen(path, error);
    for (const std::uint8_t code : virtual_frame::parseCodes(variable("ORVESSA_VIRTUAL_FRAME_FAIL_WRITE", ""), &errors))
        virtual_frame::failWrite(code);
    reportErrors(errors);

    virtual_frame::setObserver([](const virtual_frame::Event &event, const virtual_frame::FirmwareState &state) {
        writeLine(virtual_frame::describe(event));
        if (event.kind == virtual_frame::Event::Kind::Write)
            writeLine(virtual_frame::describe(state));
    });
}

__attribute__((constructor)) void startVirtualFrame() {
    configure();
}

}  // namespace
