// errors.cpp: run-time error reporting.
#include "code/errors.h"

#include <string>

#include "common/console.h"

void report_error(std::string_view message, bool)
{
	std::string text(message);
	err_console().Output("ERROR!!! :: %s\n", text.c_str());
}
