// Round-trip property of the Linux settings file: for every text that parses,
// writing the document back, and rendering every value line afresh, gives a
// text that parses to the same values. The texts are a generated set (every
// kind of line, escapes, continuations, both line ends, and near misses made
// by small edits) plus the fuzzer's committed seeds.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "settings/reg_file.h"

using namespace zarvella::regfile;

namespace {

struct Value {
    std::string key;
    bool isDefault;
    std::string name;
    DataKind kind;
    uint32_t dword;
    std::string text;
    uint32_t hexType;
    std::vector<uint8_t> bytes;

    bool operator==(const Value&) const = default;
};

// The registry names a key's default value with the empty name, so @= and
// ""= are one value; the writer renders both as @.
std::vector<Value> Values(const RegDocument& d) {
    std::vector<Value> out;
    for (const RegSection& s : d.sections)
        for (const RegLine& l : s.lines)
            if (l.isValue) {
                Value v{s.key,
                        l.isDefault || l.name.empty(),
                        l.isDefault ? "" : l.name,
                        l.data.kind,
                        0,
                        {},
                        0,
                        {}};
                switch (l.data.kind) {
                    case DataKind::Dword:
                        v.dword = l.data.dword;
                        break;
                    case DataKind::String:
                        v.text = l.data.text;
                        break;
                    case DataKind::Hex:
                        v.hexType = l.data.hexType, v.bytes = l.data.bytes;
                        break;
                    case DataKind::Delete:
                        break;
                }
                out.push_back(std::move(v));
            }
    return out;
}

class TextGenerator {
  public:
    explicit TextGenerator(uint32_t seed) : rng_(seed) {}

    std::string File() {
        const std::string nl = Pick(2) ? "\r\n" : "\n";
        std::string out;
        if (Pick(8) == 0) out += "\xEF\xBB\xBF";
        out += Pick(4) ? "REGEDIT4" : "Windows Registry Editor Version 5.00";
        out += nl;
        const int lines = static_cast<int>(Pick(14));
        bool inKey = false;
        for (int i = 0; i < lines; ++i) {
            switch (Pick(inKey ? 6 : 3)) {
                case 0:
                    out += Blanks() + nl;
                    break;
                case 1:
                    out += Blanks() + ";" + Name() + nl;
                    break;
                case 2:
                    out += Enclosed('[', Key(), ']') + nl, inKey = true;
                    break;
                default:
                    out += ValueLine(nl);
                    break;
            }
        }
        return out;
    }

    // A small edit: drop, double, or replace one character.
    std::string Edit(std::string text) {
        if (text.empty()) return text;
        const size_t at = Pick(static_cast<uint32_t>(text.size()));
        static const char kChars[] = "\"\\@=[];,:-x0aF(4) \t\r\n";
        switch (Pick(3)) {
            case 0:
                text.erase(at, 1);
                break;
            case 1:
                text.insert(at, 1, text[at]);
                break;
            default:
                text[at] = kChars[Pick(sizeof kChars - 1)];
                break;
        }
        return text;
    }

