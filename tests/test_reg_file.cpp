// The REGEDIT4 reader and writer of the Linux settings file.
#include <gtest/gtest.h>

#include "settings/reg_file.h"

using namespace zarvella::regfile;

namespace {

constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\Zarvella";

const char* kExport =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Zarvella]\r\n"
    "\"Fast\"=dword:0000000a\r\n"
    "\"Bright\"=dword:00000009\r\n"
    "\"Size\"=dword:00000007\r\n"
    "\"Satiation\"=dword:00000005\r\n"
    "\"Color\"=dword:0000000a\r\n"
    "\"Alpha\"=dword:00000001\r\n"
    "\"Rands\"=dword:00000000\r\n"
    "\r\n";

ParseResult Parse(const std::string& text) {
    return ParseRegFile(text);
}

}  // namespace

TEST(RegFile, ReadsARegeditExport) {
    const ParseResult r = Parse(kExport);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.document.header, "REGEDIT4");
    EXPECT_EQ(r.document.newline, "\r\n");
    ASSERT_TRUE(HasKey(r.document, kKey));
    const RegData* fast = FindValue(r.document, kKey, "Fast");
    ASSERT_NE(fast, nullptr);
    EXPECT_EQ(fast->kind, DataKind::Dword);
    EXPECT_EQ(fast->dword, 10u);
    EXPECT_EQ(FindValue(r.document, kKey, "Rands")->dword, 0u);
    EXPECT_EQ(FindValue(r.document, kKey, "Missing"), nullptr);
}

TEST(RegFile, WritesBackExactlyWhatItRead) {
    EXPECT_EQ(WriteRegFile(Parse(kExport).document), kExport);
    const std::string lf =
        "REGEDIT4\n\n; a comment\n[HKEY_CURRENT_USER\\Software\\Other]\n\"x\"=\"y\"\n\n"
        "[HKEY_CURRENT_USER\\Software\\Zarvella]\n\"Fast\"=dword:1\n\"Blob\"=hex:01,02,\\\n  03\n";
    const ParseResult r = Parse(lf);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.document.newline, "\n");
    EXPECT_EQ(WriteRegFile(r.document), lf);
}

TEST(RegFile, ReadsEveryKindOfData) {
    const ParseResult r = Parse(
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n"
        "\"Color\"=\"40\"\n"
        "\"Quote\"=\"a\\\"b\\\\c\"\n"
        "\"Bin\"=hex:0a, 0B ,ff\n"
        "\"Dw\"=hex(4):0a,00,00,00\n"
        "\"Multi\"=hex(7):41,00,\\\n    00,00\n"
        "\"Gone\"=-\n"
        "@=\"default\"\n"
        "\"Upper\"=DWORD:FFFFFFFF\n"
        "  \"Spaced\" = dword:2  \n");
    ASSERT_TRUE(r.ok) << r.error << " at " << r.errorLine;
    const RegDocument& d = r.document;
    EXPECT_EQ(FindValue(d, kKey, "Color")->kind, DataKind::String);
    EXPECT_EQ(FindValue(d, kKey, "Color")->text, "40");
    EXPECT_EQ(FindValue(d, kKey, "Quote")->text, "a\"b\\c");
    EXPECT_EQ(FindValue(d, kKey, "Bin")->bytes, (std::vector<uint8_t>{0x0a, 0x0b, 0xff}));
    EXPECT_EQ(FindValue(d, kKey, "Bin")->hexType, kRegBinary);
    EXPECT_EQ(FindValue(d, kKey, "Dw")->hexType, kRegDword);
    EXPECT_EQ(FindValue(d, kKey, "Multi")->bytes.size(), 4u);
    EXPECT_EQ(FindValue(d, kKey, "Multi")->hexType, 7u);
    EXPECT_EQ(FindValue(d, kKey, "Gone")->kind, DataKind::Delete);
    EXPECT_EQ(FindValue(d, kKey, "Upper")->dword, 0xffffffffu);
    EXPECT_EQ(FindValue(d, kKey, "Spaced")->dword, 2u);
}

