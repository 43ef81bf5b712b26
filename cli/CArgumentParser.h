#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// The arguments of one tovrik-cli subcommand, read the same way by every one:
// options and file names in any order. An option is "--name VALUE",
// "--name=VALUE" or, for a flag, "--name". Any other argument that starts with
// a dash is an unknown option, "-" alone is a file name, and "--" ends the
// options: everything after it is a file name, also when it starts with a dash.
//
//     CArgumentParser parser("upload", "OUT.s19 [--port P] [--baud B]", 1);
//     parser.AddValue("--port", [&](const std::string& v, std::string& e) { ... });
//     if (!parser.Parse(args, files, err)) return kExitUsage;
class CArgumentParser {
public:
    // Takes an option's value; false, with the reason in `error`, when it
    // cannot be used.
    using ValueSetter = std::function<bool(const std::string& value, std::string& error)>;

    // `synopsis` is what the usage line shows after the command's name;
    // `nFiles` is how many file names the command takes, or at least takes
    // when `bMore` is set.
    CArgumentParser(std::string command, std::string synopsis, std::size_t nFiles,
                    bool bMore = false);

    // An option that takes a value, such as "--port".
    void AddValue(const std::string& name, ValueSetter set);
    // An option that takes none, such as "--help".
    void AddFlag(const std::string& name, std::function<void()> set);

    // Hands each option to its setter, in the order given, and collects the
    // file names. On an unknown option, a missing or refused value, or too few
    // or too many file names, writes "tovrik-cli COMMAND: reason" and the
    // usage line to `err` and returns false.
    bool Parse(const std::vector<std::string>& args, std::vector<std::string>& files,
               std::ostream& err) const;

private:
    struct COption {
        std::string name;
        ValueSetter setValue;           // options with a value
        std::function<void()> setFlag;  // flags
    };

    std::string Check(const std::vector<std::string>& args,
                      std::vector<std::string>& files) const;  // the reason, "" if none
    const COption* Find(const std::string& name) const;

    std::string m_strCommand;
    std::string m_strSynopsis;
    std::size_t m_nFiles;
    bool m_bMore;
    std::vector<COption> m_options;
};
