// digest.h: message digests (MD5, SHA-1, through OpenSSL's EVP interface) as
// lower-case hexadecimal, and base64 encoding and checked decoding.
#pragma once

#include <string>
#include <string_view>

// The digest of the bytes as 32 (MD5) or 40 (SHA-1) lower-case hex digits; ""
// when the library fails.
std::string md5_hex(std::string_view bytes);
std::string sha1_hex(std::string_view bytes);

// The standard alphabet with "=" padding.
std::string base64_encode(std::string_view bytes);
// Decodes standard base64. White space is skipped and the padding may be left
// out; any other character, a "=" that is not at the end, data after the
// padding or a length that no encoding has (one character in the last group)
// is refused: false, and `out` is left empty.
bool base64_decode(std::string_view text, std::string &out);
