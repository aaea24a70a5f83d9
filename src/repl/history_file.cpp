#include "history_file.h"

#include <fstream>
#include <system_error>

namespace tarnel {

namespace fs = std::filesystem;

namespace {

// Every line of the file, decoded; empty when it cannot be read.
std::vector<std::string> read_entries(const fs::path& path) {
    std::vector<std::string> entries;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty()) entries.push_back(decode_history_entry(line));
    }
    return entries;
}

void make_private(const fs::path& path) {
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, ignored);
}

}  // namespace

std::optional<fs::path> history_path(const char* state_home, const char* home) {
    fs::path base;
    if (state_home != nullptr && fs::path(state_home).is_absolute()) {
        base = state_home;
    } else if (home != nullptr && *home != '\0') {
        base = fs::path(home) / ".local" / "state";
    } else {
        return std::nullopt;
    }
    return base / "tarnel" / "history";
}

std::string encode_history_entry(std::string_view entry) {
    std::string line;
    line.reserve(entry.size());
    for (char c : entry) {
        if (c == '\\') {
            line += "\\\\";
        } else if (c == '\n') {
            line += "\\n";
        } else {
            line += c;
        }
    }
    return line;
}

std::string decode_history_entry(std::string_view line) {
    std::string entry;
    entry.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == 'n' || line[i + 1] == '\\')) {
            entry += line[++i] == 'n' ? '\n' : '\\';
        } else {
            entry += line[i];
        }
    }
    return entry;
}

HistoryFile::HistoryFile(fs::path path, size_t limit) : path_(std::move(path)), limit_(limit) {}

std::vector<std::string> HistoryFile::load() {
    std::vector<std::string> entries = read_entries(path_);
    entries_ = entries.size();
    if (entries.size() > limit_) entries.erase(entries.begin(), entries.end() - limit_);
    return entries;
}

void HistoryFile::append(std::string_view entry) {
    std::error_code ignored;
    fs::create_directories(path_.parent_path(), ignored);
    const bool created = !fs::exists(path_, ignored);
    {
        std::ofstream out(path_, std::ios::binary | std::ios::app);
        if (!(out << encode_history_entry(entry) << '\n')) return;
    }
    if (created) make_private(path_);
    if (++entries_ > limit_) cut_back();
}

// Rewrites the file with its newest entries (read afresh: other shells may have added some),
// replacing it in one step so that no entry is lost half-way.
void HistoryFile::cut_back() {
    std::vector<std::string> entries = read_entries(path_);
    if (entries.size() > limit_) entries.erase(entries.begin(), entries.end() - limit_);
    fs::path fresh = path_;
    fresh += ".new";
    {
        std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
        for (const std::string& entry : entries)
            out << encode_history_entry(entry) << '\n';
    }
    std::error_code ignored;
    if (fs::file_size(fresh, ignored) == 0 && !entries.empty()) {
        fs::remove(fresh, ignored);  // could not be written
        return;
    }
    make_private(fresh);
    fs::rename(fresh, path_, ignored);
    entries_ = entries.size();
}

}  // namespace tarnel
