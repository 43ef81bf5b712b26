#include "cli/CArgumentParser.h"

#include <utility>

CArgumentParser::CArgumentParser(std::string command, std::string synopsis, std::size_t nFiles,
                                 bool bMore)
    : m_strCommand(std::move(command)),
      m_strSynopsis(std::move(synopsis)),
      m_nFiles(nFiles),
      m_bMore(bMore) {}

void CArgumentParser::AddValue(const std::string& name, ValueSetter set) {
    m_options.push_back({name, std::move(set), nullptr});
}

void CArgumentParser::AddFlag(const std::string& name, std::function<void()> set) {
    m_options.push_back({name, nullptr, std::move(set)});
}

const CArgumentParser::COption* CArgumentParser::Find(const std::string& name) const {
    for (const COption& option : m_options) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

bool CArgumentParser::Parse(const std::vector<std::string>& args, std::vector<std::string>& files,
                            std::ostream& err) const {
    files.clear();
    const std::string reason = Check(args, files);
    if (reason.empty()) {
        return true;
    }
    err << "tovrik-cli " << m_strCommand << ": " << reason << "\nUsage: tovrik-cli " << m_strCommand
        << ' ' << m_strSynopsis << '\n';
    return false;
}

std::string CArgumentParser::Check(const std::vector<std::string>& args,
                                   std::vector<std::string>& files) const {
    bool bOptionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (bOptionsEnded || arg == "-" || !arg.starts_with('-')) {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            bOptionsEnded = true;
            continue;
        }
        const std::size_t eq = arg.starts_with("--") ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, eq);
        const COption* option = Find(name);
        if (option == nullptr) {
            return "unknown option '" + name + "'";
        }
        if (option->setFlag) {
            if (eq != std::string::npos) {
                return name + " takes no value";
            }
            option->setFlag();
            continue;
        }
        std::string value;
        if (eq != std::string::npos) {
            value = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return name + " needs a value";
        }
        std::string error;
        if (!option->setValue(value, error)) {
            return error;
        }
    }
    if (files.size() < m_nFiles) {
        return "missing file name";
    }
    if (files.size() > m_nFiles && !m_bMore) {
        return "unexpected argument '" + files[m_nFiles] + "'";
    }
    return {};
}
