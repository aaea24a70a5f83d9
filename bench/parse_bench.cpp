// Lexing and parsing benchmark: generates a realistic script in memory (functions, loops,
// expressions, strings, dictionaries, comments) at several sizes up to ~10 MB and reports
// the time and throughput of `tokenize` and `parse_program` for each, so that both phases
// can be seen to be linear. Usage: parse_bench [megabytes=10] [repetitions=3]
#include <malloc.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "parser/parser.h"

namespace {

using Clock = std::chrono::steady_clock;

// A small deterministic generator so every run measures the same text.
struct Rng {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    uint64_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
};

void append_function(std::string& out, int n, Rng& rng) {
    const std::string id = std::to_string(n);
    const std::string k = std::to_string(rng.below(1000));
    out += "# Function " + id + ": a mix of the language's constructs.\n";
    out += "def compute_" + id + "(alpha, beta, gamma) {\n";
    out += "    let total = 0\n";
    out += "    let ratio = " + k + ".25 * alpha - beta / (gamma + 1)\n";
    out += "    for i in 0..beta {\n";
    out += "        if i % 3 == 0 and alpha > " + k + " or not gamma {\n";
    out += "            total += i * alpha - (beta / 2) ** 2\n";
    out += "        } else {\n";
    out += "            total -= -1\n";
    out += "        }\n";
    out += "    }\n";
    out += "    let data = {name: \"item " + id + "\\n\", size: " + k +
           ", tags: [\"red\", \"green\", \"blue\"], point: {x: 1.5, y: -2.25}}\n";
    out += "    while total > 100 && total != " + k + " { total = total / 2; }\n";
    out +=
        "    match total {\n        0 => \"zero\"\n        1 => { print(\"one\") }\n"
        "        _ => total\n    }\n";
    out +=
        "    try {\n        risky(data.name, data[\"size\"], data.point.x)\n"
        "    } catch err {\n        print(concat(\"error in " +
        id + ": \", err))\n    }\n";
    out += "    /* block comment with \"quotes\" and symbols: <= >= => */\n";
    out += "    let items = [alpha, beta, gamma, ratio, len(data.tags), sdl2.get_ticks()]\n";
    out += "    global counter_" + id + "\n";
    out += "    return total + len(data.tags) ** 2 + items[0] - util.helper(items).size\n";
    out += "}\n";
    out += "let result_" + id + " = compute_" + id + "(" + k + ", 10, true) >= 5\n\n";
}

std::string generate(size_t bytes) {
    std::string out;
    out.reserve(bytes + 2048);
    out += "use util\nuse http as web\nuse math { sqrt, floor }\n\n";
    Rng rng;
    for (int n = 0; out.size() < bytes; ++n)
        append_function(out, n, rng);
    return out;
}

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Result {
    double tokenize_ms = 1e300;
    double parse_ms = 1e300;
    double destroy_ms = 1e300;
    double first_tokenize_ms = 0;  // the first run, on memory fresh from the kernel
    double first_parse_ms = 0;
    size_t tokens = 0;
    size_t statements = 0;
};

Result measure(const std::string& source, int repetitions) {
    Result best;
    for (int r = 0; r < repetitions; ++r) {
        if (r == 1) {
            best.first_tokenize_ms = best.tokenize_ms;
            best.first_parse_ms = best.parse_ms;
        }
        auto t0 = Clock::now();
        std::vector<tarnel::Token> tokens = tarnel::tokenize(source);
        best.tokenize_ms = std::min(best.tokenize_ms, ms_since(t0));
        tarnel::NameTable names;
        auto t1 = Clock::now();
        tarnel::StmtList program = tarnel::parse_program(tokens, names);
        best.parse_ms = std::min(best.parse_ms, ms_since(t1));
        best.tokens = tokens.size();
        best.statements = program.size();
        auto t2 = Clock::now();
        program.clear();
        best.destroy_ms = std::min(best.destroy_ms, ms_since(t2));
    }
    if (repetitions == 1) {
        best.first_tokenize_ms = best.tokenize_ms;
        best.first_parse_ms = best.parse_ms;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const size_t full = static_cast<size_t>(megabytes * 1024 * 1024);
    // Keep freed memory in the process so that the repeated runs measure the lexer and the
    // parser rather than the kernel zeroing fresh pages (glibc otherwise returns blocks above
    // 32 MB to the kernel, which makes only the larger sizes pay for page faults). The first,
    // cold run of the largest size is reported separately.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);

    std::printf("Lexing and parsing benchmark (best of %d runs per size)\n\n", repetitions);
    std::printf("%9s %10s %11s %9s %9s %9s %9s %11s\n", "size MB", "tokens", "statements", "lex ms",
                "lex MB/s", "parse ms", "parse MB/s", "ns/byte l+p");
    double first_ns_per_byte = 0;
    double last_ns_per_byte = 0;
    double last_total_ms = 0;
    Result last;
    for (double fraction : {0.125, 0.25, 0.5, 1.0}) {
        const std::string source = generate(static_cast<size_t>(full * fraction));
        const Result r = measure(source, repetitions);
        const double mb = static_cast<double>(source.size()) / (1024.0 * 1024.0);
        const double ns_per_byte = (r.tokenize_ms + r.parse_ms) * 1e6 / source.size();
        std::printf("%9.2f %10zu %11zu %9.1f %9.1f %9.1f %9.1f %11.2f\n", mb, r.tokens,
                    r.statements, r.tokenize_ms, mb / (r.tokenize_ms / 1000.0), r.parse_ms,
                    mb / (r.parse_ms / 1000.0), ns_per_byte);
        if (fraction == 0.125) first_ns_per_byte = ns_per_byte;
        last_ns_per_byte = ns_per_byte;
        last_total_ms = r.tokenize_ms + r.parse_ms;
        last = r;
    }
    std::printf("\nCost per byte at the largest size / at the smallest: %.2f (1.00 = linear)\n",
                last_ns_per_byte / first_ns_per_byte);
    std::printf("Largest size: tokenize + parse took %.1f ms%s\n", last_total_ms,
                last_total_ms < 1000.0 ? " (under a second)" : " (OVER A SECOND)");
    const double cold_ms = last.first_tokenize_ms + last.first_parse_ms;
    std::printf(
        "Largest size, first run on fresh memory: tokenize %.1f ms + parse %.1f ms = "
        "%.1f ms%s; destroying the tree %.1f ms\n",
        last.first_tokenize_ms, last.first_parse_ms, cold_ms,
        cold_ms < 1000.0 ? " (under a second)" : " (OVER A SECOND)", last.destroy_ms);
    return 0;
}
