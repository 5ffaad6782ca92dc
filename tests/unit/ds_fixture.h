// ds_fixture.h: a fixture for the data-structure tests: fresh handle tables,
// default precision and a fixed random seed for each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "builtin_call.h"
#include "code/random.h"
#include "ds/ds_store.h"
#include "test_util.h"

class DsTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ds_reset();
		random_set_seed(12345);
	}
	void TearDown() override { ds_reset(); }

	static double real_of(const Value &v)
	{
		EXPECT_TRUE(v.is_real());
		return v.real();
	}
	static std::string text_of(const Value &v)
	{
		EXPECT_TRUE(v.is_string());
		return std::string(v.text());
	}
};

constexpr const char *NO_SUCH = "Data structure with index does not exist.";
