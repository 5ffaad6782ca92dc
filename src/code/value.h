// value.h: the value of game code: a real (double) or an owned UTF-8 string.
// Copies are deep; a cleared value is the real 0, which is also what an unset
// variable reads and what a function that sets no result returns.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

enum ValueKind : uint32_t
{
	VALUE_REAL = 0,
	VALUE_STRING = 1,
};

// The kind the machine marks a local's slot with until the local is first
// written; no value of a game has it (a damaged slot's kind is changed).
constexpr uint32_t VALUE_UNSET_LOCAL = 0xFFFFFFFFu;

class Value
{
public:
	Value() = default;
	Value(double real) : m_real(real) {}
	Value(int real) : m_real(real) {}
	explicit Value(std::string_view text) { set_string(text); }
	explicit Value(const char *text) { set_string(text ? std::string_view(text) : std::string_view()); }
	static Value string(std::string_view text) { return Value(text); }

	Value(const Value &other) { copy_from(other); }
	Value(Value &&other) noexcept : m_kind(other.m_kind), m_text(other.m_text), m_real(other.m_real)
	{
		other.m_kind = VALUE_REAL;
		other.m_text = nullptr;
		other.m_real = 0;
	}
	Value &operator=(const Value &other)
	{
		if (this != &other) {
			if (other.m_kind == VALUE_STRING)
				set_string(other.text());
			else
				set_kind_raw(other.m_kind, other.m_real);
		}
		return *this;
	}
	Value &operator=(Value &&other) noexcept
	{
		if (this != &other) {
			free_text();
			m_kind = other.m_kind;
			m_text = other.m_text;
			m_real = other.m_real;
			other.m_kind = VALUE_REAL;
			other.m_text = nullptr;
			other.m_real = 0;
		}
		return *this;
	}
	~Value() { free_text(); }

	ValueKind kind() const { return (ValueKind)m_kind; }
	bool is_real() const { return m_kind == VALUE_REAL; }
	bool is_string() const { return m_kind == VALUE_STRING; }

	// The real field: the number for a real, 0 for a string.
	double real() const { return m_real; }
	// The text field: the string for a string, empty for a real.
	std::string_view text() const { return m_text ? std::string_view(m_text) : std::string_view(); }
	const char *c_str() const { return m_text ? m_text : ""; }

	void set_real(double real)
	{
		free_text();
		m_kind = VALUE_REAL;
		m_real = real;
	}
	// The number of a value that already holds a real (so no text to free):
	// the machine's fast paths, which have checked the kind.
	void overwrite_real(double real) { m_real = real; }
	// Stores a text, reusing the owned block when it is large enough. A text
	// holding a NUL byte is cut there: game strings cannot contain one.
	void set_string(std::string_view text);
	// Back to the real 0.
	void clear() { set_real(0.0); }

	// Hands the owned text block (malloc'ed, null for the empty string) to the
	// caller and leaves the real 0: the machine moves strings between stack
	// slots and values without copying.
	char *release_text()
	{
		char *text = m_text;
		m_text = nullptr;
		m_kind = VALUE_REAL;
		m_real = 0.0;
		return text;
	}
	// Becomes the string that owns this malloc'ed NUL-terminated block (null: the
	// empty string).
	void adopt_text(char *text)
	{
		free_text();
		m_kind = VALUE_STRING;
		m_text = text;
		m_real = 0.0;
	}

	// Fills a value that holds no text with a kind, an owned text block (or
	// null) and a real, without a call: the machine's argument frames, whose
	// unused values are the real 0.
	void fill_empty(uint32_t kind, char *text, double real)
	{
		m_kind = kind;
		m_text = text;
		m_real = real;
	}
	// Sets n values to the real 0 without a call as long as none of them holds
	// a text; false when one does (clear_range then does the rest).
	static bool clear_reals(Value *v, int n)
	{
		for (int i = 0; i < n; i++) {
			if (v[i].m_text)
				return false;
			v[i].m_kind = VALUE_REAL;
			v[i].m_real = 0.0;
		}
		return true;
	}
	// Sets n values to the real 0 (the machine's argument frames after a call).
	static void clear_range(Value *v, int n)
	{
		for (int i = 0; i < n; i++)
			v[i].free_text();
		for (int i = 0; i < n; i++) {
			v[i].m_kind = VALUE_REAL;
			v[i].m_real = 0.0;
		}
	}

	// A value of another kind number is malformed; only the machine makes one
	// when it reads a damaged stack slot.
	static Value malformed(uint32_t kind)
	{
		Value v;
		v.m_kind = kind;
		return v;
	}

private:
	void copy_from(const Value &other)
	{
		m_kind = other.m_kind;
		m_real = other.m_real;
		if (other.m_kind == VALUE_STRING)
			set_string(other.text());
	}
	void set_kind_raw(uint32_t kind, double real)
	{
		free_text();
		m_kind = kind;
		m_real = real;
	}
	// Inline: every copy, assignment and destruction passes here.
	void free_text()
	{
		if (m_text) {
			free(m_text);
			m_text = nullptr;
		}
	}

	uint32_t m_kind = VALUE_REAL;
	char *m_text = nullptr; // owned; null is the empty string
	double m_real = 0.0;
};

// Text to number: the decimal reading (leading white space skipped, the longest
// prefix forming a decimal number, 0 when there is none) and the integer reading
// (an optionally signed run of digits, saturating at the 32-bit limits).
double text_decimal_reading(std::string_view text);
int32_t text_integer_reading(std::string_view text);

// `string` of a real: "%d" when the real equals its nearest 32-bit integer, else
// "%.2f".
std::string real_to_text(double real);
// `string` of a value: a copy of a string, real_to_text of a real.
std::string value_to_text(const Value &v);
// `real` of a value: the real itself, or the text trimmed of bytes below 33
// (signed) at both ends and read as a decimal number.
double value_to_real(const Value &v);

// The print form of diagnostics (variable dumps): a string between double
// quotes, a real with "%d" when it equals its nearest 32-bit integer, else "%f".
std::string value_debug_text(const Value &v);

// The processor's truncating conversions: a real outside the target's range
// (or NaN) gives the smallest integer of the target.
int32_t truncate_to_int32(double x);
int64_t truncate_to_int64(double x);
// The nearest 32-bit integer, ties to even, by the same rule.
int32_t nearest_int32(double x);

// Round to nearest, ties to even (the rule for reals used as integers).
int64_t round_to_int(double x);
// Arguments used as booleans are true at 0.5 and above.
inline bool value_is_true(const Value &v) { return v.real() >= 0.5; }