TEST(RegFile, KeysAndNamesIgnoreCaseAndTheLastValueWins) {
    const ParseResult r = Parse(
        "REGEDIT4\n[hkey_current_user\\software\\zarvella\\]\n\"FAST\"=dword:1\n"
        "[HKEY_CURRENT_USER\\Software\\Zarvella]\n\"fast\"=dword:2\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(FindValue(r.document, kKey, "Fast")->dword, 2u);
}

TEST(RegFile, AcceptsVersion5HeaderAndUtf8Mark) {
    EXPECT_TRUE(Parse("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n").ok);
}

TEST(RegFile, ReportsTheLineOfTheFirstError) {
    struct Case {
        const char* text;
        int line;
    };
    const Case cases[] = {
        {"", 1},
        {"REGEDIT5\n", 1},
        {"garbage", 1},
        {"REGEDIT4\n\"Fast\"=dword:1\n", 2},  // a value before any key
        {"REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zarvella\n", 2},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zarvella]\nFast=1\n", 3},
        {"REGEDIT4\n[K]\n\"Fast\"=dword:123456789\n", 3},
        {"REGEDIT4\n[K]\n\"Fast\"=dword:\n", 3},
        {"REGEDIT4\n[K]\n\"Fast\"=dword:12g4\n", 3},
        {"REGEDIT4\n[K]\n\"Fast\"=\"open\n", 3},
        {"REGEDIT4\n[K]\n\"Fast\"=\"a\"b\n", 3},
        {"REGEDIT4\n[K]\n\"Fast\"\n", 3},
        {"REGEDIT4\n[K]\n\"Fast=dword:1\n", 3},
        {"REGEDIT4\n[K]\n\"Fast\"=qword:1\n", 3},
        {"REGEDIT4\n[K]\n\"Fast\"=hex:1,2\n", 3},
        {"REGEDIT4\n[K]\n\"Fast\"=hex:01,\n", 3},
        {"REGEDIT4\n[K]\n\"Fast\"=hex(zz):01\n", 3},
        {"REGEDIT4\n[K]\n\"Fast\"=hex:01,\\\n 02,\\\n", 4},
        {"REGEDIT4\n[K]\n\"Fast\"=hex:01,\\\n 0x\n", 4},
        {"REGEDIT4\n[K]\n\"Fa\\st\"=dword:1\n", 3},
    };
    for (const Case& c : cases) {
        const ParseResult r = Parse(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.errorLine, c.line) << c.text;
        EXPECT_FALSE(r.error.empty()) << c.text;
    }
}

TEST(RegFile, SetDwordReplacesTheValueAndKeepsEverythingElse) {
    const std::string text =
        "REGEDIT4\n\n; mine\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n\"Fast\"=dword:00000001\n"
        "\"Extra\"=\"kept\"\n\"Color\"=\"40\"\n\n[HKEY_CURRENT_USER\\Other]\n\"Fast\"=dword:5\n";
    RegDocument d = Parse(text).document;
    SetDword(d, kKey, "Fast", 11);
    SetDword(d, kKey, "Color", 30);
    SetDword(d, kKey, "Rands", 0);
    EXPECT_EQ(
        WriteRegFile(d),
        "REGEDIT4\n\n; mine\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n\"Fast\"=dword:0000000b\n"
        "\"Extra\"=\"kept\"\n\"Color\"=dword:0000001e\n\"Rands\"=dword:00000000\n\n"
        "[HKEY_CURRENT_USER\\Other]\n\"Fast\"=dword:5\n");
}

TEST(RegFile, SetDwordAddsTheKeyToAnEmptyDocument) {
    RegDocument d;
    SetDword(d, kKey, "Fast", 10);
    SetDword(d, kKey, "Bright", 9);
    EXPECT_EQ(WriteRegFile(d),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Zarvella]\r\n"
              "\"Fast\"=dword:0000000a\r\n\"Bright\"=dword:00000009\r\n\r\n");
    const ParseResult again = Parse(WriteRegFile(d));
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(FindValue(again.document, kKey, "Bright")->dword, 9u);
}

TEST(RegFile, AddKeyAfterAnotherKeyLeavesABlankLine) {
    RegDocument d = Parse("REGEDIT4\n[HKEY_CURRENT_USER\\Other]\n\"a\"=dword:1").document;
    AddKey(d, kKey);
    EXPECT_EQ(WriteRegFile(d),
              "REGEDIT4\n[HKEY_CURRENT_USER\\Other]\n\"a\"=dword:1\n\n"
              "[HKEY_CURRENT_USER\\Software\\Zarvella]\n\n");
}

