#include "support/text_files.h"

#include <fstream>
#include <sstream>

namespace rmtest {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string valueLines(const std::string& trace) {
    std::istringstream in(trace);
    std::string line;
    std::string kept;
    while (std::getline(in, line))
        if (line.empty() || line[0] != '#') kept += line + "\n";
    return kept;
}

}  // namespace rmtest
