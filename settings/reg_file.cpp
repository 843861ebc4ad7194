#include "settings/reg_file.h"

#include <charconv>
#include <cstdio>

namespace zarvella::regfile {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits and nothing else (from_chars takes no sign for an
// unsigned number), into `value`.
bool ParseHex32(std::string_view digits, uint32_t& value) {
    if (digits.empty() || digits.size() > 8) return false;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, 16);
    return error == std::errc() && stop == end;
}

std::string_view StripKeyEnd(std::string_view key) {
    while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
    return key;
}

// Splits into physical lines; a final line break does not start a new line.
std::vector<std::string_view> SplitLines(std::string_view text, bool& sawCrLf, bool& sawLf) {
    std::vector<std::string_view> lines;
    sawCrLf = sawLf = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            sawCrLf = true;
        } else {
            sawLf = true;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

class Parser {
  public:
    Parser(std::string_view text, Encoding encoding) {
        result_.document.encoding = encoding;
        bool crlf = false, lf = false;
        lines_ = SplitLines(text, crlf, lf);
        result_.document.newline = (lf && !crlf) ? "\n" : "\r\n";
    }

    ParseResult Run() {
        if (lines_.empty()) {
            Fail(1, "the file is empty; it must start with REGEDIT4");
            return std::move(result_);
        }
        const std::string_view header = TrimRight(lines_[0]);
        if (header != kHeader4 && header != kHeader5) {
            Fail(1, "the file must start with REGEDIT4");
            return std::move(result_);
        }
        const Encoding encoding = result_.document.encoding;
        result_.document.header = std::string(header);
        for (index_ = 1; index_ < lines_.size(); ++index_) {
            if (!ParseLine()) return std::move(result_);
        }
        result_.ok = true;
        result_.document.encoding = encoding;
        return std::move(result_);
    }

  private:
    void Fail(int line, std::string what) {
        result_.ok = false;
        result_.errorLine = line;
        result_.error = std::move(what);
        result_.document = RegDocument{};
    }

    bool FailHere(std::string what) {
        Fail(static_cast<int>(index_) + 1, std::move(what));
        return false;
    }

    std::vector<RegLine>& CurrentLines() {
        return result_.document.sections.empty() ? result_.document.preamble
                                                 : result_.document.sections.back().lines;
    }

    bool ParseLine() {
        const std::string_view physical = lines_[index_];
        const std::string_view text = TrimRight(TrimLeft(physical));
        if (text.empty() || text.front() == ';') {
            RegLine line;
            line.raw.emplace_back(physical);
            CurrentLines().push_back(std::move(line));
            return true;
        }
        if (text.front() == '[') return ParseSection(physical, text);
        if (text.front() == '"' || text.front() == '@') return ParseValue();
        return FailHere("expected a [key], a \"value\"=..., a comment or a blank line");
    }

    bool ParseSection(std::string_view physical, std::string_view text) {
        if (text.size() < 3 || text.back() != ']') return FailHere("a key must be written [name]");
        RegSection section;
        section.header = std::string(physical);
        section.key = std::string(text.substr(1, text.size() - 2));
        result_.document.sections.push_back(std::move(section));
        return true;
    }

    // Reads a quoted text with \\ and \" escapes, starting at the quote.
    bool ReadQuoted(std::string_view& rest, std::string& out) {
        rest.remove_prefix(1);
        out.clear();
        while (!rest.empty()) {
            const char c = rest.front();
            rest.remove_prefix(1);
            if (c == '"') return true;
            if (c == '\\') {
                if (rest.empty()) break;
                const char next = rest.front();
                rest.remove_prefix(1);
                if (next != '\\' && next != '"') return false;
                out.push_back(next);
                continue;
            }
            out.push_back(c);
        }
        return false;
    }

    bool ParseValue() {
        RegLine line;
        line.isValue = true;
        line.raw.emplace_back(lines_[index_]);
        if (result_.document.sections.empty()) return FailHere("a value must follow a [key] line");

        std::string_view rest = TrimLeft(lines_[index_]);
        if (rest.front() == '@') {
            line.isDefault = true;
            rest.remove_prefix(1);
        } else if (!ReadQuoted(rest, line.name)) {
            return FailHere("the value name's quotes or escapes are broken");
        } else if (line.name.empty()) {
            line.isDefault = true;  // "" names the key's default value, as @ does
        }
        rest = TrimLeft(rest);
        if (rest.empty() || rest.front() != '=') return FailHere("expected = after the value name");
        rest = TrimRight(TrimLeft(rest.substr(1)));

        bool ok = false;
        if (rest == "-") {
            line.data.kind = DataKind::Delete;
            ok = true;
        } else if (!rest.empty() && rest.front() == '"') {
            ok = ParseString(rest, line.data);
        } else if (StartsWithNoCase(rest, "dword:")) {
            ok = ParseDword(rest.substr(6), line.data);
        } else if (StartsWithNoCase(rest, "hex")) {
            ok = ParseHex(rest.substr(3), line);
        } else {
            return FailHere("unknown value data; expected \"text\", dword:, hex: or -");
        }
        if (!ok) return false;
        CurrentLines().push_back(std::move(line));
        return true;
    }

    bool ParseString(std::string_view rest, RegData& data) {
        data.kind = DataKind::String;
        if (!ReadQuoted(rest, data.text))
            return FailHere("the text's quotes or escapes are broken");
        if (!TrimLeft(rest).empty()) return FailHere("unexpected text after the closing quote");
        return true;
    }

    bool ParseDword(std::string_view digits, RegData& data) {
        uint32_t value = 0;
        if (!ParseHex32(digits, value)) return FailHere("dword: needs 1 to 8 hex digits");
        data.kind = DataKind::Dword;
        data.dword = value;
        return true;
    }

    // After "hex": an optional (N), a colon, then comma-separated bytes; a
    // line ending in a backslash goes on in the next line.
    bool ParseHex(std::string_view rest, RegLine& line) {
        RegData& data = line.data;
        data.kind = DataKind::Hex;
        data.hexType = kRegBinary;
        if (!rest.empty() && rest.front() == '(') {
            const size_t close = rest.find(')');
            uint32_t type = 0;
            if (close == std::string_view::npos || !ParseHex32(rest.substr(1, close - 1), type)) {
                return FailHere("hex(N): needs 1 to 8 hex digits for the type");
            }
            data.hexType = type;
            rest.remove_prefix(close + 1);
        }
        if (rest.empty() || rest.front() != ':') return FailHere("expected : after hex");
        rest.remove_prefix(1);
        return ParseHexBytes(rest, line);
    }

    bool ParseHexBytes(std::string_view rest, RegLine& line) {
        for (;;) {
            rest = TrimRight(TrimLeft(rest));
            bool goesOn = false;
            if (!rest.empty() && rest.back() == '\\') {
                goesOn = true;
                rest = TrimRight(rest.substr(0, rest.size() - 1));
            }
            if (!ParseByteList(rest, line.data.bytes, goesOn)) return false;
            if (!goesOn) return true;
            if (index_ + 1 >= lines_.size()) return FailHere("the hex data goes on past the end");
            ++index_;
            line.raw.emplace_back(lines_[index_]);
            rest = lines_[index_];
        }
    }

    // "01,02,ff" with blanks around bytes; a trailing comma only before a
    // continuation.
    bool ParseByteList(std::string_view list, std::vector<uint8_t>& bytes, bool goesOn) {
        if (list.empty()) return true;
        for (;;) {
            list = TrimLeft(list);
            if (list.size() < 2 || HexDigit(list[0]) < 0 || HexDigit(list[1]) < 0) {
                return FailHere("hex data must be two-digit bytes separated by commas");
            }
            bytes.push_back(static_cast<uint8_t>(HexDigit(list[0]) << 4 | HexDigit(list[1])));
            list = TrimLeft(list.substr(2));
            if (list.empty()) return true;
            if (list.front() != ',')
                return FailHere("hex data must be two-digit bytes separated by commas");
            list.remove_prefix(1);
            if (TrimLeft(list).empty()) {
                if (goesOn) return true;
                return FailHere("hex data ends with a comma");
            }
        }
    }

    std::vector<std::string_view> lines_;
    size_t index_ = 0;
    ParseResult result_;
};

std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

void AppendLine(std::string& out, std::string_view line, const std::string& newline) {
    out.append(line);
    out.append(newline);
}

void AppendLines(std::string& out, const RegLine& line, const std::string& newline) {
    if (!line.raw.empty()) {
        for (const std::string& physical : line.raw) AppendLine(out, physical, newline);
        return;
    }
    AppendLine(out, RenderValue(line.isDefault ? std::string_view() : line.name, line.data),
               newline);
}

bool IsBlankLine(const RegLine& line) {
    return !line.isValue && line.raw.size() == 1 && TrimLeft(line.raw[0]).empty();
}

}  // namespace

ParseResult ParseRegFile(std::string_view text) {
    if (text.starts_with(kUtf16LeMark)) {
        text.remove_prefix(kUtf16LeMark.size());
        if (text.size() % 2 != 0) {
            ParseResult odd;
            odd.errorLine = 1;
            odd.error = "a UTF-16 file must have an even number of bytes";
            return odd;
        }
        const std::string utf8 = Utf16LeToUtf8(text);
        return Parser(utf8, Encoding::Utf16LeBom).Run();
    }
    if (text.starts_with(kUtf8Mark)) {
        return Parser(text.substr(kUtf8Mark.size()), Encoding::Utf8Bom).Run();
    }
    return Parser(text, Encoding::Utf8).Run();
}

std::string WriteRegFile(const RegDocument& document) {
    std::string out;
    if (document.encoding == Encoding::Utf8Bom) out.append(kUtf8Mark);
    AppendLine(out, document.header, document.newline);
    for (const RegLine& line : document.preamble) AppendLines(out, line, document.newline);
    for (const RegSection& section : document.sections) {
        AppendLine(out, section.header.empty() ? "[" + section.key + "]" : section.header,
                   document.newline);
        for (const RegLine& line : section.lines) AppendLines(out, line, document.newline);
    }
    if (document.encoding == Encoding::Utf16LeBom) {
        return std::string(kUtf16LeMark) + Utf8ToUtf16Le(out);
    }
    return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i])) |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i + 1])) << 8;
    };
    const size_t units = bytes.size() / 2;
    for (size_t i = 0; i < units; ++i) {
        uint32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | c >> 6));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | c >> 12));
            out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | c >> 18));
            out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    const auto put = [&out](uint32_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    };
    const auto continuation = [&text](size_t i) {
        return i < text.size() && (static_cast<uint8_t>(text[i]) & 0xC0) == 0x80;
    };
    for (size_t i = 0; i < text.size();) {
        const uint32_t b = static_cast<uint8_t>(text[i]);
        const auto more = [&](size_t k) { return static_cast<uint32_t>(text[i + k]) & 0x3F; };
        const uint32_t four = b >= 0xF0 && b < 0xF8 && continuation(i + 1) && continuation(i + 2) &&
                                      continuation(i + 3)
                                  ? ((b & 0x07) << 18 | more(1) << 12 | more(2) << 6 | more(3))
                                  : 0;
        if (four >= 0x10000 && four < 0x110000) {
            put(0xD800 + ((four - 0x10000) >> 10));
            put(0xDC00 + ((four - 0x10000) & 0x3FF));
            i += 4;
        } else if (b >= 0xE0 && b < 0xF0 && continuation(i + 1) && continuation(i + 2)) {
            put((b & 0x0F) << 12 | more(1) << 6 | more(2));
            i += 3;
        } else if (b >= 0xC0 && b < 0xE0 && continuation(i + 1)) {
            put((b & 0x1F) << 6 | more(1));
            i += 2;
        } else {
            put(b);  // ASCII; a stray byte (never from a UTF-16 file) as its Latin-1 letter
            ++i;
        }
    }
    return out;
}

