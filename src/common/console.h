// console.h: the process-wide debug console.
// Progress and diagnostics go through TConsole::Output; the texts are fixed lines
// that tests and users read on standard output.
#pragma once

#include <cstdarg>
#include <functional>
#include <string>

// The console interface: a formatted-output operation.
struct tagIConsole
{
	virtual ~tagIConsole() = default;
	virtual void Output(const char *fmt, ...) __attribute__((format(printf, 2, 3))) = 0;
};

// Writes to standard output and, when a listener is set (the debugger's message
// list), hands it each formatted text too.
class TConsole : public tagIConsole
{
public:
	void Output(const char *fmt, ...) override __attribute__((format(printf, 2, 3)));
	void OutputV(const char *fmt, va_list args);

	// The debugger's message list, when it exists.
	void SetListener(std::function<void(const std::string &)> listener) { m_listener = std::move(listener); }

protected:
	virtual void Write(const char *text, size_t length);

private:
	std::function<void(const std::string &)> m_listener;
};

// The console for errors: the same output, flushed at once so that an error is
// never lost when the process ends right after it.
class TErrStreamConsole : public TConsole
{
protected:
	void Write(const char *text, size_t length) override;
};

TConsole &dbg_console();
TErrStreamConsole &err_console();

// A message the user must see (the original's message boxes): standard error and
// the debug console. Never blocks.
void show_message(const std::string &text);
