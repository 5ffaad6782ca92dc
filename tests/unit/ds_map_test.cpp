// ds_map_test.cpp: maps: adding and replacing, keys whose hashes collide, the
// order of the key walks.
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "ds/ds_map.h"
#include "ds_fixture.h"

TEST_F(DsTest, MapAddReplaceDeleteExists)
{
	Value m = call_builtin("ds_map_create");
	EXPECT_EQ(real_of(call_builtin("ds_map_add", {m, S("a"), 1})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_map_add", {m, S("a"), 2})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_map_find_value", {m, S("a")})), 1);
	call_builtin("ds_map_replace", {m, S("b"), S("new")});
	EXPECT_EQ(text_of(call_builtin("ds_map_find_value", {m, S("b")})), "new");
	call_builtin("ds_map_replace", {m, S("a"), 3});
	EXPECT_EQ(real_of(call_builtin("ds_map_find_value", {m, S("a")})), 3);
	// A real key and a string key with the same text are different keys.
	call_builtin("ds_map_add", {m, 1, S("real one")});
	call_builtin("ds_map_add", {m, S("1"), S("text one")});
	EXPECT_EQ(text_of(call_builtin("ds_map_find_value", {m, 1})), "real one");
	EXPECT_EQ(text_of(call_builtin("ds_map_find_value", {m, S("1")})), "text one");
	EXPECT_EQ(real_of(call_builtin("ds_map_size", {m})), 4);
	call_builtin("ds_map_delete", {m, S("a")});
	EXPECT_EQ(real_of(call_builtin("ds_map_exists", {m, S("a")})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_map_find_value", {m, S("a")})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_map_exists", {m, S("b")})), 1);
	call_builtin("ds_map_delete", {m, S("absent")});
	EXPECT_EQ(real_of(call_builtin("ds_map_size", {m})), 3);
	call_builtin("ds_map_clear", {m});
	EXPECT_EQ(real_of(call_builtin("ds_map_empty", {m})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_map_find_first", {m})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_map_find_last", {m})), 0);
}

