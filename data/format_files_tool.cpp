// Writes the installed files that list the formats, from the format table: the desktop
// entry's MimeType= and the MIME package's entries for the extensions freedesktop lacks.
// Usage: vyn-format-files TEMPLATE OUTPUT; "@FORMAT_MIME_TYPES@" in the template is replaced
// by the list that suits the file (a .desktop template gets the MimeType= list).
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "trackinfo/format_table.h"

namespace {

std::string DesktopMimeTypes() {
    std::string list;
    for (const std::string_view type : FormatMimeTypes()) list.append(type).append(";");
    return list;
}

std::string MimePackageEntries() {
    std::string xml;
    for (const FormatRow& row : kFormatTable) {
        if (row.glob == MimeGlob::Known) continue;
        const std::string_view type = row.mimeTypes.substr(0, row.mimeTypes.find(';'));
        xml.append("  <mime-type type=\"").append(type).append("\">\n");
        if (row.glob == MimeGlob::NewType) {
            xml.append("    <comment>").append(row.comment).append("</comment>\n");
            xml.append("    <comment xml:lang=\"ru\">")
                .append(row.commentRu)
                .append("</comment>\n");
            xml.append("    <generic-icon name=\"audio-x-generic\"/>\n");
        }
        xml.append("    <glob pattern=\"").append(LowerCasePattern(row)).append("\"/>\n");
        xml.append("  </mime-type>\n");
    }
    return xml;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: vyn-format-files TEMPLATE OUTPUT\n";
        return 2;
    }
    const std::string templatePath = argv[1];
    std::ifstream in(templatePath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string content = text.str();
    const std::string mark = "@FORMAT_MIME_TYPES@";
    const size_t at = content.find(mark);
    if (!in || at == std::string::npos) {
        std::cerr << "vyn-format-files: no " << mark << " in " << templatePath << "\n";
        return 1;
    }
    const bool desktop = templatePath.ends_with(".desktop.in");
    content.replace(at, mark.size(), desktop ? DesktopMimeTypes() : MimePackageEntries());
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << content;
    return out ? 0 : 1;
}
