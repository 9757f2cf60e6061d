#pragma once

#include <string>

namespace rmtest {

// A whole file's bytes ("" where it cannot be read), and a file made of bytes, replacing it.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// The lines of a trace that do not start with '#': what comparisons compare.
std::string valueLines(const std::string& trace);

}  // namespace rmtest
