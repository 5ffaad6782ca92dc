// fuzz_compiler.cpp: the compiler over any source text, as a program and as
// an expression, with the dump and the bytecode of what compiles. Bad code
// must end in a code error, never a crash, a hang or a native stack overflow.
#include <cstdint>
#include <string_view>

#include "code/compiler/codegen.h"
#include "code/compiler/compiler.h"
#include "code/function_table.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
	register_builtin_families();
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	std::string_view source((const char *)data, size);
	for (CompileMode mode : {COMPILE_PROGRAM, COMPILE_EXPRESSION}) {
		CodeTree tree;
		if (compile_tree(tree, source, "Fuzz", mode)) {
			(void)dump_tree(tree);
			GeneratedCode code;
			(void)generate_code(tree, code);
		}
	}
	return 0;
}
