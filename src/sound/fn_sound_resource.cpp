// fn_sound_resource.cpp: the sound resource queries of game code: whether a
// sound exists, its name, kind and preload flag, from the records of the
// sound chunk. Playing sounds is not here.
#include "code/builtin_args.h"
#include "code/families.h"
#include "code/function_table.h"
#include "run/rooms.h"

namespace {

const SoundRecord *arg_sound(int argc, const Value *args, int i)
{
	GameData *game = running_game();
	int64_t index = arg_index(argc, args, i);
	if (!game || index < 0 || (uint64_t)index >= game->sounds.size())
		return nullptr;
	return game->sounds[(size_t)index].get();
}

void fn_sound_exists(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(arg_sound(argc, args, 0) ? 1 : 0);
}

void fn_sound_get_name(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	const SoundRecord *s = arg_sound(argc, args, 0);
	result.set_string(s ? std::string_view(s->name) : std::string_view("<undefined>"));
}

// 0 normal, 1 background music, 2 3D, 3 multimedia; -1 for a missing sound.
void fn_sound_get_kind(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	const SoundRecord *s = arg_sound(argc, args, 0);
	result.set_real(s ? s->kind : -1);
}

void fn_sound_get_preload(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	const SoundRecord *s = arg_sound(argc, args, 0);
	result.set_real(s && s->preload ? 1 : 0);
}

const BuiltinEntry sound_resource_functions[] = {
	{"sound_exists", fn_sound_exists, 1},
	{"sound_get_name", fn_sound_get_name, 1},
	{"sound_get_kind", fn_sound_get_kind, 1},
	{"sound_get_preload", fn_sound_get_preload, 1},
};

} // namespace

void register_sound_resource_functions()
{
	register_functions(sound_resource_functions);
}
