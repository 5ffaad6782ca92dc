// ds_containers_test.cpp: handles, stacks, queues, lists and priority queues
// through their built-in functions.
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ds/ds_compare.h"
#include "ds/ds_list.h"
#include "ds_fixture.h"

using ::testing::HasSubstr;

TEST_F(DsTest, HandlesAreReusedFromTheFirstEmptySlot)
{
	EXPECT_EQ(real_of(call_builtin("ds_list_create")), 0);
	EXPECT_EQ(real_of(call_builtin("ds_list_create")), 1);
	call_builtin("ds_list_destroy", {0});
	EXPECT_EQ(real_of(call_builtin("ds_list_create")), 0);
	EXPECT_EQ(real_of(call_builtin("ds_list_create")), 2);
	// Each kind has its own table.
	EXPECT_EQ(real_of(call_builtin("ds_map_create")), 0);
	EXPECT_EQ(real_of(call_builtin("ds_grid_create", {2, 2})), 0);
}

TEST_F(DsTest, BadHandlesReportAndChangeNothing)
{
	call_builtin("ds_list_create");
	call_builtin("ds_list_create");
	call_builtin("ds_list_add", {0, 5});
	call_builtin("ds_list_destroy", {1});
	struct Case
	{
		const char *function;
		std::vector<Value> args;
	};
	const Case cases[] = {
		{"ds_list_size", {-1}},
		{"ds_list_size", {1}}, // destroyed
		{"ds_list_size", {7}}, // never created
		{"ds_list_size", {1.5}}, // rounds to 2
		{"ds_list_size", {NAN}},
		{"ds_list_size", {1e300}},
		{"ds_list_destroy", {1}},
		{"ds_list_copy", {0, 1}},
		{"ds_list_copy", {1, 0}},
		{"ds_stack_pop", {0}},
		{"ds_queue_dequeue", {0}},
		{"ds_map_find_value", {0, 1}},
		{"ds_priority_find_min", {0}},
		{"ds_grid_get", {0, 0, 0}},
		{"ds_grid_set_grid_region", {0, 0, 0, 0, 0, 0, 0, 0}},
		{"ds_list_read", {3, S("2D01000000000000")}},
	};
	for (const Case &c : cases) {
		ConsoleCapture capture;
		int32_t id = builtin_function_id(c.function);
		ASSERT_GE(id, 0) << c.function;
		Value result;
		function_entry(id)->routine(result, nullptr, nullptr, (int)c.args.size(), c.args.data());
		EXPECT_THAT(capture.text(), HasSubstr(NO_SUCH)) << c.function;
		EXPECT_TRUE(result.is_real() && result.real() == 0) << c.function;
	}
	EXPECT_EQ(real_of(call_builtin("ds_list_size", {0})), 1);
	// Rounding is to nearest, ties to even: 0.5 names handle 0.
	EXPECT_EQ(real_of(call_builtin("ds_list_size", {0.5})), 1);
}

