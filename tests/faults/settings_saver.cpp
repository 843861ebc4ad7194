// A small driver around the Linux settings store, as the saver uses it, for
// the fault tests in run.sh. The file is $XDG_CONFIG_HOME/zarvella/settings.reg
// (or ~/.config/...), exactly where zarvella keeps it.
//
//   settings_saver save a|b    SaveSettings with set A or B; messages to stderr
//   settings_saver usersave a|b  the same as "Save Settings" saves (it may move
//                              a file that cannot be read aside)
//   settings_saver loop        SaveSettings with A, B, A, ... until killed
//   settings_saver load        LoadSettings; prints the seven values
//   settings_saver check       the file must be whole: it parses, holds the
//                              seven values as 32-bit numbers, and is one
//                              save, complete: prints "a" or "b"; a mix of two
//                              saves ("a->b K": the first K values of B over A)
//                              fails
//
// Exit code 0 when the operation succeeded, 1 when it failed, 2 on misuse.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/linux/settings_store.h"
#include "settings/reg_file.h"
#include "settings/settings.h"

using namespace zarvella;
using namespace zarvella::linux_shell;

namespace {

constexpr SaverSettingsRecord kSetA{10, 9, 7, 5, 10, 1, false};
constexpr SaverSettingsRecord kSetB{77, 13, 3, 9, 25, 8, true};

uint32_t Stored(const SaverSettingsRecord& s, int i) {
    const int32_t values[6] = {s.Speed, s.Brightness, s.Size, s.Segments, s.Detail, s.PictureKind};
    return i < 6 ? static_cast<uint32_t>(values[i]) : (s.RandomPicture ? 1u : 0u);
}

class StderrErrors : public ErrorSink {
  public:
    void ShowError(const std::string& text) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        ++shown;
    }
    int shown = 0;
};

int Save(const SaverSettingsRecord& values, bool userSave) {
    StderrErrors errors;
    FileSettingsStore store(DefaultSettingsPath(), errors);
    store.SetUserSave(userSave);
    return SaveSettings(values, store, errors) ? 0 : 1;
}

int Loop() {
    StderrErrors errors;
    FileSettingsStore store(DefaultSettingsPath(), errors);
    for (unsigned long n = 0;; ++n) {
        if (!SaveSettings((n % 2 == 0) ? kSetB : kSetA, store, errors)) return 1;
    }
}

int Load() {
    StderrErrors errors;
    FileSettingsStore store(DefaultSettingsPath(), errors);
    const LoadedSettings loaded = LoadSettings(store, errors);
    const SaverSettingsRecord& s = loaded.settings;
    std::printf("%d %d %d %d %d %d %d\n", s.Speed, s.Brightness, s.Size, s.Segments, s.Detail,
                s.PictureKind, s.RandomPicture ? 1 : 0);
    return loaded.Complete() ? 0 : 1;
}

int Check() {
    const std::string path = DefaultSettingsPath();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::printf("missing\n");
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    const regfile::ParseResult parsed = regfile::ParseRegFile(text.str());
    if (!parsed.ok) {
        std::printf("damaged: line %d: %s\n", parsed.errorLine, parsed.error.c_str());
        return 1;
    }
    uint32_t values[7];
    for (int i = 0; i < 7; ++i) {
        const regfile::RegData* d =
            regfile::FindValue(parsed.document, kSettingsKey, kSettingsTable[i].storedName);
        if (!d || d->kind != regfile::DataKind::Dword) {
            std::printf("incomplete: no number for %s\n", kSettingsTable[i].storedName);
            return 1;
        }
        values[i] = d->dword;
    }
    // A save writes the file once, so a stopped save leaves the old values;
    // a file whose first K values are of the new save and the rest of the old
    // one is a torn save.
    auto prefix = [&values](const SaverSettingsRecord& from, const SaverSettingsRecord& to) {
        int k = 0;
        while (k < 7 && values[k] == Stored(to, k)) ++k;
        for (int i = k; i < 7; ++i)
            if (values[i] != Stored(from, i)) return -1;
        return k;
    };
    const int ab = prefix(kSetA, kSetB), ba = prefix(kSetB, kSetA);
    if (ab == 7 || ba == 0) {
        std::printf("b\n");
    } else if (ba == 7 || ab == 0) {
        std::printf("a\n");
    } else if (ab > 0) {
        std::printf("torn save a->b %d\n", ab);
        return 1;
    } else if (ba > 0) {
        std::printf("torn save b->a %d\n", ba);
        return 1;
    } else {
        std::printf("foreign values\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if ((command == "save" || command == "usersave") && argc > 2)
        return Save(std::strcmp(argv[2], "b") == 0 ? kSetB : kSetA, command == "usersave");
    if (command == "loop") return Loop();
    if (command == "load") return Load();
    if (command == "check") return Check();
    std::fprintf(stderr, "usage: settings_saver save|usersave a|b | loop | load | check\n");
    return 2;
}
