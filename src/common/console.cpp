// console.cpp: the debug console writing to standard output.
#include "common/console.h"

#include <cstdio>
#include <vector>

void TConsole::Output(const char *fmt, ...)
{
	va_list args;
	va_start(args, fmt);
	OutputV(fmt, args);
	va_end(args);
}

void TConsole::OutputV(const char *fmt, va_list args)
{
	// Formats into a 4096-byte buffer first; longer texts get a buffer of their own
	// instead of being cut.
	char buffer[4096];
	va_list copy;
	va_copy(copy, args);
	int n = vsnprintf(buffer, sizeof buffer, fmt, copy);
	va_end(copy);
	if (n < 0)
		return;
	if ((size_t)n < sizeof buffer) {
		Write(buffer, (size_t)n);
		if (m_listener)
			m_listener(std::string(buffer, (size_t)n));
		return;
	}
	std::vector<char> big((size_t)n + 1);
	vsnprintf(big.data(), big.size(), fmt, args);
	Write(big.data(), (size_t)n);
	if (m_listener)
		m_listener(std::string(big.data(), (size_t)n));
}

void TConsole::Write(const char *text, size_t length)
{
	fwrite(text, 1, length, stdout);
}

void TErrStreamConsole::Write(const char *text, size_t length)
{
	fwrite(text, 1, length, stdout);
	fflush(stdout);
}

TConsole &dbg_console()
{
	static TConsole console;
	return console;
}

TErrStreamConsole &err_console()
{
	static TErrStreamConsole console;
	return console;
}

void show_message(const std::string &text)
{
	fflush(stdout);
	fprintf(stderr, "%s\n", text.c_str());
	fflush(stderr);
	err_console().Output("%s\n", text.c_str());
}
