// resolve.cpp: binds the names of a parsed tree: a name that is a constant
// becomes a constant node, variables get their ids, and names declared with
// `var` anywhere in the piece are locals wherever they are written without
// an instance. `globalvar` binds nothing here: it declares its names when it
// runs, and from then on every piece that writes them without an instance
// reaches the global ones.
#include "code/compiler/resolve.h"

#include <unordered_set>

#include "code/constants.h"
#include "code/errors.h"
#include "code/variable_names.h"
#include "code/variables.h"

namespace {

class Resolver
{
public:
	Resolver(std::string_view source, bool expression) : m_src(source), m_expression(expression) {}

	// Declarations first, so that a local is known before its first use.
	bool declarations(Node &n)
	{
		if (n.kind == NODE_VAR || n.kind == NODE_GLOBALVAR) {
			for (NodePtr &v : n.children) {
				if (builtin_variables().find(v->name) >= 0) {
					code_error(m_expression ? CODE_ERROR_EXPRESSION : CODE_ERROR_STATEMENTS, m_src, v->position,
					           "Cannot redeclare a builtin variable.");
					return false;
				}
				v->id = user_variable_id(v->name);
				if (n.kind == NODE_VAR) {
					v->scope = INSTANCE_LOCAL;
					m_locals.insert(v->name);
				}
			}
			return true;
		}
		for (NodePtr &c : n.children) {
			if (c && !declarations(*c))
				return false;
		}
		return true;
	}

	// Binds the names below a node; `slot` is the pointer that owns it, so
	// that a constant can take the variable's place.
	void bind(NodePtr &slot, bool target)
	{
		Node &n = *slot;
		if (n.kind == NODE_VAR || n.kind == NODE_GLOBALVAR)
			return;
		if (n.instance)
			bind(n.instance, false);
		for (size_t i = 0; i < n.children.size(); i++)
			bind(n.children[i], n.kind == NODE_ASSIGN && i == 0);
		if (n.kind != NODE_VARIABLE)
			return;
		if (!target && !n.instance && n.children.empty()) {
			int32_t c = find_constant(n.name);
			if (c >= 0) {
				NodePtr k = std::make_unique<Node>(NODE_CONSTANT, n.position);
				k->value = constant_value(c);
				k->name = n.name;
				slot = std::move(k);
				return;
			}
		}
		n.id = variable_id(n.name);
		if (!n.instance && m_locals.count(n.name))
			n.scope = INSTANCE_LOCAL;
	}

private:
	std::string_view m_src;
	bool m_expression;
	std::unordered_set<std::string> m_locals;
};

} // namespace

bool resolve_names(NodePtr &root, std::string_view source, bool expression)
{
	Resolver r(source, expression);
	if (!r.declarations(*root))
		return false;
	r.bind(root, false);
	return true;
}