TEST_F(DsTest, StackPushPopTopAndEmpty)
{
	Value s = call_builtin("ds_stack_create");
	EXPECT_EQ(real_of(call_builtin("ds_stack_empty", {s})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_stack_pop", {s})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_stack_top", {s})), 0);
	call_builtin("ds_stack_push", {s, 1});
	call_builtin("ds_stack_push", {s, S("two")});
	EXPECT_EQ(real_of(call_builtin("ds_stack_size", {s})), 2);
	EXPECT_EQ(text_of(call_builtin("ds_stack_top", {s})), "two");
	EXPECT_EQ(text_of(call_builtin("ds_stack_pop", {s})), "two");
	EXPECT_EQ(real_of(call_builtin("ds_stack_pop", {s})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_stack_empty", {s})), 1);
	EXPECT_EQ(text_of(call_builtin("ds_stack_write", {s})), "6500000000000000");
}

TEST_F(DsTest, QueueOrderAndCompaction)
{
	Value q = call_builtin("ds_queue_create");
	EXPECT_EQ(real_of(call_builtin("ds_queue_dequeue", {q})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_queue_head", {q})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_queue_tail", {q})), 0);
	for (int i = 0; i < 20; i++)
		call_builtin("ds_queue_enqueue", {q, i});
	EXPECT_EQ(real_of(call_builtin("ds_queue_head", {q})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_queue_tail", {q})), 19);
	for (int i = 0; i < 17; i++)
		EXPECT_EQ(real_of(call_builtin("ds_queue_dequeue", {q})), i);
	EXPECT_EQ(real_of(call_builtin("ds_queue_size", {q})), 3);
	// tag 201, tail 3, head 0, capacity 32, then the slots: 17, 18, 19 at the
	// front and nothing left behind after them.
	std::string text = text_of(call_builtin("ds_queue_write", {q}));
	EXPECT_EQ(text.substr(0, 32), "C9000000030000000000000020000000");
	EXPECT_EQ(text.size(), 32u + 32u * 32u);
	CDS_Queue copy;
	std::string why;
	ASSERT_TRUE(copy.read(text, why)) << why;
	EXPECT_EQ(copy.head_index(), 0);
	EXPECT_EQ(copy.tail_index(), 3);
	for (int i = 17; i < 20; i++)
		EXPECT_EQ(copy.dequeue().real(), i);
	const std::string zero_slot = "00000000000000000000000000000000";
	for (int slot = 3; slot < 32; slot++)
		EXPECT_EQ(text.substr(32 + 32 * slot, 32), zero_slot) << slot;
}

TEST_F(DsTest, ListPositionsOutOfRangeAreIgnored)
{
	Value l = call_builtin("ds_list_create");
	for (int i = 0; i < 3; i++)
		call_builtin("ds_list_add", {l, i * 10});
	struct Case
	{
		const char *function;
		double pos;
		std::vector<double> expect;
	};
	const Case cases[] = {
		{"ds_list_insert", 0, {99, 0, 10, 20}},
		{"ds_list_insert", 3, {0, 10, 20, 99}},
		{"ds_list_insert", 4, {0, 10, 20}},
		{"ds_list_insert", -1, {0, 10, 20}},
		{"ds_list_replace", 2, {0, 10, 99}},
		{"ds_list_replace", 3, {0, 10, 20}},
		{"ds_list_delete", 1, {0, 20}},
		{"ds_list_delete", 3, {0, 10, 20}},
		{"ds_list_delete", -1, {0, 10, 20}},
		{"ds_list_delete", 1e12, {0, 10, 20}},
	};
	for (const Case &c : cases) {
		call_builtin("ds_list_clear", {l});
		for (int i = 0; i < 3; i++)
			call_builtin("ds_list_add", {l, i * 10});
		if (std::string(c.function) == "ds_list_delete")
			call_builtin(c.function, {l, c.pos});
		else
			call_builtin(c.function, {l, c.pos, 99});
		std::vector<double> got;
		for (int i = 0; i < real_of(call_builtin("ds_list_size", {l})); i++)
			got.push_back(real_of(call_builtin("ds_list_find_value", {l, i})));
		EXPECT_EQ(got, c.expect) << c.function << " " << c.pos;
	}
	EXPECT_EQ(real_of(call_builtin("ds_list_find_value", {l, 3})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_list_find_value", {l, -1})), 0);
}

TEST_F(DsTest, ComparisonWithPrecision)
{
	struct Case
	{
		Value a, b;
		double precision;
		int expect;
	};
	const Case cases[] = {
		{1.0 / 10.0, 0.1, 1e-08, 0},
		{0.1, S("0.1"), 1e-08, 1},
		{S("0.1"), 0.1, 1e-08, 1},
		{1, 2, 1e-08, -1},
		{2, 1, 1e-08, 1},
		{1, 1.4, 0.5, 0},
		{1, 1.6, 0.5, -1},
		// Equal values stay equal with no precision at all.
		{3, 3, 0, 0},
		{INFINITY, INFINITY, 0, 0},
		// Reals that differ only beyond float precision are equal.
		{1.0, 1.0 + 1e-12, 0, 0},
		{S("abc"), S("abd"), 1e-08, -1},
		{S("ab"), S("abc"), 1e-08, -1},
		{S("\xC3\xA9"), S("z"), 1e-08, 1}, // bytes are unsigned
		{S(""), S(""), 1e-08, 0},
		{NAN, NAN, 1e-08, 1},
	};
	for (const Case &c : cases) {
		ds_set_precision(c.precision);
		EXPECT_EQ(ds_compare(c.a, c.b), c.expect) << value_to_text(c.a) << " vs " << value_to_text(c.b);
	}
	call_builtin("ds_set_precision", {-0.5});
	EXPECT_EQ(ds_precision(), 0.5);
}

TEST_F(DsTest, ListFindIndex)
{
	Value l = call_builtin("ds_list_create");
	call_builtin("ds_list_add", {l, S("x")});
	call_builtin("ds_list_add", {l, 1.0 / 10.0});
	call_builtin("ds_list_add", {l, 0.1});
	EXPECT_EQ(real_of(call_builtin("ds_list_find_index", {l, 0.1})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_list_find_index", {l, S("0.1")})), -1);
	EXPECT_EQ(real_of(call_builtin("ds_list_find_index", {l, S("x")})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_list_find_index", {l, 7})), -1);
}

namespace {

// The sort exactly as specified, to hold the fast paths against.
void reference_sort(std::vector<Value> &items, bool ascending)
{
	for (size_t i = 1; i < items.size(); i++) {
		for (size_t j = i; j > 0; j--) {
			int c = ds_compare(items[j - 1], items[j]);
			if (!(ascending ? c >= 1 : c < 1))
				break;
			std::swap(items[j - 1], items[j]);
		}
	}
}

std::vector<std::string> texts(const std::vector<Value> &items)
{
	std::vector<std::string> out;
	for (const Value &v : items)
		out.push_back((v.is_string() ? "s:" : "r:") + value_to_text(v) + (v.is_real() ? ":" + std::to_string(v.real()) : ""));
	return out;
}

} // namespace

TEST_F(DsTest, ListSortMatchesTheInsertionSort)
{
	// Tie order: equal elements keep their order ascending and reverse it
	// descending. Precision 0.5 makes 1 and 1.25 equal.
	ds_set_precision(0.5);
	std::vector<Value> items = {Value(3), Value(1), Value(1.25), Value(0)};
	ds_sort_values(items, true);
	EXPECT_EQ(texts(items), texts({Value(0), Value(1), Value(1.25), Value(3)}));
	ds_sort_values(items, false);
	EXPECT_EQ(texts(items), texts({Value(3), Value(1.25), Value(1), Value(0)}));

	// Random lists of every sort of mix against the specified algorithm.
	const double precisions[] = {1e-08, 0, 0.3};
	for (double precision : precisions) {
		ds_set_precision(precision);
		for (int round = 0; round < 300; round++) {
			int mode = round % 5;
			std::vector<Value> list;
			int n = 1 + random_index_below(40);
			for (int i = 0; i < n; i++) {
				int r = random_index_below(1000);
				if (mode == 0)
					list.emplace_back((double)(r % 17));
				else if (mode == 1)
					list.emplace_back(std::string(1, (char)('a' + r % 5)) + std::to_string(r % 3));
				else if (mode == 2)
					list.emplace_back(r % 7 == 0 ? Value(S("s")) : Value(r * 0.1));
				else if (mode == 3)
					list.emplace_back(1.0 + (r % 4) * 1e-7);
				else
					list.emplace_back(r % 9 == 0 ? NAN : (double)(r % 5));
			}
			for (bool ascending : {true, false}) {
				std::vector<Value> ours = list, expected = list;
				ds_sort_values(ours, ascending);
				reference_sort(expected, ascending);
				ASSERT_EQ(texts(ours), texts(expected)) << "mode " << mode << " precision " << precision;
			}
		}
	}
}

TEST_F(DsTest, ListShuffleIsASeededPermutation)
{
	Value l = call_builtin("ds_list_create");
	for (int i = 0; i < 50; i++)
		call_builtin("ds_list_add", {l, i});
	random_set_seed(7);
	call_builtin("ds_list_shuffle", {l});
	std::vector<double> first, sorted;
	for (int i = 0; i < 50; i++)
		first.push_back(real_of(call_builtin("ds_list_find_value", {l, i})));
	sorted = first;
	std::sort(sorted.begin(), sorted.end());
	for (int i = 0; i < 50; i++)
		EXPECT_EQ(sorted[(size_t)i], i);
	EXPECT_NE(first, sorted);
	// The same seed gives the same order: 400 swaps, two draws each.
	call_builtin("ds_list_sort", {l, 1});
	random_set_seed(7);
	call_builtin("ds_list_shuffle", {l});
	for (int i = 0; i < 50; i++)
		EXPECT_EQ(real_of(call_builtin("ds_list_find_value", {l, i})), first[(size_t)i]);
	random_set_seed(7);
	for (int i = 0; i < 800; i++)
		random_draw();
	int after = random_draw();
	random_set_seed(7);
	call_builtin("ds_list_shuffle", {l});
	EXPECT_EQ(random_draw(), after);
}

TEST_F(DsTest, CopyIntoItselfAndFromAnother)
{
	Value a = call_builtin("ds_list_create"), b = call_builtin("ds_list_create");
	call_builtin("ds_list_add", {a, S("keep")});
	call_builtin("ds_list_copy", {a, a});
	EXPECT_EQ(text_of(call_builtin("ds_list_find_value", {a, 0})), "keep");
	call_builtin("ds_list_copy", {b, a});
	call_builtin("ds_list_replace", {a, 0, 1});
	EXPECT_EQ(text_of(call_builtin("ds_list_find_value", {b, 0})), "keep");
}

TEST_F(DsTest, PriorityQueue)
{
	Value p = call_builtin("ds_priority_create");
	EXPECT_EQ(real_of(call_builtin("ds_priority_find_min", {p})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_priority_delete_max", {p})), 0);
	call_builtin("ds_priority_add", {p, S("a"), 5});
	call_builtin("ds_priority_add", {p, S("b"), 1});
	call_builtin("ds_priority_add", {p, S("c"), 9});
	call_builtin("ds_priority_add", {p, S("d"), 1});
	call_builtin("ds_priority_add", {p, S("e"), 9});
	// The first entry holding the extreme wins a tie.
	EXPECT_EQ(text_of(call_builtin("ds_priority_find_min", {p})), "b");
	EXPECT_EQ(text_of(call_builtin("ds_priority_find_max", {p})), "c");
	EXPECT_EQ(real_of(call_builtin("ds_priority_find_priority", {p, S("d")})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_priority_find_priority", {p, S("zz")})), 0);
	// Removing "b" moves the last entry ("e") into its slot: storage a e c d.
	EXPECT_EQ(text_of(call_builtin("ds_priority_delete_min", {p})), "b");
	EXPECT_EQ(text_of(call_builtin("ds_priority_find_max", {p})), "e");
	call_builtin("ds_priority_change_priority", {p, S("a"), 0});
	EXPECT_EQ(text_of(call_builtin("ds_priority_delete_min", {p})), "a");
	call_builtin("ds_priority_delete_value", {p, S("e")});
	EXPECT_EQ(real_of(call_builtin("ds_priority_size", {p})), 2);
	EXPECT_EQ(text_of(call_builtin("ds_priority_delete_max", {p})), "c");
	EXPECT_EQ(text_of(call_builtin("ds_priority_delete_max", {p})), "d");
	EXPECT_EQ(real_of(call_builtin("ds_priority_empty", {p})), 1);
}

TEST_F(DsTest, PositionsRoundToNearestEven)
{
	Value l = call_builtin("ds_list_create");
	for (int i = 0; i < 5; i++)
		call_builtin("ds_list_add", {l, i});
	const double cases[][2] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {2.49, 2}, {3.51, 4}, {-0.4, 0}};
	for (const auto &c : cases)
		EXPECT_EQ(real_of(call_builtin("ds_list_find_value", {l, c[0]})), c[1]) << c[0];
	EXPECT_EQ(real_of(call_builtin("ds_list_find_value", {l, S(" 3 ")})), 3);
	EXPECT_EQ(real_of(call_builtin("ds_list_find_value", {l, -0.6})), 0);
}
