// codegen.cpp: the code generator's entry: walks a program's statements or an
// expression, then fixes up branches and hands over the bytes; errors are
// recorded as code errors at the node's position.
#include "code/compiler/codegen.h"

#include "code/compiler/codegen_generator.h"
#include "code/errors.h"

namespace codegen {

bool Generator::run()
{
	if (m_tree.kind == TREE_PROGRAM) {
		for (const NodePtr &s : m_tree.root->children)
			statement(*s);
	} else {
		line(*m_tree.root);
		conv(expression(*m_tree.root), TYPE_VARIABLE);
		m_w.word(RET, TYPE_VARIABLE);
	}
	if (!m_ok)
		return false;
	if (m_w.offset() >= (1u << 23) * 4 || !m_w.finish())
		return fail(*m_tree.root, "Code is too long.");
	m_out.bytes = std::move(m_w.bytes());
	return true;
}

bool Generator::fail(const Node &n, const char *message)
{
	if (m_ok)
		code_error(m_tree.kind == TREE_PROGRAM ? CODE_ERROR_STATEMENTS : CODE_ERROR_EXPRESSION, m_tree.source,
		           n.position, message);
	m_ok = false;
	return false;
}

void Generator::line(const Node &n)
{
	auto &t = m_out.line_table;
	uint32_t at = m_w.offset();
	if (!t.empty() && t.back().offset == at)
		t.back().position = (uint32_t)n.position;
	else
		t.push_back({at, (uint32_t)n.position});
}

} // namespace codegen

bool generate_code(const CodeTree &tree, GeneratedCode &out)
{
	out = GeneratedCode();
	if (!tree.compiled || !tree.root || tree.kind == TREE_CONSTANT)
		return true;
	return codegen::Generator(tree, out).run();
}
