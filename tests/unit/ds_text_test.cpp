// ds_text_test.cpp: the written forms of every kind: round trips, texts laid
// out by hand read back exactly, and damaged texts refused without harm.
#include <gmock/gmock.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "ds_fixture.h"

using ::testing::HasSubstr;

namespace {

const std::string E_ONE = "00000000000000000000F03F00000000";       // the real 1
const std::string E_AB = "010000000000000000000000020000006162";     // the string "ab"
const std::string E_ZERO = "00000000000000000000000000000000";      // the real 0

// Values that a written form must carry unchanged.
std::vector<Value> tricky_values()
{
	std::vector<Value> v = {Value(0.0), Value(-0.0), Value(1.5), Value(-1e300), Value(INFINITY), Value(123456789.123),
	                        Value(S("")), Value(S("a")), Value(S("\xC3\xA4 ,:")), Value(S(std::string(5000, 'q').c_str()))};
	return v;
}

// Same kind and the same bits or bytes.
bool identical(const Value &a, const Value &b)
{
	if (a.kind() != b.kind())
		return false;
	if (a.is_string())
		return a.text() == b.text();
	double x = a.real(), y = b.real();
	return memcmp(&x, &y, sizeof x) == 0;
}

} // namespace

TEST_F(DsTest, RoundTripsOfEveryKind)
{
	std::vector<Value> values = tricky_values();
	std::string why;

	CDS_Stack stack, stack2;
	CDS_Queue queue, queue2;
	CDS_List list, list2;
	CDS_Priority prio, prio2;
	CDS_Map map, map2;
	CDS_Grid grid, grid2;
	grid.resize(2, (int)values.size());
	for (size_t i = 0; i < values.size(); i++) {
		stack.push(values[i]);
		queue.enqueue(values[i]);
		list.add(values[i]);
		prio.add(values[i], Value((double)i));
		map.add(values[i], values[values.size() - 1 - i]);
		grid.apply(1, (int)i, values[i], DS_CELL_SET);
	}
	queue.dequeue();
	ASSERT_TRUE(stack2.read(stack.write(), why)) << why;
	ASSERT_TRUE(queue2.read(queue.write(), why)) << why;
	ASSERT_TRUE(list2.read(list.write(), why)) << why;
	ASSERT_TRUE(prio2.read(prio.write(), why)) << why;
	ASSERT_TRUE(map2.read(map.write(), why)) << why;
	ASSERT_TRUE(grid2.read(grid.write(), why)) << why;
	EXPECT_EQ(stack2.write(), stack.write());
	EXPECT_EQ(queue2.write(), queue.write());
	EXPECT_EQ(list2.write(), list.write());
	EXPECT_EQ(prio2.write(), prio.write());
	EXPECT_EQ(map2.write(), map.write());
	EXPECT_EQ(grid2.write(), grid.write());
	EXPECT_EQ(map2.size(), (int)values.size());
	for (size_t i = 0; i < values.size(); i++) {
		EXPECT_TRUE(identical(*list2.at((int64_t)i), values[i])) << i;
		EXPECT_TRUE(identical(*grid2.get(1, (int64_t)i), values[i])) << i;
		EXPECT_TRUE(identical(*map2.find(values[i]), values[values.size() - 1 - i])) << i;
		if (i > 0)
			EXPECT_TRUE(identical(queue2.dequeue(), values[i])) << i;
	}
	for (size_t i = values.size(); i-- > 0;)
		EXPECT_TRUE(identical(stack2.pop(), values[i])) << i;
	EXPECT_TRUE(identical(prio2.delete_max(), values.back()));
}

