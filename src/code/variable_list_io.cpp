// variable_list_io.cpp: the text dump of a variable store and its saved form
// (version 442 written; 440, 441 and 442 read).
#include "code/variable_list.h"

#include "code/variable_names.h"
#include "common/binary_stream.h"

namespace {

// Smallest sizes in the stream, used to check counts before allocating.
constexpr uint64_t ELEMENT_BYTES = 4 + 8 + 4;         // kind, real, text length
constexpr uint64_t VARIABLE_BYTES = 4 + ELEMENT_BYTES + 4; // id, value, row count

void save_value(StreamWriter &out, const Value &v)
{
	out.i32((int32_t)v.kind());
	out.f64(v.real());
	out.string(v.text());
}

Value load_value(StreamReader &in)
{
	size_t at = in.position();
	int32_t kind = in.i32();
	double real = in.f64();
	std::string text = in.string();
	if (kind == VALUE_STRING)
		return Value(std::string_view(text));
	if (kind != VALUE_REAL)
		throw DataError(at, "a value has the unknown kind " + std::to_string(kind));
	return Value(real);
}

void load_rows(StreamReader &in, CVariable &v)
{
	size_t at = in.position();
	int32_t rows = in.i32();
	if (rows < 0)
		throw DataError(at, "an array has a negative row count");
	in.expect((uint64_t)rows, 4, "the rows of an array");
	v.rows.resize((size_t)rows);
	for (std::vector<Value> &row : v.rows) {
		at = in.position();
		int32_t n = in.i32();
		if (n < 0)
			throw DataError(at, "an array row has a negative length");
		in.expect((uint64_t)n, ELEMENT_BYTES, "the elements of an array row");
		row.reserve((size_t)n);
		for (int32_t i = 0; i < n; i++)
			row.push_back(load_value(in));
	}
}

// Version 441: one number gives rows * 32000 + columns, every row as long.
void load_rectangle(StreamReader &in, CVariable &v)
{
	size_t at = in.position();
	int32_t shape = in.i32();
	if (shape < 0)
		throw DataError(at, "an array has a negative size");
	uint64_t rows = (uint64_t)(shape / ARRAY_ROW_SIZE), columns = (uint64_t)(shape % ARRAY_ROW_SIZE);
	in.expect(rows * columns, ELEMENT_BYTES, "the elements of an array");
	v.rows.assign(rows, {});
	for (std::vector<Value> &row : v.rows) {
		row.reserve(columns);
		for (uint64_t c = 0; c < columns; c++)
			row.push_back(load_value(in));
	}
}

} // namespace

void CVariableList::dump(std::string &out) const
{
	for_each_newest_first([&](const CVariable &v) {
		out += variable_name(v.id);
		if (v.rows.empty()) {
			out += " = ";
			out += value_debug_text(v.value);
		} else {
			out += " = { ";
			for (const std::vector<Value> &row : v.rows) {
				out += "{ ";
				for (size_t i = 0; i < row.size(); i++) {
					if (i > 0)
						out += " ,";
					out += value_debug_text(row[i]);
				}
				out += "},  ";
			}
			out += " }";
		}
		out += "\n";
	});
}

void CVariableList::save(StreamWriter &out) const
{
	out.i32(VARIABLES_SAVE_VERSION);
	out.i32(count());
	for_each_newest_first([&](const CVariable &v) {
		out.i32(v.id);
		save_value(out, v.value);
		out.i32((int32_t)v.rows.size());
		for (const std::vector<Value> &row : v.rows) {
			out.i32((int32_t)row.size());
			for (const Value &e : row)
				save_value(out, e);
		}
	});
}

bool CVariableList::load(StreamReader &in, std::string *error)
{
	try {
		size_t at = in.position();
		int32_t version = in.i32();
		if (version != 440 && version != 441 && version != 442)
			throw DataError(at, "the variables are saved in the unknown version " + std::to_string(version));
		at = in.position();
		int32_t n = in.i32();
		if (n < 0)
			throw DataError(at, "the number of variables is negative");
		in.expect((uint64_t)n, VARIABLE_BYTES, "the saved variables");
		// The saved form lists the newest first; the store is rebuilt oldest
		// first so that saving it again gives the same order.
		std::vector<CVariable> saved((size_t)n);
		for (CVariable &v : saved) {
			v.id = in.i32();
			v.value = load_value(in);
			if (version == 441)
				load_rectangle(in, v);
			else
				load_rows(in, v);
		}
		CVariableList loaded;
		for (size_t i = saved.size(); i-- > 0;) {
			if (loaded.find(saved[i].id))
				throw DataError(in.position(), "the variable " + std::string(variable_name(saved[i].id)) +
				                                   " is saved twice");
			CVariable &v = loaded.append(saved[i].id);
			v.value = std::move(saved[i].value);
			v.rows = std::move(saved[i].rows);
		}
		clear();
		std::swap(m_vars, loaded.m_vars);
		std::swap(m_index, loaded.m_index);
		std::swap(m_mask, loaded.m_mask);
		return true;
	} catch (const DataError &e) {
		if (error)
			*error = std::string(e.what()) + " (at byte " + std::to_string(e.offset()) + ")";
		return false;
	}
}
