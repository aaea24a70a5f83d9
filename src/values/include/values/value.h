// Run-time values.
//
// A Value is a 16-byte tagged union. Scalars live inline; strings, arrays, dictionaries,
// functions, builtin-function names, shapes and errors live in reference-counted payloads that
// are shared between copies and copied only when one holder writes (copy on write). So copying
// a Value is O(1), while the language still sees every copy as independent: nothing can observe
// the sharing. Payloads are used from one thread only, so the counts are not atomic.
//
// This library also holds what every consumer of values needs: the printed form, the debug
// form, type names, truthiness and the numeric conversions that builtins and modules share.
#pragma once

#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/check.h"
#include "values/dict_map.h"

namespace tarnel {

enum class ValueKind : uint8_t {
    Number,
    Float,
    String,
    Boolean,
    Array,
    Dict,
    Function,
    BuiltinFunction,
    Rect,
    Color,
    Circle,
    Triangle,
    Null,
    Error,
};

struct RectShape {
    int32_t x, y;
    uint32_t w, h;
};
struct ColorRgb {
    uint8_t r, g, b;
};
struct CircleShape {
    int32_t x, y;
    uint32_t radius;
};
struct TriangleShape {
    int32_t x1, y1, x2, y2, x3, y3;
};

class Value;

// What a function value holds: the function's code, opaque to values (the interpreter defines
// it). Through it the debug form reaches the parameter names and the body.
class FunctionCode {
  public:
    virtual ~FunctionCode() = default;
    virtual const std::vector<std::string>& params() const = 0;
    // The debug text of the body's statements: [stmt, stmt].
    virtual std::string debug_body() const = 0;
};

using ValueList = std::vector<Value>;

namespace detail {

// Header of every shared payload. `refs` counts the Values that hold it.
struct Payload {
    uint32_t refs = 1;
};
// Arrays and dictionaries may nest to any depth, so freeing them must not recurse: a container
// whose last holder goes is queued through `next_dead` and freed one level at a time.
struct ContainerPayload : Payload {
    explicit ContainerPayload(bool array) : is_array(array) {}
    ContainerPayload* next_dead = nullptr;
    const bool is_array;
};
struct TextPayload : Payload {  // String, BuiltinFunction name, Error message
    std::string text;
};
// The container constructors are defined after Value: they need it complete.
struct ArrayPayload : ContainerPayload {
    ArrayPayload();
    ValueList items;
};
struct DictPayload : ContainerPayload {
    DictPayload();
    DictMap map;
};
struct FunctionPayload : Payload {
    std::shared_ptr<const FunctionCode> code;
};
struct ShapePayload : Payload {  // Rect, Circle, Triangle
    int32_t f[6] = {0, 0, 0, 0, 0, 0};
};

}  // namespace detail

class Value {
    union Bits {
        int64_t number;
        double real;
        bool boolean;
        ColorRgb color;
        detail::Payload* object;
    };

  public:
    // A value's bits without its ownership bookkeeping, for stores that keep values in plain
    // memory (the variables' save stack). detach() hands this Value's share over and leaves it
    // Null; attach() takes a share back; copy_of() makes a new holder of the same payload.
    struct Raw {
        ValueKind kind;
        uint64_t bits;
    };
    Raw detach() noexcept {
        Raw raw{kind_, std::bit_cast<uint64_t>(bits_)};
        kind_ = ValueKind::Null;
        return raw;
    }
    static Value attach(Raw raw) noexcept {
        Value value;
        value.kind_ = raw.kind;
        value.bits_ = std::bit_cast<Bits>(raw.bits);
        return value;
    }
    static Value copy_of(Raw raw) noexcept {
        Value value = attach(raw);
        value.retain();
        return value;
    }

    Value() noexcept : kind_(ValueKind::Null) { bits_.number = 0; }
    ~Value() { release(); }
    Value(const Value& other) noexcept : kind_(other.kind_), bits_(other.bits_) { retain(); }
    Value(Value&& other) noexcept : kind_(other.kind_), bits_(other.bits_) {
        other.kind_ = ValueKind::Null;
    }
    Value& operator=(const Value& other) noexcept {
        if (this != &other) {
            Value copy(other);
            swap(copy);
        }
        return *this;
    }
    Value& operator=(Value&& other) noexcept {
        if (this != &other) {
            release();
            kind_ = other.kind_;
            bits_ = other.bits_;
            other.kind_ = ValueKind::Null;
        }
        return *this;
    }
    void swap(Value& other) noexcept {
        std::swap(kind_, other.kind_);
        std::swap(bits_, other.bits_);
    }

    static Value number(int64_t n) {
        Value v(ValueKind::Number);
        v.bits_.number = n;
        return v;
    }
    static Value real(double f) {
        Value v(ValueKind::Float);
        v.bits_.real = f;
        return v;
    }
    static Value boolean(bool b) {
        Value v(ValueKind::Boolean);
        v.bits_.boolean = b;
        return v;
    }
    static Value null() { return Value(); }
    static Value string(std::string text);
    static Value error(std::string message);
    static Value builtin_function(std::string qualified_name);
    static Value array(ValueList items);
    static Value dict(DictMap map);
    static Value function(std::shared_ptr<const FunctionCode> code);
    static Value rect(RectShape r);
    static Value color(ColorRgb c) {
        Value v(ValueKind::Color);
        v.bits_.color = c;
        return v;
    }
    static Value circle(CircleShape c);
    static Value triangle(TriangleShape t);

