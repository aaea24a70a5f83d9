// The HTTP dispatcher: argument checking for the eight "http." builtins.
#include "http/http.h"

#include <array>

#include "http_client.h"
#include "http_server.h"
#include "http_status.h"
#include "route_table.h"
#include "socket.h"
#include "support/interrupt.h"
#include "support/text_file.h"
#include "support/unicode.h"

namespace tarnel {

namespace {

constexpr std::array<std::string_view, 8> kFunctionNames = {
    "page", "serve", "template", "json", "status", "send", "get", "post",
};

Value read_template(std::string_view path) {
    std::string error;
    std::optional<std::string> text = read_text_file(path, FileRule::RegularOnly, error);
    if (!text) return Value::error("Failed to read template: " + error);
    return Value::string(std::move(*text));
}

// Ctrl-C in the shell ends a request or the server's loop (elsewhere the flag never rises).
HttpResult interruptible_request(std::string_view url, std::string_view method,
                                 std::string_view body) {
    RequestLimits limits;
    limits.stop = interrupt_requested;
    return http_request(url, method, body, limits);
}

Value client_result(HttpResult result) {
    return result.ok ? Value::string(std::move(result.text)) : Value::error(std::move(result.text));
}

Value call_page(std::span<Value> args) {
    if (args.size() < 2) return Value::error("page requires a path and content");
    route_table().add(display_string(args[0]), display_string(args[1]));
    return Value::null();
}

Value call_serve(std::span<Value> args) {
    if (args.empty()) return Value::error("serve requires a port number");
    std::optional<int64_t> port = to_int64(args[0]);
    if (!port) return Value::error("Port must be a number");
    std::optional<std::string> error =
        run_page_server(static_cast<uint16_t>(*port), route_table(), interrupt_requested);
    return error ? Value::error("Failed to bind to port: " + *error) : Value::null();
}

Value call_status(std::span<Value> args) {
    if (args.empty()) return Value::error("status requires a status code");
    std::optional<int64_t> code = to_int64(args[0]);
    if (!code) return Value::error("Status code must be a number");
    if (args.size() == 1) return Value::string(status_line(*code, reason_phrase(*code)));
    return Value::string(status_line(*code, display_string(args[1])));
}

}  // namespace

std::optional<Value> call_http(std::string_view qualified_name, std::span<Value> args) {
    constexpr std::string_view kPrefix = "http.";
    if (!qualified_name.starts_with(kPrefix)) return std::nullopt;
    std::string_view name = qualified_name.substr(kPrefix.size());

    if (name == "page") return call_page(args);
    if (name == "serve") return call_serve(args);
    if (name == "template") {
        if (args.empty()) return Value::error("template requires a filepath");
        return read_template(display_string(args[0]));
    }
    if (name == "json") {
        if (args.empty()) return Value::error("json requires an argument");
        return Value::string(to_json(args[0]));
    }
    if (name == "status") return call_status(args);
    if (name == "get") {
        if (args.empty()) return Value::error("get requires a url");
        return client_result(interruptible_request(display_string(args[0]), "GET", ""));
    }
    if (name == "post") {
        if (args.size() < 2) return Value::error("post requires a url and body");
        return client_result(
            interruptible_request(display_string(args[0]), "POST", display_string(args[1])));
    }
    if (name == "send") {
        if (args.size() < 3) return Value::error("send requires url, method, and optionally body");
        return client_result(interruptible_request(display_string(args[0]),
                                                   unicode::to_upper(display_string(args[1])),
                                                   display_string(args[2])));
    }
    return std::nullopt;
}

std::span<const std::string_view> http_function_names() {
    return kFunctionNames;
}

}  // namespace tarnel
