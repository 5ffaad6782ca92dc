// fn_random.cpp: the random-number built-ins of game code: random, irandom and
// their ranges, the seed, and choose.
#include <cmath>

#include "code/builtin_args.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/random.h"
#include "code/value.h"

namespace {

// A seed given as a real: truncated, then its low 32 bits, so that every value
// random_get_seed reports sets the same seed again. NaN and infinities give 0.
uint32_t seed_from_real(double s)
{
	if (!std::isfinite(s))
		return 0;
	double low = std::fmod(std::trunc(s), 4294967296.0);
	if (low < 0)
		low += 4294967296.0;
	return (uint32_t)low;
}

void fn_random(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(random_real(arg_real(argc, args, 0)));
}

void fn_random_range(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(random_real_range(arg_real(argc, args, 0), arg_real(argc, args, 1)));
}

void fn_irandom(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(random_integer(arg_real(argc, args, 0)));
}

void fn_irandom_range(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(random_integer_range(arg_real(argc, args, 0), arg_real(argc, args, 1)));
}

void fn_random_set_seed(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	random_set_seed(seed_from_real(arg_real(argc, args, 0)));
}

void fn_random_get_seed(Value &result, CInstance *, CInstance *, int, const Value *)
{
	result.set_real(random_get_seed());
}

void fn_randomize(Value &result, CInstance *, CInstance *, int, const Value *)
{
	result.set_real(randomize());
}

void fn_choose(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	if (argc <= 0)
		return;
	int i = random_index_below(argc);
	result = args[i < argc ? i : argc - 1];
}

const BuiltinEntry random_functions[] = {
	{ "random", fn_random, 1 },
	{ "random_range", fn_random_range, 2 },
	{ "irandom", fn_irandom, 1 },
	{ "irandom_range", fn_irandom_range, 2 },
	{ "random_set_seed", fn_random_set_seed, 1 },
	{ "random_get_seed", fn_random_get_seed, 0 },
	{ "randomize", fn_randomize, 0 },
	{ "choose", fn_choose, -1 },
};

} // namespace

void register_random_functions() { register_functions(random_functions); }
