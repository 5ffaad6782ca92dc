-- The loop as the game language's `for` runs it: test, body, step.
local function add(a, b) return a + b end
local n = tonumber(arg[1])
local t = os.clock()
local total = 0
local i = 0
while i < n do
	total = add(total, i)
	i = i + 1
end
print(os.clock() - t, total)
