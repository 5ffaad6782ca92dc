// tree_exec.cpp: the tree executor: statements with break, continue, exit and
// return, `with` over the same instance sets as the bytecode machine, switch
// with fall-through, variable access through the scope table, and calls.
#include "code/compiler/tree_exec.h"

#include <algorithm>
#include <string>
#include <vector>

#include "code/arguments.h"
#include "code/compiler/tree_ops.h"
#include "code/errors.h"
#include "code/function_table.h"
#include "code/variables.h"
#include "code/vm/machine.h"
#include "world/instance.h"

namespace {

enum Flow
{
	FLOW_NORMAL,
	FLOW_BREAK,
	FLOW_CONTINUE,
	FLOW_EXIT,
	FLOW_RETURN,
};

int g_run_depth = 0;

// Where a variable access lands: the instance value and the element index.
struct Place
{
	int32_t instance;
	int32_t index;
};

class TreeExecutor
{
public:
	TreeExecutor(const CodeTree &tree, const VariableScope &scope, Value &result)
		: m_tree(tree), m_scope(scope), m_result(result)
	{
	}

	bool program()
	{
		Flow flow = FLOW_NORMAL;
		return exec(*m_tree.root, flow);
	}
	bool expression() { return eval(*m_tree.root, m_result); }

private:
	bool fail(const Node &n, std::string_view message)
	{
		// A nested run may have left its own error behind; this run's first
		// error is the one to keep.
		clear_code_error_flag();
		code_error(m_tree.kind == TREE_PROGRAM ? CODE_ERROR_STATEMENTS : CODE_ERROR_EXPRESSION, m_tree.source,
		           n.position, message);
		return false;
	}

	// ---- Expressions ----
	bool eval(const Node &n, Value &out)
	{
		switch (n.kind) {
		case NODE_CONSTANT:
			out = n.value;
			return true;
		case NODE_VARIABLE:
			return read(n, out);
		case NODE_CALL:
			return call(n, out);
		case NODE_UNARY: {
			Value v;
			if (!eval(*n.children[0], v))
				return false;
			const char *error = tree_unary(n.op, v, out);
			return error ? fail(n, error) : true;
		}
		case NODE_BINARY: {
			Value l, r;
			if (!eval(*n.children[0], l) || !eval(*n.children[1], r))
				return false;
			const char *error = tree_binary(n.op, l, r, out);
			return error ? fail(n, error) : true;
		}
		default:
			return fail(n, "Expression expected");
		}
	}

	bool place(const Node &v, Place &p)
	{
		p.instance = v.scope;
		if (v.instance) {
			Value inst;
			if (!eval(*v.instance, inst))
				return false;
			if (!inst.is_real())
				return fail(*v.instance, "Object id expected");
			p.instance = truncate_to_int32(inst.real());
		}
		p.index = 0;
		for (const NodePtr &ix : v.children) {
			Value i;
			if (!eval(*ix, i))
				return false;
			if (!i.is_real())
				return fail(*ix, "Wrong type of array index");
			int64_t k = round_to_int(i.real());
			if (i.real() != i.real() || k < 0)
				return fail(*ix, "Negative array index");
			if (k >= ARRAY_ROW_SIZE)
				return fail(*ix, "Array index >= 32000");
			p.index = p.index * ARRAY_ROW_SIZE + (int32_t)k;
		}
		return true;
	}

	bool read_at(const Node &v, const Place &p, Value &out)
	{
		if (!get_by_instance_value(m_scope, p.instance, v.id, p.index, out))
			return fail(v, "Unknown variable " + v.name + " or array index out of bounds");
		return true;
	}

	bool read(const Node &v, Value &out)
	{
		Place p;
		return place(v, p) && read_at(v, p, out);
	}

	bool write_at(const Node &v, const Place &p, const Value &value)
	{
		if (!set_by_instance_value(m_scope, p.instance, v.id, p.index, value))
			return fail(v, "Cannot assign to the variable");
		return true;
	}

	bool call(const Node &n, Value &out)
	{
		std::vector<Value> args(n.children.size());
		for (size_t i = 0; i < args.size(); i++) {
			if (!eval(*n.children[i], args[i]))
				return false;
		}
		out.clear();
		int argc = (int)args.size();
		if (n.id < SCRIPT_ID_BASE) {
			const BuiltinEntry *entry = function_entry(n.id);
			if (entry)
				entry->routine(out, m_scope.self, m_scope.other, argc, args.data());
			return true;
		}
		if (n.id >= EXTENSION_ID_BASE) {
			// The packages' layer, as the machine calls it (the real 0 until it is set).
			if (vm_hooks().call_extension)
				vm_hooks().call_extension(n.id - EXTENSION_ID_BASE, argc, args.data(), out);
			return true;
		}
		const ScriptHooks &hooks = script_hooks();
		if (!hooks.run)
			return true;
		SavedArguments saved;
		ScriptArguments &arguments = script_arguments();
		for (int i = 0; i < MAX_ARGUMENTS; i++) {
			if (i < argc)
				arguments.values[i] = std::move(args[i]);
			else
				arguments.values[i].clear();
		}
		arguments.count = argc;
		return hooks.run(n.id - SCRIPT_ID_BASE, m_scope.self, m_scope.other, out);
	}

