// platform_test.cpp: the window and the event pump on the headless driver.
#include <gtest/gtest.h>

#include "platform/window.h"

TEST(Platform, QuitRequestEndsThePump)
{
	std::string error;
	ASSERT_TRUE(platform::init(true, error)) << error;
	{
		platform::Window window;
		ASSERT_TRUE(window.create(64, 48, {}, error)) << error;
		EXPECT_EQ(window.caption(), "Zentrix:Workshop");
		int w = 0, h = 0;
		window.client_size(w, h);
		EXPECT_EQ(w, 64);
		EXPECT_EQ(h, 48);

		EXPECT_TRUE(platform::pump_events());
		platform::post_quit();
		EXPECT_FALSE(platform::pump_events());
		EXPECT_TRUE(platform::pump_events()); // the request is consumed
	}
	platform::shutdown();
}
