// The settings file's text format: a Windows registry export (REGEDIT4), so
// the same file can be imported into the registry on Windows. Pure C++, no
// Qt and no system calls, so it can be unit-tested and fuzzed on its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarvella::regfile {

inline constexpr std::string_view kHeader4 = "REGEDIT4";
inline constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

// Registry type numbers, as hex(N): writes them.
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;

enum class DataKind {
    Dword,   // dword:0000000a
    String,  // "text"
    Hex,     // hex:01,02 (REG_BINARY) or hex(N):... (any registry type N)
    Delete,  // -  (an import deletes the value)
};

struct RegData {
    DataKind kind = DataKind::Dword;
    uint32_t dword = 0;             // Dword
    std::string text;               // String, escapes removed
    uint32_t hexType = kRegBinary;  // Hex: the registry type
    std::vector<uint8_t> bytes;     // Hex
};

// One logical line of the file. Lines we do not change are written back as
// they were read (comments, blank lines, values of other names, other keys).
struct RegLine {
    std::vector<std::string> raw;  // physical lines as read; empty = render from the value
    bool isValue = false;
    bool isDefault = false;  // @=... (the key's unnamed value)
    std::string name;        // value name, escapes removed
    RegData data;
};

struct RegSection {
    std::string header;  // the [..] line as read; empty = render from key
    std::string key;     // text inside the brackets
    std::vector<RegLine> lines;
};

// How the file's bytes hold its text. regedit's default export is UTF-16LE
// with a byte order mark; a saved file keeps the encoding it was read in.
enum class Encoding {
    Utf8,        // no mark (also plain ASCII)
    Utf8Bom,     // EF BB BF first
    Utf16LeBom,  // FF FE first, two bytes per code unit
};

struct RegDocument {
    Encoding encoding = Encoding::Utf8;
    std::string header = std::string(kHeader4);
    std::vector<RegLine> preamble;  // blank lines and comments before the first key
    std::vector<RegSection> sections;
    std::string newline = "\r\n";  // what regedit writes; a file read with LF keeps LF
};

struct ParseResult {
    bool ok = false;
    RegDocument document;
    int errorLine = 0;  // 1-based physical line of the first error
    std::string error;  // what is wrong there
};

// `text` is the file's bytes in any of the encodings above; the document holds
// UTF-8, and WriteRegFile gives the bytes back in the document's encoding.
ParseResult ParseRegFile(std::string_view text);
std::string WriteRegFile(const RegDocument& document);

// UTF-16LE code units to UTF-8 and back. A lone surrogate is kept as its
// three-byte form, so any sequence of code units comes back unchanged.
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Le(std::string_view text);

// Keys and value names compare as the registry does: ASCII case-insensitive,
// and a key's trailing backslashes do not count.
bool SameKey(std::string_view a, std::string_view b);
bool SameName(std::string_view a, std::string_view b);

bool HasKey(const RegDocument& document, std::string_view key);
// Adds an empty [key] section at the end when the key has none.
void AddKey(RegDocument& document, std::string_view key);
// The value as an import would leave it: the last line naming it wins.
const RegData* FindValue(const RegDocument& document, std::string_view key, std::string_view name);
// Replaces the value's last line, or appends a line to the key's last section
// (adding the key first when needed).
void SetDword(RegDocument& document, std::string_view key, std::string_view name, uint32_t value);

// The size in bytes the registry would report for the data (a string counts
// its terminating zero; a deleted value counts 0).
size_t DataSize(const RegData& data);

// "Name"=dword:0000000a
std::string RenderValue(std::string_view name, const RegData& data);

}  // namespace zarvella::regfile