  private:
    uint32_t Pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng_); }

    std::string Blanks() {
        static const char* kBlanks[] = {"", "", " ", "\t", "  \t"};
        return kBlanks[Pick(5)];
    }

    std::string Key() {
        static const char* kKeys[] = {"HKEY_CURRENT_USER\\Software\\Zarvella",
                                      "HKEY_CURRENT_USER\\Software\\Zarvella\\",
                                      "hkey_current_user\\software\\ZARVELLA",
                                      "HKEY_CURRENT_USER\\Software\\Other",
                                      "a]b",
                                      " spaced key "};
        return kKeys[Pick(6)];
    }

    std::string Name() {
        static const char* kNames[] = {
            "Fast", "Bright",     "Size",    "Satiation",   "Color",      "Alpha", "Rands", "fast",
            "",     "with space", "q\"uote", "back\\slash", "semi;colon", "=",     "\t"};
        return kNames[Pick(15)];
    }

    static std::string Escape(const std::string& s) {
        std::string out;
        for (char c : s) {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
        return out;
    }

    // Built by appending: g++ 12 warns (-Wrestrict) on "x" + string at -O3.
    static std::string Enclosed(char open, const std::string& text, char close) {
        std::string s;
        s.push_back(open);
        s += text;
        s.push_back(close);
        return s;
    }

    std::string HexDigits(int count, bool upper) {
        std::string s;
        for (int i = 0; i < count; ++i)
            s += (upper ? "0123456789ABCDEF" : "0123456789abcdef")[Pick(16)];
        return s;
    }

    std::string ValueLine(const std::string& nl) {
        std::string line = Blanks() +
                           (Pick(10) == 0 ? std::string("@") : Enclosed('"', Escape(Name()), '"')) +
                           Blanks() + "=" + Blanks();
        switch (Pick(5)) {
            case 0:
                line += (Pick(2) ? "dword:" : "DWORD:") +
                        HexDigits(1 + static_cast<int>(Pick(8)), Pick(2));
                break;
            case 1:
                line += Enclosed('"', Escape(Name() + Name()), '"');
                break;
            case 2:
                line += "-";
                break;
            default: {
                line += Pick(2) ? "hex"
                                : "hex(" + HexDigits(1 + static_cast<int>(Pick(3)), false) + ")";
                line += ":";
                const int bytes = static_cast<int>(Pick(7));
                for (int b = 0; b < bytes; ++b) {
                    if (b) line += Pick(4) ? "," : ",\\" + nl + "  ";
                    line += HexDigits(2, Pick(2));
                }
                break;
            }
        }
        return line + Blanks() + nl;
    }

    std::mt19937 rng_;
};

std::vector<std::string> CorpusTexts() {
    std::vector<std::string> texts;
    const std::filesystem::path dir = ZARVELLA_REG_CORPUS;
    if (!std::filesystem::is_directory(dir)) return texts;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        texts.push_back(content.str());
    }
    return texts;
}

// Checks one text; returns whether it parsed.
bool CheckRoundTrip(const std::string& text) {
    const ParseResult parsed = ParseRegFile(text);
    if (!parsed.ok) return false;
    const std::vector<Value> values = Values(parsed.document);

    const std::string written = WriteRegFile(parsed.document);
    const ParseResult again = ParseRegFile(written);
    EXPECT_TRUE(again.ok) << "written back:\n" << written << "\nerror: " << again.error;
    EXPECT_EQ(Values(again.document), values) << "written back:\n" << written;

    RegDocument rendered = parsed.document;
    for (RegSection& s : rendered.sections)
        for (RegLine& l : s.lines)
            if (l.isValue) l.raw.clear();
    const std::string renderedText = WriteRegFile(rendered);
    const ParseResult renderedAgain = ParseRegFile(renderedText);
    EXPECT_TRUE(renderedAgain.ok) << "rendered:\n"
                                  << renderedText << "\nerror: " << renderedAgain.error;
    EXPECT_EQ(Values(renderedAgain.document), values) << "from:\n"
                                                      << text << "\nrendered:\n"
                                                      << renderedText;
    // And a second round changes nothing more.
    EXPECT_EQ(Values(ParseRegFile(WriteRegFile(renderedAgain.document)).document), values);
    return true;
}

TEST(RegFileProperty, EveryGeneratedTextThatParsesWritesBackToTheSameValues) {
    TextGenerator generate(20261207u);
    int parsed = 0, tried = 0, withValues = 0;
    for (int i = 0; i < 4000 && !HasFailure(); ++i) {
        std::string text = generate.File();
        for (int edit = 0; edit < 3; ++edit) {
            ++tried;
            if (CheckRoundTrip(text)) {
                ++parsed;
                withValues += !Values(ParseRegFile(text).document).empty();
            }
            text = generate.Edit(text);
        }
    }
    std::printf("[ regfile ] %d of %d generated texts parsed, %d of them with values\n", parsed,
                tried, withValues);
    // The set must reach the interesting part: most whole files parse.
    EXPECT_GT(parsed, 3000);
    EXPECT_GT(withValues, 2000);
}

TEST(RegFileProperty, EveryCorpusTextThatParsesWritesBackToTheSameValues) {
    const std::vector<std::string> texts = CorpusTexts();
    ASSERT_FALSE(texts.empty()) << "no seeds in " << ZARVELLA_REG_CORPUS;
    int parsed = 0;
    for (const std::string& text : texts) parsed += CheckRoundTrip(text);
    EXPECT_GT(parsed, 0);
}

}  // namespace
