// code_ref.cpp: running the code of a resource on the bytecode machine, or on
// the tree executor when it was compiled without bytecode.
#include "code/code_ref.h"

#include "code/compiler/code_compile.h"
#include "code/errors.h"
#include "code/value.h"
#include "code/vm/code.h"
#include "code/vm/machine.h"

namespace {
CodeRunner g_runner = nullptr;
}

void set_code_runner(CodeRunner runner)
{
	g_runner = runner;
}

bool run_code(CodeRef &code, CInstance *self, CInstance *other, Value *result)
{
	if (g_runner)
		return g_runner(code, self, other, result);
	if (!code.code)
		return true;
	CCode &piece = *code.code;
	if (piece.has_bytecode() || !piece.tree)
		return code_execute(self, other, piece, result);
	// Compiled for the tree executor (-oldexec): it leaves its errors to the
	// caller, which reports them in the running event's context.
	Value scratch;
	if (execute_code(self, other, piece, result ? *result : scratch))
		return true;
	report_error(code_error_message());
	return false;
}
