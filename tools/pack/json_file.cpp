// json_file.cpp: parsing JSON with json-c and reading typed fields, each
// failure naming the file and the place in it.
#include "json_file.h"

#include <cmath>
#include <json-c/json.h>

#include "common/file_util.h"

JsonDoc::~JsonDoc()
{
	if (m_root)
		json_object_put(m_root);
}

namespace {

// The 1-based line of a character offset.
int line_of(const std::string &text, size_t offset)
{
	int line = 1;
	for (size_t i = 0; i < offset && i < text.size(); i++)
		if (text[i] == '\n')
			line++;
	return line;
}

} // namespace

void JsonDoc::parse(const std::string &text, const std::string &file)
{
	json_tokener *tok = json_tokener_new();
	if (!tok)
		throw ProjectError(file + ": out of memory reading JSON");
	json_object *obj = json_tokener_parse_ex(tok, text.c_str(), (int)text.size());
	json_tokener_error err = json_tokener_get_error(tok);
	size_t offset = json_tokener_get_parse_end(tok);
	json_tokener_free(tok);
	if (err == json_tokener_continue)
		err = json_tokener_error_parse_eof;
	if (err != json_tokener_success || !obj) {
		if (obj)
			json_object_put(obj);
		throw ProjectError(file + ":" + std::to_string(line_of(text, offset)) +
		                   ": JSON syntax error: " + json_tokener_error_desc(err));
	}
	// Anything but blanks after the document is a fault too.
	for (size_t i = offset; i < text.size(); i++)
		if (!isspace((unsigned char)text[i])) {
			json_object_put(obj);
			throw ProjectError(file + ":" + std::to_string(line_of(text, i)) +
			                   ": JSON syntax error: text after the end of the document");
		}
	if (m_root)
		json_object_put(m_root);
	m_root = obj;
}

void JsonDoc::load(const std::string &path, const std::string &shown_name)
{
	std::vector<uint8_t> bytes;
	std::string error;
	if (!read_file(path, bytes, error))
		throw ProjectError(shown_name + ": cannot read: " + error);
	parse(std::string(bytes.begin(), bytes.end()), shown_name);
}

bool JsonNode::is_object() const { return m_obj && json_object_is_type(m_obj, json_type_object); }
bool JsonNode::is_array() const { return m_obj && json_object_is_type(m_obj, json_type_array); }
bool JsonNode::is_string() const { return m_obj && json_object_is_type(m_obj, json_type_string); }

bool JsonNode::has(const char *key) const
{
	json_object *v = nullptr;
	return is_object() && json_object_object_get_ex(m_obj, key, &v) && v;
}

std::string JsonNode::place() const
{
	return m_where.empty() ? std::string("the top level") : m_where;
}

void JsonNode::fail(const std::string &message) const
{
	throw ProjectError(m_file + ": " + place() + ": " + message);
}

JsonNode JsonNode::member(const char *key) const
{
	json_object *v = nullptr;
	if (is_object())
		json_object_object_get_ex(m_obj, key, &v);
	return JsonNode(v, m_file, m_where.empty() ? std::string(key) : m_where + "." + key);
}

size_t JsonNode::size() const
{
	if (!is_array())
		fail("expected a list");
	return json_object_array_length(m_obj);
}

JsonNode JsonNode::item(size_t i) const
{
	return JsonNode(json_object_array_get_idx(m_obj, i), m_file, place() + "[" + std::to_string(i) + "]");
}

std::vector<std::string> JsonNode::keys() const
{
	if (!is_object())
		fail("expected an object { ... }");
	std::vector<std::string> out;
	json_object_object_foreach(m_obj, key, value)
	{
		(void)value;
		out.emplace_back(key);
	}
	return out;
}

std::string JsonNode::as_string() const
{
	if (!is_string())
		fail("expected a text in quotes");
	return std::string(json_object_get_string(m_obj), json_object_get_string_len(m_obj));
}

double JsonNode::as_number() const
{
	if (!m_obj || !(json_object_is_type(m_obj, json_type_int) || json_object_is_type(m_obj, json_type_double)))
		fail("expected a number");
	double d = json_object_get_double(m_obj);
	if (!std::isfinite(d))
		fail("expected a finite number");
	return d;
}

int32_t JsonNode::as_int() const
{
	double d = as_number();
	if (d != std::floor(d) || d < -2147483648.0 || d > 2147483647.0)
		fail("expected a whole number");
	return (int32_t)d;
}

bool JsonNode::as_bool() const
{
	if (!m_obj || !json_object_is_type(m_obj, json_type_boolean))
		fail("expected true or false");
	return json_object_get_boolean(m_obj);
}

std::string JsonNode::get_string(const char *key, const std::string &fallback) const
{
	return has(key) ? member(key).as_string() : fallback;
}

double JsonNode::get_number(const char *key, double fallback) const
{
	return has(key) ? member(key).as_number() : fallback;
}

int32_t JsonNode::get_int(const char *key, int32_t fallback) const
{
	return has(key) ? member(key).as_int() : fallback;
}

bool JsonNode::get_bool(const char *key, bool fallback) const
{
	return has(key) ? member(key).as_bool() : fallback;
}

uint32_t JsonNode::get_colour(const char *key, uint32_t fallback) const
{
	if (!has(key))
		return fallback;
	JsonNode v = member(key);
	if (!v.is_string()) {
		double d = v.as_number();
		if (d < 0 || d > 0xFFFFFFFFu || d != std::floor(d))
			v.fail("expected a colour: a number or \"#RRGGBB\"");
		return (uint32_t)d;
	}
	std::string text = v.as_string();
	if (text.size() != 7 || text[0] != '#' || text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
		v.fail("expected a colour: a number or \"#RRGGBB\", not \"" + text + "\"");
	uint32_t rgb = (uint32_t)std::stoul(text.substr(1), nullptr, 16);
	return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

void JsonNode::only_keys(std::initializer_list<const char *> allowed) const
{
	for (const std::string &k : keys()) {
		bool ok = false;
		for (const char *a : allowed)
			ok = ok || k == a;
		if (!ok)
			member(k.c_str()).fail("unknown field \"" + k + "\"");
	}
}
