// Feeds arbitrary text to the config.txt reader and checks each line's outcome against the
// format: a resource line reassembles into its source line, a short line really is short,
// and every line left out has a kind word the registry does not know.
#include "Config.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string kindOf(const std::string& line) {
    return line.substr(0, line.find(' '));
}

std::size_t fieldsOf(const std::string& kind) {
    if (kind == "Shader") return 6;
    return kind == "Texture" || kind == "Mesh" || kind == "File" ? 2 : 0;
}

void check(bool holds) {
    if (!holds) std::abort();
}

void checkLine(const vexel::ConfigLine& line, const std::string& source) {
    std::size_t wanted = fieldsOf(line.kind);
    check(wanted > 0 && kindOf(source) == line.kind);
    if (line.fields.empty()) {
        check(std::size_t(std::count(source.begin(), source.end(), ' ')) < wanted);
        return;
    }
    check(line.fields.size() == wanted);
    std::string joined = line.kind;
    for (const std::string& field : line.fields) joined += " " + field;
    check(joined == source);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    std::vector<vexel::ConfigLine> lines = vexel::readConfigLines(in);
    std::vector<std::string> sources = splitLines(text);

    std::size_t next = 0;
    for (std::size_t i = 0; i < sources.size(); i++) {
        const std::string& source = sources[i];
        if (next < lines.size() && lines[next].number == int(i + 1)) {
            checkLine(lines[next++], source);
        } else {
            check(fieldsOf(kindOf(source)) == 0);
        }
    }
    check(next == lines.size());
    return 0;
}
