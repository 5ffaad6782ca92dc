// machine.cpp: runs of the bytecode machine: the stack areas kept per nesting
// level, the settings and hooks that steer runs, the slow path of counting,
// breakpoints and tracing, and the report that ends a failed run.
#include "code/vm/machine.h"

#include <cstdio>
#include <cstdlib>

#include "code/arguments.h"
#include "code/errors.h"
#include "code/variable_names.h"
#include "code/variables.h"
#include "code/vm/machine_access.h"
#include "common/console.h"

namespace {

struct RunPool
{
	std::vector<std::unique_ptr<RunStack>> stacks; // one per nesting level, kept
	int depth = 0;
	bool aborted = false;
	int64_t budget = -1;
};

RunPool &pool()
{
	static RunPool p;
	return p;
}

void trace_instruction(Machine &m, const Instr *in)
{
	ListingNames names;
	names.function_name = vm_function_name;
	names.variable_name = [](int32_t id) { return std::string(variable_name(id)); };
	const StringTexts *texts = m.code->strings.get();
	names.string_text = [texts](uint32_t index) {
		return texts && index < texts->texts.size() ? std::string(texts->texts[index]) : std::string();
	};
	const VMBuffer &b = m.code->buffer;
	std::string line = instruction_listing(b.words, in->pc, b.length - in->pc, names);
	dbg_console().Output("%s", line.c_str());
}


// script_execute's way of running a script: the script's code as a new run.
bool run_script_by_index(int32_t index, CInstance *self, CInstance *other, Value &result)
{
	CCode *code = vm_hooks().script_code ? vm_hooks().script_code(index) : nullptr;
	if (!code)
		return false;
	return code_execute_script(self, other, *code, result);
}

RunStack &acquire_stack(int depth)
{
	RunPool &p = pool();
	while ((int)p.stacks.size() <= depth)
		p.stacks.push_back(std::make_unique<RunStack>());
	return *p.stacks[(size_t)depth];
}

} // namespace

bool vm_counting_instructions() { return pool().budget >= 0; }

bool vm_slow_step(Machine &m, const Instr *in, CCode *&bp_code, int &bp_line)
{
	RunPool &p = pool();
	if (p.budget >= 0) {
		if (p.budget == 0) {
			m.current = in;
			return vm_fail(m, "Execution Error - instruction limit reached");
		}
		p.budget--;
	}
	const VMSettings &settings = vm_settings();
	if (!settings.breakpoints.empty() && in->base != OP_END) {
		int line = m.code->source_line(in->pc);
		if (m.code != bp_code || line != bp_line) {
			bp_code = m.code;
			bp_line = line;
			for (const Breakpoint &bp : settings.breakpoints)
				if (bp.enabled && bp.line == line && bp.name == m.code->name && vm_hooks().breakpoint)
					vm_hooks().breakpoint(bp.name, line);
		}
	}
	if (settings.trace_instructions && in->base != OP_END)
		trace_instruction(m, in);
	return true;
}

bool vm_fail(Machine &m, const std::string &message)
{
	RunPool &p = pool();
	if (p.aborted)
		return false; // the first error ends the game; what follows is its unwinding
	if (evaluating_watch()) {
		// A watch expression of the debugger: no report and no exit, only the
		// flag; the watch's run stops.
		set_error_occurred(true);
		return false;
	}
	p.aborted = true;
	report_error(vm_error_text(m, message), true);
	const VMHooks &h = vm_hooks();
	if (h.exit) {
		h.exit(VM_ERROR_EXIT_CODE);
	} else {
		fflush(stdout);
		fflush(stderr);
		std::exit(VM_ERROR_EXIT_CODE);
	}
	return false;
}

VMHooks g_vm_hooks;
VMSettings g_vm_settings;

uint64_t g_vm_script_generation = 1;

void vm_scripts_changed() { g_vm_script_generation++; }

void set_vm_hooks(const VMHooks &hooks)
{
	g_vm_hooks = hooks;
	vm_scripts_changed();
}

void configure_vm(const Settings &settings)
{
	VMSettings &s = vm_settings();
	s.trace = settings.trace;
	s.breakpoints = settings.breakpoints;
	if (s.breakpoints.size() > MAX_BREAKPOINTS)
		s.breakpoints.resize(MAX_BREAKPOINTS);
	ScriptHooks script = script_hooks();
	script.run = run_script_by_index;
	set_script_hooks(script);
}

bool vm_aborted() { return pool().aborted; }
int vm_run_depth() { return pool().depth; }

bool vm_run(CCode &code, CInstance *self, CInstance *other, Value *result)
{
	RunPool &p = pool();
	if (p.depth == 0) {
		p.aborted = false;
		p.budget = vm_settings().instruction_budget;
	} else if (p.aborted) {
		return false;
	}
	if (vm_settings().trace)
		dbg_console().Output("script = %s\n", code.name.c_str());

	// Variables kept by this run's code belong to its self and other: the
	// code that called it finds its own again.
	struct Leave
	{
		~Leave() { variables_moved(); }
	} leave;
	Machine m{};
	m.self = self;
	m.other = other;
	m.code = &code;
	if (p.depth >= VM_MAX_NESTED_RUNS) {
		vm_fail(m, "Execution Error - code nested too deeply (more than " + std::to_string(VM_MAX_NESTED_RUNS) +
		               " runs)");
		return false;
	}
	m.rs = &acquire_stack(p.depth);
	m.base = m.sp = m.rs->slots;
	m.limit = m.rs->slots + VM_STACK_UNITS;
	m.rs->instances.clear();
	p.depth++;
	int saved_count = script_arguments().count;
	m.locals = &enter_locals();
	vm_init_stores(m);
	m.instrs = vm_program_of(m, code);
	bool ok = m.instrs && vm_run_loop(m);
	if (ok) {
		vm_close_withs(m, 0);
		if (result) {
			if (m.sp > m.rs->slots) {
				Slot &top = *--m.sp;
				if (!slot_to_value(top, *result))
					result->clear();
			} else {
				result->clear();
			}
		}
		free_slots(m.rs->slots, m.sp);
		m.sp = m.rs->slots;
	} else {
		vm_unwind(m);
	}
	leave_locals();
	script_arguments().count = saved_count;
	p.depth--;
	return ok;
}

bool code_execute(CInstance *self, CInstance *other, CCode &code, Value *result)
{
	switch (code.kind) {
	case CODE_EMPTY:
		return true;
	case CODE_CONSTANT:
		if (result)
			*result = code.constant;
		return true;
	default:
		if (!code.has_bytecode())
			return true;
		clear_code_error_flag();
		return vm_run(code, self, other, result);
	}
}

bool code_execute_script(CInstance *self, CInstance *other, CCode &code, Value &result)
{
	if (code_execute(self, other, code, &result))
		return true;
	result.set_string("ERROR");
	return false;
}