bool SameKey(std::string_view a, std::string_view b) {
    return EqualNoCase(StripKeyEnd(a), StripKeyEnd(b));
}

bool SameName(std::string_view a, std::string_view b) {
    return EqualNoCase(a, b);
}

bool HasKey(const RegDocument& document, std::string_view key) {
    for (const RegSection& section : document.sections) {
        if (SameKey(section.key, key)) return true;
    }
    return false;
}

void AddKey(RegDocument& document, std::string_view key) {
    if (HasKey(document, key)) return;
    // A blank line before every key, as regedit writes it.
    std::vector<RegLine>& before =
        document.sections.empty() ? document.preamble : document.sections.back().lines;
    if (before.empty() || !IsBlankLine(before.back())) {
        RegLine blank;
        blank.raw.emplace_back();
        before.push_back(std::move(blank));
    }
    RegSection section;
    section.key = std::string(key);
    RegLine blank;
    blank.raw.emplace_back();
    section.lines.push_back(std::move(blank));
    document.sections.push_back(std::move(section));
}

const RegData* FindValue(const RegDocument& document, std::string_view key, std::string_view name) {
    const RegData* found = nullptr;
    for (const RegSection& section : document.sections) {
        if (!SameKey(section.key, key)) continue;
        for (const RegLine& line : section.lines) {
            if (line.isValue && !line.isDefault && SameName(line.name, name)) found = &line.data;
        }
    }
    return found;
}

