#include "playlist/xspf_reader.h"

#include <array>
#include <charconv>

#include "playlist/file_uri.h"
#include "trackinfo/tag_text.h"

namespace {
void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// The text of one reference between '&' and ';', decoded into `out`; false when it is none.
bool DecodeReference(std::string_view name, std::string& out) {
    struct Entity {
        std::string_view name;
        char value;
    };
    static constexpr std::array<Entity, 5> kEntities = {
        {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
    for (const Entity& entity : kEntities) {
        if (name == entity.name) {
            out.push_back(entity.value);
            return true;
        }
    }
    if (name.size() < 2 || name[0] != '#') return false;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t code = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return false;
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    AppendUtf8(out, code);
    return true;
}

std::string_view LocalName(std::string_view qualified) {
    const size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

// Where the tag that starts at `open` (its '<') ends, past its '>'; quoted attribute values
// may hold '>'. npos when the text ends first.
size_t TagEnd(std::string_view text, size_t open) {
    char quote = 0;
    for (size_t i = open + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

class XspfScan {
  public:
    XspfScan(std::string_view text, std::string_view listFolder)
        : text_(text), listFolder_(listFolder) {}

    std::vector<std::string> Run() {
        size_t pos = 0;
        while (pos < text_.size()) {
            const size_t open = text_.find('<', pos);
            Text(text_.substr(pos, open == std::string_view::npos ? open : open - pos));
            if (open == std::string_view::npos) break;
            pos = Markup(open);
            if (pos == std::string_view::npos) break;
        }
        return std::move(entries_);
    }

  private:
    void Text(std::string_view text) {
        if (inLocation_) location_ += DecodeXmlText(text);
    }

    // Handles the markup at `open`; returns where the text goes on, npos at a fault.
    size_t Markup(size_t open) {
        const std::string_view rest = text_.substr(open);
        if (rest.starts_with("<!--")) return Skip(open, "-->");
        if (rest.starts_with("<?")) return Skip(open, "?>");
        if (rest.starts_with("<![CDATA[")) {
            const size_t start = open + 9;
            const size_t end = text_.find("]]>", start);
            if (end == std::string_view::npos) return end;
            if (inLocation_) location_.append(text_.substr(start, end - start));
            return end + 3;
        }
        const size_t end = TagEnd(text_, open);
        if (end == std::string_view::npos) return end;
        if (rest.starts_with("<!")) return end;  // a document type declaration
        std::string_view tag = text_.substr(open + 1, end - open - 2);
        const bool closing = tag.starts_with('/');
        const bool empty = !closing && tag.ends_with('/');
        if (closing) tag.remove_prefix(1);
        if (empty) tag.remove_suffix(1);
        const std::string_view name = LocalName(tag.substr(0, tag.find_first_of(" \t\r\n/")));
        if (closing)
            End(name);
        else if (!empty)
            Start(name);
        return end;
    }

    size_t Skip(size_t open, std::string_view terminator) {
        const size_t end = text_.find(terminator, open + 2);
        return end == std::string_view::npos ? end : end + terminator.size();
    }

    void Start(std::string_view name) {
        if (name == "track") {
            inTrack_ = true;
            trackHasLocation_ = false;
        } else if (name == "location" && inTrack_ && !trackHasLocation_) {
            inLocation_ = true;
            location_.clear();
        }
    }

    void End(std::string_view name) {
        if (name == "location" && inLocation_) {
            inLocation_ = false;
            trackHasLocation_ = true;
            if (auto entry = EntryFromLocation(TrimText(location_), listFolder_, true))
                entries_.push_back(std::move(*entry));
        } else if (name == "track") {
            inTrack_ = false;
            inLocation_ = false;
        }
    }

    std::string_view text_;
    std::string_view listFolder_;
    std::vector<std::string> entries_;
    bool inTrack_ = false;
    bool trackHasLocation_ = false;
    bool inLocation_ = false;
    std::string location_;
};
}  // namespace

std::string DecodeXmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t amp = text.find('&', pos);
        if (amp == std::string_view::npos) {
            out.append(text.substr(pos));
            break;
        }
        out.append(text.substr(pos, amp - pos));
        const size_t semicolon = text.find(';', amp + 1);
        if (semicolon != std::string_view::npos &&
            DecodeReference(text.substr(amp + 1, semicolon - amp - 1), out)) {
            pos = semicolon + 1;
        } else {
            out.push_back('&');
            pos = amp + 1;
        }
    }
    return out;
}

std::vector<std::string> ParseXspfPlaylist(std::string_view text, std::string_view listFolder) {
    return XspfScan(text, listFolder).Run();
}
