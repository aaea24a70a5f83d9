#include "values/dict_map.h"

#include <bit>

#include "values/value.h"

namespace tarnel {

const Value& DictMap::value(size_t at) const {
    return values_[at];
}

Value& DictMap::value(size_t at) {
    return values_[at];
}

size_t DictMap::find_indexed(std::string_view key, size_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const uint32_t entry = slots_[slot];
        if (entry == 0) return npos;
        if (hashes_[entry - 1] == hash && same(keys_[entry - 1], key)) return entry - 1;
    }
}

void DictMap::reserve(size_t count) {
    keys_.reserve(count);
    hashes_.reserve(count);
    values_.reserve(count);
}

void DictMap::insert_or_assign(std::string key, size_t hash, Value value) {
    const size_t at = find(key, hash);
    if (at != npos) {
        values_[at] = std::move(value);
    } else {
        append(std::move(key), hash, std::move(value));
    }
}

void DictMap::insert_or_assign(std::string key, Value value) {
    const size_t hash = hash_of(key);
    insert_or_assign(std::move(key), hash, std::move(value));
}

bool DictMap::emplace(std::string key, Value value) {
    const size_t hash = hash_of(key);
    if (find(key, hash) != npos) return false;
    append(std::move(key), hash, std::move(value));
    return true;
}

void DictMap::append(std::string key, size_t hash, Value value) {
    keys_.push_back(std::move(key));
    hashes_.push_back(hash);
    values_.push_back(std::move(value));
    const size_t count = keys_.size();
    if (count <= kScanLimit) return;
    // The index stays at most half full.
    if (2 * count > slots_.size()) {
        rebuild_index(std::bit_ceil(4 * count));
    } else {
        index(static_cast<uint32_t>(count - 1));
    }
}

void DictMap::index(uint32_t at) {
    const size_t mask = slots_.size() - 1;
    size_t slot = hashes_[at] & mask;
    while (slots_[slot] != 0)
        slot = (slot + 1) & mask;
    slots_[slot] = at + 1;
}

void DictMap::rebuild_index(size_t capacity) {
    slots_.assign(capacity, 0);
    for (size_t at = 0; at < keys_.size(); ++at)
        index(static_cast<uint32_t>(at));
}

}  // namespace tarnel