void SetDword(RegDocument& document, std::string_view key, std::string_view name, uint32_t value) {
    RegData data;
    data.kind = DataKind::Dword;
    data.dword = value;
    RegLine* last = nullptr;
    RegSection* lastSection = nullptr;
    for (RegSection& section : document.sections) {
        if (!SameKey(section.key, key)) continue;
        lastSection = &section;
        for (RegLine& line : section.lines) {
            if (line.isValue && !line.isDefault && SameName(line.name, name)) last = &line;
        }
    }
    if (last) {
        last->raw.clear();
        last->data = data;
        return;
    }
    if (!lastSection) {
        AddKey(document, key);
        lastSection = &document.sections.back();
    }
    RegLine line;
    line.isValue = true;
    line.name = std::string(name);
    line.data = data;
    // New values go before the blank lines that close the section.
    auto at = lastSection->lines.end();
    while (at != lastSection->lines.begin() && IsBlankLine(*(at - 1))) --at;
    lastSection->lines.insert(at, std::move(line));
}

size_t DataSize(const RegData& data) {
    switch (data.kind) {
        case DataKind::Dword:
            return 4;
        case DataKind::String:
            return data.text.size() + 1;
        case DataKind::Hex:
            return data.bytes.size();
        case DataKind::Delete:
            return 0;
    }
    return 0;
}

std::string RenderValue(std::string_view name, const RegData& data) {
    // Appended piece by piece: g++ 12 warns (-Wrestrict) on "\"" + string at -O2.
    std::string out;
    if (name.empty()) {
        out.push_back('@');
    } else {
        out.push_back('"');
        out += Escape(name);
        out.push_back('"');
    }
    out.push_back('=');
    char buffer[16];
    switch (data.kind) {
        case DataKind::Dword:
            std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(data.dword));
            out += buffer;
            break;
        case DataKind::String:
            out.push_back('"');
            out += Escape(data.text);
            out.push_back('"');
            break;
        case DataKind::Hex:
            if (data.hexType == kRegBinary) {
                out += "hex:";
            } else {
                std::snprintf(buffer, sizeof buffer,
                              "hex(%x):", static_cast<unsigned>(data.hexType));
                out += buffer;
            }
            for (size_t i = 0; i < data.bytes.size(); ++i) {
                std::snprintf(buffer, sizeof buffer, i ? ",%02x" : "%02x", data.bytes[i]);
                out += buffer;
            }
            break;
        case DataKind::Delete:
            out += "-";
            break;
    }
    return out;
}

}  // namespace zarvella::regfile
