// Prints the code the engine runs for a script: its top-level code, then each function's body.
//
//     build/tests/dump_code script.tn
#include <cstdio>
#include <string>

#include "compiler.h"
#include "interpreter/interpreter.h"
#include "support/text_file.h"

int main(int argc, char** argv) {
    using namespace tarnel;
    if (argc != 2) {
        std::fprintf(stderr, "usage: dump_code FILE.tn\n");
        return 2;
    }
    std::string error;
    const auto text = read_text_file(argv[1], FileRule::AnyReadable, error);
    if (!text) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    NameTable names;
    const std::shared_ptr<const Unit> unit = load_source(*text, names);
    std::printf("top level:\n%s",
                disassemble(compile_top_level(*unit, unit->statements, {}), names).c_str());
    for (const auto& function : unit->functions) {
        if (function == nullptr) continue;
        std::printf("\ndef %s:\n%s", function->definition.name.c_str(),
                    disassemble(function->code(false), names).c_str());
    }
    return 0;
}
