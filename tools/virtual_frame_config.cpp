#include "virtual_frame.h"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <sstream>

// The frame configured by text: the environment variables of the preloaded library and of the frame DLL.

namespace virtual_frame {
namespace {

std::optional<unsigned long> parseHex(const std::string &text, unsigned long maximum) {
    if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    const unsigned long value = std::strtoul(text.c_str(), nullptr, 16);
    if (value > maximum)
        return std::nullopt;
    return value;
}

std::vector<std::string> split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator))
        parts.push_back(part);
    return parts;
}

}  // namespace

std::vector<Interface> parseInterfaces(const std::string &text, std::vector<std::string> *errors) {
    std::vector<Interface> interfaces;
    for (const std::string &entry : split(text, ',')) {
        if (entry.empty())
            continue;
        std::vector<std::string> fields = split(entry, ':');
        std::optional<unsigned long> vendor, page, usage;
        if (fields.size() >= 3) {
            vendor = parseHex(fields[0], 0xFFFF);
            page = parseHex(fields[1], 0xFFFF);
            usage = parseHex(fields[2], 0xFFFF);
        }
        if (!vendor || !page || !usage) {
            if (errors)
                errors->push_back("not VVVV:PPPP:UUUU[:path]: " + entry);
            continue;
        }
        Interface interface;
        interface.vendorId = std::uint16_t(*vendor);
        interface.usagePage = std::uint16_t(*page);
        interface.usage = std::uint16_t(*usage);
        // The path is everything after the third colon, colons included.
        const std::size_t thirdColon =
            fields.size() > 3 ? fields[0].size() + fields[1].size() + fields[2].size() + 3 : std::string::npos;
        if (thirdColon != std::string::npos)
            interface.path = entry.substr(thirdColon);
        interfaces.push_back(interface);
    }
    return interfaces;
}

std::optional<StartReply> parseStartReply(const std::string &text) {
    static const std::map<std::string, StartReply> names{
        {"valid", StartReply::Valid}, {"wrong-id", StartReply::WrongId}, {"wrong-byte", StartReply::WrongByte},
        {"short", StartReply::Short}, {"timeout", StartReply::Timeout},  {"error", StartReply::Error}};
    const auto found = names.find(text);
    if (found == names.end())
        return std::nullopt;
    return found->second;
}

std::vector<std::pair<std::string, int>> parseFailingOpens(const std::string &text, std::vector<std::string> *errors) {
    static const std::map<std::string, int> names{{"EACCES", EACCES}, {"EPERM", EPERM}, {"ENOENT", ENOENT},
                                                  {"ENODEV", ENODEV}, {"ENXIO", ENXIO}, {"EBUSY", EBUSY},
                                                  {"EIO", EIO}};
    std::vector<std::pair<std::string, int>> opens;
    for (const std::string &entry : split(text, ',')) {
        const std::size_t equals = entry.rfind('=');
        const std::string path = entry.substr(0, equals);
        const std::string name = equals == std::string::npos ? "EACCES" : entry.substr(equals + 1);
        const auto known = names.find(name);
        const bool number = !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
        if (path.empty() || (known == names.end() && !number)) {
            if (errors && !entry.empty())
                errors->push_back("not path[=ERROR]: " + entry);
            continue;
        }
        opens.emplace_back(path, known != names.end() ? known->second : std::atoi(name.c_str()));
    }
    return opens;
}

std::vector<std::uint8_t> parseCodes(const std::string &text, std::vector<std::string> *errors) {
    std::vector<std::uint8_t> codes;
    for (const std::string &part : split(text, ',')) {
        if (part.empty())
            continue;
        if (const auto code = parseHex(part, 0xFF))
            codes.push_back(std::uint8_t(*code));
        else if (errors)
            errors->push_back("not a hexadecimal command code: " + part);
    }
    return codes;
}

}  // namespace virtual_frame