TEST_F(DsTest, TextsLaidOutByHandReadBack)
{
	std::string why;
	CDS_Stack stack;
	const std::string stack_text = "65000000" "02000000" + E_ONE + E_AB;
	ASSERT_TRUE(stack.read(stack_text, why)) << why;
	EXPECT_EQ(stack.pop().text(), "ab");
	EXPECT_EQ(stack.pop().real(), 1.0);

	CDS_List list;
	const std::string list_text = "2D010000" "02000000" + E_ONE + E_AB;
	std::string lower = list_text;
	for (char &c : lower)
		c = (char)tolower(c);
	ASSERT_TRUE(list.read(lower, why)) << why;
	EXPECT_EQ(list.write(), list_text);

	// The whole storage, with a slot before head still holding an old element.
	CDS_Queue queue;
	ASSERT_TRUE(queue.read("C9000000" "02000000" "01000000" "02000000" + E_AB + E_ONE, why)) << why;
	EXPECT_EQ(queue.size(), 1);
	EXPECT_EQ(queue.head()->real(), 1.0);
	EXPECT_EQ(queue.write(), "C9000000" "02000000" "01000000" "02000000" + E_ZERO + E_ONE);

	CDS_Priority prio;
	const std::string prio_text = "F5010000" "01000000" + E_ONE + E_AB;
	ASSERT_TRUE(prio.read(prio_text, why)) << why;
	EXPECT_EQ(prio.find_priority(Value(S("ab")))->real(), 1.0);
	EXPECT_EQ(prio.write(), prio_text);

	CDS_Grid grid;
	const std::string grid_text = "59020000" "02000000" "01000000" + E_AB + E_ONE;
	ASSERT_TRUE(grid.read(grid_text, why)) << why;
	EXPECT_EQ(grid.get(0, 0)->text(), "ab");
	EXPECT_EQ(grid.get(1, 0)->real(), 1.0);
	EXPECT_EQ(grid.write(), grid_text);

	Value s = call_builtin("ds_stack_create");
	EXPECT_EQ(text_of(call_builtin("ds_stack_write", {s})), "6500000000000000");
}

TEST_F(DsTest, MapTextForm)
{
	Value m = call_builtin("ds_map_create");
	call_builtin("ds_map_add", {m, S("a"), 1});
	EXPECT_EQ(text_of(call_builtin("ds_map_write", {m})), "1:61:3FF0");
	call_builtin("ds_map_clear", {m});
	EXPECT_EQ(text_of(call_builtin("ds_map_write", {m})), "");

	struct Case
	{
		const char *text;
		Value key, value;
	};
	const Case cases[] = {
		{"0:3FF0:", 1.0, 0.0},
		{"1:61:3ff0", S("a"), 1.0},
		{"2:4000:6869", 2.0, S("hi")},
		{"3:6B:", S("k"), S("")},
		{"0::80", 0.0, -0.0},
		{"0:C00C:7FF0", -3.5, INFINITY},
	};
	for (const Case &c : cases) {
		CDS_Map map;
		std::string why;
		ASSERT_TRUE(map.read(c.text, why)) << c.text << ": " << why;
		ASSERT_EQ(map.size(), 1) << c.text;
		ASSERT_TRUE(map.find(c.key)) << c.text;
		EXPECT_TRUE(identical(*map.find(c.key), c.value)) << c.text;
		Value first;
		ASSERT_TRUE(map.first_key(first));
		EXPECT_TRUE(identical(first, c.key)) << c.text;
	}
	// Several entries; a key given twice keeps its first value.
	CDS_Map map;
	std::string why;
	ASSERT_TRUE(map.read("1:61:3FF0,1:62:4000,1:61:4008", why)) << why;
	EXPECT_EQ(map.size(), 2);
	EXPECT_EQ(map.find(Value(S("a")))->real(), 1.0);
	EXPECT_EQ(map.find(Value(S("b")))->real(), 2.0);
}

