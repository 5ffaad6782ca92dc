// bench_ds.cpp: ds_list and ds_map built-ins, called as game code calls them,
// beside Lua 5.4 tables doing the same work. Ours and Lua run alternately and
// the medians are printed. Options: --tiny (a size that only checks it runs),
// --size N, --reps R, --lua PROGRAM.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "code/function_table.h"
#include "code/value.h"
#include "ds/ds_store.h"

namespace {

const char *const NAMES[] = {"list_add",  "list_find_value", "list_replace", "list_delete_last", "map_add",
                             "map_find_value", "map_exists", "map_replace", "map_delete"};

using Times = std::map<std::string, double>;

// A built-in resolved once, called as the machine calls it.
struct Builtin
{
	BuiltinRoutine routine;
	explicit Builtin(const char *name)
	{
		const BuiltinEntry *e = function_entry(builtin_function_id(name));
		if (!e) {
			fprintf(stderr, "bench_ds: no built-in %s\n", name);
			exit(1);
		}
		routine = e->routine;
	}
	Value operator()(int argc, const Value *args) const
	{
		Value result;
		routine(result, nullptr, nullptr, argc, args);
		return result;
	}
};

// Processor time of this process, as Lua's os.clock measures its side: on a
// busy machine wall time would count the time other processes ran.
double cpu_ms()
{
	timespec t;
	clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
	return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

template <typename F> double time_ms(F &&f)
{
	double start = cpu_ms();
	f();
	return cpu_ms() - start;
}

void must(bool ok, const char *what)
{
	if (!ok) {
		fprintf(stderr, "bench_ds: wrong result in %s\n", what);
		exit(1);
	}
}

Times run_lists(int n)
{
	Times t;
	Builtin create("ds_list_create"), add("ds_list_add"), find("ds_list_find_value"), replace("ds_list_replace"),
		del("ds_list_delete"), size("ds_list_size");
	Value args[3];
	args[0] = create(0, nullptr);
	t["list_add"] = time_ms([&] {
		for (int i = 0; i < n; i++) {
			args[1] = i;
			add(2, args);
		}
	});
	double sum = 0;
	t["list_find_value"] = time_ms([&] {
		for (int i = 0; i < n; i++) {
			args[1] = i;
			sum += find(2, args).real();
		}
	});
	must(sum == (double)n * (n - 1) / 2, "list_find_value");
	t["list_replace"] = time_ms([&] {
		for (int i = 0; i < n; i++) {
			args[1] = i;
			args[2] = i * 2.0;
			replace(3, args);
		}
	});
	t["list_delete_last"] = time_ms([&] {
		for (int i = 0; i < n; i++) {
			args[1] = n - 1 - i;
			del(2, args);
		}
	});
	must(size(1, args).real() == 0, "list_delete_last");
	return t;
}

Times run_maps(int n)
{
	Times t;
	Builtin create("ds_map_create"), add("ds_map_add"), find("ds_map_find_value"), exists("ds_map_exists"),
		replace("ds_map_replace"), del("ds_map_delete"), size("ds_map_size");
	std::vector<Value> keys;
	keys.reserve((size_t)n);
	for (int i = 1; i <= n; i++)
		keys.emplace_back("k" + std::to_string(i));
	Value args[3];
	args[0] = create(0, nullptr);
	// The key moves into the argument slot and back: the caller owns it.
	auto each = [&](auto &&body) {
		for (int i = 0; i < n; i++) {
			args[1] = std::move(keys[(size_t)i]);
			body(i);
			keys[(size_t)i] = std::move(args[1]);
		}
	};
	double added = 0, sum = 0, found = 0;
	t["map_add"] = time_ms([&] { each([&](int i) { args[2] = i + 1; added += add(3, args).real(); }); });
	must(added == n, "map_add");
	t["map_find_value"] = time_ms([&] { each([&](int) { sum += find(2, args).real(); }); });
	must(sum == (double)n * (n + 1) / 2, "map_find_value");
	t["map_exists"] = time_ms([&] { each([&](int) { found += exists(2, args).real(); }); });
	must(found == n, "map_exists");
	t["map_replace"] = time_ms([&] { each([&](int i) { args[2] = (i + 1) * 2.0; replace(3, args); }); });
	t["map_delete"] = time_ms([&] { each([&](int) { del(2, args); }); });
	must(size(1, args).real() == 0, "map_delete");
	return t;
}

Times run_ours(int n)
{
	ds_reset();
	Times t = run_lists(n);
	Times m = run_maps(n);
	t.insert(m.begin(), m.end());
	ds_reset();
	return t;
}

Times run_lua(const std::string &lua, int n)
{
	std::string command = lua + " '" BENCH_DS_LUA_SCRIPT "' " + std::to_string(n);
	FILE *p = popen(command.c_str(), "r");
	if (!p) {
		fprintf(stderr, "bench_ds: cannot run %s\n", command.c_str());
		exit(1);
	}
	Times t;
	char name[64];
	double ms;
	while (fscanf(p, "%63s %lf", name, &ms) == 2)
		t[name] = ms;
	if (pclose(p) != 0 || t.size() != std::size(NAMES)) {
		fprintf(stderr, "bench_ds: %s failed (is lua5.4 installed? scripts/install-deps)\n", command.c_str());
		exit(1);
	}
	return t;
}

double median(std::vector<double> v)
{
	std::sort(v.begin(), v.end());
	size_t m = v.size() / 2;
	return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
	int n = 1000000, reps = 5;
	std::string lua = "lua5.4";
	for (int i = 1; i < argc; i++) {
		if (!strcmp(argv[i], "--tiny")) {
			n = 1000;
			reps = 1;
		} else if (!strcmp(argv[i], "--size") && i + 1 < argc) {
			n = atoi(argv[++i]);
		} else if (!strcmp(argv[i], "--reps") && i + 1 < argc) {
			reps = atoi(argv[++i]);
		} else if (!strcmp(argv[i], "--lua") && i + 1 < argc) {
			lua = argv[++i];
		} else {
			fprintf(stderr, "usage: bench_ds [--tiny] [--size N] [--reps R] [--lua PROGRAM]\n");
			return 2;
		}
	}
	if (n < 1 || reps < 1) {
		fprintf(stderr, "bench_ds: size and reps must be positive\n");
		return 2;
	}
	register_builtin_families();
	std::map<std::string, std::vector<double>> ours, theirs;
	// A B A B: both sides see the same drift of the machine's speed.
	for (int r = 0; r < reps; r++) {
		for (const auto &[name, ms] : run_ours(n))
			ours[name].push_back(ms);
		for (const auto &[name, ms] : run_lua(lua, n))
			theirs[name].push_back(ms);
	}
	for (const char *name : NAMES) {
		double a = median(ours[name]), b = median(theirs[name]);
		printf("bench ds/%s: ours %.2f ms; lua %.2f ms; ratio %.3f\n", name, a, b, b > 0 ? a / b : 0.0);
	}
	return 0;
}
