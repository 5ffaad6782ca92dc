// bench_vm.cpp: speed of the bytecode machine against Lua 5.4 on the same small
// programs: a loop over local variables and recursive script calls. Ours and
// the peer run alternately and the medians are printed as
// "bench vm/<name>: ours <ms> ms; lua <ms> ms; ratio <ours/lua>".
// "--tiny" runs each program once at a small size (to check that it runs).
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "code/function_table.h"
#include "code/value.h"
#include "code/variable_names.h"
#include "code/vm/assembler.h"
#include "code/vm/code.h"
#include "code/vm/machine.h"

namespace {

std::shared_ptr<CCode> g_fib;

AssemblerNames names()
{
	AssemblerNames n;
	n.variable_id = [](const std::string &name) { return variable_id(name); };
	n.function_id = [](const std::string &name) { return name == "fib" ? SCRIPT_ID_BASE : builtin_function_id(name); };
	return n;
}

std::shared_ptr<CCode> build(const std::string &name, const std::string &text)
{
	std::string error;
	auto code = assemble_code(name, text, names(), &error);
	if (!code) {
		fprintf(stderr, "bench_vm: %s: %s\n", name.c_str(), error.c_str());
		exit(1);
	}
	return code;
}

std::string loop_code(long n)
{
	return "push.d 0\npop.v.d local.sum\npush.d 0\npop.v.d local.i\n"
	       "top:\npush.v local.i\npush.d " + std::to_string(n) + "\nslt.d.v\nbf done\n"
	       "push.v local.sum\npush.v local.i\npush.d 2\nmul.d.v\nadd.v.v\npop.v.v local.sum\n"
	       "push.v local.i\npush.d 1\nadd.d.v\npop.v.v local.i\nb top\n"
	       "done:\npush.v local.sum\n";
}

const char *fib_code = "push.v self.argument0\npush.d 2\nslt.d.v\nbf rec\npush.v self.argument0\nret.v\n"
                       "rec:\npush.v self.argument0\npush.d 1\nsub.d.v\ncall.i fib 1\n"
                       "push.v self.argument0\npush.d 2\nsub.d.v\ncall.i fib 1\nadd.v.v\nret.v\n";

// Processor time, the clock of Lua's os.clock (wall time would charge other
// programs' work on a busy machine to our side only).
double now_ms()
{
	timespec t{};
	clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
	return (double)t.tv_sec * 1e3 + (double)t.tv_nsec * 1e-6;
}

// Runs a piece and returns the milliseconds it took; the result must be `expect`.
double run_ours(CCode &code, double expect)
{
	Value result;
	double start = now_ms();
	bool ok = vm_run(code, nullptr, nullptr, &result);
	double ms = now_ms() - start;
	if (!ok || result.real() != expect) {
		fprintf(stderr, "bench_vm: %s gave %g, expected %g\n", code.name.c_str(), result.real(), expect);
		exit(1);
	}
	return ms;
}

// Runs a Lua program that prints its own elapsed milliseconds; -1 without Lua.
double run_lua(const std::string &body)
{
	std::string program = "local t0 = os.clock() " + body + " io.write(string.format('%.3f', (os.clock() - t0) * 1000))";
	std::string command = "lua5.4 -e \"" + program + "\" 2>/dev/null";
	FILE *pipe = popen(command.c_str(), "r");
	if (!pipe)
		return -1;
	char buffer[64] = {};
	size_t got = fread(buffer, 1, sizeof buffer - 1, pipe);
	int status = pclose(pipe);
	if (status != 0 || got == 0)
		return -1;
	return atof(buffer);
}

double median(std::vector<double> v)
{
	std::sort(v.begin(), v.end());
	return v[v.size() / 2];
}

void report(const char *name, const std::vector<double> &ours, const std::vector<double> &lua)
{
	double a = median(ours);
	if (lua.empty() || lua[0] < 0) {
		printf("bench vm/%s: ours %.2f ms; lua n/a ms; ratio n/a\n", name, a);
		return;
	}
	double b = median(lua);
	printf("bench vm/%s: ours %.2f ms; lua %.2f ms; ratio %.2f\n", name, a, b, b > 0 ? a / b : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
	bool tiny = argc > 1 && strcmp(argv[1], "--tiny") == 0;
	long loop_n = tiny ? 1000 : 3000000;
	int fib_n = tiny ? 10 : 27;
	int rounds = tiny ? 1 : 5;
	register_builtin_families();

	VMHooks hooks;
	hooks.script_code = [](int32_t index) { return index == 0 ? g_fib.get() : nullptr; };
	hooks.script_name = [](int32_t index) -> const char * { return index == 0 ? "fib" : nullptr; };
	set_vm_hooks(hooks);

	auto loop = build("loop", loop_code(loop_n));
	g_fib = build("fib", fib_code);
	auto fib_call = build("fib_call", "push.d " + std::to_string(fib_n) + "\nconv.d.v\ncall.i fib 1\n");
	double loop_expect = (double)loop_n * (double)(loop_n - 1);
	double fib_expect = 0, a = 0, b = 1;
	for (int i = 0; i < fib_n; i++) {
		fib_expect = a + b;
		a = b;
		b = fib_expect;
	}
	fib_expect = a;

	std::string lua_loop = "local sum = 0 local i = 0 while i < " + std::to_string(loop_n) +
	                       " do sum = sum + i * 2 i = i + 1 end";
	std::string lua_fib = "local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end "
	                      "local r = fib(" + std::to_string(fib_n) + ")";

	std::vector<double> ours_loop, lua_loop_ms, ours_fib, lua_fib_ms;
	for (int r = 0; r < rounds; r++) {
		ours_loop.push_back(run_ours(*loop, loop_expect));
		if (!tiny)
			lua_loop_ms.push_back(run_lua(lua_loop));
		ours_fib.push_back(run_ours(*fib_call, fib_expect));
		if (!tiny)
			lua_fib_ms.push_back(run_lua(lua_fib));
	}
	report("loop_locals", ours_loop, lua_loop_ms);
	report("fib_scripts", ours_fib, lua_fib_ms);
	return 0;
}
