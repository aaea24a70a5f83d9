#include "page_request.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>

#include "support/unicode.h"
#include "support/utf8.h"

namespace tarnel {

namespace {

constexpr std::string_view kNotFound =
    "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n\r\nNot Found";

// The Content-Length a request head announces (field name in any case), 0 when absent.
size_t content_length(std::string_view head) {
    constexpr std::string_view kField = "content-length:";
    size_t line = 0;
    while ((line = head.find('\n', line)) != std::string_view::npos) {
        ++line;
        if (head.size() - line < kField.size()) break;
        bool match = true;
        for (size_t i = 0; i < kField.size() && match; ++i) {
            char c = head[line + i];
            match = (c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) == kField[i];
        }
        if (!match) continue;
        size_t pos = line + kField.size();
        while (pos < head.size() && (head[pos] == ' ' || head[pos] == '\t'))
            ++pos;
        size_t length = 0;
        while (pos < head.size() && head[pos] >= '0' && head[pos] <= '9' && length < (1u << 30)) {
            length = length * 10 + static_cast<size_t>(head[pos++] - '0');
        }
        return length;
    }
    return 0;
}

}  // namespace

void request_path(std::string_view request, std::string& path) {
    path.clear();
    // Decoded with U+FFFD for each ill-formed sequence, split at runs of White_Space.
    const auto* bytes = reinterpret_cast<const uint8_t*>(request.data());
    const auto length = static_cast<int32_t>(std::min<size_t>(request.size(), INT32_MAX));
    int32_t pos = 0;
    int word = 0;  // number of the word being read, 0 while between words
    int words_seen = 0;
    while (pos < length && bytes[pos] != '\n') {
        UChar32 c;
        U8_NEXT_OR_FFFD(bytes, pos, length, c);
        if (unicode::is_white_space(static_cast<char32_t>(c))) {
            if (word == 2) return;
            word = 0;
            continue;
        }
        if (word == 0) word = ++words_seen;
        if (word == 2) {
            uint8_t encoded[U8_MAX_LENGTH];
            int32_t size = 0;
            U8_APPEND_UNSAFE(encoded, size, c);
            path.append(reinterpret_cast<const char*>(encoded), static_cast<size_t>(size));
        }
    }
    if (words_seen < 2) path.assign(1, '/');
}

bool request_is_complete(std::string_view request) {
    size_t end = request.find("\r\n\r\n");
    size_t body = end + 4;
    if (end == std::string_view::npos) {
        end = request.find("\n\n");
        if (end == std::string_view::npos) return false;
        body = end + 2;
    }
    return request.size() - body >= content_length(request.substr(0, end));
}

void build_page_response(const std::string* content, std::string& response) {
    if (content == nullptr) {
        response += kNotFound;
        return;
    }
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, content->size()).ptr;
    response += "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: ";
    response.append(digits, end);
    response += "\r\n\r\n";
    response += *content;
}

}  // namespace tarnel
