// report.cpp: the text of a machine error: the message and place, the source
// line, the locals, self's and the global variables, and the call stack.
#include "code/variables.h"
#include "code/vm/machine_state.h"
#include "world/instance.h"

namespace {

std::string place(CCode *code, const Instr *at, std::string *line_text)
{
	int line = code ? code->source_line(at ? at->pc : 0, line_text) : -1;
	if (!code && line_text)
		*line_text = "<unknown source line>";
	return std::string(code ? code->name : std::string()) + " (line " + std::to_string(line) + ")";
}

void dump_section(std::string &text, const char *title, const CVariableList *list)
{
	if (!list)
		return;
	std::string dump;
	list->dump(dump);
	if (!dump.empty())
		text += std::string(title) + dump;
}

} // namespace

std::string vm_error_text(Machine &m, const std::string &message)
{
	std::string hashes(92, '#');
	std::string text = hashes + "\n";
	text += "VMError!! Occurred - " + message + "\n";
	std::string line_text;
	text += " at " + place(m.code, m.current, &line_text) + " - " + line_text + "\n";
	text += hashes + "\n";
	if (m.locals && m.locals->used > 0 && m.code) {
		CVariableList locals = m.locals->with_slot_values(m.code->program().slot_ids);
		dump_section(text, "Local Variables : \n", &locals);
	} else {
		dump_section(text, "Local Variables : \n", m.locals);
	}
	dump_section(text, "Self Variables : \n", m.self ? &m.self->variables : nullptr);
	dump_section(text, "Global Variables : \n", &global_variables());
	if (m.depth > 0 && m.rs) {
		text += "stack frame is\n" + place(m.code, m.current, nullptr) + "\n";
		for (int i = m.depth - 1; i >= 0; i--) {
			const CallFrame &f = m.rs->frames[i];
			text += "called from - " + place(f.code, f.call(), &line_text) + " - " + line_text + "\n";
		}
	}
	return text;
}
