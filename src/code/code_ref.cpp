// code_ref.cpp: the runner of resource code, installed by the bytecode machine.
#include "code/code_ref.h"

namespace {
CodeRunner g_runner = nullptr;
}

void set_code_runner(CodeRunner runner)
{
	g_runner = runner;
}

bool run_code(CodeRef &code, CInstance *self, CInstance *other, Value *result)
{
	return g_runner ? g_runner(code, self, other, result) : true;
}
