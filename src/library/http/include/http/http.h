// The HTTP module: JSON text of values, the page server and the plain-HTTP client.
//
// Scripts reach it through the eight "http." names. The route table is process-wide (every
// interpreter in the process adds to the same one) and guarded by a lock. The server answers
// many connections at once from one event loop on the loopback interface; the client sends one
// request, within time and size limits, and returns the raw response. Failures become Error
// values, never exceptions.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "values/value.h"

namespace tarnel {

// Minimal JSON text of any value: no escaping, no spaces; non-JSON values become null.
std::string to_json(const Value& value);

// Answers the eight "http." names; nothing for any other name.
std::optional<Value> call_http(std::string_view qualified_name, std::span<Value> args);

// The module's short function names (page, serve, ...), for the export table of `use http`.
std::span<const std::string_view> http_function_names();

}  // namespace tarnel