TEST_F(DsTest, DamagedTextsAreRefusedAndChangeNothing)
{
	struct Case
	{
		const char *function;
		std::string text;
		const char *reason;
	};
	const std::string big = "FFFFFF7F";
	const Case cases[] = {
		{"ds_list_read", "", "ends early"},
		{"ds_list_read", "2D01", "ends early"},
		{"ds_list_read", "2D010000010000", "ends early"},
		{"ds_list_read", "2D0100000", "odd number"},
		{"ds_list_read", "2D01000G01000000", "not a hexadecimal digit"},
		{"ds_list_read", "2D010000FFFFFFFF", "negative"},
		{"ds_list_read", "2D010000" + big, "too short"},
		{"ds_list_read", "2D010000" "01000000" "02000000" + E_ZERO.substr(8), "unknown kind"},
		{"ds_list_read", "2D010000" "01000000" "01000000" "0000000000000000" "05000000" "6162", "past the end"},
		{"ds_list_read", "2D010000" "01000000" "01000000" "0000000000000000" "02000000" "6100", "zero byte"},
		{"ds_list_read", "6500000000000000", "not a written list"},
		{"ds_stack_read", "2D01000000000000", "not a written stack"},
		{"ds_queue_read", "C9000000" "01000000" "02000000" "02000000" + E_ONE + E_ONE, "do not fit"},
		{"ds_queue_read", "C9000000" "03000000" "00000000" "02000000" + E_ONE + E_ONE, "do not fit"},
		{"ds_queue_read", "C9000000" "00000000" "00000000" + big, "too short"},
		{"ds_priority_read", "F5010000" "01000000" + E_ONE, "too short"},
		{"ds_grid_read", "59020000" "FFFFFFFF" "01000000", "not allowed"},
		{"ds_grid_read", "59020000" + big + big, "not allowed"},
		{"ds_grid_read", "59020000" "00100000" "00100000", "too short"},
		{"ds_grid_read", "59020000" "02000000" "01000000" + E_ONE, "too short"},
		{"ds_grid_read", "59020000" "02000000" "01000000" + E_ONE + E_AB.substr(0, 34), "past the end"},
		{"ds_map_read", "4:61:3FF0", "flag digit"},
		{"ds_map_read", "1:6:3FF0", "odd number"},
		{"ds_map_read", "1:61", "exactly a key and a value"},
		{"ds_map_read", "1:61:3FF0:00", "exactly a key and a value"},
		{"ds_map_read", "0:3FF000000000000000:", "longer than 8 bytes"},
		{"ds_map_read", "1:0061:", "zero byte"},
		{"ds_map_read", "1:61:3FF0,,", "entry 1"},
		{"ds_map_read", "1:XY:", "not a hexadecimal digit"},
	};
	for (const Case &c : cases) {
		std::string kind = std::string(c.function).substr(3, std::string(c.function).size() - 8); // "list", ...
		Value handle = call_builtin(("ds_" + kind + "_create").c_str(), kind == "grid" ? std::initializer_list<Value>{1, 1} : std::initializer_list<Value>{});
		// Something to keep.
		if (kind == "grid")
			call_builtin("ds_grid_set", {handle, 0, 0, 42});
		else if (kind == "map")
			call_builtin("ds_map_add", {handle, 42, 42});
		else if (kind == "priority")
			call_builtin("ds_priority_add", {handle, 42, 42});
		else
			call_builtin((std::string("ds_") + kind + (kind == "stack" ? "_push" : kind == "queue" ? "_enqueue" : "_add")).c_str(), {handle, 42});
		std::string before = text_of(call_builtin(("ds_" + kind + "_write").c_str(), {handle}));
		ConsoleCapture capture;
		call_builtin(c.function, {handle, S(c.text.c_str())});
		EXPECT_THAT(capture.text(), HasSubstr(std::string(c.function) + ": ")) << c.text;
		EXPECT_THAT(capture.text(), HasSubstr(c.reason)) << c.text;
		EXPECT_EQ(text_of(call_builtin(("ds_" + kind + "_write").c_str(), {handle})), before) << c.text;
	}
}

TEST_F(DsTest, EveryTruncationOfAWrittenTextIsRefused)
{
	CDS_List list;
	CDS_Queue queue;
	CDS_Grid grid;
	grid.resize(2, 2);
	for (const Value &v : tricky_values()) {
		list.add(v);
		queue.enqueue(v);
	}
	grid.apply(1, 1, Value(S("cell")), DS_CELL_SET);
	const std::string texts[] = {list.write(), queue.write(), grid.write()};
	for (const std::string &full : texts) {
		for (size_t n = 0; n < full.size(); n += 1 + n / 64) {
			std::string why;
			CDS_List l;
			CDS_Queue q;
			CDS_Grid g;
			EXPECT_FALSE(l.read(full.substr(0, n), why) || q.read(full.substr(0, n), why) || g.read(full.substr(0, n), why))
				<< n;
			EXPECT_EQ(l.size() + q.size() + g.width(), 0);
		}
	}
}
