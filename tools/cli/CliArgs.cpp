#include "CliArgs.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

bool CliArgs::Parse(int argc, char** argv, int first, const std::vector<std::string>& flagOptions,
                    std::string* error, const std::map<char, std::string>& shortOptions) {
    for (int i = first; i < argc; ++i) {
        std::string word = argv[i];
        if (word.size() >= 2 && word[0] == '-' && word[1] != '-') {
            const auto alias = shortOptions.find(word[1]);
            if (alias == shortOptions.end()) {
                *error = "unknown option " + word.substr(0, 2);
                return false;
            }
            spellings_[alias->second] = word.substr(0, 2);
            if (word.size() > 2) {
                options_[alias->second] = word.substr(2);
                continue;
            }
            if (i + 1 >= argc) {
                *error = "option " + word + " needs a value";
                return false;
            }
            options_[alias->second] = argv[++i];
            continue;
        }
        if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
            std::string name = word.substr(2);
            spellings_[name] = word;
            if (std::find(flagOptions.begin(), flagOptions.end(), name) != flagOptions.end()) {
                options_[name] = "";
                continue;
            }
            if (i + 1 >= argc) {
                *error = "option --" + name + " needs a value";
                return false;
            }
            options_[name] = argv[++i];
        } else {
            positional_.push_back(word);
        }
    }
    return true;
}

std::optional<std::string> CliArgs::Value(const std::string& name) const {
    auto it = options_.find(name);
    if (it == options_.end())
        return std::nullopt;
    return it->second;
}

std::string CliArgs::Spelling(const std::string& name) const {
    auto it = spellings_.find(name);
    return it == spellings_.end() ? "--" + name : it->second;
}

bool CliArgs::OnlyKnown(const std::vector<std::string>& known, std::string* error) const {
    for (const auto& [name, value] : options_) {
        if (name != "workdir" && std::find(known.begin(), known.end(), name) == known.end()) {
            *error = "unknown option " + Spelling(name);
            return false;
        }
    }
    return true;
}

bool CliArgs::IntValue(const std::string& name, int fallback, int* value,
                       std::string* error) const {
    auto text = Value(name);
    if (!text) {
        *value = fallback;
        return true;
    }
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || errno != 0 || parsed < -2147483647L ||
        parsed > 2147483647L) {
        *error = Spelling(name) + " needs a whole number, not \"" + *text + "\"";
        return false;
    }
    *value = static_cast<int>(parsed);
    return true;
}

std::string CliArgs::WorkDirectory() const {
    return Value("workdir").value_or(".");
}

bool CliArgs::JobsValue(int* jobs, std::string* error) const {
    if (!IntValue("jobs", 0, jobs, error))
        return false;
    if (Has("jobs") && *jobs < 1) {
        *error =
            Spelling("jobs") + " needs 1 or more segments at a time, not " + std::to_string(*jobs);
        return false;
    }
    return true;
}

std::string CliArgs::OutputPath(const std::string& defaultPath) const {
    auto dir = Value("out-dir");
    if (!dir)
        return defaultPath;
    const std::size_t slash = defaultPath.find_last_of('/');
    const std::string name =
        slash == std::string::npos ? defaultPath : defaultPath.substr(slash + 1);
    return *dir + (dir->empty() || dir->back() == '/' ? "" : "/") + name;
}
