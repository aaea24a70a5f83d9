// A readable listing of compiled code: one instruction a line, operands named.
#include <cstdio>

#include "bytecode.h"

namespace tarnel {

namespace {

constexpr std::string_view kOpNames[] = {
#define TARNEL_OPCODE_NAME(name) #name,
    TARNEL_OPCODES(TARNEL_OPCODE_NAME)
#undef TARNEL_OPCODE_NAME
};

std::string show_operand(uint32_t o, const Code& code, const NameTable& names) {
    const uint32_t index = operand_index(o);
    switch (operand_kind(o)) {
        case OperandKind::Register:
            return "r" + std::to_string(index);
        case OperandKind::Cell:
            return names.text(index);
        case OperandKind::Constant:
            return debug_string(code.constants[index]);
    }
    return "?";
}

}  // namespace

std::string_view op_name(Op op) {
    return kOpNames[static_cast<size_t>(op)];
}

std::string disassemble(const Code& code, const NameTable& names) {
    std::string out;
    auto reg = [](uint32_t r) { return "r" + std::to_string(r); };
    size_t here = 0;  // targets are relative to the instruction
    auto at = [&](uint32_t offset) {
        return "@" + std::to_string(here + static_cast<int32_t>(offset));
    };
    for (size_t pc = 0; pc < code.instrs.size(); ++pc) {
        const Instr& i = code.instrs[pc];
        here = pc;
        auto opnd = [&](uint32_t o) { return show_operand(o, code, names); };
        std::string args;
        switch (i.op) {
            case Op::Copy:
                args = reg(i.a) + " <- " + opnd(i.b);
                break;
            case Op::SetVar:
                args = names.text(i.a) + " <- " + opnd(i.b);
                break;
            case Op::Add:
            case Op::Sub:
            case Op::Mul:
            case Op::Div:
            case Op::Mod:
            case Op::Pow:
            case Op::Eq:
            case Op::Ne:
            case Op::Lt:
            case Op::Gt:
            case Op::Le:
            case Op::Ge:
            case Op::And:
            case Op::Or:
            case Op::Index:
            case Op::Range:
                args = reg(i.a) + " <- " + opnd(i.b) + ", " + opnd(i.c);
                break;
            case Op::Not:
            case Op::Neg:
                args = reg(i.a) + " <- " + opnd(i.b);
                break;
            case Op::Jump:
            case Op::Loop:
                args = at(i.a);
                break;
            case Op::JumpIfFalse:
                args = at(i.a) + " unless " + opnd(i.b);
                break;
            case Op::JumpIfNotEq:
            case Op::JumpIfNotNe:
            case Op::JumpIfNotLt:
            case Op::JumpIfNotGt:
            case Op::JumpIfNotLe:
            case Op::JumpIfNotGe:
            case Op::JumpIfNoMatch:
                args = at(i.a) + " unless " + opnd(i.b) + ", " + opnd(i.c);
                break;
            case Op::NewArray:
                args = reg(i.a) + " <- " + reg(i.b) + " x" + std::to_string(i.c);
                break;
            case Op::NewDict:
                args = reg(i.a) + " <- " + reg(i.b) + " keys#" + std::to_string(i.c);
                break;
            case Op::GetField:
                args = reg(i.a) + " <- " + opnd(i.b) + "." + code.field_keys[i.c].text;
                break;
            case Op::Call:
            case Op::CallBuiltin:
            case Op::CallTraced:
            case Op::TraceCall:
                args = reg(i.a) + " <- " + code.calls[i.c].call->name + "/" +
                       std::to_string(code.calls[i.c].argc);
                break;
            case Op::UpdateVar:
                args = names.text(i.a) + " " +
                       std::string(token_kind_name(token_of(static_cast<BinaryOperator>(i.c)))) +
                       "= " + opnd(i.b);
                break;
            case Op::AppendVar:
                args = names.text(i.a) + " += " + reg(i.b) + " x" + std::to_string(i.c);
                break;
            case Op::AppendChain:
                args = reg(i.a) + " +" + std::to_string(i.c);
                break;
            case Op::LendForUpdate:
                args = names.text(i.a) + " to " + reg(i.b);
                break;
            case Op::Return:
            case Op::SetReturn:
                args = opnd(i.b);
                break;
            case Op::LoopSignal:
                args = "leave " + at(i.a) + ", again " + at(i.b);
                break;
            case Op::TryCheck:
                args = names.text(i.a) + ", caught " + at(i.b) + ", else " + at(i.c);
                break;
            case Op::StatementCheck:
                args = std::to_string(i.a);
                break;
            case Op::ForRangePrep:
            case Op::ForArrayPrep:
                args = reg(i.a) + ", " + names.text(i.b) + ", exit " + at(i.c);
                break;
            case Op::ForRangeNext:
            case Op::ForArrayNext:
                args = reg(i.a) + ", " + names.text(i.b) + ", body " + at(i.c);
                break;
            case Op::Def:
                args = names.text(i.a) + " = def#" + std::to_string(i.b);
                break;
            case Op::Global:
                args = names.text(i.a);
                break;
            case Op::Use:
                args = code.uses[i.a]->module;
                break;
            case Op::ReturnEnd:
            case Op::SetBreak:
            case Op::SetContinue:
            case Op::ClearBreak:
            case Op::Halt:
                break;
        }
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%4zu  ", pc);
        out += prefix;
        out += op_name(i.op);
        if (!args.empty()) out += " " + args;
        if (code.boundary[pc] != kNoBoundary)
            out += "  [boundary -> " + at(code.boundary[pc]) + "]";
        out += '\n';
    }
    return out;
}

}  // namespace tarnel
