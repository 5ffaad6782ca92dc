// variable_list_test.cpp: the variable store: arrays and their edge cases,
// lookup, copy, the dump and the saved form in its three versions.
#include <gtest/gtest.h>

#include "code/variable_list.h"
#include "code/variable_names.h"
#include "common/binary_stream.h"

namespace {

constexpr int32_t A = USER_VARIABLE_BASE + 1;

std::string saved(const CVariableList &store)
{
	StreamWriter w;
	store.save(w);
	return std::string(w.bytes().begin(), w.bytes().end());
}

bool load_bytes(CVariableList &store, const std::vector<uint8_t> &bytes, std::string *error = nullptr)
{
	StreamReader r(bytes);
	return store.load(r, error);
}

struct UnsetReadsFail
{
	UnsetReadsFail() { set_unset_variable_read_fails(true); }
	~UnsetReadsFail() { set_unset_variable_read_fails(false); }
};

} // namespace

TEST(VariableList, ArrayEdgeCases)
{
	CVariableList s;
	Value out;
	// a[5] on a new variable: value 0, row 0 with elements 0..5; a[0] is the plain value.
	ASSERT_TRUE(s.set(A, 5, Value(7)));
	const CVariable *v = s.find(A);
	ASSERT_NE(v, nullptr);
	ASSERT_EQ(v->rows.size(), 1u);
	ASSERT_EQ(v->rows[0].size(), 6u);
	EXPECT_EQ(v->rows[0][5].real(), 7);
	EXPECT_EQ(v->rows[0][0].real(), 0);
	s.set(A, 0, Value("plain"));
	ASSERT_TRUE(s.get(A, 0, out));
	EXPECT_EQ(out.text(), "plain");
	ASSERT_TRUE(s.get(A, 3, out));
	EXPECT_EQ(out.real(), 0);

	// a[3] of a row of 2 elements fails with the flag set.
	CVariableList t;
	t.set(A, 1, Value(1));
	out = Value(99);
	EXPECT_FALSE(t.get(A, 3, out));
	EXPECT_TRUE(variable_index_out_of_range());
	EXPECT_EQ(out.real(), 0);
	EXPECT_TRUE(t.get(A, 1, out));
	EXPECT_FALSE(variable_index_out_of_range());

	// a[1, 2]: rows 0 and 1, row 0 empty, so a[1] is out of range.
	CVariableList u;
	ASSERT_TRUE(u.set(A, 1 * ARRAY_ROW_SIZE + 2, Value("x")));
	ASSERT_EQ(u.find(A)->rows.size(), 2u);
	EXPECT_TRUE(u.find(A)->rows[0].empty());
	EXPECT_EQ(u.find(A)->rows[1].size(), 3u);
	EXPECT_FALSE(u.get(A, 1, out));
	EXPECT_TRUE(variable_index_out_of_range());
	ASSERT_TRUE(u.get(A, 32002, out));
	EXPECT_EQ(out.text(), "x");
	// Rows are ragged: growing row 1 leaves row 0 as it was.
	u.set(A, 3, Value(3));
	EXPECT_EQ(u.find(A)->rows[0].size(), 4u);
	EXPECT_EQ(u.find(A)->rows[1].size(), 3u);

	// a[-1] and a[-1, 0] store nothing and set the flag.
	for (int32_t bad : {-1, -32000, -32001, INT32_MIN}) {
		CVariableList w;
		EXPECT_FALSE(w.set(A, bad, Value(1))) << bad;
		EXPECT_TRUE(variable_index_out_of_range());
		EXPECT_TRUE(w.find(A)->rows.empty());
		EXPECT_FALSE(w.get(A, bad, out));
	}
}

TEST(VariableList, UnsetReadsZeroUnlessTheOptionMakesItAnError)
{
	CVariableList s;
	Value out(5);
	EXPECT_TRUE(s.get(A, 0, out));
	EXPECT_EQ(out.real(), 0);
	EXPECT_TRUE(s.get(A, 40, out)); // an index of a missing variable too
	{
		UnsetReadsFail option;
		EXPECT_FALSE(s.get(A, 0, out));
		EXPECT_FALSE(variable_index_out_of_range());
		s.declare(A);
		EXPECT_TRUE(s.get(A, 0, out));
		EXPECT_EQ(out.real(), 0);
	}
}

