// events.cpp: performing events with the current event context, and the hooks
// that let error reports and the lives and health rows reach events.
#include "world/events.h"

#include "code/builtin_variables.h"
#include "code/errors.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/world.h"

namespace {

bool g_room_change_pending = false;

std::string object_name_hook(int32_t index) { return object_table().name(index); }

void perform_other_for_all(int32_t number) { perform_event_for_all(EV_OTHER, number); }

} // namespace

void set_room_change_pending(bool pending) { g_room_change_pending = pending; }
bool room_change_pending() { return g_room_change_pending; }

void perform_event(CInstance *self, CInstance *other, int32_t object_index, int32_t type, int32_t number)
{
	if (g_room_change_pending)
		return;
	FoundEvent found = object_table().find_event(object_index, type, number);
	if (!found.event)
		return;
	EventContext &context = current_event_context();
	EventContext saved = context;
	context.object_index = found.holder;
	context.event_type = type;
	context.event_number = number;
	context.action = 0;
	bool relative = argument_relative();
	set_argument_relative(false);
	run_code(found.event->code, self, other);
	set_argument_relative(relative);
	context = saved;
}

void perform_own_event(CInstance *instance, CInstance *other, int32_t type, int32_t number)
{
	if (instance)
		perform_event(instance, other, instance->object_index, type, number);
}

void perform_event_for_all(int32_t type, int32_t number)
{
	if (g_room_change_pending || !current_room_instances())
		return;
	for (CInstance *instance : live_active_instances())
		if (!instance->marked && !instance->deactivated)
			perform_own_event(instance, instance, type, number);
}

void perform_inherited(CInstance *self, CInstance *other)
{
	const EventContext &context = current_event_context();
	CObject *holder = object_table().find(context.object_index);
	if (!holder || !object_table().exists(holder->parent_index))
		return;
	perform_event(self, other, holder->parent_index, context.event_type, context.event_number);
}

void install_event_hooks()
{
	ErrorHooks hooks = error_hooks();
	hooks.object_name = object_name_hook;
	hooks.event_name = event_display_name;
	set_error_hooks(hooks);
	set_other_event_performer(perform_other_for_all);
}

void install_world()
{
	static bool installed = false;
	if (installed)
		return;
	installed = true;
	attach_instance_variables();
	attach_sprite_path_rows();
	install_event_hooks();
}
