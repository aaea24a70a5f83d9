// Reading a page request and writing its answer: the parts of serving that touch no socket.
#pragma once

#include <string>
#include <string_view>

namespace tarnel {

// The path a request asks for: the second word of its first line (words split at runs of
// Unicode white space, invalid UTF-8 read as U+FFFD), or "/" when there is no second word.
void request_path(std::string_view request, std::string& path);

// True when the request's head is complete and the body its Content-Length announces is all
// there, so the client has nothing more to send.
bool request_is_complete(std::string_view request);

// Appends the full response for a page `content`, or the fixed 404 reply when null.
void build_page_response(const std::string* content, std::string& response);

}  // namespace tarnel
