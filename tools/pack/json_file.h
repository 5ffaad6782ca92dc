// json_file.h: the packer's JSON documents: parsing with json-c (syntax errors
// name the file and line), and typed field access whose errors name the file
// and the field, thrown as ProjectError.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct json_object;

// A fault in a project: the message already names the file and place.
class ProjectError : public std::runtime_error
{
public:
	explicit ProjectError(const std::string &message) : std::runtime_error(message) {}
};

// An owned parsed document.
class JsonDoc
{
public:
	JsonDoc() = default;
	JsonDoc(const JsonDoc &) = delete;
	JsonDoc &operator=(const JsonDoc &) = delete;
	JsonDoc(JsonDoc &&other) noexcept : m_root(other.m_root) { other.m_root = nullptr; }
	~JsonDoc();

	// Parses text; a syntax error throws "<file>:<line>: <reason>".
	void parse(const std::string &text, const std::string &file);
	// Reads and parses a file.
	void load(const std::string &path, const std::string &shown_name);
	json_object *root() const { return m_root; }

private:
	json_object *m_root = nullptr;
};

// A view of one JSON object with the file name and the path to it, for errors.
class JsonNode
{
public:
	JsonNode(json_object *obj, std::string file, std::string where = "")
		: m_obj(obj), m_file(std::move(file)), m_where(std::move(where))
	{
	}

	json_object *raw() const { return m_obj; }
	bool is_object() const;
	bool is_array() const;
	bool is_string() const;
	bool has(const char *key) const;
	// The member, or a node over null when absent.
	JsonNode member(const char *key) const;
	size_t size() const; // array length
	JsonNode item(size_t i) const;
	// The keys of an object, in document order.
	std::vector<std::string> keys() const;

	// Typed reads of this node; a wrong type throws naming the place.
	std::string as_string() const;
	double as_number() const;
	int32_t as_int() const;
	bool as_bool() const;

	// Typed members with defaults for absent keys.
	std::string get_string(const char *key, const std::string &fallback = "") const;
	double get_number(const char *key, double fallback) const;
	int32_t get_int(const char *key, int32_t fallback) const;
	bool get_bool(const char *key, bool fallback) const;
	// A colour: a number, or a text "#RRGGBB"; stored as 0xBBGGRR.
	uint32_t get_colour(const char *key, uint32_t fallback) const;

	// Throws for any key of this object that is not in the list.
	void only_keys(std::initializer_list<const char *> allowed) const;
	// "<file>: <where>: <message>"
	[[noreturn]] void fail(const std::string &message) const;
	std::string place() const;
	// "<file>: <where>", to name the place in other messages.
	std::string where() const { return m_file + ": " + place(); }

private:
	json_object *m_obj;
	std::string m_file, m_where;
};