TEST(VariableList, IdsSharingBucketsAreAllFound)
{
	// Ids 64 apart shared a bucket in the original layout; here they also cross
	// the switch from a scan to the index.
	CVariableList s;
	std::vector<int32_t> ids;
	for (int i = 0; i < 200; i++)
		ids.push_back(USER_VARIABLE_BASE + 64 * i);
	ids.push_back(3);
	ids.push_back(-7);
	for (size_t i = 0; i < ids.size(); i++)
		s.set(ids[i], 0, Value((double)i));
	EXPECT_EQ(s.count(), (int32_t)ids.size());
	Value out;
	for (size_t i = 0; i < ids.size(); i++) {
		ASSERT_TRUE(s.get(ids[i], 0, out));
		EXPECT_EQ(out.real(), (double)i);
	}
	EXPECT_EQ(s.find(USER_VARIABLE_BASE + 1), nullptr);
	s.set(ids[0], 0, Value(-1)); // overwriting adds nothing
	EXPECT_EQ(s.count(), (int32_t)ids.size());
}

TEST(VariableList, CopyIsDeepAndClearEmpties)
{
	CVariableList s;
	s.set(A, 0, Value("one"));
	s.set(A, 32001, Value("two"));
	for (int i = 0; i < 20; i++)
		s.set(USER_VARIABLE_BASE + 100 + i, 0, Value(i));
	CVariableList c;
	c.set(A + 50, 0, Value(1)); // replaced by the copy
	c.copy_from(s);
	s.set(A, 0, Value("changed"));
	s.clear();
	EXPECT_EQ(s.count(), 0);
	EXPECT_EQ(s.find(A), nullptr);
	EXPECT_EQ(c.count(), 21);
	EXPECT_EQ(c.find(A + 50), nullptr);
	Value out;
	ASSERT_TRUE(c.get(A, 0, out));
	EXPECT_EQ(out.text(), "one");
	ASSERT_TRUE(c.get(A, 32001, out));
	EXPECT_EQ(out.text(), "two");
	ASSERT_TRUE(c.get(USER_VARIABLE_BASE + 119, 0, out));
	EXPECT_EQ(out.real(), 19);
}

TEST(VariableList, DumpListsNewestFirst)
{
	int32_t hp = user_variable_id("dump_hp");
	int32_t name = user_variable_id("dump_name");
	int32_t grid = user_variable_id("dump_grid");
	CVariableList s;
	s.set(hp, 0, Value(2.5));
	s.set(name, 0, Value("Bob"));
	s.set(grid, 2, Value(4));
	s.set(grid, 32000, Value("r1"));
	s.set(hp, 0, Value(3)); // changing a variable keeps its place
	std::string text;
	s.dump(text);
	EXPECT_EQ(text, "dump_grid = { { 0 ,0 ,4},  { \"r1\"},   }\n"
	                "dump_name = \"Bob\"\n"
	                "dump_hp = 3\n");
	text.clear();
	CVariableList one;
	one.set(hp, 0, Value(0.25));
	one.dump(text);
	EXPECT_EQ(text, "dump_hp = 0.250000\n");
}

TEST(VariableList, SaveThenLoadGivesTheSameStore)
{
	CVariableList s;
	s.set(A, 0, Value("text"));
	s.set(A + 1, 0, Value(-1.5));
	s.set(A + 1, 3, Value("e3"));
	s.set(A + 1, 64000 + 1, Value(9));
	for (int i = 0; i < 12; i++)
		s.set(A + 10 + i, 0, Value(i));
	std::string first = saved(s);
	CVariableList loaded;
	loaded.set(A + 99, 0, Value(1)); // the load replaces what was there
	ASSERT_TRUE(load_bytes(loaded, std::vector<uint8_t>(first.begin(), first.end())));
	EXPECT_EQ(saved(loaded), first);
	EXPECT_EQ(loaded.find(A + 99), nullptr);
	std::string a, b;
	s.dump(a);
	loaded.dump(b);
	EXPECT_EQ(a, b);
}

