// hash_test.cpp: MD5, SHA-1 and base64 built-ins against the published test
// vectors, the UTF-16 variants, file digests and refused base64 input.
#include <string>

#include "builtin_call.h"
#include "code/errors.h"
#include "common/digest.h"
#include "test_util.h"

namespace {

std::string call_text(const char *name, const std::string &arg)
{
	return std::string(call_builtin(name, { Value(std::string_view(arg)) }).text());
}

} // namespace

TEST(Hash, Md5Rfc1321Vectors)
{
	const char *cases[][2] = {
		{ "", "d41d8cd98f00b204e9800998ecf8427e" },
		{ "a", "0cc175b9c0f1b6a831c399e269772661" },
		{ "abc", "900150983cd24fb0d6963f7d28e17f72" },
		{ "message digest", "f96b697d7cb7938d525a2f31aaf161d0" },
		{ "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b" },
		{ "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f" },
		{ "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
		  "57edf4a22be3c955ac49da2e2107b67a" },
	};
	for (auto &c : cases)
		EXPECT_EQ(call_text("md5_string_utf8", c[0]), c[1]) << c[0];
}

TEST(Hash, Sha1Rfc3174Vectors)
{
	EXPECT_EQ(call_text("sha1_string_utf8", "abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
	EXPECT_EQ(call_text("sha1_string_utf8", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
		  "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
	std::string a_million(1000000, 'a');
	EXPECT_EQ(call_text("sha1_string_utf8", a_million), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
	std::string repeated;
	for (int i = 0; i < 10; i++)
		repeated += "0123456701234567012345670123456701234567012345670123456701234567";
	EXPECT_EQ(call_text("sha1_string_utf8", repeated), "dea356a2cddd90c7a7ecedc5ebb563934f460452");
	EXPECT_EQ(call_text("sha1_string_utf8", ""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
}

// The unicode variants hash one little-endian 16-bit unit per character.
TEST(Hash, UnicodeVariantsHashUtf16)
{
	EXPECT_EQ(call_text("md5_string_unicode", "abc"), "ce1473cf80c6b3fda8e3dfc006adc315");
	EXPECT_EQ(call_text("sha1_string_unicode", "abc"), "9f04f41a848514162050e3d68c1a7abb441dc2b5");
	EXPECT_EQ(call_text("md5_string_unicode", "a\xE2\x82\xAC"), "370d985b77f61dd67443544d3ca2cde3");
	EXPECT_EQ(call_text("sha1_string_unicode", "a\xE2\x82\xAC"), "899111604448e40b6bf9c2e9945faa2683e783e7");
	EXPECT_EQ(call_text("md5_string_utf8", "\xE2\x82\xAC"), "bca53fde466a76b7bee3e18997e94a7a");
}

TEST(Hash, FileDigests)
{
	TempDir dir;
	dir.write("abc.txt", std::string("abc"));
	EXPECT_EQ(call_text("md5_file", dir.file("abc.txt")), "900150983cd24fb0d6963f7d28e17f72");
	EXPECT_EQ(call_text("sha1_file", dir.file("abc.txt")), "a9993e364706816aba3e25717850c26c9cd0d89d");
	clear_error_state();
	EXPECT_EQ(call_text("md5_file", dir.file("missing.txt")), "");
	EXPECT_NE(error_last().find("md5_file"), std::string::npos);
}

TEST(Hash, Base64Rfc4648Vectors)
{
	const char *cases[][2] = {
		{ "", "" }, { "f", "Zg==" }, { "fo", "Zm8=" }, { "foo", "Zm9v" },
		{ "foob", "Zm9vYg==" }, { "fooba", "Zm9vYmE=" }, { "foobar", "Zm9vYmFy" },
	};
	for (auto &c : cases) {
		EXPECT_EQ(call_text("base64_encode", c[0]), c[1]);
		EXPECT_EQ(call_text("base64_decode", c[1]), c[0]);
	}
	// Every byte value survives the round trip (the encoder's high bits and the
	// last two alphabet characters).
	std::string all;
	for (int b = 0; b < 256; b++)
		all += (char)b;
	std::string decoded;
	ASSERT_TRUE(base64_decode(base64_encode(all), decoded));
	EXPECT_EQ(decoded, all);
	EXPECT_EQ(base64_encode("\xFB\xFF"), "+/8=");
}

TEST(Hash, Base64DecodeAcceptsMissingPaddingAndSpaces)
{
	struct Case
	{
		const char *text, *bytes;
	} cases[] = { { "Zg", "f" }, { "Zm8", "fo" }, { "Zm9v\r\nYmFy", "foobar" }, { " Zm9vYg== ", "foob" } };
	for (const Case &c : cases) {
		std::string out;
		EXPECT_TRUE(base64_decode(c.text, out)) << c.text;
		EXPECT_EQ(out, c.bytes) << c.text;
	}
}

TEST(Hash, Base64DecodeRefusesBadInput)
{
	const char *bad[] = { "Z", "Zm9vY", "Zg=", "Zg===", "Z===", "====", "Zg==Zg==", "Zm=v", "Zm9v!", "Zm9-", "Zm9_" };
	for (const char *text : bad) {
		std::string out = "left over";
		EXPECT_FALSE(base64_decode(text, out)) << text;
		EXPECT_EQ(out, "") << text;
	}
	clear_error_state();
	EXPECT_EQ(call_text("base64_decode", "Zm9v!"), "");
	EXPECT_NE(error_last().find("base64_decode"), std::string::npos);
}

// A game string ends at a NUL byte; the cut is reported, never silent.
TEST(Hash, Base64DecodeReportsNulBytes)
{
	clear_error_state();
	EXPECT_EQ(call_text("base64_decode", "YQBi"), "a");
	EXPECT_NE(error_last().find("NUL"), std::string::npos);
}
