#include "settings/settings_file.h"

namespace zarvella {

namespace {

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The settings folder of `path` when a file (or anything but a folder) is
// there instead; otherwise empty. Folders further up are the user's own.
std::string FileInPlaceOfFolder(SettingsFiles& files, const std::string& path) {
    const std::string folder = Folder(path);
    const PathKind kind = files.Look(folder);
    return kind != PathKind::Nothing && kind != PathKind::Folder ? folder : "";
}

}  // namespace

std::string MoveAside(SettingsFiles& files, const std::string& path) {
    for (int n = 1; n <= 100; ++n) {
        std::string name = path + ".damaged";
        if (n > 1) name += '-' + std::to_string(n);
        if (files.Taken(name)) continue;
        return files.Rename(path, name) ? name : "";
    }
    return "";
}

std::string DamagedFileMessage(const std::string& path, int line, const std::string& error) {
    return "The settings file '" + path + "' cannot be read: line " + std::to_string(line) + ": " +
           error + ". It has been left as it is.";
}

SettingsFile::SettingsFile(std::string path, SettingsFiles& files, ErrorSink& errors)
    : path_(std::move(path)), files_(files), errors_(errors) {}

void SettingsFile::Report(const std::string& content, const std::string& text) {
    // LoadSettings opens the key twice on a first run; say it once.
    if (reported_ && content == reportedContent_) return;
    reported_ = true;
    reportedContent_ = content;
    errors_.ShowError(text);
}

SettingsFile::LoadState SettingsFile::Load() {
    document_ = regfile::RegDocument{};
    const SettingsFileRead read = files_.Read(path_);
    switch (read.kind) {
        case SettingsFileRead::Kind::Missing:
            return LoadState::Missing;
        case SettingsFileRead::Kind::Unreadable: {
            const std::string text = "The settings file '" + path_ +
                                     "' cannot be read: " + read.problem +
                                     ". It has been left as it is.";
            Report(text, text);
            return LoadState::Failed;
        }
        case SettingsFileRead::Kind::Read:
            break;
    }
    // An empty file holds no values, as a new one.
    if (read.text.empty()) return LoadState::Loaded;
    regfile::ParseResult parsed = regfile::ParseRegFile(read.text);
    if (!parsed.ok) {
        Report(read.text, DamagedFileMessage(path_, parsed.errorLine, parsed.error));
        return LoadState::Failed;
    }
    document_ = std::move(parsed.document);
    return LoadState::Loaded;
}

bool SettingsFile::OpenKey(bool create) {
    CloseKey();
    const LoadState state = Load();
    if (state == LoadState::Failed) {
        if (!(create && userSave_)) return false;
        replaceUnreadable_ = true;
    }
    const bool hasKey = state == LoadState::Loaded && regfile::HasKey(document_, kSettingsKey);
    if (!hasKey) {
        if (!create) return false;
        regfile::AddKey(document_, kSettingsKey);
        // A user save writes at the flush, where a failure is reported.
        if (userSave_) {
            changed_ = true;
        } else if (!files_.WriteAtomically(path_, regfile::WriteRegFile(document_))) {
            return false;
        }
    }
    open_ = true;
    return true;
}

ReadResult SettingsFile::ReadValue(const char* name, uint32_t& value) {
    if (!open_) return ReadResult::Missing;
    const regfile::RegData* data = regfile::FindValue(document_, kSettingsKey, name);
    if (!data || data->kind == regfile::DataKind::Delete) return ReadResult::Missing;
    // What RegQueryValueEx with a 4-byte buffer would give.
    if (regfile::DataSize(*data) > 4) return ReadResult::Missing;
    if (data->kind == regfile::DataKind::Dword) {
        value = data->dword;
        return ReadResult::Ok;
    }
    if (data->kind == regfile::DataKind::Hex && data->hexType == regfile::kRegDword) {
        uint8_t bytes[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < data->bytes.size(); ++i) bytes[i] = data->bytes[i];
        value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
        return ReadResult::Ok;
    }
    return ReadResult::OtherType;
}

bool SettingsFile::WriteValue(const char* name, uint32_t value) {
    if (!open_) return false;
    regfile::SetDword(document_, kSettingsKey, name, value);
    changed_ = true;
    return true;
}

bool SettingsFile::FlushKey() {
    if (!open_) return false;
    if (!changed_) return true;
    const std::string content = regfile::WriteRegFile(document_);
    if (!(userSave_ ? WriteUserSave(content) : files_.WriteAtomically(path_, content)))
        return false;
    changed_ = false;
    return true;
}

// The user is never trapped by a file that cannot be read, or by a file where
// the settings folder belongs: it is kept beside under another name, and the
// new file takes its place.
bool SettingsFile::WriteUserSave(const std::string& content) {
    std::string kept, what = "The settings file '" + path_ + "' could not be read";
    if (replaceUnreadable_) {
        // A read-only file stays, damaged or not.
        if (files_.Look(path_) == PathKind::ReadOnlyFile) return false;
        kept = MoveAside(files_, path_);
        if (kept.empty()) return false;
        replaceUnreadable_ = false;
    }
    bool written = files_.WriteAtomically(path_, content);
    if (!written && kept.empty()) {
        const std::string inTheWay = FileInPlaceOfFolder(files_, path_);
        if (inTheWay.empty()) return false;
        kept = MoveAside(files_, inTheWay);
        if (kept.empty()) return false;
        what = "'" + inTheWay + "' was a file where the settings folder belongs";
        written = files_.WriteAtomically(path_, content);
    }
    if (!kept.empty()) {
        errors_.ShowError(what + ". It has been kept as '" + kept + "'" +
                          (written ? ", and the settings were saved in '" + path_ + "'." : "."));
    }
    return written;
}

void SettingsFile::CloseKey() {
    open_ = false;
    changed_ = false;
    replaceUnreadable_ = false;
    document_ = regfile::RegDocument{};
}

}  // namespace zarvella
