// vm_decode_test.cpp: instruction words, the listing text, the assembler and
// the checks that keep malformed bytecode from running.
#include <gtest/gtest.h>

#include "code/vm/assembler.h"
#include "code/vm/code.h"
#include "code/vm/instruction.h"
#include "code/vm/program.h"

namespace {

std::vector<uint8_t> bytes_of(const std::string &text)
{
	Assembly a = assemble(text);
	EXPECT_EQ(a.error, "");
	return a.bytes;
}

std::string decode_error(const std::vector<uint8_t> &bytes)
{
	StringTexts texts;
	texts.texts = {"zero", "one"};
	return decode_program(bytes.data(), (uint32_t)bytes.size(), &texts).error;
}

std::vector<uint8_t> words(std::initializer_list<uint32_t> list)
{
	std::vector<uint8_t> out;
	for (uint32_t w : list)
		for (int i = 0; i < 4; i++)
			out.push_back((uint8_t)(w >> (8 * i)));
	return out;
}

} // namespace

TEST(Instruction, FormatsAndLengths)
{
	EXPECT_EQ(instruction_length(0xC0000000), 12u); // push.d
	EXPECT_EQ(instruction_length(0xC0020000), 8u);  // push.i
	EXPECT_EQ(instruction_length(0xC00F0000), 4u);  // push.e
	EXPECT_EQ(instruction_length(0x08000000), 4u);  // add
	EXPECT_TRUE(word_is_branch(0xB7FFFFFF));
	EXPECT_EQ(word_branch_distance(0xB7FFFFFF), -1);
	EXPECT_EQ(word_field(0xC00FFFFF), -1);
	ASSERT_TRUE(opcode_info(0xBC));
	EXPECT_STREQ(opcode_info(0xBC)->name, "popenv");
	EXPECT_EQ(opcode_info(0x01), nullptr);
	// Every opcode of the table decodes to its own handler.
	for (int code = 0; code < 256; code++)
		if (const OpcodeInfo *info = opcode_info((uint8_t)code))
			EXPECT_EQ(opcode_by_name(info->name), info);
}

TEST(Instruction, ListingText)
{
	ListingNames names;
	names.function_name = [](int32_t id) { return id == 5 ? std::string("string") : std::string("?"); };
	names.variable_name = [](int32_t id) { return id == 100000 ? std::string("hp") : std::string("?"); };
	names.string_text = [](uint32_t i) { return i == 0 ? std::string("hello") : std::string("?"); };
	std::vector<uint8_t> code = bytes_of("push.d 2.5\n"
	                                     "add.d.i\n"
	                                     "pop.v.d self.#100000\n"
	                                     "push.s \"hello\"\n"
	                                     "call.i #5 1\n"
	                                     "push.b true\n"
	                                     "push.l -3\n"
	                                     "bf 3\n"
	                                     "popenv.close\n"
	                                     "word 0x01000000\n"
	                                     "ret.v\n");
	std::string listing;
	for (uint32_t pc = 0; pc < code.size(); pc += instruction_length(code[pc] | code[pc + 1] << 8 |
	                                                                  code[pc + 2] << 16 | code[pc + 3] << 24))
		listing += instruction_listing(code.data(), pc, (uint32_t)code.size() - pc, names);
	EXPECT_EQ(listing, "00000000 : 000000c00000000000000440 push.d      2.500000\n"
	                   "0000000c : 00002008                 add.d.i     \n"
	                   "00000010 : ffff0541a08601a0         pop.v.d     $hp$\n"
	                   "00000018 : 000006c000000000         push.s      \"hello\"\n"
	                   "00000020 : 010002da05000000         call.i      string\n"
	                   "00000028 : 000004c001000000         push.b      true\n"
	                   "00000030 : 000003c0fdffffffffffffff push.l      -3\n"
	                   "0000003c : 030000b9                 bf          0x00000048\n"
	                   "00000040 : 0000f0bc                 popenv      0x00000040\n"
	                   "00000044 : 00000001                 unknown.d.d \n"
	                   "00000048 : 0000059d                 ret.v       \n");
}

TEST(Decode, MalformedBytecodeIsRefused)
{
	EXPECT_EQ(decode_error(bytes_of("push.d 1\nb 0\nret.d")), "");
	EXPECT_EQ(decode_error(bytes_of("b 1")), "");  // to the end: the run ends
	EXPECT_NE(decode_error(bytes_of("b 2")).find("a branch leaves the code at 0x00000000"), std::string::npos);
	EXPECT_NE(decode_error(bytes_of("push.d 1\nb -4")).find("a branch leaves the code"), std::string::npos);
	EXPECT_NE(decode_error(words({0xB7000001, 0xC0020000, 0, 0xB7FFFFFF})).find("lands inside an instruction"),
	          std::string::npos);
	std::vector<uint8_t> cut = bytes_of("push.d 1");
	cut.resize(8);
	EXPECT_NE(decode_error(cut).find("runs past the end of the code"), std::string::npos);
	EXPECT_NE(decode_error({1, 2}).find("truncated instruction"), std::string::npos);
	EXPECT_EQ(decode_error(words({0xC0060000, 1})), "");
	EXPECT_NE(decode_error(words({0xC0060000, 2})).find("string operand 2 is not in the string table"),
	          std::string::npos);
	// A popenv that closes its frame has no target to check.
	EXPECT_EQ(decode_error(words({0xBCF00000})), "");
}

TEST(Decode, OperandsAndTargets)
{
	StringTexts texts;
	texts.texts = {"abc"};
	std::vector<uint8_t> code = bytes_of("top:\npush.e 65535\npush.s \"abc\"\npush.v id5.x[]\ncall.i #7 3\nb top\n");
	Program p = decode_program(code.data(), (uint32_t)code.size(), &texts);
	ASSERT_EQ(p.error, "");
	ASSERT_EQ(p.code.size(), 6u);
	EXPECT_EQ(p.code[0].field, -1);
	EXPECT_EQ(std::string(p.code[1].s, p.code[1].len), "abc");
	EXPECT_EQ(p.code[2].field, 5);
	EXPECT_EQ(p.code[2].var.flags, VAR_INSTANCE_IN_FIELD | VAR_ADD_INSTANCE_BASE);
	EXPECT_EQ(p.code[3].i, 7);
	EXPECT_EQ(p.code[3].field, 3);
	EXPECT_EQ(p.code[4].field, 0); // the branch's target instruction
	EXPECT_EQ(p.code[5].handler, OP_END);
}

TEST(Assembler, ReportsBadText)
{
	EXPECT_NE(assemble("frob.d").error.find("line 1: unknown mnemonic frob"), std::string::npos);
	EXPECT_NE(assemble("push.d\n").error.find("line 1"), std::string::npos);
	EXPECT_NE(assemble("\npush.v nowhere.x").error.find("line 2: unknown scope nowhere"), std::string::npos);
	EXPECT_NE(assemble("push.q 1").error.find("unknown type suffix .q"), std::string::npos);
}
