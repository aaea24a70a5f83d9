#include "http_status.h"

namespace tarnel {

std::string_view reason_phrase(int64_t code) {
    switch (code) {
        case 200:
            return "OK";
        case 201:
            return "Created";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 304:
            return "Not Modified";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        default:
            return "Unknown";
    }
}

std::string status_line(int64_t code, std::string_view reason) {
    std::string line = "HTTP/1.1 " + std::to_string(code) + " ";
    line += reason;
    return line;
}

}  // namespace tarnel
