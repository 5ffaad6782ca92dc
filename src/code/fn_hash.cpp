// fn_hash.cpp: the hashing and encoding built-ins of game code: MD5 and SHA-1
// digests of strings (as UTF-8 or as UTF-16 code units) and of files, and base64.
#include <string>
#include <vector>

#include "code/builtin_args.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/utf8_text.h"
#include "code/value.h"
#include "common/digest.h"
#include "common/file_util.h"
#include "common/paths.h"

namespace {

#define TEXT(i) arg_text(argc, args, i)

// Reads a game file the way reads look for it: an absolute name as it stands, a
// relative one in the local save directory first, then in the game directory.
bool read_game_file(std::string_view name, std::string &bytes, std::string &error)
{
	std::string path = to_slashes(name);
	if (!path.empty() && path[0] != '/') {
		std::string saved = game_paths().save_directory() + path;
		path = file_exists(saved) ? saved : game_paths().game_directory() + path;
	}
	std::vector<uint8_t> data;
	if (!read_file(path, data, error))
		return false;
	bytes.assign(data.begin(), data.end());
	return true;
}

void file_digest(Value &result, const char *name, std::string_view file, std::string (*digest)(std::string_view))
{
	std::string bytes, error;
	if (!read_game_file(file, bytes, error)) {
		report_error(std::string("Error in function ") + name + "(): cannot read \"" + std::string(file) + "\": " + error, false);
		result.set_string("");
		return;
	}
	result.set_string(digest(bytes));
}

void fn_md5_string_utf8(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_string(md5_hex(TEXT(0))); }
void fn_md5_string_unicode(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_string(md5_hex(utf8_to_utf16le(TEXT(0)))); }
void fn_md5_file(Value &result, CInstance *, CInstance *, int argc, const Value *args) { file_digest(result, "md5_file", TEXT(0), md5_hex); }
void fn_sha1_string_utf8(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_string(sha1_hex(TEXT(0))); }
void fn_sha1_string_unicode(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_string(sha1_hex(utf8_to_utf16le(TEXT(0)))); }
void fn_sha1_file(Value &result, CInstance *, CInstance *, int argc, const Value *args) { file_digest(result, "sha1_file", TEXT(0), sha1_hex); }

void fn_base64_encode(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_string(base64_encode(TEXT(0))); }

void fn_base64_decode(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	std::string out;
	if (!base64_decode(TEXT(0), out)) {
		report_error("Error in function base64_decode(): the text is not valid base64.", false);
		result.set_string("");
		return;
	}
	// A game string cannot hold a NUL byte: say so rather than cut silently.
	if (out.find('\0') != std::string::npos)
		report_error("Error in function base64_decode(): the decoded data holds a NUL byte; the text ends there.", false);
	result.set_string(out);
}

#undef TEXT

const BuiltinEntry hash_functions[] = {
	{ "md5_string_utf8", fn_md5_string_utf8, 1 },
	{ "md5_string_unicode", fn_md5_string_unicode, 1 },
	{ "md5_file", fn_md5_file, 1 },
	{ "sha1_string_utf8", fn_sha1_string_utf8, 1 },
	{ "sha1_string_unicode", fn_sha1_string_unicode, 1 },
	{ "sha1_file", fn_sha1_file, 1 },
	{ "base64_encode", fn_base64_encode, 1 },
	{ "base64_decode", fn_base64_decode, 1 },
};

} // namespace

void register_hash_functions() { register_functions(hash_functions); }