	// ---- Statements ----
	bool condition(const Node &n, bool &holds)
	{
		Value v;
		if (!eval(n, v))
			return false;
		if (!v.is_real())
			return fail(n, "bool expression expected");
		holds = (float)v.real() >= 0.5f;
		return true;
	}

	// After a loop body: true when the loop goes on; `flow` keeps exit and
	// return for the caller and is reset for break and continue.
	static bool loop_goes_on(Flow &flow, bool &stop)
	{
		stop = false;
		if (flow == FLOW_BREAK) {
			flow = FLOW_NORMAL;
			stop = true;
		} else if (flow == FLOW_CONTINUE) {
			flow = FLOW_NORMAL;
		} else if (flow != FLOW_NORMAL) {
			stop = true;
		}
		return !stop;
	}

	bool exec(const Node &n, Flow &flow)
	{
		const auto &c = n.children;
		bool holds = false;
		switch (n.kind) {
		case NODE_BLOCK:
			for (const NodePtr &s : c) {
				if (!exec(*s, flow))
					return false;
				if (flow != FLOW_NORMAL)
					break;
			}
			return true;
		case NODE_ASSIGN:
			return assign(n);
		case NODE_VAR:
			for (const NodePtr &v : c)
				m_scope.locals->declare(v->id);
			return true;
		case NODE_GLOBALVAR:
			for (const NodePtr &v : c)
				declare_global(v->id);
			return true;
		case NODE_CALL: {
			Value ignored;
			return call(n, ignored);
		}
		case NODE_IF:
			if (!condition(*c[0], holds))
				return false;
			if (holds)
				return exec(*c[1], flow);
			return c.size() > 2 ? exec(*c[2], flow) : true;
		case NODE_REPEAT:
		case NODE_WHILE:
		case NODE_DO:
		case NODE_FOR:
		case NODE_WITH: {
			m_breakable++;
			m_continuable++;
			bool ok = loop(n, flow);
			m_breakable--;
			m_continuable--;
			return ok;
		}
		case NODE_SWITCH: {
			m_breakable++;
			bool ok = switch_statement(n, flow);
			m_breakable--;
			return ok;
		}
		case NODE_CASE:
		case NODE_DEFAULT:
			return true;
		case NODE_BREAK: // nothing outside a loop, `with` or switch
			if (m_breakable > 0)
				flow = FLOW_BREAK;
			return true;
		case NODE_CONTINUE: // nothing outside a loop or `with`
			if (m_continuable > 0)
				flow = FLOW_CONTINUE;
			return true;
		case NODE_EXIT:
			flow = FLOW_EXIT;
			return true;
		case NODE_RETURN:
			if (!eval(*c[0], m_result))
				return false;
			flow = FLOW_RETURN;
			return true;
		default:
			return fail(n, "Statement expected.");
		}
	}

	bool loop(const Node &n, Flow &flow)
	{
		const auto &c = n.children;
		bool stop = false, holds = false;
		switch (n.kind) {
		case NODE_REPEAT:
			return repeat(n, flow);
		case NODE_WITH:
			return with(n, flow);
		case NODE_WHILE:
			for (;;) {
				if (!condition(*c[0], holds))
					return false;
				if (!holds)
					return true;
				if (!exec(*c[1], flow))
					return false;
				if (!loop_goes_on(flow, stop))
					return true;
			}
		case NODE_DO:
			for (;;) {
				if (!exec(*c[0], flow))
					return false;
				if (!loop_goes_on(flow, stop))
					return true;
				if (!condition(*c[1], holds))
					return false;
				if (holds)
					return true;
			}
		case NODE_FOR:
			if (!exec(*c[0], flow))
				return false;
			for (;;) {
				if (!condition(*c[1], holds))
					return false;
				if (!holds)
					return true;
				if (!exec(*c[3], flow))
					return false;
				if (!loop_goes_on(flow, stop))
					return true;
				if (!exec(*c[2], flow))
					return false;
			}
		default:
			return true;
		}
	}

	bool assign(const Node &n)
	{
		const Node &target = *n.children[0];
		// The place is found once; a compound assignment reads the element
		// before the right side runs, as the generated bytecode does.
		Place p;
		if (!place(target, p))
			return false;
		Value value;
		if (n.op == TK_ASSIGN)
			return eval(*n.children[1], value) && write_at(target, p, value);
		Value current;
		if (!read_at(target, p, current) || !eval(*n.children[1], value))
			return false;
		if (current.is_string() && !(n.op == TK_PLUS_ASSIGN && value.is_string()))
			return fail(n, "Left hand side must be a real value.");
		static const TokenKind base[] = {TK_PLUS, TK_MINUS, TK_STAR, TK_SLASH, TK_BITOR, TK_BITAND, TK_BITXOR};
		Value out;
		const char *error = tree_binary(base[n.op - TK_PLUS_ASSIGN], current, value, out);
		if (error)
			return fail(n, error);
		return write_at(target, p, out);
	}

