// decode.cpp: turns bytecode into the machine's decoded form and checks it.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "code/vm/program.h"

#include "code/function_table.h"
#include "code/variable_names.h"
#include "code/variables.h"

namespace {

uint32_t read_u32(const uint8_t *p)
{
	return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

std::string at_text(uint32_t pc)
{
	char buffer[32];
	snprintf(buffer, sizeof buffer, " at 0x%08x", pc);
	return buffer;
}

// User variable ids start here; smaller ids are built-in rows.
constexpr int32_t USER_ID_FLOOR = 10000;

// argument0 to argument15 by built-in id: the argument number, or -1.
int argument_number(int32_t id)
{
	const BuiltinVariable *row = builtin_variables().entry(id);
	if (!row || row->name.size() < 9 || row->name.size() > 10 || row->name.compare(0, 8, "argument") != 0)
		return -1;
	int n = 0;
	for (size_t i = 8; i < row->name.size(); i++) {
		if (row->name[i] < '0' || row->name[i] > '9')
			return -1;
		n = n * 10 + (row->name[i] - '0');
	}
	if (row->name.size() == 10 && row->name[8] == '0')
		return -1;
	return n < MAX_ARGUMENTS ? n : -1;
}

VarFast fast_store_of(Instr &in)
{
	if (in.var.flags == VAR_INSTANCE_IN_FIELD && in.var.id >= USER_ID_FLOOR)
		in.indexed = 1;
	else if (in.var.flags != (VAR_INSTANCE_IN_FIELD | VAR_NOT_INDEXED))
		return VAR_FAST_NONE;
	if (in.var.id < USER_ID_FLOOR) {
		// The argument rows ignore the instance: self, other and none reach them.
		if (in.field != -1 && in.field != -2 && in.field != -6)
			return VAR_FAST_NONE;
		int n = argument_number(in.var.id);
		if (n < 0)
			return VAR_FAST_NONE;
		in.aux = (uint8_t)n;
		return VAR_FAST_ARGUMENT;
	}
	switch (in.field) {
	case -1: return VAR_FAST_SELF;
	case -2: return VAR_FAST_OTHER;
	case -5: return VAR_FAST_GLOBAL;
	case -6: return VAR_FAST_UNSPECIFIED;
	case -7: return VAR_FAST_LOCAL;
	default: return VAR_FAST_NONE;
	}
}

// Whether the instruction reads or writes a variable operand.
bool variable_operand(const Instr &in)
{
	return in.handler != OP_NOP && (in.base == OP_PUSH || in.base == OP_POP) && in.t1 == TYPE_VARIABLE;
}

// Numbers the locals that the piece only ever reads and writes whole through
// `local` in the field, so that the machine keeps them in slots instead of
// looking them up in the locals list. A piece that takes an instance from the
// stack might reach any local through it: its locals all stay in the list.
void number_local_slots(Program &program)
{
	std::vector<int32_t> &ids = program.slot_ids;
	std::vector<int32_t> listed; // locals also reached in another way
	for (const Instr &in : program.code) {
		if (!variable_operand(in))
			continue;
		if (!(in.var.flags & VAR_INSTANCE_IN_FIELD)) {
			ids.clear();
			return;
		}
		if (in.field != -7)
			continue;
		if (in.fast != VAR_FAST_LOCAL || in.indexed)
			listed.push_back(in.var.id);
		else if (std::find(ids.begin(), ids.end(), in.var.id) == ids.end() && ids.size() < LOCAL_SLOT_COUNT)
			ids.push_back(in.var.id);
	}
	for (int32_t id : listed) {
		auto at = std::find(ids.begin(), ids.end(), id);
		if (at != ids.end())
			ids.erase(at);
	}
	for (Instr &in : program.code) {
		if (!variable_operand(in) || in.fast != VAR_FAST_LOCAL || in.indexed)
			continue;
		auto at = std::find(ids.begin(), ids.end(), in.var.id);
		if (at != ids.end()) {
			in.fast = VAR_FAST_SLOT;
			in.aux = (uint8_t)(at - ids.begin());
		}
	}
}

Instr end_instr(uint32_t pc)
{
	Instr end{};
	end.handler = end.base = OP_END;
	end.pc = pc;
	return end;
}

// Fills the operand of one instruction; returns an error text or empty.
std::string decode_operand(Instr &in, const uint8_t *operand, const StringTexts *strings)
{
	uint32_t u = 0;
	unsigned size = type_operand_size(in.t1);
	if (size >= 4)
		u = read_u32(operand);
	switch (in.t1) {
	case TYPE_DOUBLE: {
		uint64_t bits = (uint64_t)u | ((uint64_t)read_u32(operand + 4) << 32);
		memcpy(&in.d, &bits, 8);
		break;
	}
	case TYPE_LONG:
		in.l = (int64_t)((uint64_t)u | ((uint64_t)read_u32(operand + 4) << 32));
		break;
	case TYPE_FLOAT:
		memcpy(&in.f, &u, 4);
		break;
	case TYPE_INT:
		in.i = (int32_t)u;
		break;
	case TYPE_BOOL:
		in.i = (u & 0xFF) != 0;
		break;
	case TYPE_VARIABLE:
		in.var.id = (int32_t)(u & VAR_ID_MASK);
		in.var.flags = u & ~VAR_ID_MASK;
		in.fast = fast_store_of(in);
		if (in.fast == VAR_FAST_NONE)
			in.indexed = 0;
		break;
	case TYPE_STRING:
		if (in.op != 0xC0)
			break; // only push reads a string operand
		if (!strings || u >= strings->texts.size())
			return "string operand " + std::to_string(u) + " is not in the string table";
		in.s = strings->texts[u].data();
		in.len = (uint32_t)strings->texts[u].size();
		break;
	default:
		break;
	}
	return {};
}

} // namespace

Program decode_program(const uint8_t *bytes, uint32_t length, const StringTexts *strings)
{
	Program program;
	program.length = length;
	std::vector<int32_t> index_at((size_t)length / 4 + 1, -1);
	std::vector<int64_t> targets; // byte target of each branch, by instruction
	std::string error;
	uint32_t pc = 0;
	while (pc < length && error.empty()) {
		if (length - pc < 4) {
			error = "a truncated instruction" + at_text(pc);
			break;
		}
		uint32_t w = read_u32(bytes + pc);
		unsigned size = instruction_length(w);
		if (size > length - pc) {
			error = "an instruction runs past the end of the code" + at_text(pc);
			break;
		}
		Instr in{};
		in.op = word_opcode(w);
		in.t1 = word_t1(w);
		in.t2 = word_t2(w);
		in.pc = pc;
		const OpcodeInfo *info = opcode_info(in.op);
		in.handler = in.base = info ? info->handler : OP_NOP;
		in.field = in.op == 0xDA ? (int32_t)(uint16_t)w : word_field(w);
		int64_t target = -1;
		if (word_is_branch(w)) {
			bool close = in.op == 0xBC && word_types(w) == POPENV_CLOSE_TYPES;
			if (close)
				in.field = -1; // POPENV_CLOSE
			else if (in.handler != OP_NOP)
				target = (int64_t)pc + 4 * (int64_t)word_branch_distance(w);
			if (target != -1 && (target < 0 || target > length || (target & 3) != 0))
				error = "a branch leaves the code" + at_text(pc);
		} else if (word_has_operand(w)) {
			std::string problem = decode_operand(in, bytes + pc + 4, strings);
			if (!problem.empty())
				error = problem + at_text(pc);
		}
		if (in.handler != OP_NOP && word_has_operand(w) && in.t1 == TYPE_VARIABLE &&
		    (!(in.var.flags & VAR_INSTANCE_IN_FIELD) || in.field == -7))
			program.uses_locals = true;
		index_at[pc / 4] = (int32_t)program.code.size();
		program.code.push_back(in);
		targets.push_back(target);
		pc += size;
	}
	if (error.empty()) {
		index_at[length / 4] = (int32_t)program.code.size();
		for (size_t i = 0; i < program.code.size() && error.empty(); i++) {
			if (targets[i] < 0)
				continue;
			int32_t index = index_at[(size_t)targets[i] / 4];
			if (index < 0)
				error = "a branch lands inside an instruction" + at_text(program.code[i].pc);
			else
				program.code[i].field = index;
		}
	}
	if (!error.empty()) {
		program.code.clear();
		program.error = error;
		program.code.push_back(end_instr(0));
		return program;
	}
	program.code.push_back(end_instr(length));
	number_local_slots(program);
	fuse_program(program);
	return program;
}
