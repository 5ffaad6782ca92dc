// ini_test.cpp: reading and writing INI text.
#include <gtest/gtest.h>

#include "common/ini.h"

TEST(Ini, Reading)
{
	IniFile ini;
	ini.parse("junk before = the first section\n"
	          "[player]\n"
	          "name = Bob  ; comment\n"
	          "# a comment line\n"
	          "  score=  12\t\r\n"
	          "empty =\n"
	          "next=1\n"
	          "no equals sign here\n"
	          "[player]\n"
	          "name=Alice\n"
	          "[Odd Name]\n"
	          "key with spaces = v w\n"
	          "last=end");
	EXPECT_EQ(ini.get("player", "name"), "Alice"); // the later section wins
	EXPECT_FALSE(ini.get("PLAYER", "name"));         // names compare exactly
	EXPECT_EQ(ini.get("Odd Name", "key with spaces"), "v w");
	EXPECT_EQ(ini.get("Odd Name", "last"), "end");
	EXPECT_FALSE(ini.get("nowhere", "junk before"));

	// The earlier "player" section is still there, behind the later one.
	ASSERT_EQ(ini.sections().size(), 3u);
	const IniFile::Section &first = ini.sections()[2];
	ASSERT_EQ(first.entries.size(), 3u);
	EXPECT_EQ(first.entries[0].key, "next");
	EXPECT_EQ(first.entries[1].key, "score");
	EXPECT_EQ(first.entries[1].value, "12");
	EXPECT_EQ(first.entries[2].value, "Bob"); // the value stops at ";"
}

TEST(Ini, EmptyValueBeforeLineFeedIsNoEntry)
{
	IniFile ini;
	ini.parse("[s]\nempty =\nafter=2\n");
	EXPECT_FALSE(ini.get("s", "empty"));
	EXPECT_EQ(ini.get("s", "after"), "2");
}

TEST(Ini, WritingReversesOrderOfRead)
{
	IniFile ini;
	ini.parse("[a]\nx=1\ny=2\n[b]\nz=3\n");
	EXPECT_EQ(ini.text(), "[b]\r\nz=3\r\n[a]\r\ny=2\r\nx=1\r\n");
	ini.set("c", "k", "v");
	ini.set("a", "x", "9");
	EXPECT_TRUE(ini.remove_key("b", "z"));
	EXPECT_FALSE(ini.remove_key("b", "z"));
	EXPECT_TRUE(ini.remove_section("b"));
	EXPECT_EQ(ini.text(), "[c]\r\nk=v\r\n[a]\r\ny=2\r\nx=9\r\n");
}
