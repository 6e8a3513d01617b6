// Feeds arbitrary text to the config.txt reader and checks each line's outcome against the
// format: a resource line reassembles into its source line, a short line really is short, and a
// line of a kind is kept or left out as every line of that kind is.
#include "Config.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

void check(bool holds) {
    if (!holds) std::abort();
}

// How many fields the reader cuts from a line of `kind`: the fields of a line with spaces to
// spare (the last field takes the rest); 0 for a kind it leaves out.
std::size_t fieldsOf(const std::string& kind) {
    std::istringstream probe(kind + " 1 2 3 4 5 6 7 8 9");
    const std::vector<vexel::ConfigLine> lines = vexel::readConfigLines(probe);
    return lines.empty() ? 0 : lines[0].fields.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text), sources(text);
    const std::vector<vexel::ConfigLine> lines = vexel::readConfigLines(in);
    auto next = lines.begin();
    int number = 0;
    for (std::string source; std::getline(sources, source);) {
        number++;
        if (!source.empty() && source.back() == '\r') source.pop_back();
        const std::string kind = source.substr(0, source.find(' '));
        const std::size_t wanted = fieldsOf(kind);
        if (wanted == 0) continue; // left out; had the reader kept it, the next check would see it
        check(next != lines.end() && next->number == number && next->kind == kind);
        const vexel::ConfigLine& line = *next++;
        std::string joined = kind;
        for (const std::string& field : line.fields) joined += " " + field;
        check(line.fields.empty() ? std::size_t(std::count(source.begin(), source.end(), ' ')) < wanted
                                  : line.fields.size() == wanted && joined == source);
    }
    check(next == lines.end());
    return 0;
}
