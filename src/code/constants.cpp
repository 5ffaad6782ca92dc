// constants.cpp: the constants table and the step that defines the game's own
// constants.
#include "code/constants.h"

#include <unordered_map>
#include <vector>

#include "code/builtin_constants.h"
#include "common/console.h"
#include "data/game_data.h"
#include "world/instance.h"

namespace {

struct ConstantTable
{
	std::vector<std::string> names;
	std::vector<Value> values;
	std::unordered_map<std::string, int32_t> first;
};

ConstantTable &table()
{
	static ConstantTable *t = [] {
		auto *made = new ConstantTable();
		for (const BuiltinConstant &c : builtin_constant_list()) {
			made->first.emplace(c.name, (int32_t)made->names.size());
			made->names.emplace_back(c.name);
			made->values.emplace_back(c.value);
		}
		return made;
	}();
	return *t;
}

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool valid_name(std::string_view name)
{
	if (name.empty() || !is_letter(name[0]))
		return false;
	for (char c : name)
		if (!is_letter(c) && !is_digit(c))
			return false;
	return true;
}

std::string_view trim(std::string_view s)
{
	while (!s.empty() && (unsigned char)s.front() <= ' ')
		s.remove_prefix(1);
	while (!s.empty() && (unsigned char)s.back() <= ' ')
		s.remove_suffix(1);
	return s;
}

// The evaluator used until the compiler is built: literals and constant names.
bool evaluate_literal(const std::string &, std::string_view text, CInstance *, Value &out)
{
	text = trim(text);
	if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front() &&
	    text.substr(1, text.size() - 2).find(text.front()) == std::string_view::npos) {
		out = Value(text.substr(1, text.size() - 2));
		return true;
	}
	double sign = 1;
	std::string_view body = text;
	if (!body.empty() && (body.front() == '-' || body.front() == '+')) {
		sign = body.front() == '-' ? -1 : 1;
		body = trim(body.substr(1));
	}
	if (body.empty())
		return false;
	if (body.front() == '$') {
		body.remove_prefix(1);
		if (body.empty() || body.size() > 16)
			return false;
		uint64_t v = 0;
		for (char c : body) {
			int d = is_digit(c) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
			if (d < 0)
				return false;
			v = v * 16 + (uint64_t)d;
		}
		out = Value(sign * (double)v);
		return true;
	}
	if (is_digit(body.front()) || body.front() == '.') {
		size_t digits = 0, dots = 0;
		for (char c : body) {
			if (is_digit(c))
				digits++;
			else if (c == '.')
				dots++;
			else
				return false;
		}
		if (digits == 0 || dots > 1)
			return false;
		out = Value(sign * text_decimal_reading(body));
		return true;
	}
	int32_t index = find_constant(body);
	if (index < 0 || (!constant_value(index).is_real() && sign < 0))
		return false;
	out = constant_value(index);
	if (sign < 0)
		out = Value(-out.real());
	return true;
}

ConstantEvaluator g_evaluator = evaluate_literal;
int32_t g_compiled = 0; // numbers the code names "Constant.%d"

} // namespace

void add_constant(std::string_view name, const Value &value)
{
	ConstantTable &t = table();
	t.first.emplace(std::string(name), (int32_t)t.names.size());
	t.names.emplace_back(name);
	t.values.push_back(value);
}

int32_t constant_count()
{
	return (int32_t)table().names.size();
}

int32_t find_constant(std::string_view name)
{
	const ConstantTable &t = table();
	auto it = t.first.find(std::string(name));
	return it == t.first.end() ? -1 : it->second;
}

std::string_view constant_name(int32_t index)
{
	const ConstantTable &t = table();
	return index >= 0 && (size_t)index < t.names.size() ? std::string_view(t.names[index]) : std::string_view();
}

const Value &constant_value(int32_t index)
{
	static const Value zero;
	const ConstantTable &t = table();
	return index >= 0 && (size_t)index < t.values.size() ? t.values[index] : zero;
}

void set_constant_evaluator(ConstantEvaluator evaluator)
{
	g_evaluator = evaluator ? evaluator : evaluate_literal;
}

bool prepare_user_constants(const GameData &game, const std::vector<ResourceName> &resources)
{
	ConstantTable &t = table();
	while (t.names.size() > (size_t)BUILTIN_CONSTANT_COUNT) {
		auto it = t.first.find(t.names.back());
		if (it != t.first.end() && it->second == (int32_t)t.names.size() - 1)
			t.first.erase(it);
		t.names.pop_back();
		t.values.pop_back();
	}
	for (const ResourceName &r : resources)
		add_constant(r.name, Value((double)r.index));
	for (const UserConstant &c : game.user_constants) {
		if (!valid_name(c.name)) {
			show_message("Constant name " + c.name + "  is not valid.");
			return false;
		}
		std::string code_name = "Constant." + std::to_string(g_compiled++);
		CInstance temporary(0, 0);
		Value value;
		if (!g_evaluator(code_name, c.value, &temporary, value)) {
			show_message("Value for constant " + c.name + "  is not valid.");
			return false;
		}
		add_constant(c.name, value);
	}
	return true;
}