TEST_F(DsTest, MapKeysWithEqualHashesAreBothKept)
{
	Value a = S("jcvlrzj"), b = S("eqgpebs");
	ASSERT_EQ(ds_key_hash(a), ds_key_hash(b));
	Value m = call_builtin("ds_map_create");
	EXPECT_EQ(real_of(call_builtin("ds_map_add", {m, a, 1})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_map_add", {m, b, 2})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_map_find_value", {m, a})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_map_find_value", {m, b})), 2);
	// Same bucket, insertion order.
	EXPECT_EQ(text_of(call_builtin("ds_map_find_next", {m, a})), "eqgpebs");
	call_builtin("ds_map_delete", {m, b});
	EXPECT_EQ(real_of(call_builtin("ds_map_find_value", {m, a})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_map_exists", {m, b})), 0);
	call_builtin("ds_map_add", {m, b, 3});
	call_builtin("ds_map_delete", {m, a});
	EXPECT_EQ(real_of(call_builtin("ds_map_find_value", {m, b})), 3);
}

TEST_F(DsTest, MapKeyHash)
{
	EXPECT_EQ(ds_key_hash(S("")), 0xFFFFFFFFu);
	// The register without the final inversion: CRC-32 of "a" is 0xE8B7BE43.
	EXPECT_EQ(ds_key_hash(S("a")), ~0xE8B7BE43u);
	EXPECT_EQ(ds_key_hash(S("123456789")), ~0xCBF43926u);
}

TEST_F(DsTest, MapWalksFollowBucketsThenInsertion)
{
	CDS_Map map;
	std::vector<Value> keys;
	for (int i = 0; i < 3000; i++)
		keys.push_back(i % 3 ? Value(S(("k" + std::to_string(i)).c_str())) : Value(i * 0.5));
	for (const Value &k : keys)
		map.add(k, k);
	// Remove some and add them again: they go to the end of their bucket.
	for (int i = 0; i < 3000; i += 7) {
		map.remove(keys[(size_t)i]);
		map.add(keys[(size_t)i], 0);
	}
	std::vector<std::tuple<uint32_t, int, std::string>> expected;
	for (int i = 0; i < 3000; i++) {
		int order = i % 7 == 0 ? 3000 + i : i;
		expected.emplace_back(ds_key_hash(keys[(size_t)i]) & 4095, order, value_to_text(keys[(size_t)i]));
	}
	std::sort(expected.begin(), expected.end());
	std::vector<std::string> forward, backward, want;
	for (const auto &e : expected)
		want.push_back(std::get<2>(e));
	Value k;
	for (bool more = map.first_key(k); more; more = map.next_key(Value(k), k))
		forward.push_back(value_to_text(k));
	for (bool more = map.last_key(k); more; more = map.previous_key(Value(k), k))
		backward.push_back(value_to_text(k));
	std::reverse(backward.begin(), backward.end());
	EXPECT_EQ(forward, want);
	EXPECT_EQ(backward, want);
	// The built-ins answer 0 past either end and for a missing key.
	Value m = call_builtin("ds_map_create");
	call_builtin("ds_map_add", {m, S("only"), 1});
	EXPECT_EQ(real_of(call_builtin("ds_map_find_next", {m, S("only")})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_map_find_previous", {m, S("only")})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_map_find_next", {m, S("missing")})), 0);
	EXPECT_EQ(text_of(call_builtin("ds_map_find_first", {m})), "only");
	EXPECT_EQ(text_of(call_builtin("ds_map_find_last", {m})), "only");
}

TEST_F(DsTest, MapCopyKeepsOrderAndIndependence)
{
	Value a = call_builtin("ds_map_create"), b = call_builtin("ds_map_create");
	for (int i = 0; i < 100; i++)
		call_builtin("ds_map_add", {a, i, S("v")});
	call_builtin("ds_map_add", {b, S("gone"), 1});
	call_builtin("ds_map_copy", {b, a});
	call_builtin("ds_map_copy", {a, a});
	EXPECT_EQ(real_of(call_builtin("ds_map_size", {a})), 100);
	EXPECT_EQ(real_of(call_builtin("ds_map_exists", {b, S("gone")})), 0);
	EXPECT_EQ(text_of(call_builtin("ds_map_write", {a})), text_of(call_builtin("ds_map_write", {b})));
	call_builtin("ds_map_clear", {a});
	EXPECT_EQ(real_of(call_builtin("ds_map_size", {b})), 100);
}

TEST_F(DsTest, MapIndexSurvivesHeavyChurn)
{
	CDS_Map map;
	std::map<int, int> model;
	for (int step = 0; step < 20000; step++) {
		int k = random_index_below(500);
		if (random_index_below(3) == 0) {
			EXPECT_EQ(map.remove(Value(k)), model.erase(k) == 1);
		} else {
			map.replace(Value(k), Value(step));
			model[k] = step;
		}
	}
	EXPECT_EQ(map.size(), (int)model.size());
	for (int k = 0; k < 500; k++) {
		const Value *v = map.find(Value(k));
		ASSERT_EQ(v != nullptr, model.count(k) == 1) << k;
		if (v)
			EXPECT_EQ(v->real(), model[k]);
	}
}

TEST_F(DsTest, MapWalkThatDeletesAsItGoes)
{
	Value m = call_builtin("ds_map_create");
	for (int i = 0; i < 200; i++)
		call_builtin("ds_map_add", {m, i, i});
	int visited = 0;
	Value k = call_builtin("ds_map_find_first", {m});
	while (call_builtin("ds_map_exists", {m, k}).real() == 1) {
		Value next = call_builtin("ds_map_find_next", {m, k});
		if (visited % 2 == 0)
			call_builtin("ds_map_delete", {m, k});
		visited++;
		k = next;
	}
	EXPECT_EQ(visited, 200);
	EXPECT_EQ(real_of(call_builtin("ds_map_size", {m})), 100);
	// An entry added after a walk began goes to its place in the order.
	call_builtin("ds_map_add", {m, S("late"), 1});
	int count = 0;
	for (k = call_builtin("ds_map_find_first", {m}); call_builtin("ds_map_exists", {m, k}).real() == 1;
	     k = call_builtin("ds_map_find_next", {m, k}))
		count++;
	EXPECT_EQ(count, 101);
}

TEST_F(DsTest, LargeMapUsesItsBigStorageSoundly)
{
	// Enough entries for the index and the node chunks to come from the
	// system's large pages.
	CDS_Map map;
	const int n = 120000;
	for (int i = 0; i < n; i++)
		ASSERT_TRUE(map.add(Value(i), Value(i * 2)));
	for (int i = 0; i < n; i += 1000)
		ASSERT_EQ(map.find(Value(i))->real(), i * 2);
	for (int i = 0; i < n; i += 2)
		ASSERT_TRUE(map.remove(Value(i)));
	EXPECT_EQ(map.size(), n / 2);
	EXPECT_FALSE(map.find(Value(0)));
	EXPECT_EQ(map.find(Value(1))->real(), 2);
	CDS_Map copy;
	copy.copy_from(map);
	EXPECT_EQ(copy.write(), map.write());
}
