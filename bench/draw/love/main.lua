-- Bunnymark for LÖVE 11: N sprites moving and bouncing, unpaced. Arguments:
-- N, frames to measure, sprite size. Prints "fps <f> cpu_us <u>" where cpu_us
-- is the time of the update and draw callbacks per frame (the clear and the
-- present, the driver's work, excluded).
local n, frames, size = 1000, 120, 32
local warm = 10
local bunnies = {}
local image

function love.load(args)
	n = tonumber(args[1]) or n
	frames = tonumber(args[2]) or frames
	size = tonumber(args[3]) or size
	local data = love.image.newImageData(size, size)
	data:mapPixel(function(x, y)
		return (x * 8 % 256) / 255, (y * 8 % 256) / 255, 0.5, 1
	end)
	image = love.graphics.newImage(data)
	love.math.setRandomSeed(1)
	for i = 1, n do
		bunnies[i] = {x = 0, y = 0, sx = love.math.random() * 10, sy = love.math.random() * 10 - 5}
	end
end

function love.update()
	for i = 1, n do
		local b = bunnies[i]
		b.x = b.x + b.sx
		b.y = b.y + b.sy
		b.sy = b.sy + 0.75
		if b.x > 800 then
			b.sx = -b.sx
			b.x = 800
		elseif b.x < 0 then
			b.sx = -b.sx
			b.x = 0
		end
		if b.y > 600 then
			b.sy = -b.sy * 0.85
			b.y = 600
		elseif b.y < 0 then
			b.sy = 0
			b.y = 0
		end
	end
end

function love.draw()
	for i = 1, n do
		local b = bunnies[i]
		love.graphics.draw(image, b.x, b.y)
	end
end

function love.run()
	love.load(love.arg.parseGameArguments(arg), arg)
	local frame, start, cpu = 0, 0, 0
	return function()
		love.event.pump()
		for name, a in love.event.poll() do
			if name == "quit" then
				return a or 0
			end
		end
		local t0 = love.timer.getTime()
		love.update()
		local t1 = love.timer.getTime()
		love.graphics.origin()
		love.graphics.clear(0, 0, 0)
		local t2 = love.timer.getTime()
		love.draw()
		local t3 = love.timer.getTime()
		love.graphics.present()
		frame = frame + 1
		if frame == warm then
			start = love.timer.getTime()
		elseif frame > warm then
			cpu = cpu + (t1 - t0) + (t3 - t2)
			if frame == warm + frames then
				local total = love.timer.getTime() - start
				print(string.format("fps %.3f cpu_us %.3f", frames / total, cpu / frames * 1e6))
				io.stdout:flush()
				return 0
			end
		end
	end
end
