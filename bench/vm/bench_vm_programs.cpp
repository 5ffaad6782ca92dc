// bench_vm_programs.cpp: programs in the game language (bench/vm/programs),
// compiled by our compiler and run on the bytecode machine, each beside the
// same algorithm in Lua 5.4; the sides run alternately and their fastest rounds
// are compared (a busy host only ever slows a round down).
// "--tiny" runs each once at a small size; a program name runs only that one;
// "--list NAME" prints its listing, "--ours NAME N" runs our side alone once.
#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "code/arguments.h"
#include "code/compiler/code_compile.h"
#include "code/errors.h"
#include "code/function_table.h"
#include "code/vm/code.h"
#include "code/vm/disassemble.h"
#include "code/vm/machine.h"
#include "world/instance.h"

namespace {

struct Script
{
	std::string name;
	std::string source;
	std::unique_ptr<CCode> code;
};

std::vector<Script> g_scripts; // the scripts of the program being measured

int32_t find_script(std::string_view name)
{
	for (size_t i = 0; i < g_scripts.size(); i++)
		if (g_scripts[i].name == name)
			return (int32_t)i;
	return -1;
}

const char *script_name(int32_t index)
{
	return index >= 0 && (size_t)index < g_scripts.size() ? g_scripts[(size_t)index].name.c_str() : nullptr;
}

CCode *script_code(int32_t index)
{
	return index >= 0 && (size_t)index < g_scripts.size() ? g_scripts[(size_t)index].code.get() : nullptr;
}

bool run_script(int32_t index, CInstance *self, CInstance *other, Value &result)
{
	CCode *code = script_code(index);
	return code && code_execute_script(self, other, *code, result);
}

// Splits a program into its "#define name" sections; "main" is the one run.
bool load_program(const std::string &path)
{
	std::ifstream in(path);
	if (!in)
		return false;
	g_scripts.clear();
	std::string line;
	while (std::getline(in, line)) {
		if (line.rfind("#define ", 0) == 0) {
			g_scripts.push_back({line.substr(8), "", nullptr});
			continue;
		}
		if (!g_scripts.empty())
			g_scripts.back().source += line + "\n";
	}
	for (Script &s : g_scripts) {
		s.code = std::make_unique<CCode>();
		if (!compile_code(*s.code, s.source, s.name, COMPILE_PROGRAM)) {
			fprintf(stderr, "%s: %s\n", path.c_str(), code_error_message().c_str());
			return false;
		}
	}
	return find_script("main") >= 0;
}

// Processor time of this process, the clock Lua's os.clock reads: on a busy
// machine wall time would charge other programs' work to our side only.
double cpu_seconds()
{
	timespec t{};
	clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
	return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

double run_ours(int64_t n, double &result)
{
	CInstance self(100001, 0);
	ScriptArguments &args = script_arguments();
	args.values[0] = Value((double)n);
	args.count = 1;
	Value r;
	double t0 = cpu_seconds();
	execute_code(&self, &self, *script_code(find_script("main")), r);
	double t1 = cpu_seconds();
	result = r.real();
	return t1 - t0;
}

// Runs the Lua side, which prints its own time (os.clock around the work)
// and its result.
double run_lua(const std::string &path, int64_t n, double &result)
{
	std::string command = "lua5.4 '" + path + "' " + std::to_string(n);
	FILE *p = popen(command.c_str(), "r");
	if (!p)
		return -1;
	double seconds = -1;
	result = 0;
	if (fscanf(p, "%lf %lf", &seconds, &result) != 2)
		seconds = -1;
	pclose(p);
	return seconds;
}

double fastest(const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); }

struct Bench
{
	const char *name;
	int64_t n, tiny_n;
};

// Prints the listing of each script of a program and the handlers the
// machine runs, for profiling.
int list_program(const char *name)
{
	if (!load_program(std::string(BENCH_VM_DIR) + "/" + name + ".gml"))
		return 1;
	for (Script &s : g_scripts) {
		printf("script %s:\n%s", s.name.c_str(), disassemble(s.code->buffer.words, s.code->buffer.length, {}).c_str());
		printf("handlers:");
		for (const Instr &in : s.code->program().code)
			printf(" %u", in.handler);
		printf("\n");
	}
	return 0;
}

// Runs our side of one program once at size n, for profiling.
int run_ours_alone(const char *name, int64_t n)
{
	if (!load_program(std::string(BENCH_VM_DIR) + "/" + name + ".gml"))
		return 1;
	double result = 0;
	double seconds = run_ours(n, result);
	printf("bench vm/%s: ours %.4f s; result %.17g\n", name, seconds, result);
	return 0;
}

} // namespace

int main(int argc, char **argv)
{
	bool tiny = argc > 1 && strcmp(argv[1], "--tiny") == 0;
	const char *only = argc > 1 && !tiny ? argv[1] : nullptr;
	const std::string dir = BENCH_VM_DIR;
	register_builtin_families();
	ScriptHooks hooks;
	hooks.find = find_script;
	hooks.name = script_name;
	hooks.run = run_script;
	set_script_hooks(hooks);
	VMHooks vm;
	vm.script_code = script_code;
	vm.script_name = script_name;
	set_vm_hooks(vm);
	if (argc > 2 && strcmp(argv[1], "--list") == 0)
		return list_program(argv[2]);
	if (argc > 3 && strcmp(argv[1], "--ours") == 0)
		return run_ours_alone(argv[2], atoll(argv[3]));

	const Bench benches[] = {
		{"fib", 27, 10},
		{"instance_loop", 3000000, 100},
		{"local_loop", 3000000, 100},
		{"string_build", 20000, 50},
		{"array_sum", 30000, 100},
		{"script_calls", 1000000, 100},
	};
	const int rounds = tiny ? 1 : 7;
	int failures = 0;
	for (const Bench &b : benches) {
		if (only && strcmp(only, b.name) != 0)
			continue;
		int64_t n = tiny ? b.tiny_n : b.n;
		if (!load_program(dir + "/" + b.name + ".gml")) {
			fprintf(stderr, "bench vm/%s: the program does not compile\n", b.name);
			failures++;
			continue;
		}
		std::vector<double> ours, lua;
		double our_result = 0, lua_result = 0;
		for (int r = 0; r < rounds; r++) { // alternately, as the machines drift
			ours.push_back(run_ours(n, our_result));
			lua.push_back(run_lua(dir + "/" + b.name + ".lua", n, lua_result));
		}
		double o = fastest(ours), l = fastest(lua);
		if (l < 0 || std::fabs(our_result - lua_result) > 1e-6 * std::max(1.0, std::fabs(lua_result))) {
			fprintf(stderr, "bench vm/%s: results differ (ours %.17g, lua %.17g)\n", b.name, our_result, lua_result);
			failures++;
		}
		printf("bench vm/%s: ours %.4f s; lua %.4f s; ratio %.2f\n", b.name, o, l, l > 0 ? o / l : 0.0);
		fflush(stdout);
	}
	return failures ? 1 : 0;
}
