#include "values/value.h"

namespace tarnel {

namespace {

template <typename T>
T* make_payload() {
    // Ownership passes to the Value, which frees it through destroy() when the count drops.
    return std::make_unique<T>().release();
}

template <typename T>
void free_payload(detail::Payload* payload) {
    std::unique_ptr<T> owner(static_cast<T*>(payload));
}

}  // namespace

Value Value::string(std::string text) {
    Value v(ValueKind::String);
    auto* p = make_payload<detail::TextPayload>();
    p->text = std::move(text);
    v.bits_.object = p;
    return v;
}

Value Value::error(std::string message) {
    Value v = string(std::move(message));
    v.kind_ = ValueKind::Error;
    return v;
}

Value Value::builtin_function(std::string qualified_name) {
    Value v = string(std::move(qualified_name));
    v.kind_ = ValueKind::BuiltinFunction;
    return v;
}

Value Value::array(ValueList items) {
    Value v(ValueKind::Array);
    auto* p = make_payload<detail::ArrayPayload>();
    p->items = std::move(items);
    v.bits_.object = p;
    return v;
}

Value Value::dict(DictMap map) {
    Value v(ValueKind::Dict);
    auto* p = make_payload<detail::DictPayload>();
    p->map = std::move(map);
    v.bits_.object = p;
    return v;
}

Value Value::function(std::shared_ptr<const FunctionCode> code) {
    Value v(ValueKind::Function);
    auto* p = make_payload<detail::FunctionPayload>();
    p->code = std::move(code);
    v.bits_.object = p;
    return v;
}

Value Value::rect(RectShape r) {
    Value v(ValueKind::Rect);
    auto* p = make_payload<detail::ShapePayload>();
    p->f[0] = r.x;
    p->f[1] = r.y;
    p->f[2] = static_cast<int32_t>(r.w);
    p->f[3] = static_cast<int32_t>(r.h);
    v.bits_.object = p;
    return v;
}

Value Value::circle(CircleShape c) {
    Value v(ValueKind::Circle);
    auto* p = make_payload<detail::ShapePayload>();
    p->f[0] = c.x;
    p->f[1] = c.y;
    p->f[2] = static_cast<int32_t>(c.radius);
    v.bits_.object = p;
    return v;
}

Value Value::triangle(TriangleShape t) {
    Value v(ValueKind::Triangle);
    auto* p = make_payload<detail::ShapePayload>();
    int32_t fields[6] = {t.x1, t.y1, t.x2, t.y2, t.x3, t.y3};
    for (int i = 0; i < 6; ++i)
        p->f[i] = fields[i];
    v.bits_.object = p;
    return v;
}

RectShape Value::as_rect() const {
    const int32_t* f = shape_fields();
    return {f[0], f[1], static_cast<uint32_t>(f[2]), static_cast<uint32_t>(f[3])};
}

CircleShape Value::as_circle() const {
    const int32_t* f = shape_fields();
    return {f[0], f[1], static_cast<uint32_t>(f[2])};
}

TriangleShape Value::as_triangle() const {
    const int32_t* f = shape_fields();
    return {f[0], f[1], f[2], f[3], f[4], f[5]};
}

void Value::release_into(detail::ContainerPayload*& dead) noexcept {
    if (is_container() && bits_.object->refs == 1) {
        auto* container = static_cast<detail::ContainerPayload*>(bits_.object);
        container->next_dead = dead;
        dead = container;
        kind_ = ValueKind::Null;
        return;
    }
    release();
    kind_ = ValueKind::Null;
}

void Value::free_containers(detail::ContainerPayload* dead) noexcept {
    // Each container hands its own unshared containers to the queue before it is freed, so
    // its element destructors never recurse.
    while (dead != nullptr) {
        detail::ContainerPayload* container = dead;
        dead = container->next_dead;
        if (container->is_array) {
            auto* array = static_cast<detail::ArrayPayload*>(container);
            for (Value& item : array->items)
                item.release_into(dead);
            free_payload<detail::ArrayPayload>(array);
        } else {
            auto* dict = static_cast<detail::DictPayload*>(container);
            for (size_t at = 0; at < dict->map.size(); ++at)
                dict->map.value(at).release_into(dead);
            free_payload<detail::DictPayload>(dict);
        }
    }
}

void Value::destroy() {
    detail::Payload* p = bits_.object;
    switch (kind_) {
        case ValueKind::String:
        case ValueKind::Error:
        case ValueKind::BuiltinFunction:
            free_payload<detail::TextPayload>(p);
            break;
        case ValueKind::Array:
        case ValueKind::Dict:
            free_containers(static_cast<detail::ContainerPayload*>(p));
            break;
        case ValueKind::Function:
            free_payload<detail::FunctionPayload>(p);
            break;
        case ValueKind::Rect:
        case ValueKind::Circle:
        case ValueKind::Triangle:
            free_payload<detail::ShapePayload>(p);
            break;
        default:
            break;
    }
    kind_ = ValueKind::Null;
}

void Value::separate() {
    if (is_unshared()) return;
    Value copy;
    switch (kind_) {
        case ValueKind::String:
        case ValueKind::Error:
        case ValueKind::BuiltinFunction:
            copy = string(text_payload()->text);
            copy.kind_ = kind_;
            break;
        case ValueKind::Array:
            copy = array(as_array());
            break;
        case ValueKind::Dict:
            copy = dict(as_dict());
            break;
        default:
            return;  // other payloads are never written
    }
    swap(copy);
}

std::string& Value::mutable_string() {
    separate();
    return text_payload()->text;
}

ValueList& Value::mutable_array() {
    separate();
    return static_cast<detail::ArrayPayload*>(bits_.object)->items;
}

DictMap& Value::mutable_dict() {
    separate();
    return static_cast<detail::DictPayload*>(bits_.object)->map;
}

std::string_view type_name(const Value& value) {
    switch (value.kind()) {
        case ValueKind::Number:
            return "number";
        case ValueKind::Float:
            return "float";
        case ValueKind::String:
            return "string";
        case ValueKind::Boolean:
            return "boolean";
        case ValueKind::Array:
            return "array";
        case ValueKind::Dict:
            return "dict";
        case ValueKind::Null:
            return "null";
        default:
            return "unknown";
    }
}

bool is_truthy(const Value& value) {
    switch (value.kind()) {
        case ValueKind::Number:
            return value.as_number() != 0;
        case ValueKind::Float:
            return value.as_float() != 0.0;
        case ValueKind::Boolean:
            return value.as_boolean();
        case ValueKind::Null:
        case ValueKind::Error:
            return false;
        default:
            return true;
    }
}

int64_t saturating_trunc(double value) {
    if (value != value) return 0;
    if (value >= 9223372036854775808.0) return INT64_MAX;
    if (value < -9223372036854775808.0) return INT64_MIN;
    return static_cast<int64_t>(value);
}

std::optional<int64_t> to_int64(const Value& value) {
    if (value.is(ValueKind::Number)) return value.as_number();
    if (value.is(ValueKind::Float)) return saturating_trunc(value.as_float());
    return std::nullopt;
}

std::optional<int32_t> to_int32(const Value& value) {
    auto n = to_int64(value);
    if (!n) return std::nullopt;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(*n)));
}

std::optional<uint8_t> to_uint8(const Value& value) {
    auto n = to_int64(value);
    if (!n) return std::nullopt;
    return static_cast<uint8_t>(static_cast<uint64_t>(*n));
}

std::optional<double> to_double(const Value& value) {
    if (value.is(ValueKind::Number)) return static_cast<double>(value.as_number());
    if (value.is(ValueKind::Float)) return value.as_float();
    return std::nullopt;
}

}  // namespace tarnel
