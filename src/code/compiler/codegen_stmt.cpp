// codegen_stmt.cpp: the code generator's statements: blocks, calls,
// `globalvar`, conditions and loops, `with`, `switch`, and the jumps of
// `break`, `continue`, `exit` and `return`.
#include "code/compiler/codegen_generator.h"

#include "code/function_table.h"
#include "code/variables.h"

namespace codegen {

void Generator::statement(const Node &n)
{
	if (!m_ok)
		return;
	line(n);
	switch (n.kind) {
	case NODE_BLOCK:
		for (const NodePtr &s : n.children)
			statement(*s);
		break;
	case NODE_ASSIGN:
		assign(n);
		break;
	case NODE_VAR:
		break;
	case NODE_GLOBALVAR:
		globalvar(n);
		break;
	case NODE_CALL:
		m_w.word(POPZ, call(n));
		break;
	case NODE_IF:
		if_statement(n);
		break;
	case NODE_WHILE:
		while_loop(n);
		break;
	case NODE_DO:
		do_loop(n);
		break;
	case NODE_FOR:
		for_loop(n);
		break;
	case NODE_REPEAT:
		repeat(n);
		break;
	case NODE_WITH:
		with(n);
		break;
	case NODE_SWITCH:
		switch_statement(n);
		break;
	case NODE_BREAK:
		leave(true);
		break;
	case NODE_CONTINUE:
		leave(false);
		break;
	case NODE_EXIT:
		m_w.word(EXIT, TYPE_INT);
		break;
	case NODE_RETURN:
		conv(expression(*n.children[0]), TYPE_VARIABLE);
		m_w.word(RET, TYPE_VARIABLE);
		break;
	default:
		break;
	}
}

// Declared when the statement runs, through the hidden built-in.
void Generator::globalvar(const Node &n)
{
	for (const NodePtr &v : n.children) {
		if (builtin_function_id(GLOBALVAR_FUNCTION) < 0) {
			fail(n, "Internal Error: globalvar is not available.");
			return;
		}
		push_double(v->id);
		conv(TYPE_DOUBLE, TYPE_VARIABLE);
		m_w.word(CALL, TYPE_INT, 0, 1);
		m_w.operand32((uint32_t)builtin_function_id(GLOBALVAR_FUNCTION));
		m_w.word(POPZ, TYPE_VARIABLE);
	}
}

void Generator::if_statement(const Node &n)
{
	const auto &c = n.children;
	Label otherwise = m_w.new_label(), end = m_w.new_label();
	conv(expression(*c[0]), TYPE_BOOL);
	m_w.branch(BF, otherwise);
	statement(*c[1]);
	if (c.size() > 2) {
		m_w.branch(B, end);
		m_w.place(otherwise);
		statement(*c[2]);
	} else {
		m_w.place(otherwise);
	}
	m_w.place(end);
}

void Generator::while_loop(const Node &n)
{
	Label top = m_w.new_label(), end = m_w.new_label();
	m_w.place(top);
	conv(expression(*n.children[0]), TYPE_BOOL);
	m_w.branch(BF, end);
	body(*n.children[1], Context{Context::LOOP, end, top, 0});
	m_w.branch(B, top);
	m_w.place(end);
}

void Generator::do_loop(const Node &n)
{
	Label top = m_w.new_label(), test = m_w.new_label(), end = m_w.new_label();
	m_w.place(top);
	body(*n.children[0], Context{Context::LOOP, end, test, 0});
	m_w.place(test);
	conv(expression(*n.children[1]), TYPE_BOOL);
	m_w.branch(BF, top);
	m_w.place(end);
}

void Generator::for_loop(const Node &n)
{
	const auto &c = n.children;
	Label top = m_w.new_label(), next = m_w.new_label(), end = m_w.new_label();
	statement(*c[0]);
	m_w.place(top);
	conv(expression(*c[1]), TYPE_BOOL);
	m_w.branch(BF, end);
	body(*c[3], Context{Context::LOOP, end, next, 0});
	m_w.place(next);
	statement(*c[2]);
	m_w.branch(B, top);
	m_w.place(end);
}

void Generator::body(const Node &s, const Context &context)
{
	m_contexts.push_back(context);
	statement(s);
	m_contexts.pop_back();
}

void Generator::repeat(const Node &n)
{
	Label top = m_w.new_label(), next = m_w.new_label(), end = m_w.new_label();
	conv(number(*n.children[0]), TYPE_INT);
	m_w.word(DUP, TYPE_INT);
	push_int(0);
	m_w.word(SLE, TYPE_INT, TYPE_INT);
	m_w.branch(BT, end);
	m_w.place(top);
	body(*n.children[1], Context{Context::LOOP, end, next, 0});
	m_w.place(next);
	push_int(1);
	m_w.word(SUB, TYPE_INT, TYPE_INT);
	m_w.word(DUP, TYPE_INT);
	conv(TYPE_INT, TYPE_BOOL);
	m_w.branch(BT, top);
	m_w.place(end);
	m_w.word(POPZ, TYPE_INT);
}

void Generator::with(const Node &n)
{
	const Node &target = *n.children[0];
	if (target.kind == NODE_CONSTANT && target.value.is_real()) {
		if (target.value.real() == (double)INSTANCE_GLOBAL)
			fail(target, "Cannot use global in with statement.");
		else if (target.value.real() == (double)INSTANCE_LOCAL)
			fail(target, "Cannot use local in with statement.");
	}
	Label top = m_w.new_label(), next = m_w.new_label(), end = m_w.new_label();
	conv(number(target), TYPE_INT);
	m_w.branch(PUSHENV, next);
	m_w.place(top);
	body(*n.children[1], Context{Context::WITH, end, next, 0});
	m_w.place(next);
	m_w.branch(POPENV, top);
	m_w.place(end);
}

void Generator::switch_statement(const Node &n)
{
	const auto &c = n.children;
	uint8_t t = number(*c[0]);
	// Each case label, and the first default label, gets a place in the body.
	std::vector<int64_t> places(c.size(), -1);
	Label end = m_w.new_label();
	for (size_t i = 1; i < c.size(); i++) {
		if (c[i]->kind == NODE_CASE) {
			places[i] = m_w.new_label();
			m_w.word(DUP, t);
			uint8_t k = number(*c[i]->children[0]);
			m_w.word(SEQ, k, t);
			m_w.branch(BT, (Label)places[i]);
		}
	}
	for (size_t i = 1; i < c.size(); i++) {
		if (c[i]->kind == NODE_DEFAULT) {
			places[i] = m_w.new_label();
			m_w.branch(B, (Label)places[i]);
			break;
		}
	}
	m_w.branch(B, end);
	m_contexts.push_back(Context{Context::SWITCH, end, end, t});
	for (size_t i = 1; i < c.size(); i++) {
		if (places[i] >= 0)
			m_w.place((Label)places[i]);
		else if (c[i]->kind != NODE_DEFAULT)
			statement(*c[i]);
	}
	m_contexts.pop_back();
	m_w.place(end);
	m_w.word(POPZ, t);
}

void Generator::leave(bool is_break)
{
	size_t i = m_contexts.size();
	while (i-- > 0) {
		const Context &k = m_contexts[i];
		if (k.kind == Context::SWITCH && !is_break)
			continue;
		break;
	}
	if (i == (size_t)-1)
		return;
	const Context &k = m_contexts[i];
	if (!is_break) {
		for (size_t j = m_contexts.size(); j-- > i + 1;)
			m_w.word(POPZ, m_contexts[j].slot);
		m_w.branch(B, k.continue_to);
		return;
	}
	if (k.kind == Context::WITH)
		m_w.word(POPENV, 0, 15); // type byte 0xF0: close the frame without iterating
	m_w.branch(B, k.break_to);
}

} // namespace codegen