TEST(RegFile, DataSizeIsWhatTheRegistryWouldReport) {
    RegData d;
    EXPECT_EQ(DataSize(d), 4u);
    d.kind = DataKind::String;
    d.text = "40";
    EXPECT_EQ(DataSize(d), 3u);
    d.text = "1234";
    EXPECT_EQ(DataSize(d), 5u);
    d.kind = DataKind::Hex;
    d.bytes = {1, 2, 3, 4, 5};
    EXPECT_EQ(DataSize(d), 5u);
}

TEST(RegFile, RenderedValuesReadBackTheSame) {
    RegData data;
    data.kind = DataKind::Hex;
    data.hexType = 0xb;
    data.bytes = {0, 1, 0xfe};
    const std::string line = RenderValue("We\"ird\\", data);
    EXPECT_EQ(line, "\"We\\\"ird\\\\\"=hex(b):00,01,fe");
    const ParseResult r = Parse("REGEDIT4\n[K]\n" + line + "\n");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(FindValue(r.document, "K", "We\"ird\\")->bytes, data.bytes);
}

TEST(RegFile, AnEmptyNameIsTheDefaultValueLikeAt) {
    const ParseResult r =
        Parse("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n\"\"=\"a\"\n@=\"b\"\n");
    ASSERT_TRUE(r.ok) << r.error;
    const std::vector<RegLine>& lines = r.document.sections.at(0).lines;
    ASSERT_EQ(lines.size(), 2u);
    for (const RegLine& line : lines) {
        EXPECT_TRUE(line.isDefault);
        // Rendered afresh, it reads back as the same default value.
        const ParseResult again = Parse("REGEDIT4\n[K]\n" + RenderValue("", line.data) + "\n");
        ASSERT_TRUE(again.ok) << again.error;
        EXPECT_TRUE(again.document.sections.at(0).lines.at(0).isDefault);
        EXPECT_EQ(again.document.sections.at(0).lines.at(0).data.text, line.data.text);
    }
    EXPECT_EQ(FindValue(r.document, kKey, ""), nullptr);  // never one of our seven
}

namespace {
// UTF-16LE with its mark, as regedit writes it.
std::string Utf16(std::u16string_view units) {
    std::string out = "\xFF\xFE";
    for (char16_t u : units) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}
}  // namespace

// regedit's default export is UTF-16LE with a mark; a file comes back in the
// encoding (and with the mark) it was read in, also after a save.
TEST(RegFile, KeepsTheEncodingItWasReadIn) {
    const std::u16string v5 =
        u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Zarvella]\r\n"
        u"\"Fast\"=dword:00000003\r\n\"N\u00e4me\"=\"\u20ac\U0001F600\"\r\n;";
    const char16_t loneSurrogate[] = {0xD83D, u'\r', u'\n'};  // kept as it was
    struct Case {
        std::string bytes;
        Encoding encoding;
    } const cases[] = {
        {kExport, Encoding::Utf8},
        {"\xEF\xBB\xBFREGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n\"Fast\"=dword:3\n"
         "\"N\xC3\xA4me\"=\"\xE2\x82\xAC\xF0\x9F\x98\x80\"\n",
         Encoding::Utf8Bom},
        {Utf16(v5 + std::u16string(loneSurrogate, 3)), Encoding::Utf16LeBom},
    };
    for (const Case& c : cases) {
        ParseResult r = Parse(c.bytes);
        ASSERT_TRUE(r.ok) << r.error << " line " << r.errorLine;
        EXPECT_EQ(r.document.encoding, c.encoding);
        EXPECT_EQ(WriteRegFile(r.document), c.bytes);
        if (c.encoding != Encoding::Utf8) {
            EXPECT_EQ(FindValue(r.document, kKey, "Fast")->dword, 3u);
            EXPECT_EQ(FindValue(r.document, kKey, "N\xC3\xA4me")->text,
                      "\xE2\x82\xAC\xF0\x9F\x98\x80");
        }
        SetDword(r.document, kKey, "Fast", 0x2a);
        const std::string saved = WriteRegFile(r.document);
        EXPECT_EQ(saved.substr(0, 2), c.bytes.substr(0, 2));
        const ParseResult again = Parse(saved);
        ASSERT_TRUE(again.ok) << again.error;
        EXPECT_EQ(again.document.encoding, c.encoding);
        EXPECT_EQ(FindValue(again.document, kKey, "Fast")->dword, 0x2au);
    }
    const ParseResult odd = Parse(Utf16(u"REGEDIT4\r\n") + "x");
    EXPECT_FALSE(odd.ok);
    EXPECT_EQ(odd.errorLine, 1);
}
