// errors.cpp: run-time error reporting: the error state, the context text of
// the running event, showing an error, and the code error messages.
#include "code/errors.h"

#include "common/console.h"

namespace {

struct ErrorState
{
	std::string last_error;
	bool occurred = false;
	bool aborting = false;
	bool end_requested = false;
	std::string code_message;
	bool code_failed = false;
	bool display = true;
	bool abort_all = false;
	bool watch = false;
	EventContext context;
	ErrorHooks hooks;
};

ErrorState &state()
{
	static ErrorState s;
	return s;
}

std::string object_name(int32_t index)
{
	const ErrorHooks &h = state().hooks;
	return h.object_name ? h.object_name(index) : std::string("<undefined>");
}

std::string timeline_name(int32_t index)
{
	const ErrorHooks &h = state().hooks;
	return h.timeline_name ? h.timeline_name(index) : std::string("<undefined>");
}

std::string event_name(int32_t type, int32_t number)
{
	const ErrorHooks &h = state().hooks;
	return h.event_name ? h.event_name(type, number) : std::string("<Unknown Event>");
}

} // namespace

std::string error_context_text(std::string_view message, bool fatal)
{
	const EventContext &c = state().context;
	std::string text = fatal ? "FATAL " : "";
	text += "ERROR in\naction number " + std::to_string((int64_t)c.action + 1) + "\n";
	if (c.object_index == TIMELINE_CONTEXT) {
		text += "at time step" + std::to_string(c.event_number) + "\nof time line " + timeline_name(c.event_type);
	} else {
		text += "of " + event_name(c.event_type, c.event_number) + "\nfor object " + object_name(c.object_index);
	}
	text += ":\n\n\n";
	text += message;
	return text;
}

std::string error_form_text(std::string_view text)
{
	std::string out = "\r\n" + std::string(43, '_') + "\r\n";
	for (size_t i = 0; i < text.size(); i++) {
		char c = text[i];
		if (c == '\r' || c == '\n') {
			// A CR LF or LF CR pair is one line break.
			if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n') && text[i + 1] != c)
				i++;
			out += "\r\n";
		} else if (c == '\t') {
			out += "       ";
		} else {
			out += c;
		}
	}
	return out;
}

void show_error(std::string_view text, bool abort)
{
	ErrorState &s = state();
	if (s.aborting)
		return;
	if (s.abort_all)
		abort = true;
	if (s.hooks.before_show)
		s.hooks.before_show();
	// The error form: its text goes to standard error; its answer is "Ignore"
	// unless the error aborts, so a run never waits on it.
	if (s.display)
		show_message(error_form_text(text));
	if (s.hooks.clear_input)
		s.hooks.clear_input();
	s.last_error.assign(text);
	if (!s.watch)
		err_console().Output("ERROR!!! :: %s\n", s.last_error.c_str());
	s.occurred = true;
	if (abort) {
		s.aborting = true;
		s.end_requested = true;
		if (s.hooks.end_game)
			s.hooks.end_game();
	}
}

void report_error(std::string_view message, bool fatal)
{
	show_error(error_context_text(message, fatal), fatal);
}

void fatal_load_error(std::string_view text)
{
	show_error(text, true);
	throw LoadAbort();
}

const std::string &error_last() { return state().last_error; }
void set_error_last(std::string_view text) { state().last_error.assign(text); }
bool error_occurred() { return state().occurred; }
void set_error_occurred(bool occurred) { state().occurred = occurred; }
bool error_aborting() { return state().aborting; }

void set_display_errors(bool display) { state().display = display; }
bool display_errors() { return state().display; }
void set_abort_on_all_errors(bool abort) { state().abort_all = abort; }
bool abort_on_all_errors() { return state().abort_all; }
void set_evaluating_watch(bool evaluating) { state().watch = evaluating; }
bool evaluating_watch() { return state().watch; }

bool error_end_requested() { return state().end_requested; }

void clear_error_state()
{
	ErrorState &s = state();
	s.last_error.clear();
	s.occurred = false;
	s.aborting = false;
	s.end_requested = false;
	s.code_message.clear();
	s.code_failed = false;
	s.context = EventContext();
}

EventContext &current_event_context() { return state().context; }

void set_error_hooks(const ErrorHooks &hooks) { state().hooks = hooks; }
const ErrorHooks &error_hooks() { return state().hooks; }

std::string code_error_text(CodeErrorKind kind, std::string_view source, int64_t position, std::string_view message)
{
	size_t pos = position < 0 ? 0 : (size_t)position > source.size() ? source.size() : (size_t)position;
	int line = 1;
	size_t line_start = 0;
	for (size_t i = 0; i < pos; i++) {
		if (source[i] == '\n') {
			line++;
			line_start = i + 1;
		}
	}
	// Characters since the line's start: UTF-8 continuation bytes and carriage
	// returns do not count.
	int column = 0;
	for (size_t i = line_start; i < pos; i++) {
		unsigned char c = (unsigned char)source[i];
		if (c != '\r' && (c & 0xC0) != 0x80)
			column++;
	}
	std::string text;
	if (kind == CODE_ERROR_STATEMENTS) {
		size_t end = source.find('\n', line_start);
		if (end == std::string_view::npos)
			end = source.size();
		if (end > line_start && source[end - 1] == '\r')
			end--;
		text = "Error in code at line " + std::to_string(line) + ":\n   ";
		text += source.substr(line_start, end - line_start);
		text += "\n\nat position " + std::to_string(column + 1) + ": ";
	} else {
		text = "Error in expression: ";
		text += source;
		text += "\n position " + std::to_string(column + 1) + ": ";
	}
	text += message;
	return text;
}

void code_error(CodeErrorKind kind, std::string_view source, int64_t position, std::string_view message)
{
	ErrorState &s = state();
	if (s.code_failed)
		return;
	s.code_failed = true;
	s.code_message = code_error_text(kind, source, position, message);
}

const std::string &code_error_message() { return state().code_message; }
void set_code_error_message(std::string_view text) { state().code_message.assign(text); }
bool code_error_flag() { return state().code_failed; }
void clear_code_error_flag() { state().code_failed = false; }
