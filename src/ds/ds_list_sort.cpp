// ds_list_sort.cpp: the list sort. The result is always that of the insertion
// sort by ds_compare; lists of only strings, or of only reals whose distinct
// values all lie further apart than the precision, are sorted in n log n time
// (there the comparison is a consistent order and a stable sort gives the same
// result), anything else runs the insertion sort itself.
#include <algorithm>
#include <cmath>
#include <utility>

#include "ds/ds_compare.h"
#include "ds/ds_list.h"

namespace {

bool moves_past(const Value &pred, const Value &item, bool ascending)
{
	int c = ds_compare(pred, item);
	return ascending ? c >= 1 : c < 1;
}

void insertion_sort(std::vector<Value> &items, bool ascending)
{
	for (size_t i = 1; i < items.size(); i++)
		for (size_t j = i; j > 0 && moves_past(items[j - 1], items[j], ascending); j--)
			std::swap(items[j - 1], items[j]);
}

// Ascending then reversed is the descending order of the insertion sort: equal
// elements end up last-first there.
void finish(std::vector<Value> &items, bool ascending)
{
	if (!ascending)
		std::reverse(items.begin(), items.end());
}

bool sort_strings(std::vector<Value> &items, bool ascending)
{
	for (const Value &v : items)
		if (!v.is_string())
			return false;
	std::stable_sort(items.begin(), items.end(), [](const Value &a, const Value &b) { return ds_compare(a, b) < 0; });
	finish(items, ascending);
	return true;
}

bool sort_reals(std::vector<Value> &items, bool ascending)
{
	std::vector<std::pair<float, size_t>> keys;
	keys.reserve(items.size());
	for (size_t i = 0; i < items.size(); i++) {
		if (!items[i].is_real())
			return false;
		float f = (float)items[i].real();
		if (std::isnan(f))
			return false;
		keys.emplace_back(f, i);
	}
	std::stable_sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
	// Distinct neighbours must compare as less: then no two distinct values are
	// equal within the precision, and the comparison is the float order.
	for (size_t i = 1; i < keys.size(); i++) {
		float a = keys[i - 1].first, b = keys[i].first;
		if (a != b && ds_compare(Value((double)a), Value((double)b)) != -1)
			return false;
	}
	std::vector<Value> sorted;
	sorted.reserve(items.size());
	for (const auto &k : keys)
		sorted.push_back(std::move(items[k.second]));
	items = std::move(sorted);
	finish(items, ascending);
	return true;
}

} // namespace

void ds_sort_values(std::vector<Value> &items, bool ascending)
{
	if (items.size() < 2)
		return;
	if (items[0].is_string() ? sort_strings(items, ascending) : sort_reals(items, ascending))
		return;
	insertion_sort(items, ascending);
}
