#include "trackinfo/format_table.h"

#include <algorithm>
#include <string>

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsUpperCased(std::string_view text, std::string_view upper) {
    return std::ranges::equal(text, upper, {}, AsciiUpper);
}

FormatCode ClassifyFile(std::string_view path) {
    const size_t mark = path.find_last_of("./");
    if (mark == std::string_view::npos || path[mark] != '.') return 0;
    std::string extension(path.substr(mark));
    for (char& c : extension) c = AsciiUpper(c);
    for (size_t i = 0; i < ExtensionTable.size(); ++i)
        if (extension == ExtensionTable[i]) return static_cast<FormatCode>(i + 1);
    return 0;
}
