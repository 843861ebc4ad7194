// The settings file's files in memory, for settings/settings_file: what lies
// at each path, set by the test, and every change logged.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "settings/settings_file.h"

namespace zarvella::fakes {

// The log: "write PATH" (done or not), "rename FROM > TO" (done).
class FakeSettingsFiles : public SettingsFiles {
  public:
    struct Entry {
        PathKind kind = PathKind::File;
        std::string text;     // a file's bytes
        std::string problem;  // not empty: reading fails so ("Permission denied")
    };
    std::map<std::string, Entry> entries;
    std::set<std::string> failingWrites;  // as on a full disk
    bool renameFails = false;
    std::vector<std::string> log;

    SettingsFileRead Read(const std::string& path) override {
        using Kind = SettingsFileRead::Kind;
        const auto it = entries.find(path);
        if (it == entries.end() || InFile(path)) return {Kind::Missing, "", ""};
        const Entry& e = it->second;
        if (!e.problem.empty()) return {Kind::Unreadable, "", e.problem};
        if (e.kind == PathKind::Folder) return {Kind::Unreadable, "", "it is a folder"};
        if (e.kind == PathKind::Other) return {Kind::Unreadable, "", "it is not a regular file"};
        return {Kind::Read, e.text, ""};
    }
    bool WriteAtomically(const std::string& path, std::string_view text) override {
        log.push_back("write " + path);
        const PathKind now = Look(path);
        if (failingWrites.count(path) || InFile(path) ||
            (now != PathKind::Nothing && now != PathKind::File))
            return false;
        entries[path] = {PathKind::File, std::string(text), ""};
        return true;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        if (renameFails || !entries.count(from)) return false;
        log.push_back("rename " + from + " > " + to);
        entries[to] = entries[from];
        entries.erase(from);
        return true;
    }
    bool Taken(const std::string& path) override { return entries.count(path) > 0; }
    PathKind Look(const std::string& path) override {
        const auto it = entries.find(path);
        return it == entries.end() ? PathKind::Nothing : it->second.kind;
    }

  private:
    // A file (not a folder) where the folder of `path` belongs.
    bool InFile(const std::string& path) {
        const PathKind folder = Look(path.substr(0, path.rfind('/')));
        return folder != PathKind::Nothing && folder != PathKind::Folder;
    }
};

}  // namespace zarvella::fakes
