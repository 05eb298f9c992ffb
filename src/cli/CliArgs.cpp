#include "cli/CliArgs.h"

#include "settings/Translate.h"

#include <algorithm>
#include <cstdio>

bool TCliArgs::Has(const std::string& name) const {
    return Values.count(name) || std::find(Flags.begin(), Flags.end(), name) != Flags.end();
}

TCliArgs ParseCliArgs(const std::vector<std::string>& args, std::initializer_list<TCliOption> options) {
    TCliArgs out;
    for (size_t i = 0; i < args.size() && out.Error.empty(); ++i) {
        std::string arg = args[i];
        if (arg == "--") {
            out.Positionals.insert(out.Positionals.end(), args.begin() + static_cast<long>(i) + 1,
                                   args.end());
            break;
        }
        if (arg == "-h")
            arg = "--help";
        if (arg.size() < 2 || arg[0] != '-') {
            out.Positionals.push_back(arg);
            continue;
        }
        const size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const TCliOption* option = nullptr;
        for (const TCliOption& o : options)
            if (name == o.Name)
                option = &o;
        if (!option)
            out.Error = FillText(Tr("unknown option \"%s\""), {name});
        else if (!option->TakesValue && eq != std::string::npos)
            out.Error = FillText(Tr("option \"%s\" takes no value"), {name});
        else if (!option->TakesValue)
            out.Flags.push_back(name);
        else if (eq != std::string::npos)
            out.Values[name] = arg.substr(eq + 1);
        else if (i + 1 < args.size())
            out.Values[name] = args[++i];
        else
            out.Error = FillText(Tr("option \"%s\" needs a value"), {name});
    }
    return out;
}

std::string FillText(const std::string& format, std::initializer_list<std::string> values) {
    std::string out;
    auto next = values.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        const char conversion = i + 1 < format.size() ? format[i + 1] : '\0';
        if (c == '%' && conversion == '%') {
            out += '%';
            ++i;
        } else if (c == '%' && (conversion == 's' || conversion == 'd') && next != values.end()) {
            out += *next++;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

int UsageError(const std::string& command, const std::string& message) {
    const std::string who = command.empty() ? "quiravel-cli" : "quiravel-cli " + command;
    std::fprintf(stderr, "%s: %s\n%s\n", who.c_str(), message.c_str(),
                 FillText(Tr("Try \"%s --help\" for more information."), {who}).c_str());
    return ExitUsage;
}