	bool repeat(const Node &n, Flow &flow)
	{
		Value count;
		if (!eval(*n.children[0], count))
			return false;
		if (!count.is_real())
			return fail(*n.children[0], "Repeat count must be a number");
		bool stop = false;
		for (int64_t i = round_to_int(count.real()); i > 0; i--) {
			if (!exec(*n.children[1], flow))
				return false;
			if (!loop_goes_on(flow, stop))
				return true;
		}
		return true;
	}

	// The instances a `with` visits, in the bytecode machine's order, and the
	// `other` they run with.
	void with_targets(int32_t target, std::vector<CInstance *> &list, CInstance *&other)
	{
		IInstanceDirectory &dir = instance_directory();
		other = m_scope.self;
		if (target == INSTANCE_SELF || target == INSTANCE_NOT_SPECIFIED) {
			list.push_back(m_scope.self);
		} else if (target == INSTANCE_OTHER) {
			list.push_back(m_scope.other);
		} else if (target >= INSTANCE_ID_BASE) {
			CInstance *inst = dir.find_instance(target);
			if (inst && inst->live())
				list.push_back(inst);
		} else if (target == INSTANCE_ALL || target >= 0) {
			std::vector<CInstance *> all;
			if (target == INSTANCE_ALL) {
				for (int32_t i = 0, n = dir.room_instance_count(); i < n; i++)
					all.push_back(dir.room_instance(i));
			} else if (dir.object_exists(target)) {
				dir.object_instances(target, all);
			}
			for (CInstance *inst : all) {
				if (inst && inst->live())
					list.push_back(inst);
			}
			if (list.size() >= 3)
				std::reverse(list.begin(), list.end());
		}
	}

	bool with(const Node &n, Flow &flow)
	{
		Value t;
		if (!eval(*n.children[0], t))
			return false;
		if (!t.is_real())
			return fail(*n.children[0], "Object id expected");
		int32_t target = truncate_to_int32(t.real());
		if (target == INSTANCE_GLOBAL)
			return fail(*n.children[0], "Cannot use global in with statement.");
		if (target == INSTANCE_LOCAL)
			return fail(*n.children[0], "Cannot use local in with statement.");
		std::vector<CInstance *> list;
		CInstance *other = nullptr;
		with_targets(target, list, other);
		CInstance *saved_self = m_scope.self, *saved_other = m_scope.other;
		bool ok = true, stop = false;
		for (CInstance *inst : list) {
			m_scope.self = inst;
			m_scope.other = other;
			ok = exec(*n.children[1], flow);
			if (!ok || !loop_goes_on(flow, stop))
				break;
		}
		m_scope.self = saved_self;
		m_scope.other = saved_other;
		return ok;
	}

	bool switch_statement(const Node &n, Flow &flow)
	{
		const auto &c = n.children;
		Value value;
		if (!eval(*c[0], value))
			return false;
		size_t start = c.size(), fallback = c.size();
		for (size_t i = 1; i < c.size() && start == c.size(); i++) {
			if (c[i]->kind == NODE_DEFAULT && fallback == c.size())
				fallback = i;
			if (c[i]->kind != NODE_CASE)
				continue;
			Value label;
			if (!eval(*c[i]->children[0], label))
				return false;
			if (label.kind() == value.kind() &&
			    (label.is_string() ? label.text() == value.text() : label.real() == value.real()))
				start = i;
		}
		if (start == c.size())
			start = fallback;
		for (size_t i = start; i < c.size(); i++) {
			if (!exec(*c[i], flow))
				return false;
			if (flow == FLOW_BREAK) {
				flow = FLOW_NORMAL;
				break;
			}
			if (flow != FLOW_NORMAL)
				break;
		}
		return true;
	}

	const CodeTree &m_tree;
	VariableScope m_scope;
	Value &m_result;
	int m_breakable = 0, m_continuable = 0;
};

class RunDepth
{
public:
	RunDepth() { g_run_depth++; }
	~RunDepth() { g_run_depth--; }
};

} // namespace

bool execute_tree(const CodeTree &tree, CInstance *self, CInstance *other, Value &result)
{
	clear_code_error_flag();
	result.clear();
	CodeErrorKind kind = tree.kind == TREE_PROGRAM ? CODE_ERROR_STATEMENTS : CODE_ERROR_EXPRESSION;
	if (!tree.compiled || !tree.root) {
		code_error(kind, tree.source, 0, "Internal Error: Executing non-compiled code->");
		return false;
	}
	if (!self) {
		code_error(kind, tree.source, 0, "Internal Error: Executing code for nil instance.");
		return false;
	}
	if (tree.kind == TREE_CONSTANT) {
		result = tree.root->value;
		return true;
	}
	RunDepth depth;
	if (g_run_depth > MAX_TREE_RUN_DEPTH) {
		code_error(kind, tree.source, 0, "Code nested too deeply in calls.");
		return false;
	}
	VariableScope scope;
	scope.self = self;
	scope.other = other;
	scope.locals = &enter_locals();
	TreeExecutor run(tree, scope, result);
	bool ok = tree.kind == TREE_PROGRAM ? run.program() : run.expression();
	leave_locals();
	return ok;
}
