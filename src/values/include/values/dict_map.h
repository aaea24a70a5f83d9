// The table of a dictionary: keys in insertion order, each stored with its hash, and the values
// beside them. Up to kScanLimit entries a lookup scans the hashes, which beats any index for the
// small literals scripts build; above that an open-addressing index finds the entry. The
// language cannot remove a key, so the table only grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

class Value;

class DictMap {
  public:
    static constexpr size_t npos = SIZE_MAX;
    static constexpr size_t kScanLimit = 8;

    static size_t hash_of(std::string_view key) { return std::hash<std::string_view>{}(key); }

    size_t size() const { return keys_.size(); }
    bool empty() const { return keys_.empty(); }
    const std::string& key(size_t at) const { return keys_[at]; }
    const Value& value(size_t at) const;
    Value& value(size_t at);

    // The position of `key`, or npos. `hash` is hash_of(key), when the caller has it already.
    size_t find(std::string_view key) const { return find(key, hash_of(key)); }
    size_t find(std::string_view key, size_t hash) const {
        if (!slots_.empty()) return find_indexed(key, hash);
        for (size_t at = 0; at < hashes_.size(); ++at) {
            if (hashes_[at] == hash && same(keys_[at], key)) return at;
        }
        return npos;
    }
    // The same, trying position `guess` first: code that reads one key of many dictionaries
    // built alike (the same literal) finds it at the same place each time.
    size_t find(std::string_view key, size_t hash, size_t guess) const {
        if (guess < hashes_.size() && hashes_[guess] == hash && same(keys_[guess], key))
            return guess;
        return find(key, hash);
    }

    void reserve(size_t count);
    // Adds the entry, or gives an existing key the new value.
    void insert_or_assign(std::string key, size_t hash, Value value);
    void insert_or_assign(std::string key, Value value);
    // Adds the entry unless the key is there; true when added.
    bool emplace(std::string key, Value value);

  private:
    static bool same(const std::string& stored, std::string_view key) {
        return stored.size() == key.size() &&
               std::memcmp(stored.data(), key.data(), key.size()) == 0;
    }
    size_t find_indexed(std::string_view key, size_t hash) const;
    void append(std::string key, size_t hash, Value value);
    void index(uint32_t at);
    void rebuild_index(size_t capacity);

    std::vector<std::string> keys_;
    std::vector<size_t> hashes_;  // apart from the keys, so that a scan reads one cache line
    std::vector<Value> values_;
    // Open addressing over positions + 1 (0 marks a free slot); empty while the table is small.
    std::vector<uint32_t> slots_;
};

}  // namespace tarnel
