// debug_message_test.cpp: show_debug_message writes the value's text and a line
// feed to the debug console.
#include <gtest/gtest.h>

#include "builtin_call.h"
#include "test_util.h"

TEST(ShowDebugMessage, WritesTheTextOfAnyValue)
{
	ConsoleCapture console;
	call_builtin("show_debug_message", {S("hello")});
	call_builtin("show_debug_message", {Value(3)});
	call_builtin("show_debug_message", {Value(2.5)});
	call_builtin("show_debug_message", {S("")});
	EXPECT_EQ(console.text(), "hello\n3\n2.50\n\n");
}