    ValueKind kind() const { return kind_; }
    bool is(ValueKind k) const { return kind_ == k; }
    bool is_null() const { return kind_ == ValueKind::Null; }
    bool is_numeric() const { return kind_ == ValueKind::Number || kind_ == ValueKind::Float; }

    // Accessors: the caller has checked the kind (and the checked builds check it again).
    int64_t as_number() const { return checked(ValueKind::Number).number; }
    double as_float() const { return checked(ValueKind::Float).real; }
    bool as_boolean() const { return checked(ValueKind::Boolean).boolean; }
    ColorRgb as_color() const { return checked(ValueKind::Color).color; }
    const std::string& as_string() const { return text_of(ValueKind::String); }
    const std::string& error_message() const { return text_of(ValueKind::Error); }
    const std::string& builtin_name() const { return text_of(ValueKind::BuiltinFunction); }
    const ValueList& as_array() const {
        return static_cast<detail::ArrayPayload*>(checked(ValueKind::Array).object)->items;
    }
    const DictMap& as_dict() const {
        return static_cast<detail::DictPayload*>(checked(ValueKind::Dict).object)->map;
    }
    const std::shared_ptr<const FunctionCode>& as_function() const {
        return static_cast<detail::FunctionPayload*>(checked(ValueKind::Function).object)->code;
    }
    RectShape as_rect() const;
    CircleShape as_circle() const;
    TriangleShape as_triangle() const;

    // Write access with copy on write: the payload is cloned first if another Value shares it.
    std::string& mutable_string();
    ValueList& mutable_array();
    DictMap& mutable_dict();

    // True when both Values hold the very same payload.
    bool shares_payload_with(const Value& other) const {
        return kind_ == other.kind_ && has_payload() && bits_.object == other.bits_.object;
    }
    // True when this Value is the only holder of its payload (writes need no copy).
    bool is_unshared() const { return !has_payload() || bits_.object->refs == 1; }
    // Becomes Null, letting go of any payload.
    void reset() noexcept {
        release();
        kind_ = ValueKind::Null;
    }

  private:
    explicit Value(ValueKind k) : kind_(k) { bits_.number = 0; }

    static constexpr uint32_t kInlineKinds =
        1u << static_cast<int>(ValueKind::Number) | 1u << static_cast<int>(ValueKind::Float) |
        1u << static_cast<int>(ValueKind::Boolean) | 1u << static_cast<int>(ValueKind::Color) |
        1u << static_cast<int>(ValueKind::Null);
    bool has_payload() const { return ((kInlineKinds >> static_cast<int>(kind_)) & 1u) == 0; }
    void retain() const {
        if (has_payload()) ++bits_.object->refs;
    }
    void release() {
        if (has_payload() && --bits_.object->refs == 0) [[unlikely]]
            destroy();
    }
    void destroy();  // frees the payload; out of line, it is the cold path
    bool is_container() const { return kind_ == ValueKind::Array || kind_ == ValueKind::Dict; }
    // If this is the last holder of a container, hands the payload over to `dead` (see
    // ContainerPayload) and becomes Null; otherwise releases normally.
    void release_into(detail::ContainerPayload*& dead) noexcept;
    static void free_containers(detail::ContainerPayload* dead) noexcept;
    void separate();  // gives this Value its own copy of a shared payload
    detail::TextPayload* text_payload() const {
        return static_cast<detail::TextPayload*>(bits_.object);
    }
    const Bits& checked([[maybe_unused]] ValueKind expected) const {
        TARNEL_CHECK(kind_ == expected);
        return bits_;
    }
    const std::string& text_of(ValueKind expected) const {
        return static_cast<detail::TextPayload*>(checked(expected).object)->text;
    }
    const int32_t* shape_fields() const {
        return static_cast<detail::ShapePayload*>(bits_.object)->f;
    }

    ValueKind kind_;
    Bits bits_;
};

inline detail::ArrayPayload::ArrayPayload() : ContainerPayload(true) {}
inline detail::DictPayload::DictPayload() : ContainerPayload(false) {}

// Printed form, as print and string concatenation show a value.
std::string display_string(const Value& value);
void append_display(std::string& out, const Value& value);
// The printed form of a double: shortest round-trip digits in plain positional notation.
std::string format_float(double value);
void append_float(std::string& out, double value);

// Structural form used by trace lines: Number(5), Array([String("a")]), Rect { x: 1, ... }.
std::string debug_string(const Value& value);

// "number", "float", "string", "boolean", "array", "dict", "null" or "unknown".
std::string_view type_name(const Value& value);
bool is_truthy(const Value& value);

// Numeric conversions shared by builtins and modules. Each gives nothing for a value that is
// neither a Number nor a Float. A Float is truncated toward zero, saturating at the 64-bit
// limits, NaN giving 0; the narrower forms keep the low bits of that 64-bit integer.
std::optional<int64_t> to_int64(const Value& value);
std::optional<int32_t> to_int32(const Value& value);
std::optional<uint8_t> to_uint8(const Value& value);
std::optional<double> to_double(const Value& value);
int64_t saturating_trunc(double value);

}  // namespace tarnel
