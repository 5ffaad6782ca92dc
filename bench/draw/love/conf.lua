-- The bunnymark's window: the size of the engine's room, no vsync, only the
-- modules the benchmark uses.
function love.conf(t)
	t.window.width = 800
	t.window.height = 600
	t.window.vsync = 0
	t.modules.audio = false
	t.modules.sound = false
	t.modules.joystick = false
	t.modules.physics = false
	t.modules.touch = false
	t.modules.video = false
end
