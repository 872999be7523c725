#include "OutputLedger.h"

#include <filesystem>
#include <system_error>

std::string OutputLedger::Normal(const std::string& path) {
    std::error_code ec;
    std::filesystem::path normal = std::filesystem::weakly_canonical(path, ec);
    if (ec)
        normal = std::filesystem::absolute(path, ec).lexically_normal();
    return normal.string();
}

std::string OutputLedger::EarlierWriter(const std::string& input,
                                        const std::vector<std::string>& outputs) const {
    const std::string self = Normal(input);
    for (const std::string& output : outputs) {
        auto it = writers_.find(Normal(output));
        if (it != writers_.end() && Normal(it->second) != self)
            return it->second;
    }
    return {};
}

void OutputLedger::Record(const std::string& input, const std::vector<std::string>& outputs) {
    for (const std::string& output : outputs)
        writers_[Normal(output)] = input;
}
