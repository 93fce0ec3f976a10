#include "trackinfo/format_table.h"

#include <algorithm>
#include <string>
#include <vector>

const FormatRow* FindFormat(FormatCode code) {
    for (const FormatRow& row : kFormatTable)
        if (row.code == code) return &row;
    return nullptr;
}

bool IsStreamFormat(FormatCode code) {
    const FormatRow* row = FindFormat(code);
    return row && row->opened == OpenedAs::Stream;
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsUpperCased(std::string_view text, std::string_view upper) {
    return std::ranges::equal(text, upper, {}, AsciiUpper);
}

std::string_view ExtensionOf(std::string_view path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    if (path.find('/', dot) != std::string_view::npos) return {};
    return path.substr(dot);
}

FormatCode ClassifyFile(std::string_view path) {
    const std::string_view extension = ExtensionOf(path);
    if (extension.empty()) return format::None;
    for (const FormatRow& row : kFormatTable)
        if (EqualsUpperCased(extension, row.extension)) return row.code;
    return format::None;
}

std::string LowerCasePattern(const FormatRow& row) {
    std::string pattern = "*";
    for (const char c : row.extension)
        pattern.push_back((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c);
    return pattern;
}

std::array<const FormatRow*, kFormatTable.size()> RowsInScanOrder() {
    std::array<const FormatRow*, kFormatTable.size()> rows{};
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = &kFormatTable[i];
    std::ranges::sort(rows, {}, &FormatRow::scanOrder);
    return rows;
}

std::span<const std::string_view> FormatMimeTypes() {
    static const std::vector<std::string_view> types = [] {
        std::vector<std::string_view> all;
        for (const FormatRow& row : kFormatTable) {
            std::string_view rest = row.mimeTypes;
            while (!rest.empty()) {
                const size_t end = std::min(rest.find(';'), rest.size());
                const std::string_view type = rest.substr(0, end);
                if (std::ranges::find(all, type) == all.end()) all.push_back(type);
                rest.remove_prefix(std::min(end + 1, rest.size()));
            }
        }
        return all;
    }();
    return types;
}
