#include "cli/CPortsCommand.h"

#include "cli/CArgumentParser.h"
#include "cli/CCliCommand.h"
#include "platform/common/CPortDiscovery.h"
#include "settings/CSystemContext.h"

#include <algorithm>
#include <cstdio>

namespace {

// A JSON string: quotes, backslashes and control characters escaped; other
// bytes pass as they are (sysfs gives UTF-8).
std::string Json(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

const char* Bool(bool b) {
    return b ? "true" : "false";
}

void PrintJson(const std::vector<CSerialPortInfo>& ports, std::ostream& out) {
    out << "[";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const CSerialPortInfo& p = ports[i];
        out << (i == 0 ? "\n  " : ",\n  ") << "{\"device\": " << Json(p.strDevice)
            << ", \"by_id\": " << (p.strById.empty() ? "null" : Json(p.strById))
            << ", \"description\": " << Json(p.strDescription)
            << ", \"console\": " << Bool(p.bConsole) << ", \"accessible\": " << Bool(p.bAccessible)
            << ", \"no_access\": " << (p.bAccessible ? "null" : Json(p.strNoAccess)) << "}";
    }
    out << (ports.empty() ? "]\n" : "\n]\n");
}

// One line a port: device path, by-id name ("-" when there is none),
// description, marks and why the user has no access; the first two columns
// aligned.
void PrintLines(const std::vector<CSerialPortInfo>& ports, std::ostream& out) {
    std::size_t deviceWidth = 0;
    std::size_t nameWidth = 1;
    for (const CSerialPortInfo& p : ports) {
        deviceWidth = std::max(deviceWidth, p.strDevice.size());
        nameWidth = std::max(nameWidth, p.ByIdName().size());
    }
    for (const CSerialPortInfo& p : ports) {
        const std::string name = p.strById.empty() ? "-" : p.ByIdName();
        out << p.strDevice << std::string(deviceWidth - p.strDevice.size() + 2, ' ') << name
            << std::string(nameWidth - name.size() + 2, ' ') << p.strDescription << p.MarksText()
            << (p.bAccessible ? "" : " " + p.strNoAccess) << '\n';
    }
}

}  // namespace

int CPortsCommand::Run(CSystemContext& context, const std::vector<std::string>& args,
                       std::ostream& out, std::ostream& err) {
    bool bJson = false;
    CArgumentParser parser("ports", "[--json]", 0);
    parser.AddFlag("--json", [&] { bJson = true; });
    std::vector<std::string> none;
    if (!parser.Parse(args, none, err)) {
        return kExitUsage;
    }
    const std::vector<CSerialPortInfo> ports = context.Discovery().List();
    if (bJson) {
        PrintJson(ports, out);
    } else if (ports.empty()) {
        err << "No serial ports found.\n";
    } else {
        PrintLines(ports, out);
    }
    return kExitSuccess;
}
