// The Linux settings file's parser and writer over arbitrary text. Whatever
// parses must write back to text that parses to the same values, both as
// written (lines kept as read) and with every value line rendered afresh; a
// save of the seven values into it must keep every other value and read back
// as saved; and the store's reading of a value must match the registry's
// rules (a 32-bit number, or missing/longer than four bytes, or another type).
// A file in UTF-16LE or with a UTF-8 mark stays so.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/settings_store.h"
#include "settings/reg_file.h"
#include "settings/settings.h"

using namespace zarvella;
using namespace zarvella::regfile;

namespace {

[[noreturn]] void Fail(const char* what, std::string_view text) {
    std::fprintf(stderr, "reg_file: %s\n--- text ---\n%.*s\n------------\n", what,
                 static_cast<int>(text.size()), text.data());
    std::abort();
}

bool SameData(const RegData& a, const RegData& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case DataKind::Dword:
            return a.dword == b.dword;
        case DataKind::String:
            return a.text == b.text;
        case DataKind::Hex:
            return a.hexType == b.hexType && a.bytes == b.bytes;
        case DataKind::Delete:
            return true;
    }
    return false;
}

// Every value line, in order: key, default or name, data.
struct Value {
    std::string key;
    bool isDefault;
    std::string name;
    RegData data;
};

// The registry names the key's default value with the empty name, so @= and
// ""= are the same value (and the writer renders both as @).
std::vector<Value> Values(const RegDocument& d) {
    std::vector<Value> out;
    for (const RegSection& s : d.sections)
        for (const RegLine& l : s.lines)
            if (l.isValue)
                out.push_back(
                    {s.key, l.isDefault || l.name.empty(), l.isDefault ? "" : l.name, l.data});
    return out;
}

bool SameValues(const std::vector<Value>& a, const std::vector<Value>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].key != b[i].key || a[i].isDefault != b[i].isDefault || a[i].name != b[i].name ||
            !SameData(a[i].data, b[i].data))
            return false;
    }
    return true;
}

void CheckReparse(const RegDocument& document, const std::vector<Value>& want, const char* what) {
    const std::string written = WriteRegFile(document);
    const ParseResult again = ParseRegFile(written);
    if (!again.ok) Fail(what, written);
    if (!SameValues(Values(again.document), want)) Fail(what, written);
    if (again.document.sections.size() != document.sections.size()) Fail(what, written);
    if (again.document.encoding != document.encoding) Fail("the encoding changed", written);
}

// What RegQueryValueEx with a 4-byte buffer gives for the data.
ReadResult RegistryReading(const RegData* d, uint32_t& value) {
    if (!d || d->kind == DataKind::Delete) return ReadResult::Missing;
    if (DataSize(*d) > 4) return ReadResult::Missing;
    if (d->kind == DataKind::Dword) {
        value = d->dword;
        return ReadResult::Ok;
    }
    if (d->kind == DataKind::Hex && d->hexType == kRegDword) {
        value = 0;
        for (size_t i = 0; i < d->bytes.size(); ++i)
            value |= static_cast<uint32_t>(d->bytes[i]) << (8 * i);
        return ReadResult::Ok;
    }
    return ReadResult::OtherType;
}

class Silent : public ErrorSink {
  public:
    void ShowError(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ParseResult parsed = ParseRegFile(text);
    if (!parsed.ok) {
        if (parsed.errorLine < 1 || parsed.error.empty())
            Fail("failure without a line and a reason", text);
        return 0;
    }
    const RegDocument& doc = parsed.document;
    const std::vector<Value> values = Values(doc);

    // Written back as read.
    CheckReparse(doc, values, "written back, the file no longer gives the same values");

    // Every value line rendered from its parsed value.
    RegDocument rendered = doc;
    for (RegSection& s : rendered.sections)
        for (RegLine& l : s.lines)
            if (l.isValue) l.raw.clear();
    CheckReparse(rendered, values, "rendered afresh, the values do not parse back the same");

    // The store, reading this text as its file, answers what the registry would.
    const char* key = kSettingsKey;
    if (HasKey(doc, key)) {
        static const std::string path =
            "/dev/shm/zarvella-fuzz-" + std::to_string(getpid()) + ".reg";
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) Fail("cannot write the scratch file", path);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        Silent errors;
        linux_shell::FileSettingsStore store(path, errors);
        if (!store.OpenKey(false)) Fail("the store does not open a key the file holds", text);
        for (const SettingInfo& setting : kSettingsTable) {
            const char* name = setting.storedName;
            uint32_t want = 0, got = 0;
            const ReadResult expected = RegistryReading(FindValue(doc, key, name), want);
            const ReadResult result = store.ReadValue(name, got);
            if (result != expected || (result == ReadResult::Ok && got != want))
                Fail("the store reads a value wrong", text);
        }
        store.CloseKey();
        std::remove(path.c_str());
        if (!errors.shown.empty()) Fail("the store reported a file that parses", text);
    }

    // Saving the seven values keeps everything else and reads back as saved.
    RegDocument saved = doc;
    uint32_t next = static_cast<uint32_t>(size) * 2654435761u;
    uint32_t written[7];
    for (int i = 0; i < 7; ++i) {
        written[i] = next = next * 1664525u + 1013904223u;
        SetDword(saved, key, kSettingsTable[i].storedName, written[i]);
    }
    const std::string savedText = WriteRegFile(saved);
    const ParseResult reread = ParseRegFile(savedText);
    if (!reread.ok) Fail("a saved file does not parse", savedText);
    for (int i = 0; i < 7; ++i) {
        const RegData* d = FindValue(reread.document, key, kSettingsTable[i].storedName);
        if (!d || d->kind != DataKind::Dword || d->dword != written[i])
            Fail("a saved value reads back wrong", savedText);
    }
    // Values other than the seven under the key are untouched.
    std::vector<Value> others, othersAfter;
    auto isSeven = [key](const Value& v) {
        if (!SameKey(v.key, key) || v.isDefault) return false;
        for (const SettingInfo& setting : kSettingsTable)
            if (SameName(v.name, setting.storedName)) return true;
        return false;
    };
    for (const Value& v : values)
        if (!isSeven(v)) others.push_back(v);
    for (const Value& v : Values(reread.document))
        if (!isSeven(v)) othersAfter.push_back(v);
    if (!SameValues(others, othersAfter)) Fail("saving changed another value", savedText);
    return 0;
}
