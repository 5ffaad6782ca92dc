// errors.h: run-time errors of game code and built-in functions: the error
// state game code reads, the context of the running event, showing an error and
// the code error messages of compiled and running code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Reports an error of game code or of a built-in function: the message gets the
// context of the running event, becomes the last error and is written to the
// debug console; when fatal (or when the game aborts on all errors) the game ends.
void report_error(std::string_view message, bool fatal = false);

// Shows an error text as it stands (no event context): load errors and the
// reports above. When the game is already aborting nothing happens. The error
// form becomes text on standard error (when the game displays error messages);
// its answer is "Ignore" unless abort is set or the game aborts on all errors.
void show_error(std::string_view text, bool abort);

// A load error that cannot be continued from (a name of the VARI or FUNC chunk
// that cannot be bound): shows the text with the abort flag and throws
// LoadAbort, which the chunk walks turn into a failed load, so that start-up
// cleans up and the process exits with code 1. Call it only inside a walk.
[[noreturn]] void fatal_load_error(std::string_view text);

struct LoadAbort
{
};

// The context text of a report: "FATAL " when fatal, then the timeline moment or
// the object event that is running, then the message.
std::string error_context_text(std::string_view message, bool fatal);

// The text the error form shows: a blank line, 43 underscores, then the text
// with each line break (CR, LF, CR LF or LF CR) as "\r\n" and each tab as seven
// spaces.
std::string error_form_text(std::string_view text);

// ---- Error state: what error_last and error_occurred read ----
const std::string &error_last();
void set_error_last(std::string_view text);
bool error_occurred();
void set_error_occurred(bool occurred);
// Set once an error has ended the game; later reports are ignored.
bool error_aborting();

// ---- Game options that steer reporting (from the options chunk) ----
void set_display_errors(bool display);
bool display_errors();
void set_abort_on_all_errors(bool abort);
bool abort_on_all_errors();
// While the debugger evaluates a watch expression errors are not written to
// the console.
void set_evaluating_watch(bool evaluating);
bool evaluating_watch();

// ---- The end of the game that an aborting error requests ----
// True once an error has asked the game to end; the game loop reads it between
// frames. A game restart clears it with clear_error_state.
bool error_end_requested();
// Empties the whole error state (last error, flags, code error), for a new game
// and for tests. The options and hooks are kept.
void clear_error_state();

// ---- The event that is running, set by the event dispatch and the timeline
// runner ----
constexpr int32_t TIMELINE_CONTEXT = 100000; // object index that marks a timeline

struct EventContext
{
	int32_t object_index = -1; // the object whose event runs, or TIMELINE_CONTEXT
	int32_t event_type = 0;    // the event type, or for a timeline its index
	int32_t event_number = 0;  // the event number, or for a timeline the time step
	int32_t action = 0;        // the action within the event, 0-based
};

EventContext &current_event_context();

// Names the context text needs from modules built later (objects, events,
// timelines) and the window-level side effects of showing an error. Each hook
// that is not set falls back to the default named beside it.
struct ErrorHooks
{
	// Called with -1 when no event runs.
	std::string (*object_name)(int32_t object_index) = nullptr;   // "<undefined>"
	std::string (*event_name)(int32_t type, int32_t number) = nullptr; // "<Unknown Event>"
	std::string (*timeline_name)(int32_t timeline_index) = nullptr; // "<undefined>"
	void (*before_show)() = nullptr;  // leave full-screen display, refresh the debugger
	void (*clear_input)() = nullptr;  // clear the keyboard and mouse state
	void (*end_game)() = nullptr;     // the game loop's end-of-game request
};

void set_error_hooks(const ErrorHooks &hooks);
const ErrorHooks &error_hooks();

// ---- Code error messages of compiled code and of running code ----
enum CodeErrorKind
{
	CODE_ERROR_STATEMENTS, // "Error in code at line ..."
	CODE_ERROR_EXPRESSION, // "Error in expression: ..."
};

// Formats the message of an error at a byte position of the source.
std::string code_error_text(CodeErrorKind kind, std::string_view source, int64_t position, std::string_view message);
// Records the first error of a compilation or run: when the code error flag is
// already set nothing happens; otherwise the flag is set and the message becomes
// code_error_text of the arguments.
void code_error(CodeErrorKind kind, std::string_view source, int64_t position, std::string_view message);

const std::string &code_error_message();
void set_code_error_message(std::string_view text);
bool code_error_flag();
// Cleared when the execution of a piece of code starts.
void clear_code_error_flag();
