// code_ref.cpp: running the code of a resource on the bytecode machine.
#include "code/code_ref.h"

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
	return code.code ? code_execute(self, other, *code.code, result) : true;
}