TEST(VariableList, SavedLayoutIsExact)
{
	CVariableList s;
	s.set(7, 0, Value(1.0));
	s.set(A, 1, Value("hi"));
	StreamWriter expect;
	expect.i32(442);
	expect.i32(2);
	// newest first: A with its row, then 7
	expect.i32(A);
	expect.i32(0), expect.f64(0), expect.string("");
	expect.i32(1);
	expect.i32(2);
	expect.i32(0), expect.f64(0), expect.string("");
	expect.i32(1), expect.f64(0), expect.string("hi");
	expect.i32(7);
	expect.i32(0), expect.f64(1.0), expect.string("");
	expect.i32(0);
	EXPECT_EQ(saved(s), std::string(expect.bytes().begin(), expect.bytes().end()));
	const std::vector<uint8_t> &b = expect.bytes();
	EXPECT_EQ(b[0], 0xBA);
	EXPECT_EQ(b[1], 0x01);
}

TEST(VariableList, LoadsTheOlderVersions)
{
	// 440: the layout of 442.
	StreamWriter v440;
	v440.i32(440), v440.i32(1);
	v440.i32(A), v440.i32(1), v440.f64(0), v440.string("old");
	v440.i32(1), v440.i32(1), v440.i32(0), v440.f64(0), v440.string("");
	CVariableList s;
	ASSERT_TRUE(load_bytes(s, v440.bytes()));
	Value out;
	ASSERT_TRUE(s.get(A, 0, out));
	EXPECT_EQ(out.text(), "old");
	EXPECT_FALSE(s.get(A, 1, out));

	// 441: one number gives rows * 32000 + columns; every row has that many columns.
	StreamWriter v441;
	v441.i32(441), v441.i32(1);
	v441.i32(A), v441.i32(0), v441.f64(4), v441.string("");
	v441.i32(2 * 32000 + 3);
	for (int i = 0; i < 6; i++)
		v441.i32(0), v441.f64(10 + i), v441.string("");
	ASSERT_TRUE(load_bytes(s, v441.bytes()));
	const CVariable *v = s.find(A);
	ASSERT_NE(v, nullptr);
	EXPECT_EQ(v->value.real(), 4);
	ASSERT_EQ(v->rows.size(), 2u);
	EXPECT_EQ(v->rows[1].size(), 3u);
	ASSERT_TRUE(s.get(A, 32000 + 2, out));
	EXPECT_EQ(out.real(), 15);
	// Saved again it is a 442 store that loads to the same thing.
	std::string again = saved(s);
	CVariableList t;
	ASSERT_TRUE(load_bytes(t, std::vector<uint8_t>(again.begin(), again.end())));
	EXPECT_EQ(saved(t), again);
}

TEST(VariableList, DamagedSavesLoadNothing)
{
	auto form = [](std::initializer_list<int32_t> head) {
		StreamWriter w;
		for (int32_t v : head)
			w.i32(v);
		return w.bytes();
	};
	struct Case
	{
		const char *what;
		std::vector<uint8_t> bytes;
	};
	std::vector<uint8_t> kind9 = form({442, 1, A, 9, 0, 0, 0, 0});
	std::vector<uint8_t> twice;
	{
		StreamWriter w;
		w.i32(442), w.i32(2);
		for (int i = 0; i < 2; i++)
			w.i32(A), w.i32(0), w.f64(0), w.string(""), w.i32(0);
		twice = w.bytes();
	}
	const Case cases[] = {
		{"unknown version", form({443, 0})},
		{"empty", {}},
		{"negative count", form({442, -1})},
		{"count beyond the data", form({442, 1000000})},
		{"truncated variable", form({442, 1, A})},
		{"unknown kind", kind9},
		{"negative rows", form({442, 1, A, 0, 0, 0, 0, -5})},
		{"huge rows", form({442, 1, A, 0, 0, 0, 0, 0x7FFFFFFF})},
		{"negative row length", form({442, 1, A, 0, 0, 0, 0, 1, -1})},
		{"negative string", form({442, 1, A, 1, 0, 0, -4, 0})},
		{"441 shape beyond the data", form({441, 1, A, 0, 0, 0, 0, 31999 * 32000 + 31999})},
		{"the same variable twice", twice},
	};
	for (const Case &c : cases) {
		CVariableList s;
		s.set(A + 5, 0, Value("kept"));
		std::string error;
		EXPECT_FALSE(load_bytes(s, c.bytes, &error)) << c.what;
		EXPECT_FALSE(error.empty()) << c.what;
		Value out;
		ASSERT_TRUE(s.get(A + 5, 0, out)) << c.what;
		EXPECT_EQ(out.text(), "kept") << c.what;
		EXPECT_EQ(s.count(), 1) << c.what;
	}
}
