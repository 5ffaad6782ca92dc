// prepare.cpp: the preparation sequence (included files, extensions, constants,
// scripts, timelines, objects, rooms, sounds, graphics).
#include "data/prepare.h"

#include "code/compiler/tree_exec.h"
#include "code/constants.h"
#include "common/console.h"
#include "data/prepare_code.h"
#include "data/resource_names.h"

namespace {

// Resource names become constants holding their indices, for code compiled
// from text; then the game's constants, whose values are compiled and run.
bool prepare_constants(GameData &game)
{
	set_constant_evaluator(evaluate_constant_text);
	return prepare_user_constants(game, resource_names(game));
}

// The included-file chunk builds no records, so there is nothing to extract.
bool prepare_included_files(GameData &) { return true; }
bool prepare_scripts(GameData &game) { return prepare_script_code(game); }
bool prepare_timelines(GameData &game) { return prepare_timeline_code(game); }
bool prepare_objects(GameData &game) { return prepare_object_code(game); }
bool prepare_rooms(GameData &game) { return prepare_room_code(game); }

// Steps whose modules are not built yet succeed without work; each module puts
// its own step here as it is built.
bool prepare_extensions(GameData &) { return true; }
bool prepare_sounds(GameData &) { return true; }
bool prepare_graphics(GameData &) { return true; }

struct Step
{
	const char *line;
	int percent;
	const char *caption;
	const char *failure;
	bool (*run)(GameData &);
	bool line_after_progress;
};

const Step steps[] = {
	{"DataFile_Prepare() \n", 50, "Extracting included files", "Failed to extract the included files.",
	 prepare_included_files, false},
	{"Extension_Prepare() \n", 54, "Preparing extension packages", "Failed to prepare extension packages.",
	 prepare_extensions, false},
	{"Code_Constant_Prepare() \n", 56, "Preparing constants", "Failed to define the constants.",
	 prepare_constants, false},
	{"Script_Prepare() \n", 58, "Compiling scripts", "Failed to compile the scripts.", prepare_scripts, false},
	{"TimeLine_Prepare() \n", 70, "Compiling time line actions", "Failed to compile the actions in the time lines.",
	 prepare_timelines, false},
	{"Object_Prepare() \n", 72, "Compiling object actions", "Failed to compile the actions in the objects.",
	 prepare_objects, false},
	{"Room_Prepare() \n", 76, "Compiling object actions", "Failed to compile the actions in the objects.",
	 prepare_rooms, false},
	{"Sound_Prepare() \n", 80, "Preparing sounds", "Failed to prepare the sounds.", prepare_sounds, true},
	{"InitGraphics() \n", 90, "Preparing graphics", nullptr, prepare_graphics, false},
};

} // namespace

bool prepare_game(GameData &game, LoadProgress &progress)
{
	for (const Step &step : steps) {
		if (!step.line_after_progress)
			dbg_console().Output("%s", step.line);
		progress.percent = step.percent;
		progress.caption = step.caption;
		if (step.line_after_progress)
			dbg_console().Output("%s", step.line);
		if (!step.run(game)) {
			show_message(step.failure ? step.failure : "Failed to prepare the game.");
			return false;
		}
	}
	progress.percent = 100;
	progress.caption = "Ready";
	dbg_console().Output("Finished PrepareGame() \n");
	return true;
}
