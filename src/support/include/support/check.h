// Internal consistency checks: active in the sanitizer and debug builds (TARNEL_CHECKS), free
// in release builds. For what the code itself guarantees (the kind of a node or a value behind
// an accessor), never for what a script or its input can cause.
#pragma once

#ifdef TARNEL_CHECKS
#include <cstdio>
#include <cstdlib>
#define TARNEL_CHECK(condition)                                                                \
    ((condition)                                                                               \
         ? static_cast<void>(0)                                                                \
         : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition), \
            std::abort()))
#else
#define TARNEL_CHECK(condition) static_cast<void>(0)
#endif
