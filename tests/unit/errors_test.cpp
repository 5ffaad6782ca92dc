// errors_test.cpp: the context texts of reported errors, showing an error with
// its options, and the code error messages with line and position.
#include <gtest/gtest.h>

#include "code/errors.h"
#include "test_util.h"

namespace {

class Errors : public ::testing::Test
{
protected:
	void SetUp() override
	{
		clear_error_state();
		set_display_errors(true);
		set_abort_on_all_errors(false);
		set_evaluating_watch(false);
		ErrorHooks hooks;
		hooks.object_name = [](int32_t index) { return "obj" + std::to_string(index); };
		hooks.event_name = [](int32_t type, int32_t number) {
			return type == 3 ? " Step Event" + std::to_string(number) : std::string("Create Event");
		};
		hooks.timeline_name = [](int32_t index) { return "tl" + std::to_string(index); };
		set_error_hooks(hooks);
	}
	void TearDown() override
	{
		set_error_hooks(ErrorHooks());
		clear_error_state();
	}
};

TEST_F(Errors, ContextTexts)
{
	EventContext &c = current_event_context();
	c = {4, 3, 0, 1};
	EXPECT_EQ(error_context_text("boom", false), "ERROR in\naction number 2\nof  Step Event0\nfor object obj4:\n\n\nboom");
	EXPECT_EQ(error_context_text("boom", true),
	          "FATAL ERROR in\naction number 2\nof  Step Event0\nfor object obj4:\n\n\nboom");
	c = {TIMELINE_CONTEXT, 2, 30, 0};
	EXPECT_EQ(error_context_text("late", false), "ERROR in\naction number 1\nat time step30\nof time line tl2:\n\n\nlate");
	c = {0, 0, 0, 0};
	EXPECT_EQ(error_context_text("", false), "ERROR in\naction number 1\nof Create Event\nfor object obj0:\n\n\n");
	set_error_hooks(ErrorHooks());
	EXPECT_EQ(error_context_text("x", false),
	          "ERROR in\naction number 1\nof <Unknown Event>\nfor object <undefined>:\n\n\nx");
}

TEST_F(Errors, ReportSetsLastErrorAndWritesConsole)
{
	current_event_context() = {1, 0, 0, 0};
	ConsoleCapture capture;
	report_error("bad thing");
	std::string expected = "ERROR in\naction number 1\nof Create Event\nfor object obj1:\n\n\nbad thing";
	EXPECT_TRUE(error_occurred());
	EXPECT_EQ(error_last(), expected);
	EXPECT_NE(capture.text().find("ERROR!!! :: " + expected + "\n"), std::string::npos) << capture.text();
	EXPECT_FALSE(error_aborting());
	EXPECT_FALSE(error_end_requested());
}

TEST_F(Errors, WithoutDisplayStillRecords)
{
	set_display_errors(false);
	testing::internal::CaptureStderr();
	report_error("quiet");
	std::string err = testing::internal::GetCapturedStderr();
	EXPECT_EQ(err, "");
	EXPECT_TRUE(error_occurred());
	EXPECT_NE(error_last().find("quiet"), std::string::npos);
}

TEST_F(Errors, FormTextOnStandardError)
{
	testing::internal::CaptureStderr();
	show_error("a\tb\r\nc\n\rd\ne", false);
	std::string err = testing::internal::GetCapturedStderr();
	EXPECT_EQ(err, "\r\n" + std::string(43, '_') + "\r\na       b\r\nc\r\nd\r\ne\n");
}

TEST_F(Errors, AbortOnAllErrorsEndsTheGameOnce)
{
	set_abort_on_all_errors(true);
	static int ended = 0;
	ended = 0;
	ErrorHooks hooks = error_hooks();
	hooks.end_game = [] { ended++; };
	set_error_hooks(hooks);
	ConsoleCapture capture;
	report_error("first");
	report_error("second");
	EXPECT_TRUE(error_aborting());
	EXPECT_TRUE(error_end_requested());
	EXPECT_EQ(ended, 1);
	EXPECT_NE(error_last().find("first"), std::string::npos);
	EXPECT_EQ(capture.text().find("second"), std::string::npos);
}

TEST_F(Errors, FatalReportAborts)
{
	ConsoleCapture capture;
	report_error("dead", true);
	EXPECT_TRUE(error_aborting());
	EXPECT_EQ(error_last().rfind("FATAL ERROR in\n", 0), 0u);
}

TEST_F(Errors, WatchEvaluationWritesNothing)
{
	set_evaluating_watch(true);
	ConsoleCapture capture;
	show_error("hidden", false);
	EXPECT_EQ(capture.text().find("ERROR!!!"), std::string::npos);
	EXPECT_EQ(error_last(), "hidden");
}

TEST_F(Errors, CodeErrorMessages)
{
	const struct
	{
		CodeErrorKind kind;
		const char *source;
		int64_t position;
		const char *expected;
	} cases[] = {
		{CODE_ERROR_STATEMENTS, "x = ;", 0, "Error in code at line 1:\n   x = ;\n\nat position 1: msg"},
		{CODE_ERROR_STATEMENTS, "a = 1;\r\nb = ;\r\nc", 12,
		 "Error in code at line 2:\n   b = ;\n\nat position 5: msg"},
		{CODE_ERROR_STATEMENTS, "a\nb", 99, "Error in code at line 2:\n   b\n\nat position 2: msg"},
		{CODE_ERROR_STATEMENTS, "ab", -5, "Error in code at line 1:\n   ab\n\nat position 1: msg"},
		{CODE_ERROR_STATEMENTS, "s = \"\xc3\xa9\xc3\xa9\" +", 11,
		 "Error in code at line 1:\n   s = \"\xc3\xa9\xc3\xa9\" +\n\nat position 10: msg"},
		{CODE_ERROR_EXPRESSION, "1 + * 2", 4, "Error in expression: 1 + * 2\n position 5: msg"},
		{CODE_ERROR_EXPRESSION, "", 0, "Error in expression: \n position 1: msg"},
	};
	for (const auto &c : cases)
		EXPECT_EQ(code_error_text(c.kind, c.source, c.position, "msg"), c.expected) << c.source;
}

TEST_F(Errors, OnlyTheFirstCodeErrorIsKept)
{
	EXPECT_FALSE(code_error_flag());
	code_error(CODE_ERROR_EXPRESSION, "a b", 2, "first");
	code_error(CODE_ERROR_EXPRESSION, "a b", 0, "second");
	EXPECT_TRUE(code_error_flag());
	EXPECT_EQ(code_error_message(), "Error in expression: a b\n position 3: first");
	clear_code_error_flag();
	code_error(CODE_ERROR_EXPRESSION, "c", 0, "third");
	EXPECT_EQ(code_error_message(), "Error in expression: c\n position 1: third");
}

TEST_F(Errors, FatalLoadErrorAbortsTheLoad)
{
	ConsoleCapture capture;
	testing::internal::CaptureStderr();
	EXPECT_THROW(fatal_load_error("Error on load\nUnable to find function f\n"), LoadAbort);
	std::string err = testing::internal::GetCapturedStderr();
	EXPECT_NE(err.find("Error on load\r\nUnable to find function f\r\n"), std::string::npos) << err;
	EXPECT_TRUE(error_aborting());
	EXPECT_EQ(error_last(), "Error on load\nUnable to find function f\n");
}

} // namespace
