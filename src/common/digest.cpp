// digest.cpp: MD5 and SHA-1 through OpenSSL's EVP digests; base64 of our own,
// small and strict about its input.
#include "common/digest.h"

#include <openssl/evp.h>

namespace {

std::string digest_hex(const EVP_MD *md, std::string_view bytes)
{
	unsigned char digest[EVP_MAX_MD_SIZE];
	unsigned int size = 0;
	if (!md || EVP_Digest(bytes.data(), bytes.size(), digest, &size, md, nullptr) != 1)
		return std::string();
	static const char hex[] = "0123456789abcdef";
	std::string out;
	out.reserve(size * 2);
	for (unsigned int i = 0; i < size; i++) {
		out += hex[digest[i] >> 4];
		out += hex[digest[i] & 15];
	}
	return out;
}

const char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of a base64 character, or -1.
int sextet(char c)
{
	if (c >= 'A' && c <= 'Z')
		return c - 'A';
	if (c >= 'a' && c <= 'z')
		return c - 'a' + 26;
	if (c >= '0' && c <= '9')
		return c - '0' + 52;
	if (c == '+')
		return 62;
	if (c == '/')
		return 63;
	return -1;
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

std::string md5_hex(std::string_view bytes) { return digest_hex(EVP_md5(), bytes); }

std::string sha1_hex(std::string_view bytes) { return digest_hex(EVP_sha1(), bytes); }

std::string base64_encode(std::string_view bytes)
{
	std::string out;
	out.reserve((bytes.size() + 2) / 3 * 4);
	size_t i = 0;
	for (; i + 3 <= bytes.size(); i += 3) {
		uint32_t v = ((unsigned char)bytes[i] << 16) | ((unsigned char)bytes[i + 1] << 8) | (unsigned char)bytes[i + 2];
		out += ALPHABET[v >> 18];
		out += ALPHABET[(v >> 12) & 63];
		out += ALPHABET[(v >> 6) & 63];
		out += ALPHABET[v & 63];
	}
	size_t left = bytes.size() - i;
	if (left > 0) {
		uint32_t v = (unsigned char)bytes[i] << 16;
		if (left == 2)
			v |= (unsigned char)bytes[i + 1] << 8;
		out += ALPHABET[v >> 18];
		out += ALPHABET[(v >> 12) & 63];
		out += left == 2 ? ALPHABET[(v >> 6) & 63] : '=';
		out += '=';
	}
	return out;
}

bool base64_decode(std::string_view text, std::string &out)
{
	out.clear();
	uint32_t bits = 0;
	size_t count = 0; // sextets read
	size_t padding = 0;
	for (char c : text) {
		if (is_space(c))
			continue;
		if (c == '=') {
			padding++;
			continue;
		}
		int v = sextet(c);
		if (v < 0 || padding > 0) {
			out.clear();
			return false;
		}
		bits = (bits << 6) | (uint32_t)v;
		if (++count % 4 == 0) {
			out += (char)(bits >> 16);
			out += (char)(bits >> 8);
			out += (char)bits;
			bits = 0;
		}
	}
	size_t tail = count % 4;
	// One sextet alone cannot end an encoding; padding fills the group to 4.
	if (tail == 1 || (padding > 0 && (tail < 2 || tail + padding != 4))) {
		out.clear();
		return false;
	}
	if (tail == 2) {
		out += (char)(bits >> 4);
	} else if (tail == 3) {
		out += (char)(bits >> 10);
		out += (char)(bits >> 2);
	}
	return true;
}
